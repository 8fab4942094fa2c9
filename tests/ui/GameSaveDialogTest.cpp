// The saved-games dialog over the game window, on a saved-games folder of the test's own.
#include "GameDialogFixture.h"

#include "foundation/DialogResultMask.h"
#include "foundation/ErrorBox.h"
#include "foundation/Settings.h"
#include "platform/TempFolder.h"
#include "platform/win32/WindowOverlay.h"
#include "ui/SaveGameDialog.h"
#include "ui/SkinList.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{
using Driver = CDialogDriver;
constexpr int IDC_NAME = 1102;

class GameSaveDialogTest : public CGameDialogFixture
{
protected:
    void SetUp() override
    {
        CGameDialogFixture::SetUp();
        m_saved = g_Settings;
        g_Settings.m_strSavedDirectory = CString(m_folder.Folder() + "/");
        for (const char* szFile : {"Zeta.sav", "alpha.SAV", "Mid.Sav", "notes.txt", "x.sav.bak"})
            std::ofstream(m_folder.File(szFile)) << "x";
        SetErrorBoxHandler([this](const char* szText) { m_astrErrors.emplace_back(szText); });
    }
    void TearDown() override
    {
        SetErrorBoxHandler(nullptr);
        g_Settings = m_saved;
        CGameDialogFixture::TearDown();
    }

    CTempFolder m_folder;
    CSettings m_saved;
    std::vector<std::string> m_astrErrors;
};

TEST(SaveGameDialogNames, NamesThatCannotBeAFileOfTheFolderAreRefusedWithAReason)
{
    struct SCase
    {
        const char* szTyped;
        const char* szName; ///< "" when refused
    };
    const std::string strLongest(SAVE_GAME_MAX_NAME, 'a');
    const std::string strTooLong(SAVE_GAME_MAX_NAME + 1, 'a');
    const SCase aCases[] = {
        {"Game", "Game"},
        {"Game.sav", "Game"},
        {"Game.SAV", "Game"},
        {"My game 2", "My game 2"},
        {"", ""},
        {".sav", ""},
        {"a/b", ""},
        {"a\\b", ""},
        {"..", ""},
        {"x..y", ""},
        {".hidden", ""},
        {"tab\there", ""},
        {strLongest.c_str(), strLongest.c_str()},
        {strTooLong.c_str(), ""},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szTyped);
        CString strReason;
        const CString strName = CSaveGameDialog::CheckName(CString(c.szTyped), strReason);
        EXPECT_STREQ(c.szName, strName.GetString());
        EXPECT_EQ(*c.szName == '\0', !strReason.IsEmpty()) << strReason.Str();
    }
}

TEST_F(GameSaveDialogTest, ListHoldsTheFoldersSavedGamesInAnyCaseSortedWithoutTheirExtension)
{
    const std::vector<CString> astrNames = CSaveGameDialog::ListSavedGames(g_Settings.m_strSavedDirectory);
    std::vector<std::string> aNames;
    for (const CString& strName : astrNames)
        aNames.push_back(strName.Str());
    EXPECT_EQ((std::vector<std::string>{"Mid", "Zeta", "alpha"}), aNames);
}

TEST_F(GameSaveDialogTest, BadNameKeepsTheDialogOpenWithTheReasonAndAGoodOneIsTaken)
{
    CSaveGameDialog dlg(TRUE, &m_game);
    g_nDialogOkMask = DLGOK_GAME_CHOSEN;
    bool bMaskCleared = false;
    Driver::Play({[&]
                  {
                      bMaskCleared = (g_nDialogOkMask & DLGOK_GAME_CHOSEN) == 0;
                      Shot("SaveGameDialog");
                      dlg.SetDlgItemText(IDC_NAME, "../up");
                      Driver::ClickControl(dlg, IDOK);
                  },
                  [&]
                  {
                      dlg.SetDlgItemText(IDC_NAME, "Evening.sav");
                      Driver::ClickControl(dlg, IDOK);
                  }},
                 true);
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(bMaskCleared);
    ASSERT_EQ(1u, m_astrErrors.size());
    EXPECT_NE(std::string::npos, m_astrErrors[0].find("..")) << m_astrErrors[0];
    EXPECT_STREQ("Evening.sav", dlg.m_strFileName.GetString());
    EXPECT_NE(0u, g_nDialogOkMask & DLGOK_GAME_CHOSEN);
}

TEST_F(GameSaveDialogTest, LoadTakesTheSelectedGameAndCancelTakesNone)
{
    for (const bool bOk : {true, false})
    {
        SCOPED_TRACE(bOk);
        CSaveGameDialog dlg(FALSE, &m_game);
        Driver::Play({[&] { Driver::Key(dlg, bOk ? VK_RETURN : VK_ESCAPE); }});
        EXPECT_EQ(bOk ? IDOK : IDCANCEL, dlg.DoModal());
        EXPECT_STREQ(bOk ? "Mid.sav" : "", dlg.m_strFileName.GetString()) << "the first of the list is selected";
    }
}

