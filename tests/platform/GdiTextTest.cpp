#include "platform/GdiFixture.h"
#include "platform/mfc/Bitmap.h"
#include "platform/win32/Gdi.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace
{
LOGFONT Font(LONG lHeight, LONG lWeight = FW_NORMAL, const char* szFace = "Arial")
{
    LOGFONT lf;
    lf.lfHeight = lHeight;
    lf.lfWeight = lWeight;
    lf.lfCharSet = RUSSIAN_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH;
    std::strncpy(lf.lfFaceName, szFace, LF_FACESIZE - 1);
    return lf;
}

constexpr COLORREF WHITE = RGB(255, 255, 255);
} // namespace

class GdiTextTest : public CGdiFixture
{
protected:
    void SetUp() override
    {
        CGdiFixture::SetUp();
        UseFont(Font(-16));
        SetTextColor(m_hDC, WHITE);
        SetBkMode(m_hDC, TRANSPARENT);
    }

    void TearDown() override
    {
        SelectObject(m_hDC, GetStockObject(SYSTEM_FONT));
        CGdiFixture::TearDown();
    }

    void UseFont(const LOGFONT& lf)
    {
        SelectObject(m_hDC, GetStockObject(SYSTEM_FONT));
        m_font.DeleteObject();
        ASSERT_TRUE(m_font.CreateFontIndirect(&lf));
        SelectObject(m_hDC, m_font);
    }

    TEXTMETRIC Metrics() const
    {
        TEXTMETRIC tm;
        EXPECT_TRUE(GetTextMetrics(m_hDC, &tm));
        return tm;
    }

    LONG Width(const char* szText) const
    {
        SIZE size;
        EXPECT_TRUE(GetTextExtentPoint32(m_hDC, szText, -1, &size));
        return size.cx;
    }

    /// The rectangle DT_CALCRECT gives for a text in a box starting at the origin.
    RECT Measure(const char* szText, UINT nFormat, LONG nBoxWidth = 200)
    {
        RECT rc{0, 0, nBoxWidth, 0};
        DrawText(m_hDC, szText, -1, &rc, nFormat | DT_CALCRECT);
        return rc;
    }

    CFont m_font;
};

TEST_F(GdiTextTest, HeightsFollowGdiRules)
{
    struct SCase
    {
        LONG lHeight;
        LONG lWeight;
    };
    const SCase cases[] = {{-12, FW_NORMAL}, {-12, FW_BOLD}, {-16, 800},     {-20, FW_NORMAL},
                           {14, FW_NORMAL},  {20, FW_BOLD},  {38, FW_NORMAL}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "height " << c.lHeight << " weight " << c.lWeight);
        UseFont(Font(c.lHeight, c.lWeight));
        const TEXTMETRIC tm = Metrics();
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        if (c.lHeight > 0)
            EXPECT_EQ(c.lHeight, tm.tmHeight); // positive: the cell
        else
            EXPECT_EQ(-c.lHeight, tm.tmHeight - tm.tmInternalLeading); // negative: the character
        EXPECT_GT(tm.tmInternalLeading, 0);
        EXPECT_EQ(c.lWeight, tm.tmWeight);
        EXPECT_EQ(RUSSIAN_CHARSET, tm.tmCharSet);
    }
    // A cell of 20 holds a smaller character than a character of 20.
    UseFont(Font(20));
    const LONG nCell20 = Width("HHHH");
    UseFont(Font(-20));
    EXPECT_LT(nCell20, Width("HHHH"));
}

TEST_F(GdiTextTest, FontDescriptionIsSixtyBytesCopiedBackUnchanged)
{
    LOGFONT lf = Font(-16, 800);
    lf.lfItalic = 1;
    lf.lfUnderline = 1;
    std::strcpy(lf.lfFaceName, "MS Sans Serif");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    LOGFONT back = Font(99, FW_HEAVY, "Something else");
    ASSERT_EQ(60, GetObject(font, 60, &back));
    EXPECT_EQ(0, std::memcmp(&lf, &back, 60));
    EXPECT_EQ(0, GetObject(font, 59, &back));
}

TEST_F(GdiTextTest, EveryFaceNameMapsToOneSansFaceWithBoldAndItalicFaces)
{
    const LONG nArial = Width("The quick brown fox");
    for (const char* szFace : {"MS Sans Serif", "No Such Face", ""})
    {
        SCOPED_TRACE(szFace);
        UseFont(Font(-16, FW_NORMAL, szFace));
        EXPECT_EQ(nArial, Width("The quick brown fox"));
    }
    UseFont(Font(-16, FW_SEMIBOLD));
    EXPECT_GT(Width("The quick brown fox"), nArial);
    LOGFONT italic = Font(-16);
    italic.lfItalic = 1;
    UseFont(italic);
    EXPECT_GT(Width("The quick brown fox"), 0);
}

