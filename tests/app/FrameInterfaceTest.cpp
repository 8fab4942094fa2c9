// The main window's menu loop and the banner's text list.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "gameflow/GameMode.h"
#include "platform/win32/Cursor.h"
#include "render/CursorManager.h"
#include "render/Environment3D.h"
#include "ui/GameWidgets.h"
#include "ui/WindowPlacement.h"

#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace
{
/// A started game's main frame on the system's display adapter.
class FrameInterfaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.AddArtworkLibrary();
        ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
        m_frame.emplace(true);
        ASSERT_TRUE(m_frame->m_pFrame->IsGameStarted());
    }

    const CAppFolder m_app;
    const CDisplayAdapterScope m_restoreAdapter{LoadDisplayAdapter()};
    std::optional<CFrameScope> m_frame;
};

TEST_F(FrameInterfaceTest, TheMenuLoopShowsTheSystemCursorAndHoldsTheGame)
{
    CFrameScope& frame = *m_frame;
    while (ShowCursor(FALSE) >= 0)
    {
    }
    struct SStep
    {
        UINT uMsg;
        BOOL bMenu, bModal;
        bool bCursorShown;
        BYTE bBarPressed; // the control bar's press, set as the menu opens
    };
    // Once the menu is closed the cursor is confined again as the game's mode asks: hidden while
    // a person aims.
    g_nGameMode = modeAim;
    const SStep aSteps[] = {{WM_ENTERMENULOOP, TRUE, TRUE, true, 1}, {WM_EXITMENULOOP, FALSE, FALSE, false, 0}};
    g_controlBar.m_bPressed = 1;
    for (const SStep& step : aSteps)
    {
        SCOPED_TRACE(step.uMsg);
        SendMessage(frame.m_hWnd, step.uMsg, 0, 0);
        EXPECT_EQ(step.bMenu, g_CursorManager.IsMenuLoop());
        EXPECT_EQ(step.bModal, g_bModalMode);
        EXPECT_EQ(step.bCursorShown, GetCursorShowCount() >= 0);
        EXPECT_EQ(step.bBarPressed, g_controlBar.m_bPressed) << "released once the menu is closed";
        EXPECT_EQ(step.bModal == FALSE, frame.m_pFrame->OnFrame() != FALSE) << "the tick rests while a menu is open";
    }
}

TEST_F(FrameInterfaceTest, EachDeviceSetUpLaysTheTextListOutEmptyInTheBanner)
{
    CFrameScope& frame = *m_frame;
    CSkinList& list = frame.m_pFrame->GetSkinList();
    for (int nPass = 0; nPass < 2; ++nPass)
    {
        SCOPED_TRACE(nPass == 0 ? "the first device" : "after an environment change");
        RECT rcArea;
        frame.m_pFrame->GetPanelRect(rcArea);
        const RECT rcBanner = CalcBannerRectTopRight(rcArea);
        EXPECT_EQ(rcBanner, list.m_rect);
        EXPECT_EQ(0, list.GetCount());
        EXPECT_EQ(-1, list.GetSelection());
        EXPECT_STREQ("Arial", list.m_logFont.lfFaceName);
        EXPECT_TRUE(list.m_logFont.lfItalic);
        EXPECT_EQ(RGB(240, 240, 240), list.m_crText);
        HDC hDC = CreateCompatibleDC(nullptr);
        EXPECT_GE(list.AddString(hDC, "A line for the banner"), 0) << "the list has room for text";
        DeleteDC(hDC);
        ASSERT_EQ(S_OK, frame.m_pFrame->Change3DEnvironment(frame.m_hWnd));
    }
}

TEST_F(FrameInterfaceTest, AfterAnEnvironmentChangeTheTextListHoldsTheBannersTextsScrolledToItsEnd)
{
    CFrameScope& frame = *m_frame;
    CSkinList& list = frame.m_pFrame->GetSkinList();
    CStringArray& texts = frame.m_pFrame->GetBannerTexts();
    const std::string strLong = "A text far too long for one line of the banner, which the list breaks at its spaces "
                                "into as many lines as it takes to show every word of it";
    texts.Add(strLong.c_str());
    for (const char* sz : {"one", "two", "three", "four", "five", "six", "seven", "eight"})
        texts.Add(sz);
    HDC hDC = CreateCompatibleDC(nullptr);
    list.AddString(hDC, "a line of the old device");
    DeleteDC(hDC);
    for (int nPass = 0; nPass < 2; ++nPass)
    {
        SCOPED_TRACE(nPass == 0 ? "the first change" : "the second change");
        ASSERT_EQ(S_OK, frame.m_pFrame->Change3DEnvironment(frame.m_hWnd));
        ASSERT_GT(list.GetCount(), texts.GetSize()) << "the long text takes more than one line";
        // The lines, in order, are the texts broken at spaces and nothing else.
        std::string strJoined;
        for (int i = 0; i < list.GetCount(); ++i)
            strJoined += (i == 0 ? "" : " ") + std::string(list.GetLine(i).GetString());
        EXPECT_EQ(strLong + " one two three four five six seven eight", strJoined);
        const int nVisible = list.GetVisibleLines(nullptr);
        ASSERT_GT(nVisible, 0);
        ASSERT_LT(nVisible, list.GetCount()) << "the texts fill more than the banner";
        EXPECT_EQ(list.GetCount() - nVisible, list.GetTopIndex()) << "the last lines show";
        EXPECT_STREQ("eight", list.GetLine(list.GetCount() - 1).GetString());
    }
}
} // namespace
