#include "tests/gameflow/FlowTestSupport.h"

#include "foundation/Stopwatch.h"
#include "platform/win32/Clock.h"

#include <array>
#include <cmath>

namespace
{
/// A camera at the origin looking along +z, a square view of 90 degrees (tangents 1).
SViewModel SquareView()
{
    SViewModel view;
    view.P = CVector3(0, 0, 0);
    view.D = CVector3(0, 0, 1);
    view.U = CVector3(0, 1, 0);
    view.fFov = 3.14159265f / 2.0f;
    view.fWidth = view.fHeight = 100.0f;
    return view;
}

/// The view opened by a hair, so that points the fit puts exactly on an edge count as seen.
SViewModel Widened(SViewModel view)
{
    view.fFov *= 1.001f;
    return view;
}

TEST(CameraFramingTest, APointIsVisibleFromTheNearDepthAndInsideTheOpening)
{
    const struct
    {
        const char* szName;
        CVector3 v;
        bool bVisible;
    } aCases[] = {
        {"on the axis at the near depth", {0, 0, 6.0f}, true},
        {"on the axis just nearer", {0, 0, 5.995f}, false},
        {"behind the camera", {0, 0, -10}, false},
        {"on the right edge", {10, 0, 10}, true},
        {"past the right edge", {10.01f, 0, 10}, false},
        {"past the top edge", {0, 10.01f, 10}, false},
        {"past the bottom edge", {0, -10.01f, 10}, false},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(IsPointInView(SquareView(), c.v), c.bVisible);
    }
}

TEST(CameraFramingTest, TheSidewaysFitMovesOnlyForPointsOutToTheSide)
{
    const SViewModel view = SquareView();
    const CVector3 R = view.Right();
    const struct
    {
        const char* szName;
        std::vector<CVector3> points;
        bool bOut;
        float fShift; // along R
    } aCases[] = {
        {"all inside: no move", {{1, 1, 10}, {-3, 2, 20}}, false, 0.0f},
        {"one out along R", {R * 15.0f + CVector3(0, 0, 10)}, true, 5.0f},
        {"one out against R", {R * -12.0f + CVector3(0, 0, 10)}, true, -2.0f},
        {"out on both sides: the mean", {R * 15.0f + CVector3(0, 0, 10), R * -12.0f + CVector3(0, 0, 10)}, true, 1.5f},
        {"out above: flagged, no move", {{0, 30, 10}}, true, 0.0f},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        bool bOut = false;
        const CVector3 P = FitPointsSideways(view, c.points, bOut);
        EXPECT_EQ(bOut, c.bOut);
        EXPECT_NEAR((P - R * c.fShift).Length(), 0.0f, 1e-4f);
    }
}

TEST(CameraFramingTest, BackingUpBringsEveryPointIntoView)
{
    const SViewModel view = SquareView();
    for (const CVector3& p : {CVector3(0, 0, 20), CVector3(30, 0, 10), CVector3(0, -25, 5), CVector3(3, 2, -40)})
    {
        SCOPED_TRACE(p.z);
        const float fExtra = DistanceToSeePoint(view, p);
        const SViewModel moved = view.At(view.P - view.D * fExtra);
        EXPECT_TRUE(IsPointInView(Widened(moved), p));
        if (p.z < 0.0f)
        {
            EXPECT_GE(fExtra, 6.0f - p.z) << "a point behind is passed by the near depth first";
        }
        if (IsPointInView(view, p))
        {
            EXPECT_EQ(fExtra, 0.0f);
        }
    }
}

TEST(CameraFramingTest, ACameraFlownFarOutStillBacksUpOnceToSeeAPoint)
{
    // Far out a float cannot hold a step of the near depth: the back-up must not depend on moving
    // the camera there.
    SViewModel view = SquareView();
    view.P = CVector3(0, 0, 1e9f);
    const struct
    {
        CVector3 point;
        float fExtra;
    } aCases[] = {
        {{0, 0, 1e9f}, 6.0f},   // at the camera: back up to the near depth
        {{64, 0, 1e9f}, 64.0f}, // beside it: back up until the side is inside the opening
        {{0, 0, 1e9f + 128}, 0.0f},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.point.x);
        EXPECT_FLOAT_EQ(c.fExtra, DistanceToSeePoint(view, c.point));
    }
}

