#include "simulation/ShotPlanner.h"

#include "tests/simulation/BallEngineScenes.h"

#include "foundation/RunningMean.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/PlannerSwitches.h"
#include "simulation/Referee.h"
#include "simulation/ShotInfo.h"
#include "simulation/ShotTable.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace
{
constexpr float R = BALL_RADIUS_M;
constexpr float W = TABLE_WIDTH_M;
constexpr float L = TABLE_LENGTH_M;

/// Puts the game-flow switches back after each test.
class ShotPlannerTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetScratchCheck(TRUE);
        SetPlannerDisplayOption(0);
        SetPlannerFrameDrawer({});
        g_ChosenShotValues = CRunningMean();
    }
};

/// Balls 0 to nCount - 1 at random on the bed, none overlapping another; some frozen on a cushion.
CShotTable RandomLayout(std::mt19937& rng, int nCount)
{
    CShotTable t;
    std::uniform_real_distribution<float> ux(R, W - R), uy(R, L - R);
    std::uniform_int_distribution<int> frozen(0, 5);
    std::vector<CVector3> placed;
    for (int n = 0; n < nCount; ++n)
    {
        for (int nTry = 0; nTry < 200; ++nTry)
        {
            CVector3 v(ux(rng), uy(rng), 0.0f);
            const int f = frozen(rng);
            if (f == 0)
                v.x = R; // frozen on a long cushion
            else if (f == 1)
                v.y = L - R; // frozen on the far end
            if (t.IsPlacementBlocked(v))
                continue;
            BOOL bFree = TRUE;
            for (const CVector3& p : placed)
                bFree = bFree && p.Distance(v) > 2.0 * R;
            if (!bFree)
                continue;
            placed.push_back(v);
            t.SetBall(n, v.x, v.y);
            break;
        }
    }
    return t;
}

int CountOnTable(const CShotTable& t)
{
    int n = 0;
    for (int i = 0; i < SHOT_BALL_COUNT; ++i)
        n += t.IsOnTable(i) ? 1 : 0;
    return n;
}

/// A table with an easy straight shot of ball 1 into pocket 2 and a few other balls.
CShotTable EasyTable()
{
    CShotTable t;
    t.SetBall(1, 0.3f, 0.5f);
    const CVector3 O = t.GetPos(1);
    const CVector3 C = O + (O - t.GetAimPoint(2, O)).GetNormalized() * 0.4f;
    t.SetBall(0, C.x, C.y);
    t.SetBall(5, 0.8f, 1.6f);
    t.SetBall(9, 0.5f, 1.9f);
    t.SetBall(12, 0.9f, 0.6f);
    return t;
}
} // namespace

TEST_F(ShotPlannerTest, ConfigurationByLevelAndGame)
{
    struct SCase
    {
        const char* szName;
        SShotPlannerSetup setup;
        DWORD dwOptions;
        double dNoise;
        double dWeight; // of kinds 2, 4 and 8
    };
    const SCase cases[] = {
        {"level 9", {GAME_8BALL, 9, TRUE, -1, FALSE}, 15, 0.0, 1.0},
        {"level 5", {GAME_8BALL, 5, TRUE, -1, FALSE}, 15, 0.5, 0.6},
        {"level 4", {GAME_8BALL, 4, TRUE, -1, FALSE}, 13, 0.625, 0.5},
        {"level 3", {GAME_8BALL, 3, TRUE, -1, FALSE}, 13, 0.75, 0.4},
        {"level 1", {GAME_8BALL, 1, TRUE, -1, FALSE}, 9, 1.0, 0.2},
        {"level 0", {GAME_8BALL, 0, TRUE, -1, FALSE}, 15, 0.0, 1.0},
        {"American pool lowers level 5", {GAME_AMERICAN, 5, TRUE, -1, FALSE}, 13, 0.625, 0.5},
        {"bonus pool keeps level 9", {GAME_BONUS, 9, TRUE, -1, FALSE}, 15, 0.0, 1.0},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner(c.setup);
        EXPECT_EQ(c.dwOptions, p->GetOptions());
        EXPECT_DOUBLE_EQ(c.dNoise, p->GetNoise());
        EXPECT_DOUBLE_EQ(1.0, p->GetWeight(SHOT_KIND_DIRECT));
        for (int nKind : {SHOT_KIND_BANK, SHOT_KIND_KICK, SHOT_KIND_TWO_BALL})
            EXPECT_DOUBLE_EQ(c.dWeight, p->GetWeight(nKind));
        EXPECT_EQ(-1.0, p->GetWeight(3));
    }
    EXPECT_NE(nullptr, dynamic_cast<CShotPlanner16*>(CreateShotPlanner({GAME_PYRAMID, 9, TRUE, -1, FALSE}).get()));
    EXPECT_EQ(nullptr, dynamic_cast<CShotPlanner16*>(CreateShotPlanner({GAME_9BALL, 9, TRUE, 1, FALSE}).get()));
}

