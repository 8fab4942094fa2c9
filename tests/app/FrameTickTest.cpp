#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/Folders.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"
#include "render/SceneRecords.h"
#include "ui/TextMessages.h"

#include <gtest/gtest.h>
#include <optional>

namespace
{
TEST(FrameTickTest, TickDrawsOnlyForAStartedFocusedActiveWindowOutOfModalMode)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    ASSERT_TRUE(StartDisplay());
    const CDisplayAdapterScope restoreAdapter(LoadDisplayAdapter());
    ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
    auto* pFrame = new CMainFrame;
    ASSERT_TRUE(pFrame->LoadFrame(128));
    const HWND hWnd = pFrame->m_hWnd;
    EXPECT_FALSE(pFrame->OnFrame()) << "the game has not started";
    {
        const CStartScreenAnswer answer(VORN_APP_FIXTURE_DIR "VornRes.dll");
        Pump(); // the game starts, the window is active and has the focus
    }
    ASSERT_TRUE(pFrame->IsGameStarted());
    EXPECT_TRUE(pFrame->OnFrame());
    EXPECT_GT(GetPresentCount(hWnd), 0);

    pFrame->SetModalMode(TRUE);
    EXPECT_FALSE(pFrame->OnFrame()) << "modal";
    pFrame->SetModalMode(FALSE);
    ShowWindow(hWnd, SW_MINIMIZE);
    Pump();
    const int nPresents = GetPresentCount(hWnd);
    EXPECT_FALSE(pFrame->OnFrame()) << "minimised";
    EXPECT_EQ(nPresents, GetPresentCount(hWnd));
    ShowWindow(hWnd, SW_RESTORE);
    EXPECT_TRUE(pFrame->OnFrame());
    SetFocus(nullptr);
    EXPECT_FALSE(pFrame->OnFrame()) << "another window has the focus";

    pFrame->DestroyWindow(); // deletes the frame
    EXPECT_FALSE(IsWindow(hWnd));
    Pump();
    FreeDriverList();
    g_hDDrawModule = nullptr;
    g_pfnDirectDrawCreate = nullptr;
    StopDisplay();
}
TEST(FrameTickTest, CloseAsksOnlyInARunningGame)
{
    struct SCase
    {
        const char* szName;
        bool bStarted;
        DWORD dwMode;
        int nAnswer;
        bool bAsked, bClosed;
    };
    const SCase aCases[] = {
        {"before the game starts: closes at once", false, 0, IDOK, false, true},
        {"game over: closes at once", true, gmGameOver, IDOK, false, true},
        {"a settings preview runs: ignored", true, gmSettingsPreview, IDOK, false, false},
        {"playing, the player agrees", true, 0, IDOK, true, true},
        {"playing, the player declines", true, 0, IDCANCEL, true, false},
    };
    const CAppFolder app;
    app.AddArtworkLibrary();
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CFrameScope frame(c.bStarted);
        ASSERT_TRUE(frame.m_bCreated);
        ASSERT_EQ(c.bStarted, frame.m_pFrame->IsGameStarted() != FALSE);
        // The question is answered unseen here, as the input script answers it; the game stands
        // paused behind it and, declined, goes on.
        bool bAsked = false;
        bool bPausedBehind = false;
        SetMessageBoxAnswerSource(
            [&](UINT)
            {
                bAsked = true;
                bPausedBehind = frame.m_pFrame->GetGameFlow().IsPaused();
                return std::optional<int>(c.nAnswer);
            });
        g_nGameMode = c.dwMode;
        SendMessage(frame.m_hWnd, WM_CLOSE, 0, 0);
        g_nGameMode = 0;
        EXPECT_EQ(c.bAsked, bAsked);
        EXPECT_EQ(c.bAsked, bPausedBehind);
        EXPECT_EQ(c.bClosed, !IsWindow(frame.m_hWnd));
        if (IsWindow(frame.m_hWnd))
        {
            EXPECT_FALSE(frame.m_pFrame->GetGameFlow().IsPaused());
        }
    }
}
TEST(FrameTickTest, IniLinksTakeTheScenesLinkPlacesWhenTheirPictureExists)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    app.Folder().Write("Mine.bmp", "x");
    const std::string strMine = app.Folder().File("Mine.bmp");
    WriteArtworkIniString("Link 1", (strMine + ", First, One;").c_str());
    WriteArtworkIniString("Link 2", "Missing.bmp, Second, Two;");
    WriteArtworkIniString("Link 3", "");
    WriteArtworkIniString("Link 4", (strMine + ", Fourth, Four;").c_str());
    const CFrameScope frame(false);
    ASSERT_TRUE(frame.m_bCreated);
    // The scene's one link is replaced by the first; the fourth, beyond the scene's list, is appended.
    ASSERT_EQ(2, g_linkList.GetSize());
    EXPECT_STREQ("First", g_linkList.GetAt(0).m_strTarget.GetString());
    EXPECT_STREQ("Fourth", g_linkList.GetAt(1).m_strTarget.GetString());
    g_linkList.RemoveAll();
}

TEST(FrameTickTest, MessagesStepOnlyOnTicksThatFollowARunningShot)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        int nCameraMotion;
        bool bTab, bAlt;
        int nTabHeld;
        bool bFollows;
    };
    const SCase aCases[] = {
        {"a running shot", modeAim | gmShotRunning, 0, false, false, 0, true},
        {"no shot running", modeAim, 0, false, false, 0, false},
        {"\"Camera Motion\" 2", modeAim | gmShotRunning, 2, false, false, 0, false},
        {"\"Camera Motion\" 1", modeAim | gmShotRunning, 1, false, false, 0, true},
        {"a replay runs", modeAim | gmShotRunning | gmReplay, 0, false, false, 0, false},
        {"waiting", modeWaiting | gmShotRunning, 0, false, false, 0, false},
        {"Tab held", modeAim | gmShotRunning, 0, true, false, 1, false},
        {"Tab with Alt counts as not held", modeAim | gmShotRunning, 0, true, true, 0, true},
        {"Alt alone", modeAim | gmShotRunning, 0, false, true, 0, true},
    };
    const int nCameraMotion = g_Settings.m_nCameraMotion;
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwMode;
        g_Settings.m_nCameraMotion = c.nCameraMotion;
        for (const auto& [nKey, bDown] : {std::pair{VK_TAB, c.bTab}, std::pair{VK_MENU, c.bAlt}})
        {
            SRawInputEvent key;
            key.nVirtKey = nKey;
            key.bDown = bDown;
            ReportRawInput(key);
        }
        CMainFrame::SampleTabHeld();
        EXPECT_EQ(c.nTabHeld, g_bTabHeld);
        EXPECT_EQ(c.bFollows, CMainFrame::IsFlightViewTick());
    }
    ReleaseAllKeys();
    g_bTabHeld = 0;
    g_nGameMode = 0;
    g_Settings.m_nCameraMotion = nCameraMotion;

    // A step starts the head message; the next one ends it at its time and starts the one after.
    g_TextMessages.Clear();
    g_TextMessages.AddText("first", nullptr, 0, 0);
    g_TextMessages.AddText("second", nullptr, 60000, 0);
    CMainFrame frame;
    frame.TickTextMessages();
    EXPECT_STREQ("first", g_TextMessages.GetHeadText());
    frame.TickTextMessages();
    EXPECT_STREQ("second", g_TextMessages.GetHeadText());
    g_TextMessages.Clear();
}
} // namespace