TEST_F(GdiTextTest, InkLiesInsideTheMeasuredRectangle)
{
    struct SCase
    {
        const char* szName;
        const char* szText;
        UINT nFormat;
        LONG nLines;
    };
    const SCase cases[] = {
        {"one line", "Call The Shot", DT_SINGLELINE, 1},
        {"line breaks", "First line\nSecond\r\nThird", 0, 3},
        {"trailing break", "Only one\n", 0, 1},
        {"word wrap", "the quick brown fox jumps over the lazy dog again and again", DT_WORDBREAK, 3},
        {"word wider than the box", "Incomprehensibilities go", DT_WORDBREAK, 2},
        {"single line ignores breaks", "a\nb", DT_SINGLELINE, 1},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        Clear();
        RECT rc = Measure(c.szText, c.nFormat, 150);
        EXPECT_EQ(c.nLines * Metrics().tmHeight, rc.bottom - rc.top);
        rc = RECT{rc.left + 20, rc.top + 10, rc.right + 20, rc.bottom + 10};
        DrawText(m_hDC, c.szText, -1, &rc, c.nFormat);
        const SInk ink = Ink();
        ASSERT_FALSE(ink.Empty());
        EXPECT_TRUE(Inside(ink.rc, rc)) << "ink " << ink.rc.left << "," << ink.rc.top << "," << ink.rc.right << ","
                                        << ink.rc.bottom;
    }
    EXPECT_GT(Measure("Incomprehensibilities", DT_WORDBREAK, 20).right, 20); // a long word widens the box
    EXPECT_EQ((RECT{0, 0, 0, 0}), Measure("", DT_WORDBREAK));
}

TEST_F(GdiTextTest, PlacementCentresAndAlignsWithinOnePixel)
{
    const RECT box{10, 10, 190, 90};
    struct SCase
    {
        const char* szName;
        UINT nFormat;
    };
    const SCase cases[] = {{"centred", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
                           {"right bottom", DT_RIGHT | DT_BOTTOM | DT_SINGLELINE},
                           {"vcenter without single line stays on top", DT_CENTER | DT_VCENTER}};
    const RECT measured = Measure("HOH", DT_SINGLELINE);
    const LONG w = measured.right, h = measured.bottom;
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        Clear();
        RECT rc = box;
        const int nHeight = DrawText(m_hDC, "HOH", -1, &rc, c.nFormat);
        const SInk ink = Ink();
        ASSERT_FALSE(ink.Empty());
        // The cell the text was placed in, from the formatting rules.
        LONG x = box.left, y = box.top;
        if (c.nFormat & DT_CENTER)
            x = box.left + (box.right - box.left - w) / 2;
        if (c.nFormat & DT_RIGHT)
            x = box.right - w;
        if ((c.nFormat & DT_SINGLELINE) && (c.nFormat & DT_VCENTER))
            y = box.top + (box.bottom - box.top - h) / 2;
        if ((c.nFormat & DT_SINGLELINE) && (c.nFormat & DT_BOTTOM))
            y = box.bottom - h;
        EXPECT_TRUE(Inside(ink.rc, RECT{x, y, x + w, y + h}));
        EXPECT_EQ(y + h - box.top, nHeight);
        if (c.nFormat & DT_CENTER)
        {
            EXPECT_LE(std::abs((ink.rc.left + ink.rc.right) - (box.left + box.right)), 2); // within 1 px
        }
    }
}

TEST_F(GdiTextTest, TextIsClippedToItsRectangleUnlessNoClip)
{
    RECT rc{20, 20, 40, 30};
    DrawText(m_hDC, "A long line of text", -1, &rc, DT_SINGLELINE);
    EXPECT_TRUE(Inside(Ink().rc, rc));
    Clear();
    DrawText(m_hDC, "A long line of text", -1, &rc, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(Ink().rc.right, 40);
}

TEST_F(GdiTextTest, CoverageBlendsInTheTextColourAndOpaqueModeFillsTheCell)
{
    SetTextColor(m_hDC, RGB(250, 250, 250));
    TextOut(m_hDC, 10, 10, "Soft edges", -1);
    int nFull = 0, nPartial = 0;
    for (LONG y = 0; y < 100; ++y)
        for (LONG x = 0; x < 200; ++x)
        {
            const DWORD p = Pixel(x, y);
            nFull += p == 0xFAFAFA;
            nPartial += p != 0 && p != 0xFAFAFA;
            EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF); // grey on black: the colour's own hue
        }
    EXPECT_GT(nFull, 0);
    EXPECT_GT(nPartial, 0);

    Clear();
    SetBkMode(m_hDC, OPAQUE);
    SetBkColor(m_hDC, RGB(0, 0, 255));
    TextOut(m_hDC, 10, 10, "Box", -1);
    EXPECT_EQ((RECT{10, 10, 10 + Width("Box"), 10 + Metrics().tmHeight}), Ink().rc);
    EXPECT_EQ(0x0000FFu, Pixel(10, 10));
}

