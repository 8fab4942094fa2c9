#include "ui/PanelFont.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace
{
bool SameBytes(const LOGFONT& a, const LOGFONT& b) { return std::memcmp(&a, &b, sizeof(LOGFONT)) == 0; }

LOGFONT Described(const CPanelFont& font)
{
    LOGFONT lf;
    EXPECT_EQ(60, font.GetLogFont(&lf));
    return lf;
}
} // namespace

TEST(PanelFontTest, StartsAsArialCellFourteen)
{
    CPanelFont font;
    const LOGFONT lf = Described(font);
    EXPECT_EQ(14, lf.lfHeight);
    EXPECT_EQ(FW_NORMAL, lf.lfWeight);
    EXPECT_EQ(PANEL_FONT_CHARSET, lf.lfCharSet);
    EXPECT_EQ(ANTIALIASED_QUALITY, lf.lfQuality);
    EXPECT_EQ(VARIABLE_PITCH, lf.lfPitchAndFamily);
    EXPECT_STREQ("Arial", lf.lfFaceName);
    EXPECT_TRUE(SameBytes(lf, font.GetKeptLogFont()));
}

TEST(PanelFontTest, PresetsAndSettersChangeTheirAttributesAndRestoreComesBackByteEqual)
{
    struct SCase
    {
        const char* szName;
        std::function<void(CPanelFont&)> change;
        LONG lHeight;
        LONG lWeight;
        BYTE nItalic;
        BYTE nUnderline;
    };
    const SCase cases[] = {
        {"normal 12", [](CPanelFont& f) { f.SetNormal12(); }, -12, FW_NORMAL, 0, 0},
        {"bold 12", [](CPanelFont& f) { f.SetBold12(); }, -12, FW_BOLD, 0, 0},
        {"heavy 16", [](CPanelFont& f) { f.SetHeavy16(); }, -16, 800, 0, 0},
        {"message", [](CPanelFont& f) { f.SetMessageFont(); }, 20, FW_BOLD, 0, 0},
        {"height", [](CPanelFont& f) { f.SetHeight(20); }, -20, FW_NORMAL, 1, 0},
        {"bold", [](CPanelFont& f) { f.SetBold(TRUE); }, -20, FW_BOLD, 1, 0},
        {"italic off", [](CPanelFont& f) { f.SetItalic(0); }, -20, FW_NORMAL, 0, 0},
        {"underline", [](CPanelFont& f) { f.SetUnderline(1); }, -20, FW_NORMAL, 1, 1},
        {"face", [](CPanelFont& f) { f.SetFaceName("MS Sans Serif"); }, -20, FW_NORMAL, 1, 0},
    };
    // The main frame's panel font: Arial, character height 20, italic, weight 400.
    CPanelFont font;
    font.SetHeight(20).SetItalic(1).SetBold(0).SetUnderline(0).SetFaceName("Arial");
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        LOGFONT saved;
        EXPECT_EQ(&saved, &font.SaveLogFont(saved));
        c.change(font);
        const LOGFONT changed = Described(font);
        EXPECT_EQ(c.lHeight, changed.lfHeight);
        EXPECT_EQ(c.lWeight, changed.lfWeight);
        EXPECT_EQ(c.nItalic, changed.lfItalic);
        EXPECT_EQ(c.nUnderline, changed.lfUnderline);
        font.RestoreLogFont(saved);
        EXPECT_TRUE(SameBytes(saved, Described(font)));
        EXPECT_TRUE(SameBytes(saved, font.GetKeptLogFont()));
    }
}

TEST(PanelFontTest, LongFaceNamesAreCutAndUnknownFacesStillDraw)
{
    CPanelFont font;
    const std::string strLong(40, 'x');
    font.SetFaceName(strLong.c_str());
    EXPECT_EQ(std::string(31, 'x'), std::string(Described(font).lfFaceName));
    font.SetFaceName("No Such Face");
    ASSERT_NE(nullptr, font.GetSafeHandle());
    const HDC hDC = CreateCompatibleDC(nullptr);
    SelectObject(hDC, font);
    SIZE size;
    EXPECT_TRUE(GetTextExtentPoint32(hDC, "Text", -1, &size));
    EXPECT_GT(size.cx, 0);
    SelectObject(hDC, GetStockObject(SYSTEM_FONT));
    DeleteDC(hDC);
}

TEST(PanelFontTest, MessageCellTwentyIsSmallerThanCharacterTwenty)
{
    CPanelFont font;
    const HDC hDC = CreateCompatibleDC(nullptr);
    const auto width = [&]
    {
        SelectObject(hDC, font);
        SIZE size;
        GetTextExtentPoint32(hDC, "HHHH", -1, &size);
        SelectObject(hDC, GetStockObject(SYSTEM_FONT));
        return size.cx;
    };
    font.SetMessageFont();
    const LONG nMessage = width();
    font.SetHeight(20).SetBold(TRUE);
    EXPECT_LT(nMessage, width());
    DeleteDC(hDC);
}
