#include "fixtures/AudioFixtures.h"
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/ErrorBox.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/EnvScope.h"
#include "platform/win32/Clock.h"
#include "platform/win32/ResourceLibrary.h"
#include "ui/TextMessages.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
TEST(FrameGameTest, EventSoundsFollowTheKindAndTheLevel)
{
    struct SCase
    {
        int nKind, nLevel, nId;
    };
    const SCase aCases[] = {
        {1, 0, 3000},  {1, 1, 3000}, {1, 2, 3001}, {1, 5, 3002}, {1, 6, 3003}, {1, 40, 3003},
        {1, -3, 3000}, {2, 0, 3007}, {2, 7, 3014}, {2, 8, 0},    {2, -1, 0},   {3, 0, 3015},
        {3, 6, 3015},  {4, 3, 0},    {5, 1, 0},    {0, 0, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << "kind " << c.nKind << " level " << c.nLevel);
        EXPECT_EQ(c.nId, GetEventSoundId(c.nKind, c.nLevel));
    }
}

/// Whether a quit with the code is waiting in this thread's queue; takes it out.
bool TakeQuit(WPARAM wCode)
{
    MSG msg;
    bool bQuit = false;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT)
            bQuit = bQuit || msg.wParam == wCode;
        else
            DispatchMessage(&msg);
    return bQuit;
}

TEST(FrameGameTest, FlowMessagesGoThroughTheFramesQueueToItsHandlers)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    CMainFrame& mainFrame = *frame.m_pFrame;
    struct SCase
    {
        const char* szName;
        UINT nMsg;
        WPARAM wParam;
        LPARAM lParam;
        DWORD dwModeAfter;
    };
    const SCase aCases[] = {
        {"a call for the shot begins calling", FLOW_MSG_CALL_SHOT, 8, modeBallInHand, modeCallShot},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = modeAim;
        mainFrame.PostFlowMessage(c.nMsg, c.wParam, c.lParam);
        EXPECT_EQ(modeAim, GetModeField()) << "posted, not handled at once";
        Pump();
        EXPECT_EQ(c.dwModeAfter, GetModeField());
    }
    mainFrame.PostFlowMessage(WM_QUIT, 4, 0);
    EXPECT_TRUE(TakeQuit(4)) << "the flow's quit ends the program with its code";
    g_nGameMode = 0;
}

TEST(FrameGameTest, TheMatchEndAsksForANewGameAndOtherwiseRacksAgainUnlessInTheTopView)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    std::vector<std::string> boxes;
    SetErrorBoxHandler([&boxes](const char* szText) { boxes.emplace_back(szText); });
    struct SCase
    {
        int nOverheadView;
        bool bRacked;
    };
    for (const SCase& c : {SCase{0, true}, SCase{1, false}})
    {
        SCOPED_TRACE(c.nOverheadView);
        boxes.clear();
        g_Settings.m_nOverHeadView = c.nOverheadView;
        g_nGameMode = modeAim;
        const int nRacks = g_nRackCount;
        frame.m_pFrame->PostFlowMessage(FLOW_MSG_MATCH_END, 1, 0);
        Pump();
        // This library has no picture for the question, so it is not agreed to.
        ASSERT_EQ(1u, boxes.size());
        EXPECT_NE(std::string::npos, boxes[0].find("(925)")) << boxes[0];
        EXPECT_EQ(nRacks + (c.bRacked ? 1 : 0), g_nRackCount);
        if (!c.bRacked)
        {
            EXPECT_EQ(modeNone, GetModeField()) << "the table rests";
        }
    }
    SetErrorBoxHandler(nullptr);
    g_Settings.m_nOverHeadView = 0;
    g_nGameMode = 0;
}

