#include "foundation/Tokens.h"

#include <gtest/gtest.h>

TEST(TokensTest, StringTokensCutAtEachSeparatorAndTrim)
{
    CString line = "  alpha , beta;gamma\ndelta";
    EXPECT_EQ(CString("alpha"), ExtractStringToken(line));
    EXPECT_EQ(CString("beta"), ExtractStringToken(line));
    EXPECT_EQ(CString("gamma"), ExtractStringToken(line));
    EXPECT_EQ(CString("delta"), ExtractStringToken(line)); // no separator: the whole rest
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_EQ(CString(""), ExtractStringToken(line)); // never fails, even on nothing
    CString custom = "a|b";
    EXPECT_EQ(CString("a"), ExtractToken(custom, "|"));
    EXPECT_EQ(CString("b"), custom);
}

TEST(TokensTest, IntegerTokens)
{
    struct SCase
    {
        const char* szName;
        const char* szLine;
        int nExpected;
        const char* szRest;
    };
    const SCase aCases[] = {
        {"plain", "12, 7;", 12, " 7;"},
        {"blanks around", "   -42  ;x", -42, "x"},
        {"empty token gives the default", " , 5;", 0, " 5;"},
        {"last field, two characters", "5;", 5, ""},
        {"last field after blanks", "  5;", 5, ""},
        {"digit without separator on a short rest", "7", 7, ""},
        {"rest of separators only", " ,;  ", 0, ""},
        {"short rest without digit", "x;", 0, ""},
        {"CRLF line end", "9;\r", 9, "\r"},
        {"atoi reads the leading digits", "12ab, 3;", 12, " 3;"},
        {"held to 32 bits", "99999999999;", 2147483647, ""},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CString line = c.szLine;
        EXPECT_EQ(c.nExpected, ExtractIntToken(line));
        EXPECT_EQ(CString(c.szRest), line);
    }
    CString line = " , 5;";
    EXPECT_EQ(-1, ExtractIntToken2(line, INT_TOKEN_SEPARATORS, -1));
    CString empty;
    EXPECT_EQ(-1, ExtractIntToken2(empty, INT_TOKEN_SEPARATORS, -1));
}

TEST(TokensTest, HexAndFloatTokens)
{
    CString line = "0x10, 10;1f,0X1F, ,";
    EXPECT_EQ(16, ExtractHexToken(line));
    EXPECT_EQ(16, ExtractHexToken(line));
    EXPECT_EQ(31, ExtractHexToken(line));
    EXPECT_EQ(31, ExtractHexToken(line));
    EXPECT_EQ(0, ExtractHexToken(line));
    CString big = "0x80000040;";
    EXPECT_EQ(static_cast<int>(0x80000040u), ExtractHexToken(big));

    CString floats = " 1.5, -2e1; 0;";
    EXPECT_FLOAT_EQ(1.5f, ExtractFloatToken(floats));
    EXPECT_FLOAT_EQ(-20.0f, ExtractFloatToken(floats));
    EXPECT_FLOAT_EQ(0.0f, ExtractFloatToken(floats));
}

TEST(TokensTest, MissingSeparatorOrNonFiniteNumberThrows)
{
    const char* aszInts[] = {"123", "  45", "abc"};
    for (const char* sz : aszInts)
    {
        SCOPED_TRACE(sz);
        CString line = sz;
        EXPECT_THROW(ExtractIntToken(line), CTokenError);
    }
    const char* aszFloats[] = {"1.0", "inf;", "nan,", "1e999;", ""};
    for (const char* sz : aszFloats)
    {
        SCOPED_TRACE(sz);
        CString line = sz;
        EXPECT_THROW(ExtractFloatToken(line), CTokenError);
    }
    CString hex = "0x10";
    EXPECT_THROW(ExtractHexToken(hex), CTokenError);
}

TEST(TokensTest, ListLoopsUntilTwoCharactersEnd)
{
    // The reading of a list "until two or fewer characters remain" must end whatever the tail.
    const char* aszLines[] = {"3, 1, 2, 3;", "3, 1, 2, 3; ", "1, 2,;;", "4,\r\n"};
    for (const char* sz : aszLines)
    {
        SCOPED_TRACE(sz);
        CString line = sz;
        int nRounds = 0;
        while (line.GetLength() > 2 && nRounds < 100)
        {
            ExtractIntToken(line);
            ++nRounds;
        }
        EXPECT_LT(nRounds, 10);
    }
}