TEST_F(ShotPlannerTest, TargetRulesDecideTheObjectBalls)
{
    // Every ball of the rack at random; the chosen and kept candidates keep to the rules.
    struct SCase
    {
        const char* szName;
        SShotPlannerSetup setup;
        int nFrom, nTo;             // object balls allowed
        int nPocketFrom, nPocketTo; // balls a two-ball shot may pocket
    };
    const SCase cases[] = {
        {"8-ball solids", {GAME_8BALL, 9, TRUE, -3, FALSE}, 1, 8, 1, 8},
        {"8-ball stripes", {GAME_8BALL, 9, TRUE, -2, FALSE}, 9, 16, 9, 16},
        {"8-ball open table: any but the 8", {GAME_8BALL, 9, TRUE, -1, FALSE}, 1, 16, 1, 16},
        {"8-ball on the 8", {GAME_8BALL, 9, TRUE, -3, TRUE}, 8, 9, 0, 16},
        {"9-ball on the 3", {GAME_9BALL, 9, TRUE, 3, FALSE}, 3, 4, 1, 16},
        {"3-ball on the 1", {GAME_3BALL, 9, TRUE, 1, FALSE}, 1, 2, 1, 16},
    };
    std::mt19937 rng(7);
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CTestClockScope clock;
        const CShotTable t = RandomLayout(rng, 16);
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner(c.setup);
        p->Plan(t);
        for (const std::unique_ptr<CShotCandidate>& cand : p->GetCandidates())
        {
            if (p->IsFallbackChoice())
                continue; // nothing legal found: the fallback shot
            EXPECT_GE(cand->GetObjectBall(), c.nFrom);
            EXPECT_LT(cand->GetObjectBall(), c.nTo);
            if (c.setup.nGameType == GAME_8BALL && !c.setup.bFinalBall)
            {
                EXPECT_NE(8, cand->GetPocketedBall());
            }
            EXPECT_GE(cand->GetPocketedBall(), c.nPocketFrom);
            EXPECT_LT(cand->GetPocketedBall(), c.nPocketTo);
            EXPECT_EQ(0, cand->GetCueBall());
        }
    }
}

TEST_F(ShotPlannerTest, LevelNineChoosesTheObviousStraightShot)
{
    CTestClockScope clock;
    CrtSrand(3);
    const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_8BALL, 9, TRUE, -1, FALSE});
    p->Plan(EasyTable());
    ASSERT_NE(nullptr, p->GetChosen());
    CShotInfo shot;
    ASSERT_TRUE(p->GetShot(shot, TRUE));
    EXPECT_EQ(2, shot.m_nPocket);
    EXPECT_EQ(1, shot.m_nObjectBall);
    EXPECT_EQ(SHOT_KIND_DIRECT, shot.m_nKind);
    EXPECT_EQ(0.0, shot.m_dDeviation);
    EXPECT_EQ(p->GetChosen()->GetAim(), shot.m_dAim);
    // Every choice went into the running mean of chosen values (once per kind and once more).
    EXPECT_EQ(5u, g_ChosenShotValues.GetCount());
    EXPECT_DOUBLE_EQ(p->GetChosen()->GetValue(), g_ChosenShotValues.GetMean());
}

