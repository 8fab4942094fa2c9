// The aiming aid shows the shot the live table will play: a table of shots struck on the live
// table, stepped in 16 ms frames, and on the aiming aid's worker, stepped in its 1000 ms periods,
// end with every ball in the same place 1 s after the stroke and at rest, and with the same balls
// off the table. The live table is looked at every whole second, where the aid's periods end: the
// frame that spans it is played in two parts.
#include "tests/simulation/BallEngineScenes.h"
#include "tests/simulation/SimTestSupport.h"

#include <vector>

namespace
{
class CAimingAidAgreementTest : public CSimulationTest
{
protected:
    void TearDown() override
    {
        g_nRackSeed = 1;
        CSimulationTest::TearDown();
    }
};

/// How far the two tables may end apart for any ball. Metres.
constexpr double AGREEMENT_M = 0.05;
/// The moment of the first comparison. Milliseconds.
constexpr DWORD FIRST_LOOK_MS = 1000;
/// Longest wait for the worker to finish a period (a hang guard under load). Milliseconds.
constexpr DWORD PERIOD_WAIT_MS = 20000;

struct SPlacedBall
{
    int nNumber;
    double x, y;
};

struct SStroke
{
    float fSpeed;      // m/s
    float fAzimuthDeg; // direction of travel, from +x towards +y
    float fElevation;  // rad; negative lifts the ball
    float fSide;       // degrees of english
    float fHeight;     // degrees; positive draws, negative follows
};

struct SShot
{
    const char* szName;
    std::vector<SPlacedBall> balls; // empty: a rack, broken at the apex
    SStroke stroke;                 // for a break, fAzimuthDeg turns the stroke off the apex line
    int nRackType = GAME_TYPE_8BALL;
    unsigned int nRackSeed = 1;
};

/// Where a ball ended: on the bed at a place, or off the table (in a pocket, or gone to the floor).
struct SEnd
{
    int nNumber = -1;
    CVector3 vPos;
    int nPocket = -1; // -1: not in a pocket
    bool bOnFloor = false;
};

void SetUpTable(CBallEngine& engine, const SShot& shot)
{
    if (shot.balls.empty())
    {
        RackGame(engine, shot.nRackType, shot.nRackSeed);
        return;
    }
    engine.RemoveAllBalls();
    for (const SPlacedBall& b : shot.balls)
    {
        engine.AddBall(b.nNumber);
        engine.SetBallPosition(b.nNumber, b.x, b.y);
    }
    SetCueBallNumber(0);
}

float DirectionOf(CBallEngine& engine, const SShot& shot)
{
    if (shot.balls.empty())
        return DirectionTowards(engine, ApexBall(engine)) + static_cast<float>(shot.stroke.fAzimuthDeg * PI / 180.0);
    // The stroke's azimuth is minus its direction.
    return static_cast<float>(-shot.stroke.fAzimuthDeg * PI / 180.0);
}

std::vector<SEnd> Ends(CBallEngine& engine)
{
    const auto lock = engine.AcquireLock();
    std::vector<SEnd> ends;
    for (int i = 0; i < engine.GetBallCount(); ++i)
    {
        const CBall& ball = *engine.GetBallAt(i);
        SEnd end{ball.GetIndex(), *ball.GetPosition(), -1, false};
        // A ball falling into a pocket on the live table counts as in it.
        if (ball.IsPocketed() || ball.IsRollMode4())
            end.nPocket = ball.GetPocket();
        end.bOnFloor = end.nPocket < 0 && ball.GetSurfaceHeight() < 0.0f;
        ends.push_back(end);
    }
    return ends;
}

void ExpectSameEnds(const std::vector<SEnd>& live, const std::vector<SEnd>& aid)
{
    ASSERT_EQ(live.size(), aid.size());
    for (std::size_t i = 0; i < live.size(); ++i)
    {
        SCOPED_TRACE(testing::Message() << "ball " << live[i].nNumber);
        EXPECT_EQ(live[i].nPocket, aid[i].nPocket);
        EXPECT_EQ(live[i].bOnFloor, aid[i].bOnFloor);
        if (live[i].nPocket >= 0 || aid[i].nPocket >= 0)
            continue; // where a ball lies inside a pocket does not matter
        const CVector3 d = live[i].vPos - aid[i].vPos;
        EXPECT_LT(std::hypot(d.x, d.y), AGREEMENT_M)
            << "live (" << live[i].vPos.x << ", " << live[i].vPos.y << ", " << live[i].vPos.z << "), aid ("
            << aid[i].vPos.x << ", " << aid[i].vPos.y << ", " << aid[i].vPos.z << ")";
    }
}

/// The live table: a copy of the resting table, struck, stepped in frames to the first look and
/// then to rest.
void PlayLive(CBallEngine& table, const SShot& shot, std::vector<SEnd>& atFirstLook, std::vector<SEnd>& atRest)
{
    CBallEngineMain live;
    live.CopyBallsFrom(table);
    live.BeginShot(shot.stroke.fSpeed, DirectionOf(table, shot), shot.stroke.fElevation, shot.stroke.fSide,
                   shot.stroke.fHeight);
    DWORD dwPlayed = 0;
    const auto playFrame = [&live, &dwPlayed]
    {
        const DWORD dwNext =
            std::min((dwPlayed / FRAME_MS + 1) * FRAME_MS, (dwPlayed / AUX_PERIOD_MS + 1) * AUX_PERIOD_MS);
        live.Advance(dwNext - dwPlayed);
        dwPlayed = dwNext;
    };
    while (dwPlayed < FIRST_LOOK_MS)
        playFrame();
    atFirstLook = Ends(live);
    while (!live.AllBallsStopped())
    {
        ASSERT_LT(dwPlayed, 600000u) << "the live table must come to rest";
        playFrame();
    }
    atRest = Ends(live);
}

/// The aiming aid: the resting table copied, the same stroke under its lock with the tracks
/// recorded, then its worker woken for one period after another until the balls rest.
void PlayOnAid(CBallEngine& table, const SShot& shot, std::vector<SEnd>& atFirstLook, std::vector<SEnd>& atRest)
{
    CBallEngineAux aid;
    aid.StartThread();
    ASSERT_TRUE(aid.SyncFrom(table));
    {
        const auto lock = aid.AcquireLock();
        for (int i = 0; i < aid.GetBallCount(); ++i)
            aid.GetBallAt(i)->SetWritePos(TRUE);
        aid.StrikeBall(shot.stroke.fSpeed, DirectionOf(table, shot), shot.stroke.fElevation, shot.stroke.fSide,
                       shot.stroke.fHeight);
    }
    ASSERT_EQ(AUX_PERIOD_MS, FIRST_LOOK_MS);
    for (int nPeriod = 0; !aid.AllBallsStopped(); ++nPeriod)
    {
        ASSERT_LT(nPeriod, 600) << "the aid's balls must come to rest";
        aid.Advance(AUX_PERIOD_MS);
        ASSERT_TRUE(aid.WaitForPark(PERIOD_WAIT_MS));
        if (nPeriod == 0)
            atFirstLook = Ends(aid);
    }
    atRest = Ends(aid);
    aid.Release();
}

const SShot SHOTS[] = {
    {"straight into the far cushion at 2 m/s", {{0, 0.5588, 0.6}}, {2.0f, 90.0f, 0.0f, 0.0f, 0.0f}},
    {"straight into the far cushion at 4 m/s", {{0, 0.5588, 0.6}}, {4.0f, 90.0f, 0.0f, 0.0f, 0.0f}},
    {"straight into the far cushion at 6 m/s", {{0, 0.5588, 0.6}}, {6.0f, 90.0f, 0.0f, 0.0f, 0.0f}},
    {"straight into the far cushion at 8 m/s", {{0, 0.5588, 0.6}}, {8.0f, 90.0f, 0.0f, 0.0f, 0.0f}},
    {"45 degrees into a long cushion", {{0, 0.3, 0.5}}, {6.0f, 45.0f, 0.0f, 0.0f, 0.0f}},
    {"cut into a cushion", {{0, 0.5588, 0.5}, {1, 0.6, 1.2}}, {6.0f, 86.6f, 0.0f, 0.0f, 0.0f}},
    {"stun on a ball", {{0, 0.5588, 0.5}, {1, 0.5588, 0.9}}, {6.0f, 90.0f, 0.0f, 0.0f, 0.0f}},
    {"follow on a ball", {{0, 0.5588, 0.5}, {1, 0.5588, 1.1}}, {6.0f, 90.0f, 0.0f, 0.0f, -20.0f}},
    {"draw on a ball", {{0, 0.5588, 0.5}, {1, 0.5588, 0.9}}, {6.0f, 90.0f, 0.0f, 0.0f, 20.0f}},
    {"jump over a ball", {{0, 0.5588, 0.4}, {1, 0.5588, 0.6}}, {6.0f, 90.0f, -0.5f, 0.0f, 0.0f}},
    {"the 8-ball break", {}, {FULL_STROKE_SPEED_MPS, 0.0f, 0.0f, 0.0f, 0.0f}},
    // Breaks in which balls drop while others still run.
    {"an 8-ball break, a little off the apex", {}, {FULL_STROKE_SPEED_MPS, 0.5f, 0.0f, 0.0f, 0.0f}, GAME_TYPE_8BALL, 5},
    {"a 9-ball break", {}, {FULL_STROKE_SPEED_MPS, 1.0f, 0.0f, 0.0f, 0.0f}, GAME_TYPE_9BALL, 12},
    {"an 8-ball break with english", {}, {FULL_STROKE_SPEED_MPS, 2.0f, 0.0f, 10.0f, -5.0f}, GAME_TYPE_8BALL, 19},
    {"a 9-ball break off the apex", {}, {FULL_STROKE_SPEED_MPS, -1.5f, 0.0f, 0.0f, 0.0f}, GAME_TYPE_9BALL, 21},
};

/// The aid as the player sees it: BeginShot with its own speed, one period, every ball stopped.
std::vector<SEnd> AimOnAid(CBallEngine& table, const SShot& shot)
{
    CBallEngineAux aid;
    aid.StartThread();
    EXPECT_TRUE(aid.SyncFrom(table));
    aid.BeginShot(0.0f, DirectionOf(table, shot), shot.stroke.fElevation, shot.stroke.fSide, shot.stroke.fHeight);
    EXPECT_TRUE(aid.WaitForPark(PERIOD_WAIT_MS));
    EXPECT_TRUE(aid.AllBallsStopped());
    return Ends(aid);
}
} // namespace

