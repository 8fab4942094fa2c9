#include "tests/app/AppFolder.h"
#include "tests/app/CalledEightGame.h"
#include "tests/app/FrameScope.h"
#include "tests/platform/TempFolder.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "foundation/Vector3.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "gameflow/RespotNotice.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "ui/GameWidgets.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
/// A started frame in a folder of its own, on settings the test sets before the start.
class CStartedFrame
{
public:
    explicit CStartedFrame(const std::function<void(CSettings&)>& setUp = {})
    {
        m_app.AddArtworkLibrary();
        g_Settings.SetDefaults();
        if (setUp)
            setUp(g_Settings);
        g_nGameMode = gmStartupFlag; // as the program starts
        m_pScope = std::make_unique<CFrameScope>(true);
    }
    ~CStartedFrame()
    {
        m_pScope.reset();
        g_nGameMode = 0;
    }
    CStartedFrame(const CStartedFrame&) = delete;
    CStartedFrame& operator=(const CStartedFrame&) = delete;

    bool Started() const { return m_pScope->m_bCreated && m_pScope->m_pFrame->IsGameStarted(); }
    CMainFrame& Frame() { return *m_pScope->m_pFrame; }
    CGameFlow& Flow() { return Frame().GetGameFlow(); }

private:
    CAppFolder m_app;
    std::unique_ptr<CFrameScope> m_pScope;
};

TEST(FrameNewGameTest, GameStartsARackOfTheSettingsTypeWithTheSettingsPlayers)
{
    struct SCase
    {
        const char* szName;
        int nGameType, nCompetition, nLevel2;
        int nBalls;
        bool bSecondDead;
        const char* szSecond;
    };
    const SCase aCases[] = {
        {"nine-ball against the computer", 9, 1, 5, 10, false, "Vorn"},
        {"eight-ball between two people", 8, 1, 0, 16, false, "Bea"},
        {"practice of fourteen-one: the second seat is empty", 18, 0, 0, 16, true, " "},
        {"an unknown type becomes three-ball", 44, 1, 0, 4, false, "Bea"},
        {"no last game to resume: three-ball", 33, 1, 0, 4, false, "Bea"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame(
            [&](CSettings& s)
            {
                s.m_nGameType = c.nGameType;
                s.m_nCompetitionType = c.nCompetition;
                s.m_strPlayer1 = "Ann";
                s.m_strPlayer2 = "Bea";
                s.m_nPlayerLevel1 = 7; // a person always plays the first seat
                s.m_nPlayerLevel2 = c.nLevel2;
                s.m_nAIDefaultLevel = 5; // the level the start screen's Play gives the computer
            });
        ASSERT_TRUE(frame.Started());
        CGameFlow& flow = frame.Flow();
        EXPECT_EQ(c.nBalls, frame.Frame().GetBallCount());
        EXPECT_EQ(c.nBalls, g_BallEngineMain.GetBallCount()) << "racked on the live table";
        EXPECT_EQ(0, flow.Player1().GetRobotLevel());
        EXPECT_EQ(c.nLevel2, flow.Player2().GetRobotLevel());
        EXPECT_STREQ("Ann", flow.Player1().GetName());
        if (c.nLevel2 == 0)
        {
            EXPECT_STREQ(c.szSecond, flow.Player2().GetName());
        }
        EXPECT_EQ(c.bSecondDead, flow.Player2().IsDead() != FALSE);
        EXPECT_TRUE(c.nLevel2 == 0 || flow.IsPlayer1Current()) << "against the computer the person breaks";
        EXPECT_EQ(modeCameraFlight, GetModeField()) << "a person's first turn flies to the table";
        EXPECT_FALSE(HasGameFlag(gmStartupFlag)) << "the start screen's Play clears the game-mode word";
        Pump();
        CTestClockScope clock(1000);
        for (int nFrame = 0; nFrame < 500 && GetModeField() == modeCameraFlight; ++nFrame)
        {
            clock.Advance(16);
            frame.Frame().OnFrame();
        }
        EXPECT_EQ(modeBallInHand, GetModeField()) << "and begins with the cue ball in hand";
    }
}

TEST(FrameNewGameTest, TheFirstPlayerBreaksAgainstTheComputerAndInPracticeElseAsTheClockFalls)
{
    struct SCase
    {
        bool bPractice;
        int nLevel2;
        DWORD dwClock;
        bool bPlayer1;
    };
    const SCase aCases[] = {{false, 0, 1000, true}, {false, 0, 1001, false}, {false, 4, 1000, true},
                            {false, 4, 1001, true}, {true, 0, 1000, true},   {true, 0, 1001, true}};
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << (c.bPractice ? "practice" : "match") << ", level " << c.nLevel2 << ", clock "
                                        << c.dwClock);
        CTestClockScope clock(c.dwClock);
        if (c.bPractice)
            frame.Flow().Player2().SetDead();
        else
            frame.Flow().Player2().SetLocal();
        frame.Flow().Player2().SetLevel(c.nLevel2);
        frame.Frame().ChooseFirstPlayer();
        EXPECT_EQ(c.bPlayer1, frame.Flow().IsPlayer1Current());
        EXPECT_EQ(c.dwClock, g_dwBreakSeed);
    }
}