TEST_F(ShotPlannerTest, TheBreakShotIsFixed)
{
    const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_8BALL, 9, FALSE, -1, FALSE});
    CShotInfo shot;
    shot.m_nWord5 = 77;
    EXPECT_TRUE(p->GetShot(shot, FALSE));
    EXPECT_EQ(-1, shot.m_nPocket);
    EXPECT_EQ(0, shot.m_nCueBall);
    EXPECT_EQ(-1, shot.m_nObjectBall);
    EXPECT_EQ(-1, shot.m_nSecondBall);
    EXPECT_EQ(0, shot.m_nKind);
    EXPECT_EQ(77, shot.m_nWord5);
    // Struck as the engines take the planner's aim, the cue ball leaves the head spot straight up
    // the table, into the rack at the foot.
    CBallEngineMain engine;
    RackGame(engine, GAME_8BALL, 1);
    const CVector3 vStart = *engine.FindBall(0)->GetPosition();
    engine.StrikeBall(5.0f, static_cast<float>(shot.m_dAim), 0.0f, 0.0f, 0.0f);
    const CVector3 vVelocity = engine.FindBall(0)->GetVelocity();
    EXPECT_LT(vStart.y, L / 2);
    EXPECT_NEAR(vVelocity.x, 0.0f, 1e-4f);
    EXPECT_GT(vVelocity.y, 4.9f);
}

TEST_F(ShotPlannerTest, NoPositiveCandidateFallsBackToTheTwoLowestBalls)
{
    CTestClockScope clock;
    // No cue ball on the table: the search finds nothing, the fallback shoots ball 3 at ball 6.
    CShotTable t;
    t.SetBall(3, 0.5f, 1.0f);
    t.SetBall(6, 0.5f, 1.3f);
    for (unsigned int nSeed : {1u, 2u})
    {
        CrtSrand(nSeed);
        const int nDraw = CrtRand();
        CrtSrand(nSeed);
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_BASE, 9, TRUE, -1, FALSE});
        p->Plan(t);
        ASSERT_NE(nullptr, p->GetChosen());
        EXPECT_EQ(3, p->GetChosen()->GetCueBall());
        EXPECT_EQ(6, p->GetChosen()->GetObjectBall());
        EXPECT_EQ((nDraw & 1) ? 3 : 0, p->GetChosen()->GetPocket());
        EXPECT_TRUE(std::isfinite(p->GetChosenAim()));
    }
}

TEST_F(ShotPlannerTest, FewerThanTwoBallsIsNoShot)
{
    CTestClockScope clock;
    CShotTable t;
    const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_8BALL, 9, TRUE, -1, FALSE});
    for (int nBalls : {0, 1})
    {
        SCOPED_TRACE(nBalls);
        if (nBalls == 1)
            t.SetBall(0, 0.5f, 0.5f);
        p->Plan(t);
        EXPECT_EQ(nullptr, p->GetChosen());
        CShotInfo shot;
        EXPECT_FALSE(p->GetShot(shot, TRUE));
        EXPECT_EQ(-1, shot.m_nPocket);
        EXPECT_EQ(0, shot.m_nKind);
        double dAim = 1.0;
        p->GetNoisyAim(dAim);
        EXPECT_EQ(0.0, dAim);
    }
    // Choose on an empty list chooses nothing.
    p->ReleaseCandidates();
    p->Choose();
    EXPECT_EQ(nullptr, p->GetChosen());
}

TEST_F(ShotPlannerTest, SearchStopsWhenTheBudgetIsSpent)
{
    // Cue ball 0 -> ball 3 -> ball 6 -> pocket 2 on one line: direct and two-ball shots exist. Time
    // passes only while a frame is drawn (one after each object ball, while the display option is
    // on): each draw moves the test clock on by dwStepMs. Each kind walks 6 pockets x 2 balls.
    struct SCase
    {
        const char* szName;
        DWORD dwOption;
        DWORD dwStepMs;
        int nDraws;
        BOOL bTwoBall; // the two-ball pass was reached
        BOOL bOnlyDirect;
    };
    const SCase cases[] = {
        {"display off: no frames, every kind searched", 0, 150, 0, TRUE, FALSE},
        // 12 x 150 ms for the direct and the bank pass, the kick pass stops after 3 with 4050 ms
        // spent, and the two-ball pass is skipped.
        {"150 ms a frame: out of time in the kicks", 1, 150, 27, FALSE, FALSE},
        {"one frame spends it all: direct shots only", 1, 5000, 1, FALSE, TRUE},
    };
    CShotTable t;
    t.SetBall(6, 0.3f, 0.4f);
    const CVector3 D = t.GetPos(6);
    const CVector3 B = D + (D - t.GetAimPoint(2, D)).GetNormalized() * 0.25f;
    const CVector3 C = B + (B - D).GetNormalized() * 0.3f;
    t.SetBall(3, B.x, B.y);
    t.SetBall(0, C.x, C.y);
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CTestClockScope clock(1000);
        int nDraws = 0;
        SetPlannerDisplayOption(c.dwOption);
        SetPlannerFrameDrawer(
            [&]
            {
                ++nDraws;
                clock.Advance(c.dwStepMs);
            });
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_BASE, 9, TRUE, -1, FALSE});
        p->Plan(t);
        EXPECT_EQ(c.nDraws, nDraws);
        ASSERT_NE(nullptr, p->GetChosen());
        // After the first object ball nothing was found yet: then the fallback shot.
        EXPECT_EQ(c.dwStepMs >= PLAN_BUDGET_MS, p->IsFallbackChoice());
        BOOL bTwoBall = FALSE, bOnlyDirect = TRUE;
        for (const std::unique_ptr<CShotCandidate>& cand : p->GetCandidates())
        {
            bTwoBall = bTwoBall || cand->GetKind() == SHOT_KIND_TWO_BALL;
            bOnlyDirect = bOnlyDirect && cand->GetKind() == SHOT_KIND_DIRECT;
        }
        EXPECT_EQ(c.bTwoBall, bTwoBall);
        EXPECT_EQ(c.bOnlyDirect, bOnlyDirect);
    }
}