TEST_F(CAimingAidAgreementTest, AidAndLiveTableEndTheShotsAlike)
{
    for (const SShot& shot : SHOTS)
    {
        SCOPED_TRACE(shot.szName);
        // One resting table for both: a rack's spots carry a random jitter.
        CBallEngineMain table;
        SetUpTable(table, shot);
        std::vector<SEnd> liveAtLook, liveAtRest, aidAtLook, aidAtRest;
        PlayLive(table, shot, liveAtLook, liveAtRest);
        PlayOnAid(table, shot, aidAtLook, aidAtRest);
        {
            SCOPED_TRACE("1 s after the stroke");
            ExpectSameEnds(liveAtLook, aidAtLook);
        }
        {
            SCOPED_TRACE("at rest");
            ExpectSameEnds(liveAtRest, aidAtRest);
        }
        if (shot.stroke.fSpeed == AUX_STRIKE_SPEED_MPS)
        {
            SCOPED_TRACE("the aimed shot");
            ExpectSameEnds(liveAtLook, AimOnAid(table, shot));
        }
    }
}

TEST_F(CAimingAidAgreementTest, OneLongAdvanceStepsAFlightAsFramesDo)
{
    // A live frame that comes late (or any long step) must not fly a ball over the cushions: a
    // ball in the air is stepped finely whatever the advance.
    for (const SShot& shot : SHOTS)
    {
        if (shot.balls.size() != 1)
            continue;
        SCOPED_TRACE(shot.szName);
        CBallEngineMain table;
        SetUpTable(table, shot);
        std::vector<SEnd> framed, framedAtRest;
        PlayLive(table, shot, framed, framedAtRest);
        CBallEngineMain once;
        once.CopyBallsFrom(table);
        once.BeginShot(shot.stroke.fSpeed, DirectionOf(table, shot), shot.stroke.fElevation, shot.stroke.fSide,
                       shot.stroke.fHeight);
        once.Advance(FIRST_LOOK_MS);
        ExpectSameEnds(framed, Ends(once));
    }
}
