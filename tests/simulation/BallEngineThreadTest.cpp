// The aiming aid on its worker thread and the queued engine: copies of the live table, the shot
// simulated on the worker against the same shot stepped by hand, and shutdown.
#include "tests/simulation/BallEngineScenes.h"
#include "tests/simulation/SimTestSupport.h"

#include <vector>

namespace
{
class CBallEngineThreadTest : public CSimulationTest
{
protected:
    void TearDown() override
    {
        g_nRackSeed = 1;
        CSimulationTest::TearDown();
    }
};

/// Every ball's recorded track: number, points and kinds.
struct STrack
{
    int nNumber = -1;
    std::vector<CVector3> points;
    std::vector<std::int32_t> kinds;
};

std::vector<STrack> Tracks(CBallEngine& engine)
{
    const auto lock = engine.AcquireLock();
    std::vector<STrack> tracks;
    for (int i = 0; i < engine.GetBallCount(); ++i)
    {
        const CBall& ball = *engine.GetBallAt(i);
        tracks.push_back({ball.GetIndex(), ball.GetTrackPoints(), ball.GetTrackKinds()});
    }
    return tracks;
}

/// The aiming aid's shot stepped on the calling thread: the live balls copied, recording on, the
/// cue ball's start noted, the stroke at the aid's speed, one period in frames of the live table's
/// length and each frame in safe steps, then all balls stopped.
std::vector<STrack> StepAimedShotByHand(CBallEngine& live, float fDirection, float fSide, float fHeight)
{
    CBallEngineAux hand;
    hand.CopyBallsFrom(live);
    for (int i = 0; i < hand.GetBallCount(); ++i)
        hand.GetBallAt(i)->SetWritePos(TRUE);
    hand.FindBall(GetCueBallNumber())->RecordPoint(TRACK_POINT_PLAIN);
    hand.StrikeBall(AUX_STRIKE_SPEED_MPS, fDirection, 0.0f, fSide, fHeight);
    for (DWORD dwDone = 0; dwDone < AUX_PERIOD_MS; dwDone += LIVE_FRAME_MS)
        for (double dRemaining = std::min(LIVE_FRAME_MS, AUX_PERIOD_MS - dwDone);
             dRemaining > 0.0 && !hand.AllBallsStopped();)
        {
            const double dStep = std::min(hand.GetMaxStep(), dRemaining);
            hand.Step(dStep);
            dRemaining -= dStep;
        }
    hand.StopAllBalls();
    return Tracks(hand);
}

void ExpectSameTracks(const std::vector<STrack>& expected, const std::vector<STrack>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        SCOPED_TRACE(testing::Message() << "ball " << expected[i].nNumber);
        EXPECT_EQ(expected[i].nNumber, actual[i].nNumber);
        EXPECT_EQ(expected[i].kinds, actual[i].kinds);
        ASSERT_EQ(expected[i].points.size(), actual[i].points.size());
        for (std::size_t k = 0; k < expected[i].points.size(); ++k)
        {
            EXPECT_EQ(expected[i].points[k].x, actual[i].points[k].x) << "point " << k;
            EXPECT_EQ(expected[i].points[k].y, actual[i].points[k].y) << "point " << k;
        }
    }
}

/// A changing aim: a direction around the line to the rack, some english and some draw.
struct SAim
{
    float fDirection;
    float fSide;
    float fHeight;
};

SAim AimOfRun(CBallEngine& live, int nRun)
{
    const float fBase = DirectionTowards(live, ApexBall(live) >= 0 ? ApexBall(live) : 1);
    return {fBase + 0.02f * static_cast<float>(nRun % 11 - 5), static_cast<float>(nRun % 7 - 3) * 4.0f,
            static_cast<float>(nRun % 5 - 2) * 5.0f};
}

/// Changes the live table between runs: the cue ball moves, and every tenth run the table is
/// broken and played to rest.
void ChangeLiveTable(CBallEngineMain& live, int nRun)
{
    if (nRun % 10 == 9)
    {
        live.BeginShot(FULL_STROKE_SPEED_MPS, DirectionTowards(live, 1), 0.0f, 0.0f, 0.0f);
        AdvanceToRest(live);
        return;
    }
    live.SetBallPosition(GetCueBallNumber(), 0.2 + 0.07 * (nRun % 10), 0.3 + 0.02 * (nRun % 13));
}
} // namespace

