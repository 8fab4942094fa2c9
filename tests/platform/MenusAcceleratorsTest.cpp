// Menus and accelerator tables: their resources read back or are refused with a reason, and a
// frame loaded with a table turns its keys into WM_COMMAND before the key is dispatched.
#include "EnvScope.h"
#include "TempFolder.h"
#include "tests/fixtures/SolidFrame.h"

#include "platform/mfc/AfxResource.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Wnd.h"
#include "platform/win32/Accelerators.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MenuBar.h"
#include "platform/win32/Menus.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"
#include "platform/window/Window.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr UINT ID_RULES = 32073;
constexpr UINT ID_FULL_SCREEN = 32072;

const std::vector<ACCEL> s_aTable = {{FVIRTKEY, VK_F1, ID_RULES}, {FVIRTKEY | FALT, VK_RETURN, ID_FULL_SCREEN}};

std::vector<SMenuItem> SampleMenu()
{
    SMenuItem game{MF_POPUP, 0, "&Game", {{0, ID_RULES, "&Rules", {}}, {MF_SEPARATOR, 0, "", {}}}};
    game.items.push_back({MF_POPUP, 0, "&View", {{0, ID_FULL_SCREEN, "&Full screen", {}}}});
    return {game, {0, 57664, "&About", {}}};
}

std::vector<BYTE> Patched(std::vector<BYTE> data, std::size_t nAt, BYTE nValue)
{
    if (nAt < data.size())
        data.at(nAt) = nValue;
    return data;
}
} // namespace

TEST(MenusAcceleratorsTest, DamagedAcceleratorTablesAreRefusedWithAReason)
{
    const std::vector<BYTE> good = EncodeAcceleratorTable(s_aTable);
    std::vector<ACCEL> table;
    std::string strError;
    ASSERT_TRUE(DecodeAcceleratorTable(good, table, strError)) << strError;
    EXPECT_EQ(s_aTable, table);
    struct SCase
    {
        const char* szWhat;
        std::vector<BYTE> data;
        const char* szReason;
    };
    const SCase cases[] = {
        {"empty", {}, "whole 8-byte records"},
        {"cut off", std::vector<BYTE>(good.begin(), good.end() - 1), "whole 8-byte records"},
        {"unknown flag", Patched(good, 0, 0x41), "record 1: unknown flags"},
        {"no end mark", Patched(good, 8, FVIRTKEY | FALT), "record 2: the end mark"},
        {"early end mark", Patched(good, 0, FVIRTKEY | ACCEL_LAST), "record 1: the end mark"},
        {"zero key", Patched(Patched(good, 10, 0), 11, 0), "record 2: a key and a command id"},
        {"zero command", Patched(Patched(good, 4, 0), 5, 0), "record 1: a key and a command id"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szWhat);
        strError.clear();
        EXPECT_FALSE(DecodeAcceleratorTable(c.data, table, strError));
        EXPECT_NE(std::string::npos, strError.find(c.szReason)) << strError;
        EXPECT_TRUE(table.empty());
    }
}

TEST(MenusAcceleratorsTest, DamagedMenusAreRefusedWithAReason)
{
    const std::vector<BYTE> good = EncodeMenu(SampleMenu());
    std::vector<SMenuItem> items;
    std::string strError;
    ASSERT_TRUE(DecodeMenu(good, items, strError)) << strError;
    EXPECT_EQ(SampleMenu(), items);
    std::vector<BYTE> deep;
    for (int i = 0; i <= MENU_MAX_DEPTH; ++i)
        deep.insert(deep.end(), {MF_POPUP | MF_END, 0, 0, 0, 'x', 0});
    struct SCase
    {
        const char* szWhat;
        std::vector<BYTE> data;
        const char* szReason;
    };
    const SCase cases[] = {
        {"empty", {}, "cut off"},
        {"cut off in the last item", std::vector<BYTE>(good.begin(), good.end() - 3), "no end"},
        {"cut off after a popup's text", std::vector<BYTE>(good.begin(), good.begin() + 10), "cut off"},
        {"trailing bytes",
         [&]
         {
             auto data = good;
             data.push_back(0);
             return data;
         }(),
         "bytes follow"},
        {"unknown flags", Patched(good, 1, 0x40), "unknown item flags"},
        {"nested too deep", deep, "deeper than"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szWhat);
        strError.clear();
        EXPECT_FALSE(DecodeMenu(c.data, items, strError));
        EXPECT_NE(std::string::npos, strError.find(c.szReason)) << strError;
        EXPECT_TRUE(items.empty());
    }
}