TEST_F(ShotPlannerTest, NoFrameWithoutAWindow)
{
    CTestClockScope clock(1000);
    SetPlannerDisplayOption(1);
    std::mt19937 rng(5);
    const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_BASE, 9, TRUE, -1, FALSE});
    p->Plan(RandomLayout(rng, 10)); // no drawer set: nothing to call
    EXPECT_NE(nullptr, p->GetChosen());
}

TEST_F(ShotPlannerTest, LevelNineIsTheMostAccurate)
{
    // Over many turns on one table: the spread of the choice and of the aim's deviation by level.
    CTestClockScope clock;
    std::mt19937 rng(21);
    const CShotTable t = RandomLayout(rng, 16);
    double adMeanDeviation[10] = {};
    for (int nLevel : {1, 5, 9})
    {
        SCOPED_TRACE(nLevel);
        CrtSrand(99);
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_BASE, nLevel, TRUE, -1, FALSE});
        p->Plan(t);
        ASSERT_GE(p->GetCandidates().size(), 4u);
        std::set<const CShotCandidate*> chosen;
        double dSum = 0.0;
        const int nTurns = 400;
        for (int i = 0; i < nTurns; ++i)
        {
            p->Choose();
            chosen.insert(p->GetChosen());
            // The best four at most, and the best always at level 9.
            int nRank = 0;
            while (p->GetCandidates()[static_cast<std::size_t>(nRank)].get() != p->GetChosen())
                ++nRank;
            EXPECT_LE(nRank, nLevel == 1 ? 3 : nLevel == 5 ? 1 : 0);
            CShotInfo shot;
            ASSERT_TRUE(p->GetShot(shot, TRUE));
            dSum += std::fabs(shot.m_dDeviation);
        }
        adMeanDeviation[nLevel] = dSum / nTurns;
        if (nLevel == 9)
            EXPECT_EQ(1u, chosen.size());
        else
            EXPECT_GT(chosen.size(), 1u);
    }
    EXPECT_EQ(0.0, adMeanDeviation[9]);
    EXPECT_GT(adMeanDeviation[5], 0.0);
    EXPECT_GT(adMeanDeviation[1], adMeanDeviation[5]);
}

