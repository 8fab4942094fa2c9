// The saved-games dialog over the game window, on a saved-games folder of the test's own.
#include "GameDialogFixture.h"

#include "foundation/DialogResultMask.h"
#include "foundation/ErrorBox.h"
#include "foundation/Settings.h"
#include "platform/TempFolder.h"
#include "ui/SaveGameDialog.h"

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
} // namespace