namespace
{
std::vector<UINT> s_aCommands;

class CKeysFrame : public CFrameWnd
{
public:
    static const SMessageMap* GetThisMessageMap()
    {
        static const SMessageEntry s_aEntries[] = {MapCommand<&CKeysFrame::OnRules>(ID_RULES),
                                                   MapCommand<&CKeysFrame::OnFullScreen>(ID_FULL_SCREEN)};
        static const SMessageMap s_map{CFrameWnd::GetThisMessageMap(), s_aEntries};
        return &s_map;
    }
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    void OnRules() { s_aCommands.push_back(ID_RULES); }
    void OnFullScreen() { s_aCommands.push_back(ID_FULL_SCREEN); }
};

class MenusAcceleratorsFrameTest : public ::testing::Test
{
protected:
    void SetUp() override { s_aCommands.clear(); }
    void TearDown() override
    {
        ReleaseAllKeys();
        AfxSetResourceHandle(nullptr);
        if (m_hLib != nullptr)
            FreeLibrary(m_hLib);
    }

    // A library holding menu and table 128 as given, made the resource handle.
    void UseLibrary(std::vector<BYTE> menu, std::vector<BYTE> keys)
    {
        CResourceLibraryWriter writer;
        std::string strError;
        ASSERT_TRUE(writer.Add(SResourceKey::Id(RT_MENU_ID), SResourceKey::Id(128), 0, std::move(menu), strError));
        ASSERT_TRUE(
            writer.Add(SResourceKey::Id(RT_ACCELERATOR_ID), SResourceKey::Id(128), 0, std::move(keys), strError));
        const std::string strPath = m_folder.File("Res.dll");
        ASSERT_TRUE(writer.WriteFile(strPath, strError)) << strError;
        m_hLib = LoadLibrary(strPath.c_str());
        ASSERT_NE(nullptr, m_hLib);
        AfxSetResourceHandle(m_hLib);
    }