TEST(FrameNewGameTest, TenPracticeStartsAllGiveTheBreakToThePlayer)
{
    // Who breaks falls by the clock at the start; in practice the empty second seat never does.
    for (DWORD dwClock = 1000; dwClock < 1010; ++dwClock)
    {
        SCOPED_TRACE(testing::Message() << "clock " << dwClock);
        std::vector<std::string> log;
        SetDebugLogSink([&log](const std::string& strLine) { log.push_back(strLine); });
        CTestClockScope clock(dwClock);
        CStartedFrame frame(
            [](CSettings& s)
            {
                s.m_nCompetitionType = 0;
                s.m_strPlayer1 = "Ann";
            });
        SetDebugLogSink(nullptr);
        ASSERT_TRUE(frame.Started());
        EXPECT_TRUE(frame.Flow().IsPlayer1Current());
        EXPECT_NE(std::find(log.begin(), log.end(), "Game: type 3, Ann against  , Ann breaks\n"), log.end());
        clock.Advance(16);
        frame.Frame().OnFrame();
        EXPECT_EQ(1, g_controlBar.m_nLamp) << "the first player's lamp is lit";
    }
}

TEST(FrameNewGameTest, SettingsForAGameAreMaskedByWhatTheGameAllows)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        int nCompetition;
        BOOL bKeepFirstLevel;
        int nBallPath, nRecommended, nLevel1;
    };
    const SCase aCases[] = {
        {"aiming: both kept, the first level cleared", modeAim, 1, FALSE, 1, 1, 0},
        {"the first level kept when asked", modeAim, 1, TRUE, 1, 1, 6},
        {"ball in hand: neither", modeBallInHand, 1, FALSE, 0, 0, 0},
        {"calling the shot: no aiming aid", modeCallShot, 1, FALSE, 0, 1, 0},
        {"text input: no aiming aid", modeAim | gmInputOff, 1, FALSE, 0, 1, 0},
        {"game over: no recommended shot", modeAim | gmGameOver, 1, FALSE, 1, 0, 0},
        {"competition 2: neither", modeAim, 2, FALSE, 0, 0, 0},
    };
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nBallPath1 = g_Settings.m_nRecommendedShot = 1;
        g_Settings.m_nPlayerLevel1 = 6;
        g_Settings.m_nCompetitionType = c.nCompetition;
        g_Settings.m_nAdDisplayEnable = 1;
        g_nGameMode = c.dwMode;
        frame.Frame().PrepareSettingsForGame(c.bKeepFirstLevel);
        EXPECT_EQ(c.nBallPath, g_Settings.m_nBallPath1);
        EXPECT_EQ(c.nRecommended, g_Settings.m_nRecommendedShot);
        EXPECT_EQ(c.nLevel1, g_Settings.m_nPlayerLevel1);
        EXPECT_EQ(0, g_Settings.m_nAdDisplayEnable);
    }
}

TEST(FrameNewGameTest, NewRackClearsFoulsScoresOnRequestCountsAndStartsTheComputersTurn)
{
    CStartedFrame frame([](CSettings& s) { s.m_nGameType = 8; });
    ASSERT_TRUE(frame.Started());
    CGameFlow& flow = frame.Flow();
    for (const BOOL bReset : {FALSE, TRUE})
    {
        SCOPED_TRACE(bReset);
        for (CPlayer* pPlayer : {&flow.Player1(), &flow.Player2()})
        {
            pPlayer->SetFouls(2);
            pPlayer->SetPoints(5);
        }
        flow.SetCurrent(false);
        flow.Player2().SetLevel(3);
        g_nGameMode = modeAim | 0x8; // the rounding flag
        const int nRacks = g_nRackCount;
        frame.Frame().StartNewRack(bReset);
        EXPECT_EQ(nRacks + 1, g_nRackCount);
        EXPECT_TRUE(g_BallEngineMain.GetRounding());
        EXPECT_EQ(1, g_nVectorRounding.load());
        EXPECT_EQ(0, flow.Player1().GetFouls());
        EXPECT_EQ(0, flow.Player2().GetFouls());
        EXPECT_EQ(bReset ? 0 : 5, flow.Player1().GetPoints());
        EXPECT_EQ(16, g_BallEngineMain.GetBallCount());
        EXPECT_EQ(modeCameraFlight, GetModeField());
        EXPECT_TRUE(HasGameFlag(gmRobotStroke)) << "the computer strikes at the flight's end";
    }
    g_nGameMode = 0;
    frame.Frame().StartNewRack(FALSE);
    EXPECT_FALSE(g_BallEngineMain.GetRounding());
    g_nVectorRounding = 0;
}

