#include "platform/mfc/Dialog.h"

#include "tests/fixtures/SolidFrame.h"

#include "platform/EnvScope.h"
#include "platform/GdiFixture.h"
#include "platform/TempFolder.h"
#include "platform/dx/DirectDraw.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"
#include "platform/win32/WindowOverlay.h"
#include "platform/window/Window.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr UINT WM_APP = 0x8000;
constexpr UINT IDD_TEST = 130;
constexpr UINT IDD_MISSING = 131;
constexpr int IDC_NUMBER = 1000;
constexpr int IDC_CHECK = 1001;
constexpr int IDC_LIST = 1002;
constexpr int IDC_APPLY = 1003;
constexpr int IDC_NAME = 1004;

const char* const TEST_TEMPLATE = R"(; the test dialog
dialog 0 0 200 120
caption "Options"
font 8 "MS Sans Serif"
control static 65535 8 8 100 10 "Number of frames:"
control edit 1000 110 6 80 12 tabstop
control check 1001 8 24 120 10 "Show the lamps" tabstop
control listbox 1002 8 40 120 50 tabstop
control edit 1004 130 40 60 12 tabstop
control push 1003 130 60 60 14 "Apply" tabstop
control default 1 40 98 50 14 "OK" tabstop
control push 2 110 98 50 14 "Cancel" tabstop
)";

// Where a control of the test template lies in the dialog's client area, in pixels.
RECT ItemRect(int nID)
{
    SDialogTemplate dialogTemplate;
    std::string strError;
    ParseDialogTemplate(TEST_TEMPLATE, dialogTemplate, strError);
    for (const SDialogControlTemplate& control : dialogTemplate.aControls)
        if (control.nId == nID)
            return DialogUnitsToPixels(control.rcUnits, DialogBaseUnits(8, "MS Sans Serif"));
    return RECT{};
}

std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

TEST(DialogTemplateTest, ParsesWhatTheTemplateSays)
{
    SDialogTemplate dialogTemplate;
    std::string strError;
    ASSERT_TRUE(ParseDialogTemplate(TEST_TEMPLATE, dialogTemplate, strError)) << strError;
    EXPECT_EQ((RECT{0, 0, 200, 120}), dialogTemplate.rcUnits);
    EXPECT_EQ("Options", dialogTemplate.strCaption);
    EXPECT_EQ(8, dialogTemplate.nPointSize);
    ASSERT_EQ(8u, dialogTemplate.aControls.size());
    const SDialogControlTemplate& check = dialogTemplate.aControls[2];
    EXPECT_EQ(EDialogControl::CheckBox, check.eKind);
    EXPECT_EQ(IDC_CHECK, check.nId);
    EXPECT_EQ((RECT{8, 24, 128, 34}), check.rcUnits);
    EXPECT_EQ("Show the lamps", check.strText);
    EXPECT_TRUE(check.bTabStop);
    EXPECT_EQ(EDialogControl::DefaultButton, dialogTemplate.aControls[6].eKind);
}

TEST(DialogTemplateTest, RefusesBrokenTemplates)
{
    struct SCase
    {
        const char* szText;
        const char* szError;
    };
    const SCase aCases[] = {
        {"dialog 0 0 10 10\n", "the template has no font"},
        {"font 8 \"Arial\"\n", "line 1: the dialog line comes first"},
        {"", "the template has no dialog line"},
        {"dialog 0 0 10\nfont 8 \"Arial\"\n", "line 1: write the dialog once"},
        {"dialog 0 0 10 10\nfont 0 \"Arial\"\n", "line 2: write the font as"},
        {"dialog 0 0 10 10\nfont 8 \"Arial\ncontrol static 1 0 0 1 1\n", "line 2: a text in quotes is not closed"},
        {"dialog 0 0 10 10\nfont 8 \"Arial\"\ncontrol knob 1 0 0 1 1\n", "line 3: write a control as"},
        {"dialog 0 0 10 10\nfont 8 \"Arial\"\ncontrol push 70000 0 0 1 1\n", "line 3: write a control as"},
        {"dialog 0 0 10 10\nfont 8 \"Arial\"\ncontrol push 1 0 0 1 1 \"Go\" sticky\n", "line 3: unknown control flag"},
        {"dialog 0 0 10 10\nmenu 5\n", "line 2: unknown statement"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szText);
        SDialogTemplate dialogTemplate;
        std::string strError;
        EXPECT_FALSE(ParseDialogTemplate(c.szText, dialogTemplate, strError));
        EXPECT_EQ(0u, strError.find(c.szError)) << strError;
    }
}