    /// A key message as the display makes it: a system key, marked so, while Alt is down.
    static MSG KeyMessage(HWND hWnd, int nKey)
    {
        const bool bAlt = (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
        MSG msg;
        msg.hwnd = hWnd;
        msg.message = bAlt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        msg.wParam = static_cast<WPARAM>(nKey);
        msg.lParam = bAlt ? KEY_ALT_CONTEXT : 0;
        return msg;
    }

    static BOOL Press(CWinApp& app, HWND hWnd, int nKey)
    {
        MSG msg = KeyMessage(hWnd, nKey);
        return app.PreTranslateMessage(&msg);
    }

    static void Hold(int nKey, bool bDown)
    {
        SRawInputEvent event;
        event.nVirtKey = nKey;
        event.bDown = bDown;
        ReportRawInput(event);
    }

    CTempFolder m_folder;
    HMODULE m_hLib = nullptr;
};
} // namespace

TEST_F(MenusAcceleratorsFrameTest, FrameKeysBecomeItsCommandsWithExactModifiers)
{
    UseLibrary(EncodeMenu(SampleMenu()), EncodeAcceleratorTable(s_aTable));
    CWinApp app("Keys");
    auto* pFrame = new CKeysFrame;
    ASSERT_TRUE(pFrame->LoadFrame(128));
    ASSERT_NE(nullptr, pFrame->m_hAccelTable);
    EXPECT_EQ(2, GetMenuItemCount(pFrame->m_hMenuDefault));
    EXPECT_EQ(ID_RULES, GetMenuItemID(GetSubMenu(pFrame->m_hMenuDefault, 0), 0));

    EXPECT_TRUE(Press(app, pFrame->m_hWnd, VK_F1));
    EXPECT_FALSE(Press(app, pFrame->m_hWnd, VK_RETURN)) << "Enter without Alt is a plain key";
    Hold(VK_MENU, true);
    EXPECT_TRUE(Press(app, pFrame->m_hWnd, VK_RETURN));
    EXPECT_FALSE(Press(app, pFrame->m_hWnd, VK_F1)) << "F1 with Alt held is not F1";
    // Alt let go before the message is taken: the key went with Alt, so it is Alt's.
    MSG late = KeyMessage(pFrame->m_hWnd, VK_RETURN);
    Hold(VK_MENU, false);
    EXPECT_TRUE(app.PreTranslateMessage(&late));
    EXPECT_FALSE(Press(app, pFrame->m_hWnd, VK_F1 + 1)) << "a key not in the table";
    EXPECT_EQ((std::vector<UINT>{ID_RULES, ID_FULL_SCREEN, ID_FULL_SCREEN}), s_aCommands);
    pFrame->SendMessage(WM_CLOSE);
}

TEST_F(MenusAcceleratorsFrameTest, DamagedTablesLeaveTheFrameWithoutThem)
{
    UseLibrary({1, 2, 3}, Patched(EncodeAcceleratorTable(s_aTable), 0, 0x41));
    CWinApp app("Keys");
    auto* pFrame = new CKeysFrame;
    ASSERT_TRUE(pFrame->LoadFrame(128)) << "the frame opens without its menu and keys";
    EXPECT_EQ(nullptr, pFrame->m_hAccelTable);
    EXPECT_EQ(nullptr, pFrame->m_hMenuDefault);
    EXPECT_FALSE(Press(app, pFrame->m_hWnd, VK_F1));
    EXPECT_TRUE(s_aCommands.empty());
    pFrame->SendMessage(WM_CLOSE);
}

// ---------------------------------------------------------------------------------------------------------------------
// The menu bar and its loop

namespace
{
constexpr UINT ID_FIRST = 101, ID_GREYED = 102, ID_CHECKED = 103, ID_UNHANDLED = 104, ID_ZOOM = 201;

std::vector<SMenuItem> LoopMenu()
{
    return {{MF_POPUP,
             0,
             "&Game",
             {{0, ID_FIRST, "&First", {}},
              {0, ID_GREYED, "&Greyed", {}},
              {MF_SEPARATOR, 0, "", {}},
              {0, ID_CHECKED, "&Checked\tCtrl+C", {}},
              {0, ID_UNHANDLED, "&Unhandled", {}}}},
            {MF_POPUP, 0, "&View", {{0, ID_ZOOM, "&Zoom", {}}}}};
}

/// What the frame is told, in order: the loop's start and end, each menu dropping down, each command.
std::vector<std::string> s_aTold;

class CMenuFrame : public CFrameWnd
{
public:
    static const SMessageMap* GetThisMessageMap()
    {
        static const SMessageEntry s_aEntries[] = {
            MapCommand<&CMenuFrame::OnFirst>(ID_FIRST),
            MapCommand<&CMenuFrame::OnGreyed>(ID_GREYED),
            MapUpdateCommand<&CMenuFrame::OnUpdateGreyed>(ID_GREYED),
            MapCommand<&CMenuFrame::OnChecked>(ID_CHECKED),
            MapUpdateCommand<&CMenuFrame::OnUpdateChecked>(ID_CHECKED),
            MapCommand<&CMenuFrame::OnZoom>(ID_ZOOM),
            MapMessage<&CMenuFrame::OnEnterMenuLoop>(WM_ENTERMENULOOP),
            MapMessage<&CMenuFrame::OnExitMenuLoop>(WM_EXITMENULOOP),
            MapMessage<&CMenuFrame::OnInitMenuPopup>(WM_INITMENUPOPUP),
        };
        static const SMessageMap s_map{CFrameWnd::GetThisMessageMap(), s_aEntries};
        return &s_map;
    }
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    void OnFirst() { s_aTold.push_back("first"); }
    void OnGreyed() { s_aTold.push_back("greyed"); }
    void OnChecked() { s_aTold.push_back("checked"); }
    void OnZoom() { s_aTold.push_back("zoom"); }
    void OnUpdateGreyed(CCmdUI* pCmdUI)
    {
        // Greyed in the menu; a key may still run it.
        pCmdUI->Enable(pCmdUI->m_bMenuItem ? FALSE : TRUE);
    }
    void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    LRESULT OnEnterMenuLoop(WPARAM, LPARAM)
    {
        s_aTold.push_back("enter");
        return 0;
    }
    LRESULT OnExitMenuLoop(WPARAM, LPARAM)
    {
        s_aTold.push_back("exit");
        return 0;
    }
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam)
    {
        s_aTold.push_back("drop " + std::to_string(LOWORD(static_cast<DWORD>(lParam))));
        return CFrameWnd::OnInitMenuPopup(wParam, lParam);
    }
};

/// Input for the frame as the display hands it over: keys, and presses and releases on the bar
/// (the item's middle, in the screen) or in the client area.
struct SInput
{
    UINT uMsg;
    WPARAM wParam;
    POINT pt; // the bar item's number in x for WM_NC messages, else a client point
};
SInput MenuKey() { return {WM_SYSCOMMAND, SC_KEYMENU, {}}; }
SInput Key(int nVk) { return {WM_KEYDOWN, static_cast<WPARAM>(nVk), {}}; }
SInput OnBar(UINT uMsg, LONG nItem) { return {uMsg, HTMENU, {nItem, 0}}; }
SInput InClient(UINT uMsg, POINT pt) { return {uMsg, 0, pt}; }
} // namespace