TEST(FrameNewGameTest, AJudgedCallIsSpentAndTheMatchsNextRackBeginsWithoutOne)
{
    CStartedFrame frame(
        [](CSettings& s)
        {
            s.m_nGameType = GAME_8BALL;
            s.m_nCompetitionType = 1;
            s.m_nPlayerLevel2 = 0;
            s.m_nGamesGoal = 2;
        });
    ASSERT_TRUE(frame.Started());
    // Ann on the eight, called into the side pocket it is struck into.
    const CTempFolder folder;
    const std::filesystem::path saved = folder.Path() / "eight.sav";
    WriteCalledEight(saved, LEFT_SIDE_POCKET);
    CString strReason;
    ASSERT_TRUE(frame.Frame().RestoreGame(CString(saved.string()), strReason)) << strReason.Str();
    frame.Frame().UpdatePocketArrow();
    ASSERT_NE(nullptr, g_pCallShotState);
    ASSERT_TRUE(frame.Frame().GetPocketArrow()->IsEnabled()) << "the arrow shows the call";

    CGameFlow& flow = frame.Flow();
    flow.Cue().fPullBack = flow.Cue().fMax * 0.1f; // a soft stroke
    flow.StrikeCueBall();
    CTestClockScope clock(1000);
    for (int nFrame = 0; nFrame < 2000 && flow.GetShotCount() == 1 && HasGameFlag(gmShotRunning); ++nFrame)
    {
        clock.Advance(16);
        frame.Frame().OnFrame();
    }
    ASSERT_FALSE(HasGameFlag(gmShotRunning)) << "the shot is judged";
    ASSERT_TRUE(HasGameFlag(gmRackDecided)) << "the eight decided the rack";
    EXPECT_EQ(1, GetCallFlag()) << "the judged call is spent: the next shot is called afresh";
    EXPECT_EQ(-1, GetCalledBall());
    EXPECT_EQ(-1, GetCalledPocket());
    EXPECT_EQ(-1, g_SavedCallRecord.nBall);
    EXPECT_FALSE(frame.Frame().GetPocketArrow()->IsEnabled()) << "no arrow over the judged call's pocket";
    EXPECT_NE(RESPOT_NONE, g_RespotNotice.nState) << "the eight's drop is told";

    Pump(); // the rack's result: the match goes on with a new rack
    EXPECT_FALSE(HasGameFlag(gmRackDecided));
    EXPECT_EQ(1, flow.Player1().GetGames());
    EXPECT_EQ(16, g_BallEngineMain.GetBallCount()) << "a new rack";
    EXPECT_EQ(nullptr, g_pCallShotState) << "no call of the last rack";
    EXPECT_EQ(RESPOT_NONE, g_RespotNotice.nState) << "nor its respot notice";
}

TEST(FrameNewGameTest, AimingAidIsRecomputedAfterTheAimStopsChanging)
{
    CStartedFrame frame([](CSettings& s) { s.m_nBallPath1 = 1; });
    ASSERT_TRUE(frame.Started());
    CTestClockScope clock(5000);
    struct SStep
    {
        const char* szName;
        BOOL bArm;
        DWORD dwAfterMs;
        bool bShown;
    };
    const SStep aSteps[] = {
        {"the aim changes: the old aid goes", TRUE, 0, false},
        {"it stops changing", FALSE, 0, false},
        {"too early", FALSE, 60, false},
        {"after the delay", FALSE, 60, true},
        {"it stays", FALSE, 500, true},
        {"the aim changes again", TRUE, 0, false},
        {"and stops", FALSE, 10, false},
        {"after the delay", FALSE, 101, true},
    };
    for (const SStep& s : aSteps)
    {
        SCOPED_TRACE(s.szName);
        clock.Advance(s.dwAfterMs);
        frame.Frame().ThrottleAimPreview(s.bArm);
        EXPECT_EQ(s.bShown, frame.Frame().IsAimPreviewShown());
    }
    g_Settings.m_nBallPath1 = 0;
    frame.Frame().ThrottleAimPreview(TRUE);
    frame.Frame().ThrottleAimPreview(FALSE);
    clock.Advance(200);
    frame.Frame().ThrottleAimPreview(FALSE);
    EXPECT_FALSE(frame.Frame().IsAimPreviewShown()) << "switched off, the aid is never computed";
}
} // namespace
