// BMP files read from any bytes. Property: a picture read has three bytes per pixel of its size.
#include "fixtures/ImageFixtures.h"
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string file = WriteFuzzFile("fuzz.bmp", pData, nSize);
    CBmpFile bmp;
    UINT nWidth = 0, nHeight = 0;
    const std::vector<BYTE> rgb = bmp.ReadBmpFile(file.c_str(), nWidth, nHeight);
    FuzzCheck(rgb.size() == std::size_t{nWidth} * nHeight * 3, "the pixels do not match the picture's size");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    std::vector<std::vector<BYTE>> seeds;
    for (const WORD nBits : {1, 4, 8, 16, 24, 32})
    {
        SBmpDesc desc;
        desc.nWidth = 5;
        desc.nHeight = nBits == 8 ? -3 : 3;
        desc.nBits = nBits;
        if (nBits <= 8)
            desc.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
        if (nBits == 32)
        {
            desc.nCompression = 3; // bit fields
            desc.masks = {0xFF0000, 0xFF00, 0xFF};
        }
        for (DWORD i = 0; i < 15; ++i)
            desc.pixels.push_back(nBits <= 8 ? i % 2 : i * 0x010203);
        seeds.push_back(EncodeBmp(desc));
    }
    return seeds;
}