TEST(DialogTemplateTest, DialogUnitsFollowTheFontsAverageCharacter)
{
    const SIZE base8 = DialogBaseUnits(8, "MS Sans Serif");
    const SIZE base12 = DialogBaseUnits(12, "MS Sans Serif");
    // Liberation Sans at 8 points (11 pixels high) averages about 6 pixels a letter.
    EXPECT_GE(base8.cx, 5);
    EXPECT_LE(base8.cx, 7);
    EXPECT_GE(base8.cy, 11);
    EXPECT_LE(base8.cy, 15);
    EXPECT_GT(base12.cx, base8.cx);
    EXPECT_GT(base12.cy, base8.cy);
    EXPECT_EQ((RECT{0, 0, 100, 50}), DialogUnitsToPixels(RECT{0, 0, 40, 40}, SIZE{10, 10}));
    EXPECT_EQ((RECT{3, 5, 6, 10}), DialogUnitsToPixels(RECT{2, 2, 4, 4}, SIZE{6, 20}));
}

// A dialog whose OnInitDialog queues what the user does; the exchange reads the number and check box.
class CTestDialog : public CDialog
{
public:
    explicit CTestDialog(UINT nID, CWnd* pParent = nullptr) : CDialog(nID, pParent) {}

    std::function<void(CTestDialog&)> m_fnUser;
    std::function<void()> m_fnOnOk;
    std::function<void()> m_fnShown; // run by WM_APP, once the dialog is on its surface
    int m_nNumber = 7;
    int m_nCheck = BST_CHECKED;
    float m_fValue = 1.5f;
    std::vector<int> m_aCommands;
    std::vector<UINT> m_aListNotes; // the list's notification codes
    int m_nDrawnRows = 0;

