// The particle pictures beside the program: 32-bit TGA with alpha, bottom-up with the origin bits
// 0x10 and 0x20 clear, so that every reading of those bits gives the same picture.
#include "tests/assets/GameFiles.h"

#include "platform/win32/ByteStream.h"

#include <gtest/gtest.h>
#include <set>

TEST(GameFilesTest, ParticlePicturesAreBottomUpTgaWithAlpha)
{
    for (const char* szFile : {"star.tga", "bubble.tga"})
    {
        SCOPED_TRACE(szFile);
        std::vector<BYTE> bytes;
        ASSERT_TRUE(ReadWholeFile(GamePath(szFile), bytes));
        CByteReader rd(bytes);
        BYTE nIdLength = 0, nMapType = 0, nType = 0, nBits = 0, nDescriptor = 0;
        WORD nWidth = 0, nHeight = 0;
        ASSERT_TRUE(rd.ReadU8(nIdLength) && rd.ReadU8(nMapType) && rd.ReadU8(nType) && rd.Skip(9) &&
                    rd.ReadU16LE(nWidth) && rd.ReadU16LE(nHeight) && rd.ReadU8(nBits) && rd.ReadU8(nDescriptor));
        EXPECT_EQ(0, nMapType);
        EXPECT_EQ(2, nType);
        EXPECT_EQ(32, nBits);
        EXPECT_EQ(0, nDescriptor & 0x30);
        EXPECT_EQ(8, nDescriptor & 0x0F);
        ASSERT_EQ(18u + nIdLength + std::size_t{nWidth} * nHeight * 4, bytes.size());
        std::set<BYTE> alphas;
        for (std::size_t i = 18 + nIdLength + 3; i < bytes.size(); i += 4)
            alphas.insert(bytes[i]);
        EXPECT_EQ(1u, alphas.count(0)) << "a transparent ground";
        EXPECT_GT(alphas.size(), 8u) << "soft edges";
    }
}
