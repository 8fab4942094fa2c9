#include "render/TextureSet.h"

#include "render/ArtLibraries.h"

#include <gtest/gtest.h>

TEST(TextureSetTest, ReadsEveryBallSetInOrder)
{
    CArtLibraries libs;
    libs.Add("VornBall1.dat", "SET", "TEXTURES.SET",
             "// variants\r\n"
             "standard, TEX_STD, more, COLORS_STD, 1;\r\n"
             "/ a single slash is a comment too\r\n"
             "american, TEX_US, , COLORS_US, 0;\r\n" // no third field: not kept
             "bonus, TEX_B, more, COLORS_B, x;\r\n"  // the flag does not read: 0
             "\r\n"
             "after, TEX_A, more, COLORS_A, 1;\r\n") // past the blank line: not read
        .Add("VornBall.dat", "SET", "TEXTURES.SET",
             std::string("standard, TEX2, more, C2, 1;\nnext, T, m, C, 1;\0hidden, T, m, C, 1;\n", 67))
        .Add("VornBall2.dat", "SET", "OTHER", "x")
        .Install(true);
    g_textureSet.LoadTextureSet();
    ASSERT_EQ(4, g_textureSet.GetCount());
    const CTextureSetRec first = g_textureSet.GetAt(0);
    EXPECT_EQ(CString("standard"), first.m_strName);
    EXPECT_EQ(CString("TEX_STD"), first.m_strField2);
    EXPECT_EQ(CString("COLORS_STD"), first.m_strField4);
    EXPECT_EQ(1, first.m_nValue); // a one-digit last field reads
    EXPECT_EQ(CString(libs.Path("VornBall1.dat")), first.m_strLibrary);
    EXPECT_EQ(CString("bonus"), g_textureSet.GetAt(1).m_strName);
    EXPECT_EQ(0, g_textureSet.GetAt(1).m_nValue);
    EXPECT_EQ(CString("standard"), g_textureSet.GetAt(2).m_strName); // the second library's, in file order
    EXPECT_EQ(CString(libs.Path("VornBall.dat")), g_textureSet.GetAt(2).m_strLibrary);
    EXPECT_EQ(CString("next"), g_textureSet.GetAt(3).m_strName); // the text ends at the NUL byte
    EXPECT_TRUE(g_textureSet.GetAt(9).m_strName.IsEmpty());
}

TEST(TextureSetTest, TextWithoutNulIsBoundedByItsResource)
{
    CArtLibraries libs;
    libs.Add("VornBall.dat", "SET", "TEXTURES.SET", "standard, T, m, C, 1;\nlast, T, m, C, 7").Install(true);
    g_textureSet.LoadTextureSet();
    ASSERT_EQ(2, g_textureSet.GetCount());
    EXPECT_EQ(7, g_textureSet.GetAt(1).m_nValue);
    g_astrBallSetLibraries.RemoveAll();
    g_textureSet.LoadTextureSet();
    EXPECT_EQ(0, g_textureSet.GetCount());
}
