// Menus and accelerator tables: their resources read back or are refused with a reason, and a
// frame loaded with a table turns its keys into WM_COMMAND before the key is dispatched.
#include "TempFolder.h"

#include "platform/mfc/AfxResource.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Wnd.h"
#include "platform/win32/Accelerators.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Menus.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

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
