// Ball in hand and free placement on the real frame, driven by the input script on the headless
// display: the mouse carries the ball, a drop over another ball beeps and the drag goes on, an
// accepted drop leaves the ball in the live engine where it was set down; a ball that drops flashes
// its pocket in its colour.
#include "app/FramePlacement.h"

#include "tests/app/AppFolder.h"
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/BallDragger.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "platform/win32/MessageBox.h"
#include "render/ParticleSystem.h"
#include "render/Picking.h"
#include "render/SpriteEffects.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace
{
/// Ball 1 touching the head spot, where a ball in hand is taken up: it cannot be set down there.
constexpr SPlacedBall TOUCHING[] = {{0, 0.56f, 0.80f}, {1, 0.59f, 0.56f}, {2, 0.85f, 1.55f}};
const CVector3 HEAD_SPOT(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 4.0f, 0.0f);

CVector3 EnginePosition(CMainFrame& frame, int n)
{
    CVector3 v;
    EXPECT_TRUE(frame.GetGameFlow().Engine().GetBallPosition(n, v, nullptr));
    return v;
}

float TableDistance(const CVector3& a, const CVector3& b) { return std::hypot(a.x - b.x, a.y - b.y); }

using CFramePlacementTest = CScriptedFrameTest;

TEST_F(CFramePlacementTest, ARefusedDropBeepsOnceAndTheDragGoesOnAnAcceptedOneFliesToTheAim)
{
    const int nBeeps = GetMessageBeepCount();
    CVector3 vCarried;
    const auto expect = [](bool bDragging, DWORD dwMode)
    {
        return [bDragging, dwMode](CMainFrame& f)
        {
            EXPECT_EQ(bDragging, f.IsBallDragging());
            EXPECT_EQ(dwMode, GetModeField());
        };
    };
    const std::vector<SFrameStep> steps = {
        {"ball in hand takes the cue ball up at the head spot", nullptr, "",
         [&](CMainFrame& f)
         {
             expect(true, modeBallInHand)(f);
             EXPECT_LT(TableDistance(EnginePosition(f, 0), HEAD_SPOT), 1e-4f);
         }},
        {"set down on ball 1: refused", nullptr, "mouse down left 400 300|mouse up left 400 300",
         [&](CMainFrame& f)
         {
             expect(true, modeBallInHand)(f);
             EXPECT_EQ(nBeeps + 1, GetMessageBeepCount()) << "one beep";
             EXPECT_LT(TableDistance(EnginePosition(f, 0), HEAD_SPOT), 1e-4f) << "where it was";
         }},
        {"the drag goes on: the mouse carries the ball", nullptr, "mouse move 480 300",
         [&](CMainFrame& f)
         {
             expect(true, modeBallInHand)(f);
             vCarried = EnginePosition(f, 0);
             // 80 counts over 8 are ten inches.
             EXPECT_NEAR(10.0f * 0.0254f, TableDistance(vCarried, HEAD_SPOT), 1e-3f);
         }},
        {"set down clear of the others: taken", nullptr, "mouse down left 480 300|mouse up left 480 300",
         [&](CMainFrame& f)
         {
             expect(false, modeCameraFlight)(f);
             EXPECT_EQ(modeAim, f.GetGameFlow().GetFlightEndMode()) << "the flight behind the cue ball ends aiming";
             EXPECT_EQ(nBeeps + 1, GetMessageBeepCount()) << "no second beep";
             EXPECT_LT(TableDistance(EnginePosition(f, 0), vCarried), 1e-4f) << "where it was set down";
             EXPECT_GE(TableDistance(EnginePosition(f, 0), EnginePosition(f, 1)), 2.0f * BALL_RADIUS_M);
         }},
    };
    RunFrameSteps(m_app.Folder().Path(), steps,
                  [](CMainFrame& frame) { LayTable(frame, TOUCHING, true, modeBallInHand); });
}

TEST_F(CFramePlacementTest, BallInHandStaysOnTheBedAndBehindTheHeadStringWhereTheGameAsks)
{
    // Moves far past the cushion and the head string are held; the checks run on the rules the
    // callbacks use, in scene units.
    const SBallInHandTable table = GetPlacementTable();
    const float r = BALL_RADIUS_M / 0.0254f;
    const std::vector<SPickBall> balls = {{0, CVector3(0.0f, table.fRestingHeight, 30.0f), r},
                                          {1, CVector3(20.0f, table.fRestingHeight, 30.0f), r}};
    struct SCase
    {
        const char* szName;
        CVector3 v;
        BOOL bBehindHeadString;
        int nKept;
        float fX, fZ;
    };
    const float fRight = table.bounds[3] - r, fFoot = table.bounds[5] - r, fHead = table.bounds[2] + r;
    const SCase aCases[] = {
        {"inside: kept", CVector3(5.0f, 0.0f, 30.0f), FALSE, 1, 5.0f, 30.0f},
        {"past the side cushion: one radius inside", CVector3(100.0f, 0.0f, 30.0f), FALSE, 0, fRight, 30.0f},
        {"past the foot: one radius inside", CVector3(0.0f, 0.0f, 100.0f), FALSE, 0, 0.0f, fFoot},
        {"before the head string, anywhere: kept", CVector3(0.0f, 0.0f, 0.0f), FALSE, 1, 0.0f, 0.0f},
        {"before the head string, behind it asked: on it", CVector3(0.0f, 0.0f, 0.0f), TRUE, 0, 0.0f, table.fHeadSpotZ},
        {"behind the head string, behind it asked: kept", CVector3(0.0f, 0.0f, -30.0f), TRUE, 1, 0.0f, -30.0f},
        {"past the head, anywhere: one radius inside", CVector3(0.0f, 0.0f, -100.0f), FALSE, 0, 0.0f, fHead},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 v = c.v;
        EXPECT_EQ(c.nKept, ClampBallInHand(balls, 0, &v, c.bBehindHeadString, table));
        EXPECT_NEAR(c.fX, v.x, 0.02f);
        EXPECT_NEAR(c.fZ, v.z, 0.02f);
    }
    EXPECT_LT(table.fHeadSpotZ, 0.0f) << "the head string lies towards the head, at -z";
}

TEST_F(CFramePlacementTest, FreePlacementTakesUpTheBallUnderTheCursorAndSetsItDownOrBack)
{
    const SScreenPoints screen = MeasureScreen(TOUCHING, modeAim);
    const POINT two = screen.balls[2];
    const POINT away{two.x + 200, two.y};
    const CVector3 vTwo(TOUCHING[2].x, TOUCHING[2].y, 0.0f);
    CVector3 vSetDown;
    const auto mode = [](DWORD dwMode) { return [dwMode](CMainFrame&) { EXPECT_EQ(dwMode, GetModeField()); }; };
    const auto rest = [](CMainFrame&) { AdvanceTestClock(150); };
    const std::vector<SFrameStep> steps = {
        {"M: free placement", nullptr, "key press M", mode(modePlaceCueBall)},
        {"A with nothing taken up aims", nullptr, "key press A", mode(modeAim)},
        {"M again", nullptr, "key press M", mode(modePlaceCueBall)},
        {"a click on ball 2 takes it up", nullptr, Click(two),
         [](CMainFrame& f)
         {
             EXPECT_EQ(modePlaceCueBall, GetModeField());
             EXPECT_TRUE(f.IsBallDragging());
         }},
        {"the mouse carries it", nullptr, "mouse move " + At(away),
         [&](CMainFrame& f)
         {
             // 200 counts over 40 are five inches.
             EXPECT_NEAR(5.0f * 0.0254f, TableDistance(EnginePosition(f, 2), vTwo), 1e-3f);
         }},
        {"A puts it back where it was taken up", nullptr, "key press A",
         [&](CMainFrame& f)
         {
             EXPECT_EQ(modeAim, GetModeField());
             EXPECT_FALSE(f.IsBallDragging());
             EXPECT_LT(TableDistance(EnginePosition(f, 2), vTwo), 1e-4f);
         }},
        {"M again", nullptr, "key press M", mode(modePlaceCueBall)},
        {"ball 2 taken up again", nullptr, Click(two), mode(modePlaceCueBall)},
        {"carried", nullptr, "mouse move " + At(away), [&](CMainFrame& f) { vSetDown = EnginePosition(f, 2); }},
        {"a click sets it down and aims", nullptr, Click(away),
         [&](CMainFrame& f)
         {
             EXPECT_EQ(modeAim, GetModeField());
             EXPECT_FALSE(f.IsBallDragging());
             EXPECT_LT(TableDistance(EnginePosition(f, 2), vSetDown), 1e-4f);
             EXPECT_GT(TableDistance(EnginePosition(f, 2), vTwo), 0.1f);
         }},
        // The aiming aid simulates the aim again from the table as it now lies.
        {"the aim rests", rest, "", nullptr},
        {"the aid plays from where the ball was set down", rest, "",
         [&](CMainFrame& f)
         {
             EXPECT_TRUE(f.IsAimPreviewShown());
             ASSERT_TRUE(g_BallEngineAux.WaitForPark(20000));
             const auto lock = g_BallEngineAux.AcquireLock();
             const CBall* pBall = g_BallEngineAux.FindBall(2);
             ASSERT_NE(nullptr, pBall);
             EXPECT_LT(TableDistance(*pBall->GetPosition(), vSetDown), 1e-3f);
         }},
    };
    g_Settings.m_nBallPath1 = 1;
    RunFrameSteps(m_app.Folder().Path(), steps, [](CMainFrame& frame) { LayTable(frame, TOUCHING, true, modeAim); });
}
} // namespace