    void Key(int nKey) const { ::PostMessage(m_hWnd, WM_KEYDOWN, static_cast<WPARAM>(nKey), 0); }
    void Type(const std::string& str) const
    {
        for (char c : str)
            ::PostMessage(m_hWnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 0);
    }
    void Click(UINT nMsg, int x, int y) const { ::PostMessage(m_hWnd, nMsg, MK_LBUTTON, MAKELPARAM(x, y)); }
    void ClickItem(int nID) const
    {
        const RECT rc = ItemRect(nID);
        Click(WM_LBUTTONDOWN, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        Click(WM_LBUTTONUP, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ::SendMessage(GetDlgItem(IDC_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("First game"));
        ::SendMessage(GetDlgItem(IDC_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Second game"));
        if (m_fnUser)
            m_fnUser(*this);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_NUMBER, m_nNumber);
        DDX_Check(pDX, IDC_CHECK, m_nCheck);
        DDX_Text(pDX, IDC_NAME, m_fValue);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        m_aCommands.push_back(LOWORD(static_cast<DWORD>(wParam)));
        if (LOWORD(static_cast<DWORD>(wParam)) == IDC_LIST)
            m_aListNotes.push_back(HIWORD(static_cast<DWORD>(wParam)));
        if (LOWORD(static_cast<DWORD>(wParam)) == IDOK && m_fnOnOk)
            m_fnOnOk();
        return CDialog::OnCommand(wParam, lParam);
    }
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_APP && m_fnShown)
            m_fnShown();
        if (uMsg == WM_DRAWITEM && reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_LISTBOX)
        {
            ++m_nDrawnRows;
            return FALSE; // the dialog's own row look
        }
        return CDialog::WindowProc(uMsg, wParam, lParam);
    }
};

class DialogTest : public CGdiFixture
{
protected:
    void SetUp() override
    {
        CGdiFixture::SetUp();
        CResourceLibraryWriter writer;
        std::string strError;
        ASSERT_TRUE(
            writer.Add(SResourceKey::Id(RT_DIALOG_ID), SResourceKey::Id(IDD_TEST), 0, Bytes(TEST_TEMPLATE), strError));
        ASSERT_TRUE(writer.WriteFile(m_folder.File("VornRes.dll"), strError)) << strError;
        m_hModule = LoadLibrary(m_folder.File("VornRes.dll").c_str());
        ASSERT_NE(nullptr, m_hModule);
        AfxSetResourceHandle(m_hModule);
        WNDCLASS wc;
        wc.lpfnWndProc = &DefWindowProc;
        wc.lpszClassName = "DialogTestOwner";
        RegisterClass(&wc);
        m_hOwner =
            CreateWindowEx(0, "DialogTestOwner", "Owner", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        m_owner.m_hWnd = m_hOwner;
    }
    void TearDown() override
    {
        m_owner.m_hWnd = nullptr;
        DestroyWindow(m_hOwner);
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hModule);
        CGdiFixture::TearDown();
    }

    INT_PTR Run(CTestDialog& dlg, std::function<void(CTestDialog&)> fnUser)
    {
        dlg.m_fnUser = std::move(fnUser);
        return dlg.DoModal();
    }

    CTempFolder m_folder;
    HMODULE m_hModule = nullptr;
    HWND m_hOwner = nullptr;
    CWnd m_owner;
};

TEST_F(DialogTest, AMissingTemplateShowsNothing)
{
    CTestDialog dlg(IDD_MISSING, &m_owner);
    bool bInit = false;
    EXPECT_EQ(-1, Run(dlg, [&](CTestDialog&) { bInit = true; }));
    EXPECT_FALSE(bInit);
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
}

TEST_F(DialogTest, TypedNumberAndSpaceOnTheCheckBoxComeBackThroughEnter)
{
    CTestDialog dlg(IDD_TEST, &m_owner);
    bool bOwnerDisabled = false;
    const INT_PTR nResult = Run(dlg,
                                [&](CTestDialog& d)
                                {
                                    bOwnerDisabled = !IsWindowEnabled(m_hOwner);
                                    EXPECT_EQ("7", std::string(d.GetDlgItemText(IDC_NUMBER).GetString()));
                                    // The focus starts on the number; clear it and type 12.
                                    d.Key(VK_BACK);
                                    d.Type("12");
                                    d.Key(VK_TAB);
                                    d.Key(VK_SPACE); // unchecks the check box
                                    d.Key(VK_RETURN);
                                });
    EXPECT_TRUE(bOwnerDisabled);
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(12, dlg.m_nNumber);
    EXPECT_EQ(BST_UNCHECKED, dlg.m_nCheck);
    EXPECT_FALSE(IsWindow(dlg.m_hWnd));
}

TEST_F(DialogTest, ARefusedValueKeepsTheDialogOpen)
{
    struct SCase
    {
        const char* szNumber;
        const char* szValue;
        bool bTaken;
    };
    const SCase aCases[] = {
        {"12x", "1", false}, {"", "1", false},    {"99999999999", "1", false},
        {"-4", "1", true},   {"3", "abc", false}, {"3", "1e39", false},
        {"3", "nan", false}, {"3", "inf", false}, {"3", "-2.25", true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(std::string(c.szNumber) + " / " + c.szValue);
        CTestDialog dlg(IDD_TEST, &m_owner);
        const INT_PTR nResult = Run(dlg,
                                    [&](CTestDialog& d)
                                    {
                                        d.SetDlgItemText(IDC_NUMBER, c.szNumber);
                                        d.SetDlgItemText(IDC_NAME, c.szValue);
                                        d.Key(VK_RETURN);
                                        ::PostMessage(d.m_hWnd, WM_USER, 0, 0); // seen only if the dialog stayed
                                        d.Key(VK_ESCAPE);
                                    });
        EXPECT_EQ(c.bTaken ? IDOK : IDCANCEL, nResult);
        if (c.bTaken)
        {
            EXPECT_EQ(std::atoi(c.szNumber), dlg.m_nNumber);
            EXPECT_FLOAT_EQ(static_cast<float>(std::atof(c.szValue)), dlg.m_fValue);
        }
        else
            EXPECT_FLOAT_EQ(1.5f, dlg.m_fValue);
    }
}

TEST_F(DialogTest, KeysAndClicksReachTheRightControl)
{
    CTestDialog dlg(IDD_TEST, &m_owner);
    const INT_PTR nResult =
        Run(dlg,
            [&](CTestDialog& d)
            {
                d.ClickItem(IDC_APPLY); // pressed and released on the button: one click
                const RECT rc = ItemRect(IDC_APPLY);
                d.Click(WM_LBUTTONDOWN, rc.left + 2, rc.top + 2);
                d.Click(WM_LBUTTONUP, rc.right + 20, rc.bottom + 20); // released elsewhere: none
                const RECT rcList = ItemRect(IDC_LIST);
                d.Click(WM_LBUTTONDOWN, rcList.left + 4, rcList.bottom - 2); // below the rows: no selection
                d.Click(WM_LBUTTONDOWN, rcList.left + 4, rcList.top + 2);
                d.Key(VK_ESCAPE);
            });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ((std::vector<int>{IDC_APPLY, IDC_LIST, IDCANCEL}), dlg.m_aCommands);
    EXPECT_EQ(7, dlg.m_nNumber); // cancelled: nothing read back
}

TEST_F(DialogTest, EnterPressesTheFocusedButtonElseTheDefault)
{
    struct SCase
    {
        int nTabs;
        int nCommand;
    };
    // Tab order: number, check, list, name, Apply, OK, Cancel.
    const SCase aCases[] = {{0, IDOK}, {4, IDC_APPLY}, {6, IDCANCEL}, {7, IDOK}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nTabs);
        CTestDialog dlg(IDD_TEST, &m_owner);
        Run(dlg,
            [&](CTestDialog& d)
            {
                for (int i = 0; i < c.nTabs; ++i)
                    d.Key(VK_TAB);
                d.Key(VK_RETURN);
                d.Key(VK_ESCAPE);
            });
        ASSERT_FALSE(dlg.m_aCommands.empty());
        EXPECT_EQ(c.nCommand, dlg.m_aCommands.front());
    }
}

TEST_F(DialogTest, AQuitRequestEndsTheDialogAndReachesTheOuterLoop)
{
    CTestDialog dlg(IDD_TEST, &m_owner);
    EXPECT_EQ(IDCANCEL, Run(dlg, [](CTestDialog&) { PostQuitMessage(3); }));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_QUIT, msg.message);
    EXPECT_EQ(3u, msg.wParam);
}

TEST_F(DialogTest, TheDialogDrawsItselfOnItsOwnSurface)
{
    CTestDialog dlg(IDD_TEST, &m_owner);
    Run(dlg,
        [](CTestDialog& d)
        {
            ::SendMessage(d.GetDlgItem(IDC_LIST), LB_SETCURSEL, 1, 0);
            d.Key(VK_TAB);
            d.Key(VK_RETURN);
        });
    int nWidth = 0;
    int nHeight = 0;
    const std::vector<DWORD>& aPixels = dlg.GetSurfacePixels(&nWidth, &nHeight);
    const SIZE base = DialogBaseUnits(8, "MS Sans Serif");
    EXPECT_EQ(200 * base.cx / 4, nWidth);
    EXPECT_EQ(120 * base.cy / 8, nHeight);
    ASSERT_EQ(static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nHeight), aPixels.size());
    EXPECT_GT(dlg.m_nDrawnRows, 0);
    MakeTarget(static_cast<DWORD>(nWidth), static_cast<DWORD>(nHeight));
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
        {
            const DWORD dw = aPixels[static_cast<std::size_t>(y * nWidth + x)];
            SetPixel(m_hDC, x, y, RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF));
        }
    // The edit fields are light, the background dark, and the Apply button carries text.
    const RECT rcApply = ItemRect(IDC_APPLY);
    EXPECT_FALSE(Ink(Pixel(rcApply.left + 3, rcApply.top + 3), &rcApply).Empty());
    SaveFrame();
}

