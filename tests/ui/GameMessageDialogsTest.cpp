// The message dialogs and the error box as the game shows them: templates, pictures and buttons
// from the program library, over the game's window.
#include "GameDialogFixture.h"

#include "foundation/ErrorBox.h"
#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/mfc/StringResources.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/DebugLog.h"
#include "render/Environment3D.h"
#include "ui/MessageDlg.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

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

TEST_F(GameMessageDialogsTest, TheDialogIsDrawnOverTheGamesFrameWindowedAndFullScreen)
{
    RECT rcWindowed{};
    ::GetWindowRect(m_hGame, &rcWindowed);
    for (const bool bFullScreen : {false, true})
    {
        SCOPED_TRACE(bFullScreen ? "full screen" : "windowed");
        // Full screen, as the game sets it: the window over the whole desktop, the frame scaled onto it.
        const RECT rcDesktop = GetDesktopWindowRect();
        const RECT rcWindow = bFullScreen ? rcDesktop : rcWindowed;
        ::SetWindowPos(m_hGame, nullptr, rcWindow.left, rcWindow.top, rcWindow.right - rcWindow.left,
                       rcWindow.bottom - rcWindow.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowFullScreen(m_hGame, bFullScreen);
        ShowSolidFrame(m_hGame, BEHIND);
        const POINT ptMiddle{(rcWindow.right - rcWindow.left) / 2, (rcWindow.bottom - rcWindow.top) / 2};
        CMsgSureDlg dlg(&m_game, 328);
        DWORD dwCorner = 0;
        DWORD dwMiddle = 0;
        Driver::Play({[&]
                      {
                          dwCorner = ShownPixel(POINT{2, 2});
                          dwMiddle = ShownPixel(ptMiddle);
                          if (bFullScreen)
                              Shot("MsgSureFullScreen");
                          Driver::ClickControl(dlg, IDOK);
                      }});
        EXPECT_EQ(IDOK, dlg.DoModal());
        EXPECT_EQ(BEHIND, dwCorner);
        EXPECT_NE(BEHIND, dwMiddle) << "the picture is in the middle of the window";
    }
    SetWindowFullScreen(m_hGame, false);
    ::SetWindowPos(m_hGame, nullptr, rcWindowed.left, rcWindowed.top, rcWindowed.right - rcWindowed.left,
                   rcWindowed.bottom - rcWindowed.top, SWP_NOZORDER | SWP_NOACTIVATE);
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

/// The pixels of a rectangle of the dialog's surface, as last drawn.
std::vector<DWORD> SurfacePixels(const CDialog& dlg, const RECT& rc)
{
    int nWidth = 0;
    int nHeight = 0;
    const std::vector<DWORD>& aPixels = dlg.GetSurfacePixels(&nWidth, &nHeight);
    std::vector<DWORD> aOut;
    for (LONG y = std::max<LONG>(rc.top, 0); y < std::min<LONG>(rc.bottom, nHeight); ++y)
        for (LONG x = std::max<LONG>(rc.left, 0); x < std::min<LONG>(rc.right, nWidth); ++x)
            aOut.push_back(
                aPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(nWidth) + static_cast<std::size_t>(x)]);
    return aOut;
}

TEST_F(GameMessageDialogsTest, ALabelsNewLookShowsAtOnceWithoutWaitingForAMessage)
{
    struct SCase
    {
        const char* szName;
        std::function<void(CLinkCtrl&)> fnSet;
    };
    const SCase aCases[] = {
        {"colour", [](CLinkCtrl& label) { label.SetTextColor(RGB(255, 0, 0)); }},
        {"size", [](CLinkCtrl& label) { label.SetFontSize(22); }},
        {"weight", [](CLinkCtrl& label) { label.SetBold(false); }},
        {"underline", [](CLinkCtrl& label) { label.SetUnderline(1); }},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CErrorDlg dlg("The sound card could not be opened.", &m_game);
        std::vector<DWORD> aBefore;
        std::vector<DWORD> aAfter;
        Driver::Play({[&]
                      {
                          // Read within the one step: the dialog's own redraw after the step's
                          // message has not come yet.
                          const RECT rcLabel = Driver::ControlRect(dlg, IDC_MESSAGE_LABEL);
                          aBefore = SurfacePixels(dlg, rcLabel);
                          c.fnSet(dlg.m_label);
                          aAfter = SurfacePixels(dlg, rcLabel);
                          Driver::Key(dlg, VK_RETURN);
                      }});
        EXPECT_EQ(IDOK, dlg.DoModal());
        ASSERT_FALSE(aBefore.empty());
        EXPECT_NE(aBefore, aAfter) << "the label is drawn again by the setter itself";
    }
}

TEST_F(GameMessageDialogsTest, TheErrorBoxShortensALongPathInItsMiddleAndOtherTextAtItsEnd)
{
    InstallErrorBoxDialog();
    const std::string strFolders = "C:\\Games\\Vorn Deluxe\\Artwork\\Tables\\Oak hall with the long name\\"
                                   "Brass lamps and green felt\\Another folder of tables\\And one more below it\\";
    const std::string strPath = strFolders + strFolders + "tables.dat";
    const std::string strWords =
        "The table scene could not be set up because one of the pictures it names is missing from the artwork "
        "folder, or it cannot be read, or the folder itself was moved away while the game was running, so the "
        "game goes on without it and shows the room alone until the next start";
    struct SCase
    {
        const char* szName;
        const std::string& strText;
        const char* szEnd; // what the shortened text ends with
    };
    const SCase aCases[] = {
        {"a path keeps its file's name", strPath, "...\\tables.dat"},
        {"words end in the ellipsis", strWords, "..."},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::string strShown;
        Driver::Play({[&]
                      {
                          auto* pError = dynamic_cast<CErrorDlg*>(CMessageDlg::GetOpen());
                          ASSERT_NE(nullptr, pError);
                          strShown = pError->m_label.GetText().GetString();
                          Driver::Key(*pError, VK_RETURN);
                      }});
        ShowErrorBoxText(c.strText.c_str());
        const std::string strEnd = c.szEnd;
        ASSERT_GT(strShown.size(), strEnd.size());
        EXPECT_LT(strShown.size(), c.strText.size()) << strShown;
        EXPECT_EQ(strEnd, strShown.substr(strShown.size() - strEnd.size())) << strShown;
        const std::string strBeginning = strShown.substr(0, strShown.size() - strEnd.size());
        EXPECT_EQ(0U, c.strText.find(strBeginning)) << "the beginning is kept: " << strShown;
        EXPECT_GE(strBeginning.size(), 10U) << strShown;
    }
    SetErrorBoxHandler(nullptr);
}

/// The display plays the mouse from a script: onto the dialog's OK button and off it again, at the
/// points the test writes to the log once the dialog is up, then Escape.
class GameHoverButtonTest : public CGameDialogFixture
{
protected:
    void SetUp() override
    {
        StopDisplay();
        m_folder.Write("script.txt", "seen Hover: beside at\nafter 0 mouse move @Hover: OK at\n"
                                     "after 0 mouse move @Hover: beside at\nafter 0 key press Escape\n");
        m_pScript = std::make_unique<CEnvScope>("VORN_INPUT_SCRIPT", m_folder.File("script.txt").c_str());
        CGameDialogFixture::SetUp();
    }
    void TearDown() override
    {
        CGameDialogFixture::TearDown();
        m_pScript.reset();
    }
    /// Writes the point of the dialog's client area, in the game window's, under the name.
    void Name(const CDialog& dlg, const char* szName, POINT pt) const
    {
        ::ClientToScreen(dlg.m_hWnd, &pt);
        ::ScreenToClient(m_hGame, &pt);
        OutputDebugString(
            ("Hover: " + std::string(szName) + " at " + std::to_string(pt.x) + " " + std::to_string(pt.y) + "\n")
                .c_str());
    }

    CTempFolder m_folder;
    std::unique_ptr<CEnvScope> m_pScript;
};

TEST_F(GameHoverButtonTest, TheMouseOverAButtonShowsTheHandAndOffItTheArrow)
{
    CMsgSureDlg dlg(&m_game, 328);
    Driver::Play({[&]
                  {
                      const RECT rcOk = Driver::ControlRect(dlg, IDOK);
                      Name(dlg, "OK", POINT{(rcOk.left + rcOk.right) / 2, (rcOk.top + rcOk.bottom) / 2});
                      Name(dlg, "beside", POINT{4, 4});
                  }});
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    // The display shows each change in turn, however late the dialog takes the moves.
    const HCURSOR hHand = LoadCursor(nullptr, IDC_HAND);
    const HCURSOR hArrow = LoadCursor(nullptr, IDC_ARROW);
    const std::vector<SShownCursor> aShown = GetShownCursors();
    const auto itHand = std::find(aShown.begin(), aShown.end(), SShownCursor{hHand, true});
    ASSERT_NE(aShown.end(), itHand) << "the hand over the button";
    EXPECT_NE(std::find(itHand, aShown.end(), SShownCursor{hArrow, true}), aShown.end()) << "the arrow beside it";
}
} // namespace