TEST_F(GameSaveDialogTest, ADoubleClickOnAGameChoosesItOverThePicturesOfEachMode)
{
    for (const bool bSave : {true, false})
    {
        SCOPED_TRACE(bSave);
        CSaveGameDialog dlg(bSave, &m_game);
        RECT rcTitle{}, rcOk{};
        bool bBackground = false;
        Driver::Play({[&]
                      {
                          bBackground = dlg.IsBackgroundLoaded();
                          rcTitle = Driver::ControlRect(dlg, 1165);
                          rcOk = Driver::ControlRect(dlg, IDOK);
                          Shot(bSave ? "SaveGameDialogSave" : "SaveGameDialogLoad");
                          // The name's label only redraws the name line; the dialog stays.
                          if (bSave)
                              Driver::ClickControl(dlg, 1164);
                          Driver::Key(dlg, VK_DOWN);
                          const RECT rcList = Driver::ControlRect(dlg, 1156);
                          const POINT ptFirst{rcList.left + 8, rcList.top + 3};
                          Driver::Click(dlg, ptFirst);
                          Driver::Click(dlg, ptFirst);
                      }});
        EXPECT_EQ(IDOK, dlg.DoModal());
        EXPECT_STREQ("Mid.sav", dlg.m_strFileName.GetString());
        EXPECT_TRUE(m_astrErrors.empty());
        EXPECT_TRUE(bBackground);
        EXPECT_EQ(260, rcTitle.right - rcTitle.left) << "the title picture's width";
        EXPECT_EQ(120, rcOk.right - rcOk.left) << "the OK picture's width";
    }
}

/// 0x00RRGGBB of a COLORREF.
DWORD Rgb(COLORREF cr) { return (DWORD{GetRValue(cr)} << 16) | (DWORD{GetGValue(cr)} << 8) | GetBValue(cr); }

TEST_F(GameSaveDialogTest, TheListIsPaintedWithTheSkinnedListsBrushAndItsTextColours)
{
    CSaveGameDialog dlg(FALSE, &m_game);
    RECT rcList{};
    POINT ptAt{};
    std::vector<DWORD> aPixels;
    int nWidth = 0, nHeight = 0;
    Driver::Play({[&]
                  {
                      rcList = Driver::ControlRect(dlg, 1156);
                      const std::vector<SWindowOverlay> aOverlays = GetWindowOverlays(m_hGame);
                      ASSERT_FALSE(aOverlays.empty());
                      ptAt = aOverlays.back().ptAt;
                      ReadWindowPixels(m_hGame, aPixels, &nWidth, &nHeight);
                      Driver::Key(dlg, VK_ESCAPE);
                  }});
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    ASSERT_GT(nWidth, 0);
    // Inside the list's frame: the brush everywhere but on the names, the first (selected) in the
    // highlight colour, the others in the text colour; nothing of the toolkit's own field.
    const CSkinList colours;
    const DWORD dwBrush = Rgb(GetSysColor(COLOR_BTNFACE));
    int nBrush = 0, nInside = 0, nHighlight = 0, nText = 0, nField = 0;
    const auto near = [](DWORD a, DWORD b)
    {
        for (int nShift : {0, 8, 16})
            if (std::abs(static_cast<int>((a >> nShift) & 0xFF) - static_cast<int>((b >> nShift) & 0xFF)) > 24)
                return false;
        return true;
    };
    for (LONG y = rcList.top + 1; y < rcList.bottom - 1; ++y)
        for (LONG x = rcList.left + 1; x < rcList.right - 1; ++x)
        {
            const POINT pt{x + ptAt.x, y + ptAt.y};
            ASSERT_TRUE(pt.x >= 0 && pt.y >= 0 && pt.x < nWidth && pt.y < nHeight);
            const DWORD dw = aPixels[static_cast<std::size_t>(pt.y) * static_cast<std::size_t>(nWidth) +
                                     static_cast<std::size_t>(pt.x)];
            ++nInside;
            nBrush += dw == dwBrush ? 1 : 0;
            nHighlight += near(dw, Rgb(colours.m_crHighlightText)) ? 1 : 0;
            nText += near(dw, Rgb(colours.m_crText)) ? 1 : 0;
            nField += dw == 0x00FAF8F0 ? 1 : 0;
        }
    EXPECT_GT(nBrush, nInside * 9 / 10);
    EXPECT_GT(nHighlight, 5) << "the selected name";
    EXPECT_GT(nText, 8) << "the other names";
    EXPECT_EQ(0, nField);
}
} // namespace