TEST(CameraFramingTest, ScreenCentringPutsTheFourPointsInTheMiddle)
{
    SViewModel view = SquareView();
    const std::array<CVector3, 4> points = {CVector3(2, 1, 20), CVector3(6, 1, 20), CVector3(2, 4, 20),
                                            CVector3(6, 4, 20)};
    const SViewModel centred = view.At(CentrePointsInView(view, points));
    float fMinX = 1e9f, fMaxX = -1e9f, fMinY = 1e9f, fMaxY = -1e9f;
    for (const CVector3& p : points)
    {
        const CVector3 s = ProjectToView(centred, p);
        fMinX = std::min(fMinX, s.x);
        fMaxX = std::max(fMaxX, s.x);
        fMinY = std::min(fMinY, s.y);
        fMaxY = std::max(fMaxY, s.y);
    }
    EXPECT_NEAR(fMinX + fMaxX, 100.0f, 0.01f);
    EXPECT_NEAR(fMinY + fMaxY, 100.0f, 0.01f);
    const SViewModel boxed = view.At(CentreBoxInView(view, points));
    EXPECT_NEAR((boxed.P - CVector3(4, 2.5f, 0)).Length(), 0.0f, 1e-4f);
}

class CFollowCameraTest : public CFlowTest
{
protected:
    void SetUp() override
    {
        CFlowTest::SetUp();
        g_FrameStopwatch.Resume();
        m_Flow.Cue() = SCueStroke{2.0f, 2.0f, 40.0f};
        m_Flow.SetViewport(0.4f, 800.0f, 540.0f);
        Start(GAME_8BALL);
    }
};

TEST_F(CFollowCameraTest, InABreakTheFollowCameraKeepsEachMovingBallInView)
{
    // A close camera behind the cue ball: the break's balls soon run out of its view.
    g_nGameMode = modeAim;
    m_Flow.SelectCueBall(1);
    m_Flow.Camera().fDistance = 40.0f;
    m_Flow.UpdateAimCamera(0);
    m_Flow.Cue().fAim = m_Flow.Camera().fYaw;
    m_Flow.Cue().fPullBack = 20.0f;
    m_Flow.Settings().nCameraMotion = 0; // the follow camera moves the camera at each step
    m_Flow.StrikeCueBall();
    ASSERT_TRUE(HasGameFlag(gmShotRunning));
    const float fStartDistance = m_Flow.Camera().fDistance;
    int nTicks = 0, nChecked = 0;
    while (HasGameFlag(gmShotRunning) && ++nTicks < 3000)
    {
        m_Engine.Advance(16);
        m_Flow.StepBalls(0);
        const SViewModel view = Widened(m_Flow.GetViewModel());
        for (int n = 0; n < 16; ++n)
        {
            const CBall* pBall = m_Engine.FindBall(n);
            CVector3 v;
            if (pBall != nullptr && pBall->IsMoving() && m_Flow.GetBallScenePosition(n, v))
            {
                SCOPED_TRACE(nTicks * 100 + n);
                EXPECT_TRUE(IsPointInView(view, v));
                ++nChecked;
            }
        }
        if (m_Engine.AllBallsStopped())
            break;
    }
    EXPECT_GT(nChecked, 100);
    EXPECT_GT(m_Flow.Camera().fDistance, fStartDistance) << "the camera backed up";
    // Held at the top view the camera stays.
    SetGameFlag(gmKeepView);
    const CVector3 vKept = m_Flow.Camera().vPosition;
    EXPECT_EQ(m_Flow.FollowMovingBallsUnlessLocked(), 0);
    EXPECT_NEAR((m_Flow.Camera().vPosition - vKept).Length(), 0.0f, 1e-6f);
}

TEST_F(CFollowCameraTest, WithEveryMovingBallInViewTheCameraStays)
{
    m_Flow.UpdateAimCamera(0);
    const CVector3 vBefore = m_Flow.Camera().vPosition;
    EXPECT_EQ(m_Flow.FollowMovingBalls(), 1);
    EXPECT_NEAR((m_Flow.Camera().vPosition - vBefore).Length(), 0.0f, 1e-6f) << "no ball moves";
}

TEST_F(CFollowCameraTest, TheTableFramingSeesTheWholeTable)
{
    for (const float fYaw : {180.0f, 90.0f, 33.0f})
    {
        SCOPED_TRACE(fYaw);
        m_Flow.Camera().fYaw = fYaw;
        m_Flow.Camera().fDistance = 30.0f;
        m_Flow.UpdateAimCamera(0);
        const CVector3 P = m_Flow.FrameTable();
        const SViewModel view = Widened(m_Flow.GetViewModel().At(P));
        const CVector3 vMin = TableToScene(CVector3(0, 0, 0)), vMax = TableToScene(CVector3(1.1176f, 2.2352f, 0));
        for (const CVector3& c : {vMin, vMax, CVector3(vMin.x, vMin.y, vMax.z), CVector3(vMax.x, vMin.y, vMin.z)})
            EXPECT_TRUE(IsPointInView(view, c));
    }
}
} // namespace