TEST_F(ShotPlannerTest, PyramidRescoringPrefersLowOrdersAndNeverCompounds)
{
    CTestClockScope clock;
    CShotPlanner16 p;
    EXPECT_EQ(15, p.GetOrder(15));
    EXPECT_EQ(-1, p.GetOrder(16));
    p.SetOrder(1, 11);
    EXPECT_EQ(11, p.GetOrder(1));
    p.SetOrder(15, 3); // ball 15 held the highest order: the highest becomes 14
    p.SetOrder(20, 1); // out of range: ignored
    // Straight shots of balls 2 and 14 into the near corners; with the order weight 1 only the
    // order counts.
    p.SetOrderWeight(1.0);
    CShotTable t;
    t.SetBall(0, W / 2.0f, 0.9f);
    t.SetBall(2, W / 2.0f - 0.25f, 0.45f);
    t.SetBall(14, W / 2.0f + 0.25f, 0.45f);
    p.SetOptions(SHOT_KIND_DIRECT);
    p.SetNoise(0.0);
    p.Plan(t);
    ASSERT_NE(nullptr, p.GetChosen());
    EXPECT_EQ(2, p.GetChosen()->GetObjectBall());
    std::vector<double> first;
    for (const std::unique_ptr<CShotCandidate>& c : p.GetCandidates())
        first.push_back(c->GetValue());
    p.Choose();
    p.Choose();
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_DOUBLE_EQ(first[i], p.GetCandidates()[i]->GetValue());
    // Ball 2 ranked last now: ball 14 wins.
    p.SetOrder(2, 30);
    p.Choose();
    EXPECT_EQ(14, p.GetChosen()->GetObjectBall());
    for (const std::unique_ptr<CShotCandidate>& c : p.GetCandidates())
        EXPECT_TRUE(std::isfinite(c->GetValue()));
}

TEST_F(ShotPlannerTest, RandomLayoutsGiveALegalShotOrNoShot)
{
    // Every game type's rules over random tables with 0 to 16 balls: never a crash or a hang, and
    // a shot of balls on the table, or no shot when fewer than two lie there.
    const SShotPlannerSetup setups[] = {
        {GAME_8BALL, 9, TRUE, -1, FALSE},   {GAME_8BALL, 5, TRUE, -3, FALSE},    {GAME_8BALL, 1, TRUE, -2, TRUE},
        {GAME_9BALL, 9, TRUE, 1, FALSE},    {GAME_9BALL, 3, TRUE, 9, TRUE},      {GAME_3BALL, 7, TRUE, 2, FALSE},
        {GAME_PYRAMID, 9, TRUE, -1, FALSE}, {GAME_AMERICAN, 9, TRUE, -1, FALSE}, {GAME_BONUS, 4, TRUE, -1, FALSE},
        {GAME_14_1, 6, TRUE, -1, FALSE},    {GAME_BASE, 2, TRUE, 200, FALSE},    {GAME_DEMO, 0, TRUE, -1, FALSE},
    };
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> count(0, 16);
    CTestClockScope clock;
    CrtSrand(5);
    for (int nLayout = 0; nLayout < 40; ++nLayout)
    {
        const int nBalls = nLayout < 3 ? nLayout : count(rng);
        CShotTable t = RandomLayout(rng, nBalls);
        if (nLayout % 7 == 3)
            t.RemoveBall(0); // the cue ball is gone
        if (nLayout % 5 == 4)
            t.SetPocketed(1);
        for (const SShotPlannerSetup& s : setups)
        {
            SCOPED_TRACE(testing::Message() << "layout " << nLayout << " game " << s.nGameType);
            SetScratchCheck(s.nGameType != GAME_AMERICAN && s.nGameType != GAME_BONUS);
            const std::unique_ptr<CShotPlanner> p = CreateShotPlanner(s);
            p->Plan(t);
            CShotInfo shot;
            const BOOL bShot = p->GetShot(shot, TRUE);
            EXPECT_EQ(CountOnTable(t) >= 2, bShot);
            if (!bShot)
                continue;
            EXPECT_GE(shot.m_nPocket, 0);
            EXPECT_LT(shot.m_nPocket, SHOT_POCKET_COUNT);
            EXPECT_TRUE(t.IsOnTable(shot.m_nCueBall));
            EXPECT_TRUE(t.IsOnTable(shot.m_nObjectBall));
            EXPECT_NE(shot.m_nCueBall, shot.m_nObjectBall);
            EXPECT_TRUE(shot.m_nKind == SHOT_KIND_DIRECT || shot.m_nKind == SHOT_KIND_BANK ||
                        shot.m_nKind == SHOT_KIND_KICK || shot.m_nKind == SHOT_KIND_TWO_BALL);
            if (shot.m_nKind == SHOT_KIND_TWO_BALL)
            {
                EXPECT_TRUE(t.IsOnTable(shot.m_nSecondBall));
            }
            EXPECT_TRUE(std::isfinite(shot.m_dAim));
            EXPECT_TRUE(std::isfinite(shot.m_dDeviation));
        }
    }
}