// The display shows the dialog over its owner's last frame and the input script's keys, clicks and
// wheel on the owner reach the dialog, in the dialog's own coordinates.
TEST_F(DialogTest, TheScriptDrivesADialogShownOverItsOwner)
{
    StopDisplay();
    std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
    const SIZE base = DialogBaseUnits(8, "MS Sans Serif");
    const POINT ptDialog{(800 - 200 * base.cx / 4) / 2, (600 - 120 * base.cy / 8) / 2};
    const RECT rcCheck = ItemRect(IDC_CHECK);
    const std::string strClick = std::to_string(ptDialog.x + rcCheck.left + 4) + " " +
                                 std::to_string(ptDialog.y + (rcCheck.top + rcCheck.bottom) / 2) + "\n";
    m_folder.Write("script.txt", "dialog 1 key press Backspace\n"
                                 "dialog 1 text 42\n"
                                 "dialog 1 mouse down left " +
                                     strClick + "dialog 1 mouse up left " + strClick +
                                     "dialog 1 wheel -2\ndialog 1 png " +
                                     (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / "DialogOverOwner.png").string() +
                                     "\ndialog 1 key press Return\n");
    const CEnvScope script("VORN_INPUT_SCRIPT", m_folder.File("script.txt").c_str());
    ASSERT_TRUE(StartDisplay());
    const HWND hGame = CreateGameWindow(SWindowDesc{});
    ASSERT_NE(nullptr, hGame);
    CWnd game;
    game.m_hWnd = hGame;
    CTestDialog dlg(IDD_TEST, &game);
    std::vector<DWORD> aShown;
    int nWidth = 0;
    int nHeight = 0;
    dlg.m_fnUser = [](CTestDialog& d)
    {
        for (int i = 0; i < 16; ++i)
            ::SendMessage(d.GetDlgItem(IDC_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Saved game"));
        ::PostMessage(d.m_hWnd, WM_APP, 0, 0);
    };
    dlg.m_fnShown = [&]
    {
        // The owner's frame comes once the dialog is shown: the dialog counts as shown with it.
        ShowSolidFrame(hGame, 0x00C02020);
    };
    LRESULT nTop = -1;
    dlg.m_fnOnOk = [&]
    {
        ReadWindowPixels(hGame, aShown, &nWidth, &nHeight);
        nTop = ::SendMessage(dlg.GetDlgItem(IDC_LIST), LB_GETTOPINDEX, 0, 0);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(6, nTop) << "two notches of the wheel, three rows each";
    EXPECT_EQ(42, dlg.m_nNumber);
    EXPECT_EQ(BST_UNCHECKED, dlg.m_nCheck);
    ASSERT_EQ(800, nWidth);
    ASSERT_EQ(600, nHeight);
    EXPECT_EQ(0x00C02020u, aShown[10]); // the owner's frame around the dialog
    const RECT rcApply = ItemRect(IDC_APPLY);
    EXPECT_NE(0x00C02020u,
              aShown[static_cast<std::size_t>((ptDialog.y + rcApply.top + 1) * 800 + ptDialog.x + rcApply.left + 1)]);
    EXPECT_TRUE(GetWindowOverlays(hGame).empty());
    game.m_hWnd = nullptr;
    DestroyGameWindow(hGame);
    StopDisplay();
}
} // namespace

namespace
{
// A list longer than its box: LB_SETTOPINDEX, a selection set by the program, the wheel and the
// arrow keys scroll it, never past its first row or its last full page; a click picks the row shown
// under the mouse.
TEST_F(DialogTest, ListsScrollWithTheWheelTheKeysAndTheSelection)
{
    CTestDialog dlg(IDD_TEST, &m_owner);
    const RECT rcList = ItemRect(IDC_LIST);
    std::vector<std::pair<int, int>> aSeen; // top index and selection after each step
    const auto list = [&] { return dlg.GetDlgItem(IDC_LIST); };
    const auto note = [&]
    {
        aSeen.emplace_back(static_cast<int>(::SendMessage(list(), LB_GETTOPINDEX, 0, 0)),
                           static_cast<int>(::SendMessage(list(), LB_GETCURSEL, 0, 0)));
    };
    dlg.m_fnShown = note;
    const auto wheel = [&](int nNotches)
    {
        ::PostMessage(dlg.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(nNotches * 120))),
                      0);
        ::PostMessage(dlg.m_hWnd, WM_APP, 0, 0);
    };
    Run(dlg,
        [&](CTestDialog& d)
        {
            ::SendMessage(list(), LB_RESETCONTENT, 0, 0);
            for (int i = 0; i < 18; ++i)
                ::SendMessage(list(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Saved game"));
            ::SetFocus(list());
            ::SendMessage(list(), LB_SETTOPINDEX, 100, 0); // out of range: refused
            note();
            ::SendMessage(list(), LB_SETTOPINDEX, 17, 0); // beyond the last page: the last page
            note();
            ::SendMessage(list(), LB_SETCURSEL, 2, 0); // a selection above the top comes into view
            note();
            wheel(-1);                                                // three rows down
            d.Click(WM_LBUTTONDOWN, rcList.left + 4, rcList.top + 2); // the first row shown
            ::PostMessage(d.m_hWnd, WM_APP, 0, 0);
            d.Key(VK_UP); // above the top: scrolls
            ::PostMessage(d.m_hWnd, WM_APP, 0, 0);
            wheel(2); // back to the first row
            d.Click(WM_LBUTTONDOWN, rcList.left + 4, rcList.top + 2);
            ::PostMessage(d.m_hWnd, WM_APP, 0, 0);
            d.Key(VK_ESCAPE);
        });
    ASSERT_EQ(8u, aSeen.size());
    const int nLastTop = aSeen[1].first;
    EXPECT_GT(nLastTop, 10) << "a few rows fit the box";
    EXPECT_LT(nLastTop, 18);
    const std::vector<std::pair<int, int>> aExpected = {{0, -1}, {nLastTop, -1}, {2, 2}, {5, 2},
                                                        {5, 5},  {4, 4},         {0, 4}, {0, 0}};
    EXPECT_EQ(aExpected, aSeen);
    EXPECT_EQ((std::vector<int>{IDC_LIST, IDC_LIST, IDC_LIST, IDCANCEL}), dlg.m_aCommands);
}

TEST_F(DialogTest, ASecondPressOnTheSameRowSoonAfterIsADoubleClick)
{
    // The presses are timed when they happen, not when the dialog gets to them: all of them are
    // taken only after the last, yet the waits between them decide.
    CTestClockScope clock(1000);
    CTestDialog dlg(IDD_TEST, &m_owner);
    const RECT rcList = ItemRect(IDC_LIST);
    const int x = rcList.left + 4;
    Run(dlg,
        [&](CTestDialog& d)
        {
            const struct
            {
                DWORD dwWait;
                int y;
            } aPresses[] = {
                {0, rcList.top + 2},                   // selects the first row
                {DOUBLE_CLICK_MS, rcList.top + 2},     // a double click, at the longest wait
                {0, rcList.top + 2},                   // a third press starts anew
                {DOUBLE_CLICK_MS + 1, rcList.top + 2}, // too late for a double click
                {0, rcList.bottom - 2},                // below the rows: no row, no double click
                {0, rcList.bottom - 2},
            };
            for (const auto& press : aPresses)
            {
                clock.Advance(press.dwWait);
                d.Click(WM_LBUTTONDOWN, x, press.y);
                d.Click(WM_LBUTTONUP, x, press.y);
            }
            clock.Advance(10 * DOUBLE_CLICK_MS); // the dialog is slow to read them
            d.Key(VK_ESCAPE);
        });
    EXPECT_EQ((std::vector<UINT>{LBN_SELCHANGE, LBN_DBLCLK}), dlg.m_aListNotes);
}
} // namespace
