// The line of a shot on the real frame with the game's own room, table and cue, driven by the input
// script one frame at a time: the struck cue ball leaves where the camera looks and the drawn cue
// points, the break is seen from the head behind the cue ball, and the cue is out of the picture
// while the balls roll.
#include "tests/app/GameArtFrame.h"
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "render/Environment3D.h"
#include "render/RackScene.h"
#include "render/SceneObject.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"
#include "ui/SceneOrder.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <vector>

namespace
{
/// The frame on the game's own libraries, an eight-ball game between two people, on a test clock.
class CFrameShotLineTest : public CGameArtFrameTest
{
};

/// A direction on the cloth: the horizontal part of a scene vector.
CVector3 Flat(const CVector3& v) { return CVector3(v.x, 0.0f, v.z); }

/// The angle between two directions on the cloth, degrees.
float DegreesBetween(const CVector3& a, const CVector3& b)
{
    const CVector3 fa = Flat(a).GetNormalized(), fb = Flat(b).GetNormalized();
    return std::acos(std::clamp(fa.x * fb.x + fa.z * fb.z, -1.0f, 1.0f)) * 180.0f / std::numbers::pi_v<float>;
}

/// Where the camera of the last drawn frame looks, from its view matrix.
CVector3 DrawnLook() { return CVector3(g_matView.m[0][2], g_matView.m[1][2], g_matView.m[2][2]); }

/// Where the camera of the last drawn frame stands: the view's translation turned back.
CVector3 DrawnEye()
{
    const D3DMATRIX& v = g_matView;
    CVector3 eye;
    float* aEye[3] = {&eye.x, &eye.y, &eye.z};
    for (int j = 0; j < 3; ++j)
        *aEye[j] = -(v.m[3][0] * v.m[j][0] + v.m[3][1] * v.m[j][1] + v.m[3][2] * v.m[j][2]);
    return eye;
}

/// The drawn cue's axis, from its butt to its tip.
CVector3 DrawnCueAxis()
{
    CVector3 vDirection, vUp;
    const CSceneObject* pCue = CSceneObject::FindSceneObjectByKind(KIND_CUE);
    EXPECT_NE(nullptr, pCue);
    if (pCue != nullptr)
        pCue->GetOrientation(pCue, vDirection, vUp);
    return vDirection;
}

/// Where the frame painted ball n.
CVector3 DrawnBall(CMainFrame& frame, int n)
{
    const std::vector<SSceneBall>& balls = frame.GetTableScene().GetBalls();
    const auto it = std::ranges::find_if(balls, [n](const SSceneBall& ball) { return ball.nBall == n; });
    EXPECT_NE(it, balls.end()) << "ball " << n << " is painted";
    return it != balls.end() ? it->vCentre : CVector3();
}

bool DrewTheCue(const std::vector<int>& log) { return std::ranges::find(log, KIND_CUE) != log.end(); }

/// The cue ball alone in the middle of the table, one object ball in a far corner.
constexpr SPlacedBall MIDDLE[] = {{0, TABLE_WIDTH_M / 2, TABLE_LENGTH_M / 2}, {1, 0.1f, 2.1f}};

/// The table laid with the camera behind the cue ball at the yaw, the cue along it and drawn back
/// by the share of its stroke.
void AimAt(CMainFrame& frame, float fYaw, float fPullBackShare)
{
    LayTable(frame, MIDDLE, true, modeAim);
    CGameFlow& flow = frame.GetGameFlow();
    CVector3 vBall;
    ASSERT_TRUE(flow.GetBallScenePosition(0, vBall));
    CViewRecord view;
    view.Set(fYaw, SFlowCamera::DEFAULT_PITCH, 100.0f, vBall.x, vBall.y, vBall.z, 0.0f, 0.0f, fYaw, 5.0f, 0.0f);
    flow.ApplyViewRecord(view);
    flow.Cue().fPullBack = fPullBackShare * flow.Cue().fMax;
    frame.AlignCue();
}

TEST_F(CFrameShotLineTest, TheStruckBallLeavesWhereTheCameraLooksAndTheCuePoints)
{
    struct SLine
    {
        CVector3 vLook, vCue, vStart;
    };
    auto pLine = std::make_shared<SLine>();
    std::vector<SFrameStep> steps;
    for (const float fAim : {20.0f, 65.0f, 110.0f, 155.0f, 200.0f, 245.0f, 290.0f, 335.0f})
    {
        steps.push_back({"aimed", [fAim](CMainFrame& f) { AimAt(f, fAim, 0.3f); }, "",
                         [pLine](CMainFrame& f)
                         {
                             ASSERT_FALSE(HasGameFlag(gmShotRunning));
                             *pLine = SLine{DrawnLook(), DrawnCueAxis(), DrawnBall(f, 0)};
                         }});
        steps.push_back({"Enter strikes", nullptr, "key press Return",
                         [](CMainFrame&) { ASSERT_TRUE(HasGameFlag(gmShotRunning)); }});
        steps.push_back({"the ball leaves", [this](CMainFrame&) { m_clock.Advance(40); }, "",
                         [pLine, fAim](CMainFrame& f)
                         {
                             SCOPED_TRACE(fAim);
                             const CVector3 vGone = DrawnBall(f, 0) - pLine->vStart;
                             ASSERT_GT(Flat(vGone).Length(), 1.0f) << "it rolls";
                             EXPECT_LT(DegreesBetween(vGone, pLine->vLook), 2.0f) << "where the camera looks";
                             EXPECT_LT(DegreesBetween(vGone, pLine->vCue), 2.0f) << "where the cue points";
                         }});
    }
    RunFrameSteps(m_app.Folder().Path(), steps, [](CMainFrame&) {});
}

TEST_F(CFrameShotLineTest, NoFrameOfAShotShowsTheCue)
{
    struct SSeen
    {
        std::vector<int> log;
        int nShotFrames = 0;
        int nShownAfter = 0;
    };
    auto pSeen = std::make_shared<SSeen>();
    const auto logFrame = [pSeen](CMainFrame& f)
    {
        pSeen->log.clear();
        f.GetTableScene().SetDrawLog(&pSeen->log);
    };
    std::vector<SFrameStep> steps = {
        {"aimed",
         [logFrame](CMainFrame& f)
         {
             AimAt(f, 180.0f, 0.1f);
             logFrame(f);
         },
         "", [pSeen](CMainFrame&) { EXPECT_TRUE(DrewTheCue(pSeen->log)) << "the cue behind the ball"; }},
        {"Enter strikes", logFrame, "key press Return",
         [pSeen](CMainFrame&)
         {
             ASSERT_TRUE(HasGameFlag(gmShotRunning));
             EXPECT_FALSE(DrewTheCue(pSeen->log));
         }},
    };
    // The balls roll to rest and the next turn begins, a tenth of a second a frame.
    for (int i = 0; i < 150; ++i)
        steps.push_back({"rolling and after",
                         [this, logFrame](CMainFrame& f)
                         {
                             m_clock.Advance(100);
                             logFrame(f);
                         },
                         "",
                         [pSeen](CMainFrame&)
                         {
                             if (HasGameFlag(gmShotRunning))
                             {
                                 ++pSeen->nShotFrames;
                                 EXPECT_FALSE(DrewTheCue(pSeen->log)) << "frame " << pSeen->nShotFrames;
                             }
                             else if (DrewTheCue(pSeen->log))
                                 ++pSeen->nShownAfter;
                         }});
    RunFrameSteps(
        m_app.Folder().Path(), steps, [](CMainFrame&) {}, [](CMainFrame& f) { f.GetTableScene().SetDrawLog(nullptr); });
    EXPECT_GT(pSeen->nShotFrames, 5) << "the balls rolled over several frames";
    EXPECT_GT(pSeen->nShownAfter, 0) << "the cue is back for the next shot";
}

/// The view of a break: the camera stands at the head, behind the cue ball, and looks with the
/// drawn cue up the table to the rack.
void ExpectSeenFromTheHead(CMainFrame& frame)
{
    const CVector3 vEye = DrawnEye(), vBall = DrawnBall(frame, 0);
    const CVector3 vHead = TableToScene(CVector3(TABLE_WIDTH_M / 2, 0.0f, 0.0f));
    const CVector3 vFoot = TableToScene(CVector3(TABLE_WIDTH_M / 2, TABLE_LENGTH_M, 0.0f));
    const CVector3 vUpTheTable = vFoot - vHead;
    EXPECT_LT((vBall - vHead).Length(), (vBall - vFoot).Length()) << "the cue ball at the head";
    EXPECT_LT(Vec3Dot(&vEye, &vUpTheTable), Vec3Dot(&vHead, &vUpTheTable)) << "the camera beyond the head";
    EXPECT_LT(DegreesBetween(DrawnLook(), vUpTheTable), 10.0f) << "looking up the table";
    EXPECT_LT(DegreesBetween(DrawnCueAxis(), vUpTheTable), 10.0f) << "the cue pointing up the table";
    EXPECT_LT(DegreesBetween(vBall - vEye, vUpTheTable), 10.0f) << "behind the cue ball";
}

TEST_F(CFrameShotLineTest, APersonsBreakIsAimedFromTheHeadBehindTheCueBall)
{
    // The game as it starts: the camera flies to the ball in hand, a click sets the ball down where
    // it lies, and the camera flies behind it to aim; a tenth of a second a frame. The cue lies
    // along the view all the while.
    std::vector<SFrameStep> steps;
    for (int i = 0; i < 60; ++i)
        steps.push_back({"the start", [this](CMainFrame&) { m_clock.Advance(100); },
                         i == 30 ? "mouse down left 400 300|mouse up left 400 300" : "",
                         [i](CMainFrame& f)
                         {
                             EXPECT_LT(DegreesBetween(DrawnCueAxis(), DrawnLook()), 10.0f)
                                 << "frame " << i << ": the cue lies along the view";
                             if (i == 29)
                             {
                                 ASSERT_EQ(modeBallInHand, GetModeField()) << "the ball in hand";
                                 SCOPED_TRACE("ball in hand");
                                 ExpectSeenFromTheHead(f);
                             }
                         }});
    RunFrameSteps(
        m_app.Folder().Path(), steps, [](CMainFrame&) {},
        [](CMainFrame& f)
        {
            ASSERT_EQ(modeAim, GetModeField()) << "aiming";
            SCOPED_TRACE("aiming");
            ExpectSeenFromTheHead(f);
        });
}

TEST_F(CFrameShotLineTest, TheComputerBreaksFromTheHeadIntoTheRackWithTheCueOutOfThePicture)
{
    g_Settings.m_nAutoPlaceTime = 1; // the turn's flight of one second lands well within the steps
    struct SBreak
    {
        std::vector<int> log;
        std::vector<CVector3> aRack; // the object balls as racked
        CVector3 vStrikeFrom, vLook;
        bool bStroking = false;
        int nShotFrames = 0;
    };
    auto pBreak = std::make_shared<SBreak>();
    std::vector<SFrameStep> steps;
    // Its flight waits half a second and lasts "AutoPlaceTime" (2 s), the stroke a little more.
    for (int i = 0; i < 80; ++i)
        steps.push_back({"the computer's turn",
                         [this, pBreak](CMainFrame& f)
                         {
                             m_clock.Advance(100);
                             pBreak->log.clear();
                             f.GetTableScene().SetDrawLog(&pBreak->log);
                         },
                         "",
                         [pBreak](CMainFrame& f)
                         {
                             if (HasGameFlag(gmStroking) && !pBreak->bStroking)
                             {
                                 // The flight has ended: the cue strokes by itself from here.
                                 pBreak->bStroking = true;
                                 SCOPED_TRACE("the stroke begins");
                                 ExpectSeenFromTheHead(f);
                                 pBreak->vStrikeFrom = DrawnBall(f, 0);
                                 pBreak->vLook = DrawnLook();
                             }
                             if (!HasGameFlag(gmShotRunning))
                                 return;
                             EXPECT_FALSE(DrewTheCue(pBreak->log)) << "the cue out of the rolling balls' way";
                             if (++pBreak->nShotFrames == 1)
                             {
                                 const CVector3 vGone = DrawnBall(f, 0) - pBreak->vStrikeFrom;
                                 ASSERT_GT(Flat(vGone).Length(), 1.0f) << "it rolls";
                                 EXPECT_LT(DegreesBetween(vGone, pBreak->vLook), 2.0f) << "where the camera looks";
                             }
                         }});
    RunFrameSteps(
        m_app.Folder().Path(), steps,
        [pBreak](CMainFrame& f)
        {
            CGameFlow& flow = f.GetGameFlow();
            for (int n = 1; n < 16; ++n)
            {
                CVector3 v;
                EXPECT_TRUE(flow.GetBallScenePosition(n, v));
                pBreak->aRack.push_back(v);
            }
            flow.Player1().SetLevel(5);
            flow.SetCurrent(true);
            g_nGameMode = 0;
            flow.SetGameMode(modeAim); // the computer's turn begins with its flight
        },
        [pBreak](CMainFrame& f)
        {
            f.GetTableScene().SetDrawLog(nullptr);
            EXPECT_TRUE(pBreak->bStroking);
            EXPECT_GT(pBreak->nShotFrames, 0) << "the computer struck";
            int nMoved = 0;
            for (int n = 1; n < 16; ++n)
                nMoved +=
                    Flat(DrawnBall(f, n) - pBreak->aRack[static_cast<std::size_t>(n - 1)]).Length() > 1.0f ? 1 : 0;
            EXPECT_GT(nMoved, 5) << "the rack is broken";
        });
}
} // namespace