namespace
{
TEST_F(CFramePlacementTest, EachBallThatDropsFlashesItsOwnPocketInItsColour)
{
    // Each ball flashes in the colour of its number modulo 8, the eight in its own dark grey: the
    // nine in ball 1's yellow. The eight drops last, as it ends the rack. Each pocket has stars of
    // its own: a later drop elsewhere neither moves nor recolours the earlier pockets' stars, and a
    // pocket no ball dropped into shows none.
    struct SCase
    {
        const char* szName;
        int nBall, nPocket;
        DWORD dwColour;
    };
    const SCase aCases[] = {{"the nine into pocket 2", 9, 2, 0xC4C41F},
                            {"the cue ball into pocket 4", 0, 4, 0xFFFFFF},
                            {"the eight into pocket 5", 8, 5, 0x252525}};
    constexpr SPlacedBall BALLS[] = {{0, 0.56f, 0.80f}, {9, 0.30f, 1.50f}, {8, 0.85f, 1.55f}};
    // The stars of every pocket as the drops so far left them.
    const auto flashed = [&aCases](std::size_t nDropped)
    {
        return [&aCases, nDropped](CMainFrame& f)
        {
            ASSERT_EQ(std::size_t{SPRITE_COUNT}, f.GetSpriteEffects().size());
            for (int nPocket = 0; nPocket < 6; ++nPocket)
            {
                SCOPED_TRACE("pocket " + std::to_string(nPocket));
                const CParticleSystem& stars = *f.GetSpriteEffects()[SPRITE_POCKET + static_cast<std::size_t>(nPocket)];
                const auto it =
                    std::find_if(aCases, aCases + nDropped, [nPocket](const SCase& c) { return c.nPocket == nPocket; });
                if (it == aCases + nDropped)
                {
                    EXPECT_EQ(0, stars.GetLiveCount()) << "no ball dropped here";
                    continue;
                }
                CVector3 vPocket = f.GetGameFlow().Engine().GetCushionPoint(nPocket);
                vPocket.z = 0.0f;
                EXPECT_LT((TableToScene(vPocket) - stars.GetLocation()).LengthSq(), 1e-6f) << "at the pocket";
                EXPECT_EQ(stars.GetMaxParticles(), stars.GetLiveCount()) << "the whole burst flies";
                const std::array<float, 3> expected = {static_cast<float>((it->dwColour >> 16) & 0xFF) / 255.0f,
                                                       static_cast<float>((it->dwColour >> 8) & 0xFF) / 255.0f,
                                                       static_cast<float>(it->dwColour & 0xFF) / 255.0f};
                for (std::size_t i = 0; i < 3; ++i)
                    EXPECT_FLOAT_EQ(expected[i], stars.GetStartColour()[i]) << "channel " << i;
            }
        };
    };
    std::vector<SFrameStep> steps;
    for (std::size_t k = 0; k < std::size(aCases); ++k)
    {
        const SCase& c = aCases[k];
        const auto drop = [c](CMainFrame& f)
        {
            CBall* pBall = f.GetGameFlow().Engine().FindBall(c.nBall);
            ASSERT_NE(nullptr, pBall);
            pBall->SetPocketed(TRUE, FALSE, c.nPocket);
            SetGameFlag(gmShotRunning);
        };
        steps.push_back({c.szName, drop, "", flashed(k + 1)});
    }
    RunFrameSteps(m_app.Folder().Path(), steps, [&](CMainFrame& f) { LayTable(f, BALLS, true, modeAim); });
}
} // namespace