TEST(FrameGameTest, TheGameSoundsFillTheSlotsInTheirOrderAndAMissingOneTakesNoSlot)
{
    const CEnvScope driver("SDL_AUDIODRIVER", "dummy");
    const CAppFolder app;
    app.AddArtworkLibrary();
    // The sound library beside the program has every effect but 3005 (a cue sound) and 3040 (a
    // bonus sound).
    const std::vector<int> missing = {3005, 3040};
    CResourceLibraryWriter writer;
    std::string strError;
    const std::vector<BYTE> tone = EncodeWave(22050, 1, 16, MakeTone(600, 22050, 0.05));
    for (int nId = 3000; nId <= 3069; ++nId)
    {
        if (std::find(missing.begin(), missing.end(), nId) == missing.end())
        {
            ASSERT_TRUE(
                writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Id(static_cast<WORD>(nId)), 0, tone, strError));
        }
    }
    ASSERT_TRUE(writer.WriteFile(app.Folder().File("VornWave.dll"), strError)) << strError;

    // The cue, cushion, ball, pocket, power-step and refusal sounds in their fixed order, then
    // the bonus sounds and the three ball animations.
    std::vector<int> order = {3004, 3005, 3006};
    const auto addRange = [&order](int nFirst, int nLast)
    {
        for (int nId = nFirst; nId <= nLast; ++nId)
            order.push_back(nId);
    };
    addRange(3007, 3014);
    addRange(3000, 3003);
    addRange(3015, 3015);
    addRange(3057, 3069);
    order.insert(order.end(), {3018, 3019, 3016, 3017, 3020});
    addRange(3031, 3056);
    addRange(3022, 3024);
    std::erase_if(order, [&](int nId) { return std::find(missing.begin(), missing.end(), nId) != missing.end(); });

    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    const CSoundSystem& sound = frame.m_pFrame->GetSoundSystem();
    ASSERT_TRUE(sound.IsAvailable());
    for (std::size_t i = 0; i < order.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(order[i], sound.GetSlotWaveId(static_cast<int>(i)));
    }
    EXPECT_EQ(-1, sound.GetSlotWaveId(static_cast<int>(order.size()))) << "nothing more was loaded";
}

TEST(FrameGameTest, TextsGoToTheMessagesAndTrophiesToTheSettingsFile)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    const CLiveSettingsRestore settings;
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    g_Settings.SetDefaults(); // the settings file of this test's folder
    g_TextMessages.Clear();
    frame.m_pFrame->ShowText("Scratch!", 2000);
    ASSERT_NE(nullptr, g_TextMessages.GetHeadText());
    EXPECT_STREQ("Scratch!", g_TextMessages.GetHeadText());
    g_TextMessages.Clear();

    frame.m_pFrame->GetGameFlow().Settings().anTrophy[2] = 5;
    frame.m_pFrame->SaveSettings();
    CSettings saved;
    saved.SetDefaults();
    saved.Load();
    EXPECT_EQ(5, saved.m_anTrophies[2]);
}
} // namespace

TEST(FrameGameTest, TwoComputersPlayShotsThatAreJudgedAndPassTheTurn)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    const CLiveSettingsRestore settings;
    g_Settings.SetDefaults();
    g_Settings.m_nGameType = 9;
    g_Settings.m_nCompetitionType = 1;
    CTestClockScope clock(1000);
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    CMainFrame& mainFrame = *frame.m_pFrame;
    CGameFlow& flow = mainFrame.GetGameFlow();
    ASSERT_EQ(9, mainFrame.GetGameType());
    EXPECT_EQ(10, mainFrame.GetBallCount());
    flow.Player1().SetLevel(9);
    flow.Player2().SetLevel(9);
    mainFrame.StartNewRack(TRUE);
    EXPECT_EQ(modeCameraFlight, GetModeField()) << "the computer's turn starts with its flight";

    int nShots = 0, nJudged = 0, nTurns = 0;
    bool bRunning = false, bPlayer1 = flow.IsPlayer1Current();
    for (int nFrame = 0; nFrame < 6000 && (nJudged < 3 || nTurns == 0); ++nFrame)
    {
        clock.Advance(16);
        ASSERT_TRUE(mainFrame.OnFrame());
        Pump();
        const bool bNowRunning = HasGameFlag(gmShotRunning);
        nShots += bNowRunning && !bRunning;
        nJudged += bRunning && !bNowRunning;
        bRunning = bNowRunning;
        nTurns += flow.IsPlayer1Current() != bPlayer1;
        bPlayer1 = flow.IsPlayer1Current();
    }
    EXPECT_GE(nShots, 3);
    EXPECT_GE(nJudged, 3) << "each shot ends and is judged";
    EXPECT_GT(nTurns, 0) << "a miss or a foul passes the turn";
    EXPECT_EQ(nShots, flow.GetShotCount());
    g_nGameMode = 0;
}
