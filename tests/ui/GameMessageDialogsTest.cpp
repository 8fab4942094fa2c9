// The message dialogs and the error box as the game shows them: templates, pictures and buttons
// from the program library, over the game's window.
#include "GameDialogFixture.h"

#include "foundation/ErrorBox.h"
#include "platform/mfc/StringResources.h"
#include "render/Environment3D.h"
#include "ui/MessageDlg.h"

#include <functional>
#include <memory>

namespace
{
using Driver = CDialogDriver;

struct SShown
{
    RECT rcWindow{};
    std::vector<RECT> aButtons; // of the visible buttons asked for
};

class GameMessageDialogsTest : public CGameDialogFixture
{
protected:
    /// Runs the dialog; while it is up, notes its rectangle and its visible buttons, writes the frame
    /// and presses Escape.
    INT_PTR ShowAndEscape(CMessageDlg& dlg, const std::string& strShot, const std::vector<int>& aButtons, SShown& shown)
    {
        Driver::Play({[&]
                      {
                          dlg.GetWindowRect(&shown.rcWindow);
                          for (int nID : aButtons)
                              shown.aButtons.push_back(Driver::ControlRect(dlg, nID));
                          Shot(strShot);
                          Driver::Key(dlg, VK_ESCAPE);
                      }});
        return dlg.DoModal();
    }
};

TEST_F(GameMessageDialogsTest, EachDialogTakesItsPictureAndButtonsAndClosesWithEscape)
{
    struct SCase
    {
        const char* szName;
        std::function<std::unique_ptr<CMessageDlg>(CWnd*)> fnMake;
        SIZE picture;
        std::vector<int> aButtons;
        SIZE button;
    };
    const SCase aCases[] = {
        {"MsgSure",
         [](CWnd* p) { return std::make_unique<CMsgSureDlg>(p, 328); },
         {340, 200},
         {IDOK, IDCANCEL},
         {74, 30}},
        {"MsgNewGame",
         [](CWnd* p) { return std::make_unique<CMsgNewGameDlg>(p, 925); },
         {340, 200},
         {IDOK, IDCANCEL},
         {74, 30}},
        {"MsgLost", [](CWnd* p) { return std::make_unique<CMsgLostDlg>(p); }, {340, 200}, {IDOK}, {74, 30}},
        {"MsgText",
         [](CWnd* p) { return std::make_unique<CMsgTextDlg>("Bob has won the match!", p, 331); },
         {340, 200},
         {IDOK},
         {74, 30}},
        {"MsgClose", [](CWnd* p) { return std::make_unique<CMsgCloseDlg>(p); }, {340, 200}, {IDOK, IDCANCEL}, {74, 30}},
        {"MsgRulesCard",
         [](CWnd* p) { return std::make_unique<CMsgDlg299>(p, 920); },
         {586, 500},
         {IDCANCEL},
         {74, 30}},
        {"MsgHelp", [](CWnd* p) { return std::make_unique<CMsgDlg567>(p); }, {420, 260}, {IDOK, IDCANCEL}, {74, 30}},
        {"MsgExit",
         [](CWnd* p) { return std::make_unique<CMsgExitDlg>(p); },
         {420, 200},
         {IDOK, 4, IDCANCEL},
         {90, 30}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const std::unique_ptr<CMessageDlg> pDlg = c.fnMake(&m_game);
        SShown shown;
        EXPECT_EQ(IDCANCEL, ShowAndEscape(*pDlg, c.szName, c.aButtons, shown));
        EXPECT_EQ(c.picture.cx, shown.rcWindow.right - shown.rcWindow.left);
        EXPECT_EQ(c.picture.cy, shown.rcWindow.bottom - shown.rcWindow.top);
        for (const RECT& rc : shown.aButtons)
        {
            EXPECT_EQ(c.button.cx, rc.right - rc.left) << "sized to its picture";
            EXPECT_EQ(c.button.cy, rc.bottom - rc.top);
            EXPECT_LE(rc.right, c.picture.cx) << "inside the picture";
            EXPECT_LE(rc.bottom, c.picture.cy);
        }
    }
}

TEST_F(GameMessageDialogsTest, TheDialogIsDrawnOverTheGamesFrame)
{
    CMsgSureDlg dlg(&m_game, 328);
    DWORD dwCorner = 0;
    DWORD dwMiddle = 0;
    Driver::Play({[&]
                  {
                      dwCorner = ShownPixel(POINT{2, 2});
                      dwMiddle = ShownPixel(POINT{400, 300});
                      Driver::ClickControl(dlg, IDOK);
                  }});
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(BEHIND, dwCorner);
    EXPECT_NE(BEHIND, dwMiddle) << "the picture is in the middle of the window";
}

TEST_F(GameMessageDialogsTest, TheErrorBoxShowsATextOrAStringOfTheLibrary)
{
    InstallErrorBoxDialog();
    SetStringResourceSource(
        [](UINT nId, CString& strText)
        {
            char sz[512];
            if (LoadString(AfxGetResourceHandle(), nId, sz, static_cast<int>(sizeof sz)) <= 0)
                return false;
            strText = CString(sz);
            return true;
        });
    struct SCase
    {
        const char* szName;
        std::function<void()> fnShow;
        const char* szShown;
    };
    const SCase aCases[] = {
        {"ErrorBoxText", [] { ShowErrorBoxText("The sound card could not be opened."); },
         "The sound card could not be opened."},
        {"ErrorBoxString", [] { ShowErrorBox(21512); }, "The table scene could not be set up."},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CString strShown;
        bool bModal = false;
        Driver::Play(
            {[&]
             {
                 auto* pError = dynamic_cast<CErrorDlg*>(CMessageDlg::GetOpen());
                 ASSERT_NE(nullptr, pError);
                 strShown = pError->m_label.GetText();
                 bModal = g_bModalMode != FALSE;
                 EXPECT_TRUE(SaveWindowPng(
                     pError->m_hWnd,
                     (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / (std::string(c.szName) + ".png")).string()));
                 Driver::Key(*pError, VK_RETURN);
             }});
        c.fnShow();
        EXPECT_EQ(std::string(c.szShown), strShown.GetString());
        EXPECT_TRUE(bModal);
        EXPECT_EQ(nullptr, CMessageDlg::GetOpen());
    }
    SetErrorBoxHandler(nullptr);
    SetStringResourceSource(nullptr);
}
} // namespace
