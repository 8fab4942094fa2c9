// The 3-D environment's state: projection and the ball's pixel size, the field of view rebuilt
// only on change, projection to the screen above the panel, the view-changed test, modal mode,
// the framework's error texts.
#include "render/Environment3D.h"

#include "foundation/ErrorBox.h"
#include "foundation/Matrix.h"
#include "foundation/Stopwatch.h"
#include "render/D3DFramework.h"
#include "render/SceneObject.h"

#include <cstring>
#include <gtest/gtest.h>

namespace
{
/// Resets the environment's globals around each test.
class Environment3DTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_nPanelHeight = 0;
        MatrixSetIdentity(g_matView);
        g_bForceRedraw = TRUE;
        g_bModalMode = FALSE;
        g_fLastFieldOfView = -1.0f;
    }
    void TearDown() override
    {
        g_nPanelHeight = 0;
        SetErrorBoxHandler({});
    }
};
} // namespace

TEST_F(Environment3DTest, ProjectionAndBallPixelSize)
{
    g_nPanelHeight = 100;
    ASSERT_EQ(S_OK, BuildProjection(0.4f, 800, 600, nullptr));
    EXPECT_TRUE(g_bForceRedraw);
    EXPECT_TRUE(g_bViewChanged);
    // The vertical scale of a 0.4 field of view over an aspect of 800 / 500.
    D3DMATRIX expected;
    ASSERT_EQ(S_OK, MatrixPerspective(expected, 0.4f, 800.0f / 500.0f, 6.0f, 750.0f));
    EXPECT_FLOAT_EQ(g_matProjection.m[1][1], expected.m[1][1]);
    EXPECT_FLOAT_EQ(g_fBallPixelSize, 2.24f * 500.0f * expected.m[1][1] / 2.0f);
    // No room above the panel: refused, nothing changed.
    const D3DMATRIX before = g_matProjection;
    EXPECT_EQ(E_INVALIDARG, BuildProjection(0.4f, 800, 100, nullptr));
    EXPECT_EQ(0, std::memcmp(&before, &g_matProjection, sizeof before));
    // Without a framework SetFieldOfView only remembers the value; the same value again does nothing.
    ASSERT_EQ(g_pFramework, nullptr);
    SetFieldOfView(0.5f);
    EXPECT_EQ(g_fLastFieldOfView, 0.5f);
}

TEST_F(Environment3DTest, ProjectToScreenAboveThePanel)
{
    g_nPanelHeight = 100;
    ASSERT_EQ(S_OK, BuildProjection(0.4f, 800, 600, nullptr));
    const RECT rc = {0, 0, 800, 600};
    // Straight ahead: the middle of the 500 rows above the panel.
    CVector3 out;
    const CVector3 ahead(0, 0, 100);
    ProjectToScreenIn(&out, &ahead, rc);
    EXPECT_NEAR(out.x, 400.0f, 1e-3);
    EXPECT_NEAR(out.y, 250.0f, 1e-3);
    EXPECT_GT(out.z, 0.0f);
    EXPECT_LT(out.z, 1.0f);
    // Up and right in the scene are up and right on the screen; the ball's size follows the distance.
    CVector3 up, right;
    const CVector3 pUp(0, 10, 100), pRight(10, 0, 100);
    ProjectToScreenIn(&up, &pUp, rc);
    ProjectToScreenIn(&right, &pRight, rc);
    EXPECT_LT(up.y, 250.0f);
    EXPECT_GT(right.x, 400.0f);
    D3DMATRIX orientation;
    MatrixSetIdentity(orientation);
    const SBallPose near = ProjectBall(3, orientation, CVector3(0, 0, 50), CVector3(0, 1, 0), rc);
    const SBallPose far = ProjectBall(3, orientation, CVector3(0, 0, 100), CVector3(0, 1, 0), rc);
    EXPECT_FLOAT_EQ(near.fSize, 2.0f * far.fSize);
    // The ball's z axis points away from the viewer; the light above is up (-y) on the screen.
    EXPECT_FLOAT_EQ(near.matOrientation.m[2][2], -1.0f);
    EXPECT_FLOAT_EQ(near.vLight.y, -1.0f);
    // Behind the camera: a depth the painter rejects.
    const SBallPose behind = ProjectBall(3, orientation, CVector3(0, 0, -50), CVector3(0, 1, 0), rc);
    EXPECT_FALSE(behind.vScreen.z > 0.0f && behind.vScreen.z < 1.0f);
}

TEST_F(Environment3DTest, ViewChangedTest)
{
    EXPECT_TRUE(UpdateViewChanged()) << "forced";
    EXPECT_FALSE(g_bForceRedraw);
    EXPECT_FALSE(UpdateViewChanged()) << "same view";
    g_matView.m[3][0] = 1.0f;
    EXPECT_TRUE(UpdateViewChanged()) << "moved";
    EXPECT_FALSE(UpdateViewChanged()) << "remembered";
}

TEST_F(Environment3DTest, ModalModeStopsRenderingAndThePausedClock)
{
    g_b3DReady = TRUE;
    g_bForceRedraw = FALSE;
    {
        CModalModeScope scope;
        EXPECT_TRUE(g_bModalMode);
        EXPECT_FALSE(g_b3DReady);
        EXPECT_TRUE(g_bForceRedraw);
        g_FrameStopwatch.Tick();
        EXPECT_EQ(g_FrameStopwatch.GetElapsed(), 0u);
        SetModalMode(TRUE); // nested: still paused
    }
    EXPECT_FALSE(g_bModalMode);
    EXPECT_TRUE(g_b3DReady);
}

TEST_F(Environment3DTest, ErrorTexts)
{
    struct SCase
    {
        HRESULT hr;
        int nType;
        const char* szText;
    } cases[] = {
        {static_cast<HRESULT>(0x8007000E), 0, "Not enough memory!"},
        {static_cast<HRESULT>(0x82000006), 1, "No Viewport\n\nApplication will now exit."},
        {static_cast<HRESULT>(0x8200000D), 2,
         "This sample requires a 16-bit (or higher) display mode\nto run in a window.\n\nPlease switch your desktop "
         "settings accordingly.\n\nSwitching to software rasterizer."},
        {static_cast<HRESULT>(0x8876017C), 0, "There was insufficient video memory to use the\nhardware device."},
        {E_FAIL, 0, "Generic application error.\n\nEnable debug output for detailed information."},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szText);
        EXPECT_EQ(FrameworkErrorMessage(c.hr, c.nType), c.szText);
    }
    std::string shown;
    SetErrorBoxHandler([&](const char* sz) { shown = sz; });
    DisplayFrameworkError(static_cast<HRESULT>(0x82000001), 0);
    EXPECT_EQ(shown, "No DirectDraw");
}