TEST_F(GdiTextTest, BadUtf8BytesDrawAsReplacementGlyphs)
{
    struct SCase
    {
        const char* szName;
        const char* szText;
    };
    const SCase cases[] = {{"stray continuation", "\x80"}, {"invalid byte", "\xFF"},
                           {"cut short", "\xE2\x82"},      {"overlong", "\xC0\xAF"},
                           {"surrogate", "\xED\xA0\x80"},  {"beyond the range", "\xF5\x80\x80\x80"}};
    const LONG nOne = Width("\xEF\xBF\xBD"); // U+FFFD itself
    ASSERT_GT(nOne, 0);
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        Clear();
        // Each byte that does not decode stands for one replacement glyph.
        EXPECT_EQ(nOne * static_cast<LONG>(std::strlen(c.szText)), Width(c.szText));
        TextOut(m_hDC, 10, 10, c.szText, -1);
        EXPECT_FALSE(Ink().Empty());
    }
    EXPECT_EQ(Width("e") + Width("\xC3\xA9"), Width("e\xC3\xA9")); // a valid two-byte character
}

TEST_F(GdiTextTest, PrefixesUnderlineTheirCharacterUnlessTurnedOff)
{
    EXPECT_EQ(Width("File"), Measure("&File", DT_SINGLELINE).right);
    EXPECT_EQ(Width("&"), Measure("&&", DT_SINGLELINE).right);
    EXPECT_EQ(Width("&File"), Measure("&File", DT_SINGLELINE | DT_NOPREFIX).right);
    RECT rc{10, 10, 190, 60};
    DrawText(m_hDC, "&File", -1, &rc, DT_SINGLELINE);
    const SInk withLine = Ink();
    Clear();
    DrawText(m_hDC, "&File", -1, &rc, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_GT(withLine.nPixels, Ink().nPixels);
    EXPECT_GT(withLine.rc.bottom, Ink().rc.bottom); // the line sits under the baseline
}

TEST_F(GdiTextTest, EllipsesShortenLinesToTheirBox)
{
    char path[64 + 4] = "C:\\Games\\Vorn\\Saved games\\Long match.sav";
    RECT rc{0, 0, Width("C:\\Ga...\\Long match.sav") + 2, 20};
    DrawText(m_hDC, path, -1, &rc, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    const std::string shortened = path;
    EXPECT_NE(std::string::npos, shortened.find("..."));
    EXPECT_EQ(std::string("\\Long match.sav"), shortened.substr(shortened.size() - 15));
    EXPECT_LE(Width(path), rc.right);

    RECT end{0, 0, 60, 20};
    EXPECT_EQ(60, Measure("A text far too long for its box", DT_SINGLELINE | DT_END_ELLIPSIS, 60).right);
    Clear();
    DrawText(m_hDC, "A text far too long for its box", -1, &end, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    EXPECT_LE(Ink().rc.right, 61);
}

TEST_F(GdiTextTest, TextOnAMemoryBitmapAsTheBallNumeralsUseIt)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(m_hDC, 32, 32));
    const HDC hMemory = CreateCompatibleDC(nullptr);
    const HGDIOBJ hOldBitmap = SelectObject(hMemory, bitmap);
    SelectObject(hMemory, m_font);
    SetTextColor(hMemory, WHITE);
    SetBkMode(hMemory, TRANSPARENT);
    RECT rc{0, 0, 32, 32};
    DrawText(hMemory, "15", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    BitBlt(m_hDC, 0, 0, 32, 32, hMemory, 0, 0, SRCCOPY);
    const SInk ink = Ink();
    ASSERT_FALSE(ink.Empty());
    EXPECT_LE(std::abs(ink.rc.left + ink.rc.right - 32), 2);
    EXPECT_LE(std::abs(ink.rc.top + ink.rc.bottom - 32), 4); // digits sit a little high in their cell
    SelectObject(hMemory, hOldBitmap);
    DeleteDC(hMemory);
}

TEST_F(GdiTextTest, SampleSheetForAPersonToLookAt)
{
    MakeTarget(400, 160);
    SetTextColor(m_hDC, RGB(235, 235, 133));
    SetBkMode(m_hDC, TRANSPARENT);
    const struct
    {
        LOGFONT lf;
        const char* szText;
    } rows[] = {{Font(-12), "Normal 12: The quick brown fox 0123456789"},
                {Font(-12, FW_BOLD), "Bold 12: Call The Shot"},
                {Font(-16, 800), "Heavy 16: Player 1's Turn  8 / 71"},
                {Font(20, FW_BOLD), "Message +20: GAME OVER!"},
                {Font(-20), "Italic? no; bad byte: \xFF, accent: \xC3\xA9"}};
    LONG y = 4;
    for (const auto& row : rows)
    {
        UseFont(row.lf);
        SetTextColor(m_hDC, RGB(235, 235, 133));
        SetBkMode(m_hDC, TRANSPARENT);
        TextOut(m_hDC, 6, y, row.szText, -1);
        y += Metrics().tmHeight + 4;
    }
    SaveFrame();
}