TEST_F(MenusAcceleratorsFrameTest, KeysAndClicksWorkTheMenuBarAsAFrameWindowsMenu)
{
    UseLibrary(EncodeMenu(LoopMenu()), EncodeAcceleratorTable(s_aTable));
    CWinApp app("Menus");
    auto* pFrame = new CMenuFrame;
    ASSERT_TRUE(pFrame->LoadFrame(128));
    const HWND hWnd = pFrame->m_hWnd;
    ASSERT_EQ(pFrame->m_hMenuDefault, GetMenu(hWnd)) << "the frame's menu is its menu bar";
    // Where the bar's items and the first menu's rows lie (the bar above the client area; the
    // menu drops down from the client area's top under its item, one 20-pixel row after another,
    // the separator 7 pixels high).
    const LONG aBarX[] = {28, 74};
    const auto row = [](int nRow) { return POINT{40, 11 + 20 * nRow - (nRow > 2 ? 13 : 0)}; };
    struct SCase
    {
        const char* szName;
        std::vector<SInput> aInput;
        std::vector<std::string> aTold;
    };
    const SCase aCases[] = {
        {"Alt, Down, Enter: the first item",
         {MenuKey(), Key(VK_DOWN), Key(VK_RETURN)},
         {"enter", "drop 0", "exit", "first"}},
        {"a greyed item is lit and passed over by Enter; Down skips the separator",
         {MenuKey(), Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN), Key(VK_DOWN), Key(VK_RETURN)},
         {"enter", "drop 0", "exit", "checked"}},
        {"Right lights the next bar item, whose Enter drops it",
         {MenuKey(), Key(VK_RIGHT), Key(VK_RETURN), Key(VK_RETURN)},
         {"enter", "drop 1", "exit", "zoom"}},
        {"letters: the bar item's, then the item's",
         {MenuKey(), Key('V'), Key('Z')},
         {"enter", "drop 1", "exit", "zoom"}},
        {"Left from the first menu wraps round to the last, its first item lit",
         {MenuKey(), Key(VK_DOWN), Key(VK_LEFT), Key(VK_RETURN)},
         {"enter", "drop 0", "drop 1", "exit", "zoom"}},
        {"Up wraps round to the last item, which nothing handles: greyed",
         {MenuKey(), Key(VK_DOWN), Key(VK_UP), Key(VK_RETURN)},
         {"enter", "drop 0", "exit"}},
        {"Escape closes the menu, then leaves the bar",
         {MenuKey(), Key(VK_DOWN), Key(VK_ESCAPE), Key(VK_ESCAPE)},
         {"enter", "drop 0", "exit"}},
        {"Alt or F10 again leaves at once", {MenuKey(), Key(VK_DOWN), MenuKey()}, {"enter", "drop 0", "exit"}},
        {"a press on a bar item drops it; a press and release on an item chooses it",
         {OnBar(WM_NCLBUTTONDOWN, 1), OnBar(WM_NCLBUTTONUP, 1), InClient(WM_LBUTTONDOWN, {aBarX[1], 11}),
          InClient(WM_LBUTTONUP, {aBarX[1], 11})},
         {"enter", "drop 1", "exit", "zoom"}},
        {"a press, a drag along the bar and a release on an item",
         {OnBar(WM_NCLBUTTONDOWN, 1), OnBar(WM_NCMOUSEMOVE, 0), InClient(WM_MOUSEMOVE, row(3)),
          InClient(WM_LBUTTONUP, row(3))},
         {"enter", "drop 1", "drop 0", "exit", "checked"}},
        {"a release on a greyed item chooses nothing",
         {OnBar(WM_NCLBUTTONDOWN, 0), InClient(WM_LBUTTONUP, row(1)), Key(VK_ESCAPE), Key(VK_ESCAPE)},
         {"enter", "drop 0", "exit"}},
        {"a press off the menu leaves",
         {OnBar(WM_NCLBUTTONDOWN, 0), OnBar(WM_NCLBUTTONUP, 0), InClient(WM_LBUTTONDOWN, {400, 300})},
         {"enter", "drop 0", "exit"}},
        {"a press on the open item's title leaves",
         {OnBar(WM_NCLBUTTONDOWN, 0), OnBar(WM_NCLBUTTONUP, 0), OnBar(WM_NCLBUTTONDOWN, 0)},
         {"enter", "drop 0", "exit"}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        s_aTold.clear();
        for (const SInput& input : c.aInput)
        {
            LPARAM lParam = 0;
            if (input.uMsg == WM_NCLBUTTONDOWN || input.uMsg == WM_NCLBUTTONUP || input.uMsg == WM_NCMOUSEMOVE)
            {
                POINT pt{aBarX[input.pt.x], -MENU_BAR_HEIGHT / 2};
                ClientToScreen(hWnd, &pt);
                lParam = MAKELPARAM(pt.x, pt.y);
            }
            else if (input.uMsg != WM_SYSCOMMAND && input.uMsg != WM_KEYDOWN)
                lParam = MAKELPARAM(input.pt.x, input.pt.y);
            PostMessage(hWnd, input.uMsg, input.wParam, lParam);
        }
        // Escape twice more: a loop that the input left open ends and nothing hangs.
        PostMessage(hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessage(hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        EXPECT_EQ(c.aTold, s_aTold);
    }
    // The menu that dropped down was greyed and checked by the framework: the item without a
    // handler and the one its update handler disables greyed, the other one checked.
    const HMENU hGame = GetSubMenu(GetMenu(hWnd), 0);
    EXPECT_EQ(0u, GetMenuState(hGame, ID_FIRST, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED));
    EXPECT_NE(0u, GetMenuState(hGame, ID_GREYED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_NE(0u, GetMenuState(hGame, ID_CHECKED, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_NE(0u, GetMenuState(hGame, ID_UNHANDLED, MF_BYCOMMAND) & MF_GRAYED);
    // A disabled window (a dialog runs over it) opens no menu.
    s_aTold.clear();
    EnableWindow(hWnd, FALSE);
    SendMessage(hWnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
    EnableWindow(hWnd, TRUE);
    EXPECT_TRUE(s_aTold.empty());
    pFrame->SendMessage(WM_CLOSE);
}

namespace
{
/// The bar's background, as the display shows it.
constexpr DWORD BAR_BACK = 0x0012301E;
constexpr DWORD BACKDROP = 0x00336699;

/// A full-screen window's frame while its menu is open: read at the first timer the menu loop
/// dispatches, then the menu is closed as Alt would close it.
std::vector<DWORD> s_aOpenFrame;

LRESULT ReadOpenMenuProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != WM_TIMER)
        return DefWindowProc(hWnd, uMsg, wParam, lParam);
    KillTimer(hWnd, wParam);
    int nWidth = 0, nHeight = 0;
    EXPECT_TRUE(ReadWindowPixels(hWnd, s_aOpenFrame, &nWidth, &nHeight, true));
    PostMessage(hWnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
    return 0;
}
} // namespace

TEST_F(MenusAcceleratorsFrameTest, TheDisplayShowsTheBarAboveTheClientAreaAndOpensItByAltF10AndPresses)
{
    UseLibrary(EncodeMenu(LoopMenu()), EncodeAcceleratorTable(s_aTable));
    StopDisplay();
    // Alt alone and F10 open the menu; Alt with another key does not; a press on the bar is a press
    // on the window's menu bar, one below it a press in its client area.
    m_folder.Write("script.txt", "frame 1 key press Left Alt\n"
                                 "frame 1 key down Left Alt\nframe 1 key press Return\nframe 1 key up Left Alt\n"
                                 "frame 1 key press F10\n"
                                 "frame 1 mouse down left 74 10 in menu\nframe 1 mouse up left 74 10 in menu\n"
                                 "frame 1 mouse down left 5 6\nframe 1 close\n");
    const CEnvScope script("VORN_INPUT_SCRIPT", m_folder.File("script.txt").c_str());
    ASSERT_TRUE(StartDisplay());
    SWindowDesc desc;
    desc.nClientWidth = 200;
    desc.nClientHeight = 100;
    const HWND hWnd = CreateGameWindow(desc);
    ASSERT_NE(nullptr, hWnd);
    const HMENU hMenu = LoadMenu(m_hLib, MAKEINTRESOURCE(128));
    ASSERT_TRUE(SetMenu(hWnd, hMenu));
    ShowSolidFrame(hWnd, BACKDROP);
    using SSeen = std::pair<UINT, POINT>;
    std::vector<SSeen> aSeen;
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) && msg.message != WM_CLOSE)
    {
        POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        if (msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCLBUTTONUP)
        {
            EXPECT_EQ(static_cast<WPARAM>(HTMENU), msg.wParam);
            ScreenToClient(hWnd, &pt);
            EXPECT_EQ(HTMENU, DefWindowProc(hWnd, WM_NCHITTEST, 0, msg.lParam));
        }
        if (msg.message == WM_SYSCOMMAND)
            pt = POINT{static_cast<LONG>(msg.wParam), 0};
        if (msg.message == WM_SYSCOMMAND || msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCLBUTTONUP ||
            msg.message == WM_LBUTTONDOWN)
            aSeen.push_back(SSeen{msg.message, pt});
    }
    const std::vector<SSeen> aExpected = {{WM_SYSCOMMAND, {SC_KEYMENU, 0}},
                                          {WM_SYSCOMMAND, {SC_KEYMENU, 0}},
                                          {WM_NCLBUTTONDOWN, {74, -10}},
                                          {WM_NCLBUTTONUP, {74, -10}},
                                          {WM_LBUTTONDOWN, {5, 6}}};
    ASSERT_EQ(aExpected.size(), aSeen.size());
    for (std::size_t i = 0; i < aSeen.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(aExpected[i].first, aSeen[i].first);
        EXPECT_EQ(aExpected[i].second.x, aSeen[i].second.x);
        EXPECT_EQ(aExpected[i].second.y, aSeen[i].second.y);
    }
    // The bar's band lies above the client area: the PNG holds both, the client's pixels only the frame.
    std::vector<DWORD> aClient, aWhole;
    int nWidth = 0, nHeight = 0, nWholeWidth = 0, nWholeHeight = 0;
    ASSERT_TRUE(ReadWindowPixels(hWnd, aClient, &nWidth, &nHeight));
    ASSERT_TRUE(ReadWindowPixels(hWnd, aWhole, &nWholeWidth, &nWholeHeight, true));
    EXPECT_EQ(100, nHeight);
    EXPECT_EQ(100 + MENU_BAR_HEIGHT, nWholeHeight);
    EXPECT_EQ(BACKDROP, aClient[static_cast<std::size_t>(nWidth + 1)]);
    EXPECT_EQ(BAR_BACK, aWhole[static_cast<std::size_t>(nWholeWidth + 1)]);
    EXPECT_EQ(BACKDROP, aWhole[static_cast<std::size_t>((MENU_BAR_HEIGHT + 1) * nWholeWidth + 1)]);
    DestroyGameWindow(hWnd);

    // A window that fills the screen shows its bar over its top rows, and only while its menu is open.
    WNDCLASS wc;
    wc.lpfnWndProc = &ReadOpenMenuProc;
    wc.lpszClassName = "MenuFullScreen";
    RegisterClass(&wc);
    const RECT rcDesktop = GetDesktopWindowRect();
    const HWND hFull = CreateWindowEx(0, "MenuFullScreen", "Full", WS_POPUP | WS_VISIBLE, 0, 0, rcDesktop.right,
                                      rcDesktop.bottom, nullptr, hMenu, nullptr, nullptr);
    ASSERT_NE(nullptr, hFull);
    ShowSolidFrame(hFull, BACKDROP);
    ASSERT_TRUE(ReadWindowPixels(hFull, aWhole, &nWholeWidth, &nWholeHeight, true));
    EXPECT_EQ(rcDesktop.bottom, nWholeHeight) << "no band";
    EXPECT_EQ(BACKDROP, aWhole[static_cast<std::size_t>(nWholeWidth + 1)]);
    SetTimer(hFull, 1, 0, nullptr);
    SendMessage(hFull, WM_SYSCOMMAND, SC_KEYMENU, 0);
    ASSERT_EQ(aWhole.size(), s_aOpenFrame.size());
    EXPECT_EQ(BAR_BACK, s_aOpenFrame[static_cast<std::size_t>(nWholeWidth + 1)]);
    ASSERT_TRUE(ReadWindowPixels(hFull, aWhole, &nWholeWidth, &nWholeHeight, true));
    EXPECT_EQ(BACKDROP, aWhole[static_cast<std::size_t>(nWholeWidth + 1)]) << "closed again";
    DestroyWindow(hFull);
    DestroyMenu(hMenu);
    StopDisplay();
}
