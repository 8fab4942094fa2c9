#include "platform/mfc/CString.h"

#include <gtest/gtest.h>

TEST(CStringTest, FormatWritesPrintfTextOfAnyLength)
{
    CString s;
    s.Format("%s(%ld): %08lx %.3f", "Ball.cpp", 42L, 0x80004005UL, 0.5);
    EXPECT_STREQ("Ball.cpp(42): 80004005 0.500", s);
    const CString longText(std::string(5000, 'a'));
    s.Format("[%s]", static_cast<LPCTSTR>(longText));
    EXPECT_EQ(5002, s.GetLength());
    s.AppendFormat("%d", 7);
    EXPECT_EQ('7', s[s.GetLength() - 1]);
}

TEST(CStringTest, SubstringsClampOutOfRangePositions)
{
    const CString s("Settings");
    EXPECT_STREQ("Set", s.Left(3));
    EXPECT_STREQ("Settings", s.Left(99));
    EXPECT_STREQ("", s.Left(-1));
    EXPECT_STREQ("ngs", s.Right(3));
    EXPECT_STREQ("tings", s.Mid(3));
    EXPECT_STREQ("", s.Mid(20, 2));
    EXPECT_STREQ("ti", s.Mid(3, 2));
    EXPECT_EQ(2, s.Find('t'));
    EXPECT_EQ(3, s.ReverseFind('t'));
    EXPECT_EQ(-1, s.Find("xyz"));
    EXPECT_EQ(-1, s.Find('S', 99));
}

TEST(CStringTest, EditingOperations)
{
    CString s("  C:/Games/Vorn/  ");
    s.Trim();
    EXPECT_STREQ("C:/Games/Vorn/", s);
    EXPECT_EQ(3, s.Replace('/', '\\'));
    EXPECT_STREQ("C:\\Games\\Vorn\\", s);
    EXPECT_EQ(1, s.Replace("Games", "Spiele"));
    s.MakeLower();
    EXPECT_STREQ("c:\\spiele\\vorn\\", s);
    EXPECT_EQ(0, s.CompareNoCase("C:\\SPIELE\\VORN\\"));
    s.TrimRight("\\");
    EXPECT_STREQ("c:\\spiele\\vorn", s);
    s.Delete(0, 3);
    s.Insert(0, "d:\\");
    EXPECT_STREQ("d:\\spiele\\vorn", s);
    EXPECT_EQ(2, CString("a,b,c").Remove(','));
    EXPECT_EQ(1, CString("aaa").Replace("aa", "a")) << "replacement text is not searched again";
}

TEST(CStringTest, BufferRoundTripTakesTheLengthFromTheTerminator)
{
    CString s;
    char* p = s.GetBuffer(16);
    std::snprintf(p, 17, "%s", "ini");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
    EXPECT_STREQ("ini", s);
}

TEST(CStringArrayTest, AddInsertRemove)
{
    CStringArray a;
    EXPECT_EQ(0, a.Add("b"));
    a.InsertAt(0, "a");
    a.SetAtGrow(3, "d");
    ASSERT_EQ(4, a.GetSize());
    EXPECT_STREQ("a", a[0]);
    EXPECT_TRUE(a[2].IsEmpty());
    a.RemoveAt(1, 2);
    EXPECT_EQ(2, a.GetSize());
    EXPECT_STREQ("d", a.GetAt(1));
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());
}