TEST_F(ShotPlannerTest, PlansOverAnEnginesTable)
{
    // The engine's balls (pocketed ones included) and pockets are what the search sees.
    CTestClockScope clock;
    CBallEngineMain engine;
    const CShotTable easy = EasyTable();
    for (int n = 0; n < SHOT_BALL_COUNT; ++n)
    {
        if (easy.IsOnTable(n))
        {
            engine.AddBall(n);
            engine.SetBallPosition(n, easy.GetPos(n).x, easy.GetPos(n).y);
        }
    }
    engine.AddBall(7)->SetPocketed(TRUE, FALSE, 3);
    const CShotTable t = CShotTable::FromEngine(engine);
    for (int n = 0; n < SHOT_BALL_COUNT; ++n)
    {
        SCOPED_TRACE(n);
        EXPECT_EQ(easy.IsOnTable(n), t.IsOnTable(n));
        if (t.IsOnTable(n))
        {
            EXPECT_EQ(easy.GetPos(n).x, t.GetPos(n).x);
            EXPECT_EQ(easy.GetPos(n).y, t.GetPos(n).y);
        }
    }
    EXPECT_TRUE(t.IsPresent(7));
    EXPECT_FALSE(t.IsOnTable(7));
    for (int i = 0; i < SHOT_POCKET_COUNT; ++i)
    {
        EXPECT_EQ(engine.GetWorldObject(i)->GetLipPoint().x, t.GetPocket(i).vNear.x);
        EXPECT_EQ(engine.GetWorldObject(i)->GetPosition().y, t.GetPocket(i).vFar.y);
    }
    const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_8BALL, 9, TRUE, -1, FALSE});
    p->Plan(engine);
    ASSERT_NE(nullptr, p->GetChosen());
    EXPECT_EQ(1, p->GetChosen()->GetObjectBall());
    EXPECT_EQ(2, p->GetChosen()->GetPocket());
}

TEST_F(ShotPlannerTest, AmericanPoolAfterTheBreakStrikesAnyBall)
{
    // Ball 0 is gone; with the any-cue-ball flag ball 4 strikes ball 1 into pocket 2.
    CTestClockScope clock;
    CShotTable t;
    t.SetBall(1, 0.3f, 0.5f);
    const CVector3 O = t.GetPos(1);
    const CVector3 C = O + (O - t.GetAimPoint(2, O)).GetNormalized() * 0.4f;
    t.SetBall(4, C.x, C.y);
    for (BOOL bBreakMade : {FALSE, TRUE})
    {
        SCOPED_TRACE(bBreakMade);
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_AMERICAN, 9, bBreakMade, -1, FALSE});
        p->Plan(t);
        ASSERT_NE(nullptr, p->GetChosen());
        // Before the break only ball 0 may strike: nothing is found and the fallback shoots 1 at 4.
        EXPECT_EQ(!bBreakMade, p->IsFallbackChoice());
        if (bBreakMade)
        {
            EXPECT_EQ(4, p->GetChosen()->GetCueBall());
            EXPECT_EQ(1, p->GetChosen()->GetObjectBall());
        }
    }
}

TEST_F(ShotPlannerTest, NineBallShotsThatPocketTheNineCountThreeTimes)
{
    // Cue ball 0 -> ball 1 -> ball 9 -> pocket 2 on one line; the same with ball 5 in place of 9.
    CTestClockScope clock;
    double adValue[2] = {};
    const int aSecond[2] = {9, 5};
    for (int i = 0; i < 2; ++i)
    {
        CShotTable t;
        t.SetBall(aSecond[i], 0.3f, 0.4f);
        const CVector3 D = t.GetPos(aSecond[i]);
        const CVector3 B = D + (D - t.GetAimPoint(2, D)).GetNormalized() * 0.25f;
        const CVector3 C = B + (B - D).GetNormalized() * 0.3f;
        t.SetBall(1, B.x, B.y);
        t.SetBall(0, C.x, C.y);
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({GAME_9BALL, 9, TRUE, 1, FALSE});
        p->Plan(t);
        for (const std::unique_ptr<CShotCandidate>& c : p->GetCandidates())
        {
            if (c->GetKind() == SHOT_KIND_TWO_BALL && c->GetPocket() == 2)
                adValue[i] = c->GetSearchValue();
        }
    }
    ASSERT_GT(adValue[1], 0.0);
    EXPECT_NEAR(3.0 * adValue[1], adValue[0], 1e-9);
}