TEST_F(CBallEngineThreadTest, SyncFromRefusesWhileTheSourceMovesOrWithoutAWorker)
{
    CBallEngineMain live;
    RackGame(live, GAME_TYPE_9BALL, 1);
    CBallEngineAux aid;
    EXPECT_FALSE(aid.SyncFrom(live)) << "no worker";
    aid.StartThread();
    live.BeginShot(2.0f, DirectionTowards(live, 1), 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(aid.SyncFrom(live)) << "the live balls still move";
    EXPECT_EQ(0, aid.GetBallCount());
    AdvanceToRest(live);
    EXPECT_TRUE(aid.SyncFrom(live));
    ASSERT_EQ(live.GetBallCount(), aid.GetBallCount());
    for (int i = 0; i < live.GetBallCount(); ++i)
    {
        const CBall& a = *live.GetBallAt(i);
        const CBall& b = *aid.GetBallAt(i);
        EXPECT_EQ(a.GetIndex(), b.GetIndex());
        EXPECT_EQ(a.GetPosition()->x, b.GetPosition()->x);
        EXPECT_EQ(a.GetPosition()->y, b.GetPosition()->y);
        EXPECT_EQ(a.IsPocketed(), b.IsPocketed());
        EXPECT_EQ(a.GetPocket(), b.GetPocket());
    }
    EXPECT_FALSE(aid.SyncFrom(aid)) << "an engine does not copy itself";
}

TEST_F(CBallEngineThreadTest, AimingAidRecordsTheSameTracksAsTheShotSteppedByHand)
{
    // Many aims in a row while the live table changes between them: each run must simulate the
    // shot it was given on the table as it was copied, for the full period (no lost wake-up, no
    // stale copy).
    CBallEngineMain live;
    RackGame(live, GAME_TYPE_8BALL, 5);
    CBallEngineAux aid;
    aid.StartThread();
    for (int nRun = 0; nRun < 200; ++nRun)
    {
        SCOPED_TRACE(testing::Message() << "run " << nRun);
        ChangeLiveTable(live, nRun);
        const SAim aim = AimOfRun(live, nRun);
        ASSERT_TRUE(aid.SyncFrom(live));
        aid.BeginShot(0.0f, aim.fDirection, 0.0f, aim.fSide, aim.fHeight);
        ASSERT_TRUE(aid.WaitForPark(10000)) << "the worker must finish its period";
        ExpectSameTracks(StepAimedShotByHand(live, aim.fDirection, aim.fSide, aim.fHeight), Tracks(aid));
        EXPECT_TRUE(aid.AllBallsStopped()) << "the aid stops everything at the end of its period";
        if (HasFatalFailure())
            return;
    }
    aid.Release();
}

TEST_F(CBallEngineThreadTest, NewAimWhileTheWorkerStillStepsTheLastOne)
{
    // The player keeps turning the cue: every aim copies and strikes while the previous shot may
    // still be stepping. The copy waits for the worker to park, so it never frees balls in use,
    // and the last aim's shot is the one simulated.
    CBallEngineMain live;
    RackGame(live, GAME_TYPE_PYRAMID, 9);
    CBallEngineAux aid;
    aid.StartThread();
    SAim aim{};
    for (int nRun = 0; nRun < 500; ++nRun)
    {
        aim = AimOfRun(live, nRun);
        // A copy gives up after its bounded wait for the worker to park, which a loaded machine
        // can exceed; the caller then simply tries again.
        bool bCopied = false;
        for (int nTry = 0; nTry < 20 && !bCopied; ++nTry)
            bCopied = aid.SyncFrom(live) != FALSE;
        ASSERT_TRUE(bCopied) << "the worker parks when interrupted";
        aid.BeginShot(0.0f, aim.fDirection, 0.0f, aim.fSide, aim.fHeight);
    }
    ASSERT_TRUE(aid.WaitForPark(10000));
    ExpectSameTracks(StepAimedShotByHand(live, aim.fDirection, aim.fSide, aim.fHeight), Tracks(aid));
}

TEST_F(CBallEngineThreadTest, QueuedEngineCopiesWithoutWaitingAndItsWorkerNeverSteps)
{
    CBallEngineMain live;
    RackGame(live, GAME_TYPE_9BALL, 3);
    CBallEngineQueued queued;
    EXPECT_FALSE(queued.SyncFrom(live)) << "no worker";
    queued.StartThread();
    EXPECT_TRUE(queued.IsThreadRunning());
    EXPECT_TRUE(queued.SyncFrom(live));
    EXPECT_EQ(live.GetBallCount(), queued.GetBallCount());
    EXPECT_EQ(ENGINE_KIND_QUEUED, queued.GetKind());
    EXPECT_EQ(0u, queued.GetStartTime());
    queued.StopThread();
    EXPECT_FALSE(queued.IsThreadRunning());
}

TEST_F(CBallEngineThreadTest, AllThreeEnginesShutDownPromptlyEvenMidShot)
{
    CBallEngineMain live;
    RackGame(live, GAME_TYPE_8BALL, 11);
    CBallEngineAux aid;
    CBallEngineQueued queued;
    aid.StartThread();
    queued.StartThread();
    ASSERT_TRUE(aid.SyncFrom(live));
    aid.BeginShot(0.0f, DirectionTowards(live, ApexBall(live)), 0.0f, 0.0f, 0.0f);
    // The workers end within one step of being asked: a worker that did not would hang the test.
    queued.Release();
    live.Release();
    aid.Release();
    EXPECT_FALSE(aid.IsThreadRunning());
    EXPECT_FALSE(queued.IsThreadRunning());
    EXPECT_EQ(0, aid.GetBallCount());

    // An engine destroyed with its worker still running stops it first.
    CBallEngineAux other;
    other.StartThread();
    other.Resume();
}

TEST_F(CBallEngineThreadTest, RestartedWorkerSimulatesAgain)
{
    CBallEngineMain live;
    RackGame(live, GAME_TYPE_9BALL, 2);
    CBallEngineAux aid;
    aid.StartThread();
    aid.StartThread(); // stops the first worker, starts a new one
    aid.StopThread();
    aid.StartThread();
    ASSERT_TRUE(aid.SyncFrom(live));
    const SAim aim = AimOfRun(live, 3);
    aid.BeginShot(0.0f, aim.fDirection, 0.0f, aim.fSide, aim.fHeight);
    ASSERT_TRUE(aid.WaitForPark(10000));
    ExpectSameTracks(StepAimedShotByHand(live, aim.fDirection, aim.fSide, aim.fHeight), Tracks(aid));
}
