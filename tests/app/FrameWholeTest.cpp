// The whole frame the window shows, headless on a screen of 800 x 600 in 32 and 16 bits with the
// game's own art: the game's scene with an eight-ball rack from the default camera, each ball
// painted where the projection of its engine position says, and a burst of stars where a ball
// drops and the pocket arrow over a called pocket changing pixels inside their projected boxes
// only; written as PNG. And the particle effects
// the frame emits behind the struck ball while a shot runs, by the "Particles" level.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"
#include "tests/app/WholeFrame.h"

#include "app/FrameCallShot.h"
#include "app/MainFrame.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/Desktop.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/RackScene.h"
#include "render/SceneObject.h"
#include "render/SpriteEffects.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsConstants.h"
#include "ui/SceneOrder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace
{
constexpr int WIDTH = WHOLE_FRAME_SCREEN.cx, HEIGHT = WHOLE_FRAME_SCREEN.cy;

/// A screen rectangle, grown point by point.
struct SArea
{
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    void Add(const CVector3& vScene)
    {
        CVector3 s;
        ProjectToScreen(&s, &vScene);
        x0 = std::min<double>(x0, s.x);
        y0 = std::min<double>(y0, s.y);
        x1 = std::max<double>(x1, s.x);
        y1 = std::max<double>(y1, s.y);
    }
    bool Contains(double x, double y, double dMargin) const
    {
        return x >= x0 - dMargin && x <= x1 + dMargin && y >= y0 - dMargin && y <= y1 + dMargin;
    }
};

/// The pixels that differ: their count, their centroid and how many lie outside the area.
struct SChange
{
    int nChanged = 0;
    int nOutside = 0;
    double cx = 0, cy = 0;
};
SChange Compare(const std::vector<DWORD>& a, const std::vector<DWORD>& b, const SArea* pArea = nullptr)
{
    SChange change;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x)
            if (a[static_cast<std::size_t>(y * WIDTH + x)] != b[static_cast<std::size_t>(y * WIDTH + x)])
            {
                ++change.nChanged;
                change.cx += x + 0.5;
                change.cy += y + 0.5;
                if (pArea != nullptr && !pArea->Contains(x + 0.5, y + 0.5, 2.0))
                    ++change.nOutside;
            }
    if (change.nChanged > 0)
    {
        change.cx /= change.nChanged;
        change.cy /= change.nChanged;
    }
    return change;
}

TEST(FrameWholeTest, RackBallsAndABurstOfStarsFromTheDefaultCameraIn32And16Bits)
{
    const CTestClockScope clock(5000);
    for (const DWORD dwBits : {32u, 16u})
    {
        SCOPED_TRACE(dwBits);
        CWholeFrame whole(dwBits);
        ASSERT_TRUE(whole.FillTheScreen());
        CMainFrame& frame = whole.Frame();
        ASSERT_EQ(WIDTH, static_cast<int>(frame.GetFramework()->GetRenderWidth()));
        ASSERT_EQ(HEIGHT, static_cast<int>(frame.GetFramework()->GetRenderHeight()));

        // Each ball alone on the table: the pixels it changes are centred on its projection. No
        // cue lies over them.
        CSceneObject::FindSceneObjectByKind(KIND_CUE)->SetEnabled(false);
        std::vector<std::pair<int, CVector3>> balls;
        for (int n = 0; n < 16; ++n)
            if (const CBall* pBall = g_BallEngineMain.FindBall(n))
                balls.emplace_back(n, *pBall->GetPosition());
        ASSERT_EQ(16u, balls.size());
        g_BallEngineMain.RemoveAllBalls();
        const std::vector<DWORD> aEmpty = whole.Tick();
        for (const auto& [nBall, vTable] : balls)
        {
            SCOPED_TRACE(nBall);
            g_BallEngineMain.AddBall(nBall)->SetPosition(vTable);
            const SChange change = Compare(whole.Tick(), aEmpty);
            g_BallEngineMain.RemoveBall(nBall);
            CVector3 vScreen;
            const CVector3 vScene = TableToScene(vTable);
            ProjectToScreen(&vScreen, &vScene);
            ASSERT_GT(change.nChanged, 100);
            EXPECT_NEAR(vScreen.x, change.cx, 1.0);
            EXPECT_NEAR(vScreen.y, change.cy, 1.0);
        }
        for (const auto& [nBall, vTable] : balls)
            g_BallEngineMain.AddBall(nBall)->SetPosition(vTable);

        constexpr int POCKET = 3;
        g_Settings.m_nParticles = 3;
        const std::vector<DWORD> aRack = whole.Tick();
        {
            // A far corner pocket called: the arrow stands over it, its tip 1.0 above the cloth
            // (the clock stands still, so it does not bob), and goes when the call does.
            CFrameCallShotHost host(frame); // deletes the state with it
            g_pCallShotState = new CCallShotState(host);
            g_CallRecord.nPocket = POCKET;
            frame.UpdatePocketArrow();
            ASSERT_NE(nullptr, frame.GetPocketArrow());
            EXPECT_EQ(frame.GetPocketArrow(), frame.GetSceneAnimation().GetFloatingObject()) << "it bobs";
            CVector3 vTip = TableToScene(g_BallEngineMain.GetCushionPoint(POCKET));
            vTip.y = SCENE_BED_HEIGHT + 1.0f;
            CVector3 vArrow;
            frame.GetPocketArrow()->GetPosition(nullptr, vArrow);
            EXPECT_LT((vArrow - vTip).LengthSq(), 1e-6f);
            // The arrow's mesh: 4 wide, 4.32 high above its tip, facing along z.
            SArea arrowArea;
            for (const float dx : {-2.0f, 2.0f})
                for (const float dy : {0.0f, 4.32f})
                    for (const float dz : {-0.05f, 0.05f})
                        arrowArea.Add(CVector3(vTip.x + dx, vTip.y + dy, vTip.z + dz));
            // With the called pocket's marker on the cloth below it.
            arrowArea.Add(CVector3(vTip.x, SCENE_BED_HEIGHT, vTip.z - 1.0f));
            const SChange arrow = Compare(whole.Tick(), aRack, &arrowArea);
            EXPECT_GT(arrow.nChanged, 20);
            EXPECT_EQ(0, arrow.nOutside);
            EXPECT_TRUE(whole.SavePng("WholeFrameArrow" + std::to_string(dwBits) + ".png"));
            ResetCallRecords();
            EXPECT_EQ(0, Compare(whole.Tick(), aRack).nChanged) << "no pocket called: no arrow";
            EXPECT_FALSE(frame.GetPocketArrow()->IsEnabled());
        }

        // A ball drops into a far corner pocket: its stars burst there, each at most 2 units across
        // its middle when it starts.
        frame.StartPocketEffect(9, POCKET);
        const std::vector<CParticleSystem*> apEffects = {frame.GetSpriteEffects()[SPRITE_POCKET + POCKET].get()};
        CVector3 vPocket = g_BallEngineMain.GetCushionPoint(POCKET);
        vPocket.z = 0.0f;
        const CVector3 vBurst = TableToScene(vPocket);
        EXPECT_LT((vBurst - apEffects[0]->GetLocation()).LengthSq(), 1e-6f);
        EXPECT_EQ(50, apEffects[0]->GetLiveCount());
        SArea area;
        for (const float dx : {-3.0f, 3.0f})
            for (const float dy : {-3.0f, 3.0f})
                for (const float dz : {-3.0f, 3.0f})
                    area.Add(CVector3(vBurst.x + dx, vBurst.y + dy, vBurst.z + dz));
        ASSERT_GE(area.x0, 0.0);
        ASSERT_LE(area.x1, WIDTH);
        ASSERT_GE(area.y0, 0.0);
        ASSERT_LE(area.y1, HEIGHT);
        const SChange change = Compare(whole.Tick(), aRack, &area);
        EXPECT_GT(change.nChanged, 20);
        EXPECT_EQ(0, change.nOutside);
        EXPECT_TRUE(whole.SavePng("WholeFrame" + std::to_string(dwBits) + ".png"));
    }
}

/// The game's camera on its orbit about the table's centre at the heading, looking down by the pitch.
void PlaceCamera(CMainFrame& frame, float fYaw, float fPitch, float fDistance = SFlowCamera::DEFAULT_DISTANCE,
                 const CVector3& vLookAt = CVector3(0.0f, SCENE_BED_HEIGHT, 0.0f))
{
    SFlowCamera& camera = frame.GetGameFlow().Camera();
    camera.fYaw = fYaw;
    camera.SetPitch(fPitch);
    camera.fDistance = fDistance;
    camera.fShift1 = camera.fShift2 = 0.0f;
    camera.vLookAt = vLookAt;
    camera.Place();
}

TEST(FrameWholeTest, APocketedBallsStarsAreSoftAndShowNoCornerOfTheirSquares)
{
    // The stars of a drop, seen from close by: each particle is a square facing the camera, its
    // star in the picture's alpha, which ends inside the circle the square holds. Drawn at once,
    // before they move, the squares share one middle: every pixel of the largest square's corners,
    // beyond that circle, must show nothing of them; the pixels near the middle must.
    constexpr int POCKET = 5;
    for (const DWORD dwBits : {32u, 16u})
    {
        SCOPED_TRACE(dwBits);
        const CTestClockScope clock(5000);
        CWholeFrame whole(dwBits);
        ASSERT_TRUE(whole.FillTheScreen());
        CMainFrame& frame = whole.Frame();
        g_Settings.m_nParticles = 2;
        CVector3 vPocket = g_BallEngineMain.GetCushionPoint(POCKET);
        vPocket.z = 0.0f;
        const CVector3 vBurst = TableToScene(vPocket);
        // Over the table, 30 units from the pocket, looking down at it.
        float fBestYaw = 0.0f, fBest = -1e9f;
        for (float fYaw = 0.0f; fYaw < 360.0f; fYaw += 5.0f)
        {
            PlaceCamera(frame, fYaw, 310.0f, 30.0f, vBurst);
            const CVector3 vOut = frame.GetGameFlow().Camera().vPosition - vBurst;
            const float fTowardsMiddle = -(vOut.x * vBurst.x + vOut.z * vBurst.z);
            if (fTowardsMiddle > fBest)
            {
                fBest = fTowardsMiddle;
                fBestYaw = fYaw;
            }
        }
        PlaceCamera(frame, fBestYaw, 310.0f, 30.0f, vBurst);
        const std::vector<DWORD> aBefore = whole.Tick();
        frame.StartPocketEffect(9, POCKET);
        const std::vector<DWORD> aAfter = whole.Tick(); // the clock stands: the burst has not moved
        EXPECT_TRUE(whole.SavePng("SoftStars" + std::to_string(dwBits) + ".png"));
        const CParticleSystem& stars = *frame.GetSpriteEffects()[SPRITE_POCKET + POCKET];
        ASSERT_EQ(stars.GetMaxParticles(), stars.GetLiveCount());
        float fSize = 0.0f;
        for (const SParticle& p : stars.Particles())
        {
            EXPECT_LT((p.vPosition - vBurst).LengthSq(), 1e-6f) << "the burst starts at the pocket";
            fSize = std::max(fSize, p.fSize);
        }
        // The largest square on the screen: the camera's right and up, as the billboards take them.
        const CVector3 vRight(g_matView.m[0][0], g_matView.m[1][0], g_matView.m[2][0]);
        const CVector3 vUp(g_matView.m[0][1], g_matView.m[1][1], g_matView.m[2][1]);
        CVector3 sCentre, sRight, sUp;
        const CVector3 vRightEdge = vBurst + vRight * fSize, vTopEdge = vBurst + vUp * fSize;
        ProjectToScreen(&sCentre, &vBurst);
        ProjectToScreen(&sRight, &vRightEdge);
        ProjectToScreen(&sUp, &vTopEdge);
        const double hx = std::hypot(sRight.x - sCentre.x, sRight.y - sCentre.y);
        const double hy = std::hypot(sUp.x - sCentre.x, sUp.y - sCentre.y);
        ASSERT_GT(hx, 40.0) << "close enough to see the texels";
        // The circle of the picture's 32 texels from its middle; a texel and a pixel more for the filter.
        const double dStarEdge = 1.0 + 1.0 / 32.0 + 1.0 / hx;
        int nBeyond = 0, nLitBeyond = 0, nLitMiddle = 0;
        for (int y = 0; y < HEIGHT; ++y)
            for (int x = 0; x < WIDTH; ++x)
            {
                const double dx = (x + 0.5 - sCentre.x) / hx, dy = (y + 0.5 - sCentre.y) / hy;
                const bool bChanged =
                    aAfter[static_cast<std::size_t>(y * WIDTH + x)] != aBefore[static_cast<std::size_t>(y * WIDTH + x)];
                if (std::abs(dx) < 1.0 - 1.0 / hx && std::abs(dy) < 1.0 - 1.0 / hy && std::hypot(dx, dy) > dStarEdge)
                {
                    ++nBeyond;
                    nLitBeyond += bChanged ? 1 : 0;
                }
                else if (std::hypot(dx, dy) < 0.3)
                    nLitMiddle += bChanged ? 1 : 0;
            }
        EXPECT_GT(nBeyond, 1000) << "the squares' corners lie in the view";
        EXPECT_EQ(0, nLitBeyond) << "no pixel of a square's corners";
        EXPECT_GT(nLitMiddle, 50) << "the stars show";
    }
}

/// The brightness of a pixel, 0 to 765.
int Brightness(DWORD dw) { return static_cast<int>((dw >> 16 & 0xFF) + (dw >> 8 & 0xFF) + (dw & 0xFF)); }

TEST(FrameWholeTest, SixteenBallsCastTheirShadowsOnTheClothAwayFromTheLampOverTheTable)
{
    // Sixteen balls spread over the cloth, seen from above: each darkens the cloth beside it, on
    // its side away from the lamp over the table's middle, and nothing else changes. The frame
    // without shadows (the ball option off) is the reference.
    const CTestClockScope clock(5000);
    CWholeFrame whole(32);
    ASSERT_TRUE(whole.FillTheScreen());
    CMainFrame& frame = whole.Frame();
    g_Settings.m_nBallPath1 = g_Settings.m_nBallPath2 = 0; // no predicted paths over the cloth
    CSceneObject::FindSceneObjectByKind(KIND_CUE)->SetEnabled(false);
    const float fRestingZ = g_BallEngineMain.FindBall(0)->GetPosition()->z;
    std::vector<CVector3> aScene;
    for (int n = 0; n < 16; ++n)
    {
        const CVector3 vTable(0.15f + 0.27f * static_cast<float>(n % 4), 0.35f + 0.5f * static_cast<float>(n / 4),
                              fRestingZ);
        g_BallEngineMain.FindBall(n)->SetPosition(vTable);
        aScene.push_back(TableToScene(vTable));
    }
    PlaceCamera(frame, 180.0f, 330.0f, 150.0f);
    ASSERT_TRUE(g_bBallOption) << "the settings' ball option is on";
    const std::vector<DWORD> aShadows = whole.Tick();
    EXPECT_TRUE(whole.SavePng("BallShadows.png"));
    g_bBallOption = false;
    const std::vector<DWORD> aPlain = whole.Tick();
    g_bBallOption = true;

    CVector3 sMiddle;
    const CVector3 vMiddle(0.0f, SCENE_BED_HEIGHT, 0.0f);
    ProjectToScreen(&sMiddle, &vMiddle);
    std::vector<SArea> aNear(16);
    for (std::size_t i = 0; i < aScene.size(); ++i)
        for (const float d : {-7.0f, 7.0f})
            for (const float e : {-7.0f, 7.0f})
                aNear[i].Add(aScene[i] + CVector3(d, 0.0f, e));
    std::vector<int> anDarker(16, 0);
    std::vector<double> adOutward(16, 0.0);
    int nElsewhere = 0;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x)
        {
            const auto k = static_cast<std::size_t>(y * WIDTH + x);
            if (aShadows[k] == aPlain[k])
                continue;
            const auto it = std::find_if(aNear.begin(), aNear.end(),
                                         [&](const SArea& a) { return a.Contains(x + 0.5, y + 0.5, 0.0); });
            if (it == aNear.end() || Brightness(aShadows[k]) >= Brightness(aPlain[k]))
            {
                ++nElsewhere;
                continue;
            }
            const auto i = static_cast<std::size_t>(it - aNear.begin());
            CVector3 sBall;
            ProjectToScreen(&sBall, &aScene[i]);
            ++anDarker[i];
            // Positive when the pixel lies farther out from the middle than the ball.
            adOutward[i] += (x + 0.5 - sBall.x) * (sBall.x - sMiddle.x) + (y + 0.5 - sBall.y) * (sBall.y - sMiddle.y);
        }
    EXPECT_EQ(0, nElsewhere) << "shadows only darken, and only beside their balls";
    for (std::size_t i = 0; i < anDarker.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_GT(anDarker[i], 10) << "ball " << i << " casts a shadow";
        EXPECT_GT(adOutward[i], 0.0) << "away from the lamp over the middle";
    }
}

TEST(FrameWholeTest, TheSconcesFlameFlickersFromFrameToFrameAndItsLampKeepsItsLine)
{
    // The game's room seen from near its left wall, where the sconce hangs: over 60 frames the
    // wall round the sconce shows its flame's light changing from frame to frame, and after each
    // frame the flame's lamp is what its line in the scene text says.
    CTestClockScope clock(5000);
    CWholeFrame whole(32);
    ASSERT_TRUE(whole.FillTheScreen());
    CMainFrame& frame = whole.Frame();
    const CSceneLight* pFlame = nullptr;
    for (int i = 0; i < CLightTable::GetCount() && pFlame == nullptr; ++i)
        if (CLightTable::GetAt(i) != nullptr && CLightTable::GetAt(i)->m_strName == "Flame")
            pFlame = CLightTable::GetAt(i);
    ASSERT_NE(nullptr, pFlame);
    const D3DVECTOR& p = pFlame->GetPosition();
    const CVector3 vFlame(p.x, p.y, p.z);
    // Looking at the flame from the room's middle side of it.
    float fBestYaw = 0.0f, fBestX = -1e9f;
    for (float fYaw = 0.0f; fYaw < 360.0f; fYaw += 5.0f)
    {
        PlaceCamera(frame, fYaw, 350.0f, 80.0f, vFlame);
        if (frame.GetGameFlow().Camera().vPosition.x > fBestX)
        {
            fBestX = frame.GetGameFlow().Camera().vPosition.x;
            fBestYaw = fYaw;
        }
    }
    PlaceCamera(frame, fBestYaw, 350.0f, 80.0f, vFlame);
    const DWORD dwLine = pFlame->GetColorRGB();
    const float fLineAttenuation = pFlame->GetAttenuation0();
    CVector3 sFlame;
    CrtSrand(3);
    std::set<std::vector<DWORD>> looks;
    for (int k = 0; k < 60; ++k)
    {
        clock.Advance(16);
        const std::vector<DWORD> aPixels = whole.Tick(false);
        if (k == 0)
        {
            ProjectToScreen(&sFlame, &vFlame);
            ASSERT_GT(sFlame.x, 100.0);
            ASSERT_LT(sFlame.x, WIDTH - 100.0);
            ASSERT_GT(sFlame.y, 100.0);
            ASSERT_LT(sFlame.y, HEIGHT - 200.0);
            EXPECT_TRUE(whole.SavePng("SconceFlame.png"));
        }
        std::vector<DWORD> aAround;
        for (int y = static_cast<int>(sFlame.y) - 80; y < static_cast<int>(sFlame.y) + 80; ++y)
            for (int x = static_cast<int>(sFlame.x) - 80; x < static_cast<int>(sFlame.x) + 80; ++x)
                aAround.push_back(aPixels[static_cast<std::size_t>(y * WIDTH + x)]);
        looks.insert(aAround);
        EXPECT_EQ(dwLine, pFlame->GetColorRGB()) << "frame " << k;
        EXPECT_FLOAT_EQ(fLineAttenuation, pFlame->GetAttenuation0()) << "frame " << k;
    }
    EXPECT_GT(looks.size(), 40u) << "the flame's light changes from frame to frame";
}

TEST(FrameWholeTest, SidesAndBallGroupsAreDrawnInTheirOrderForTheCamerasHeading)
{
    constexpr int ROOM = 0x1, BALLS = 0x10, A = 0x4000040, B = 0x8000040, C = 0x10000040, D = 0x20000040,
                  MARK = 0x2000040, CUE = 0x2;
    const struct
    {
        float fHeading;
        std::vector<int> golden; // the room, then the balls and sides around the watermark, the cue last
    } cases[] = {
        {45, {ROOM, BALLS, A, C, BALLS, MARK, BALLS, B, D, CUE}},
        {725, {ROOM, BALLS, A, C, BALLS, MARK, BALLS, B, D, CUE}},
        {90, {ROOM, BALLS, C, A, B, BALLS, MARK, BALLS, D, CUE}},
        {180, {ROOM, BALLS, B, C, D, BALLS, MARK, BALLS, A, CUE}},
        {-30, {ROOM, BALLS, A, D, BALLS, MARK, BALLS, B, C, CUE}},
        {360, {ROOM, BALLS, A, C, D, BALLS, MARK, BALLS, B, CUE}},
    };
    const CTestClockScope clock(5000);
    CWholeFrame whole(32);
    ASSERT_TRUE(whole.FillTheScreen());
    CMainFrame& frame = whole.Frame();
    // Ball 1 in a corner pocket's jaws, ball 2 dropped below the cloth, the others on it.
    g_BallEngineMain.FindBall(1)->SetPosition(CVector3(-0.02f, -0.02f, 0.0f));
    g_BallEngineMain.FindBall(2)->SetPosition(CVector3(0.3f, 0.3f, -0.2f));
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fHeading);
        PlaceCamera(frame, c.fHeading, SFlowCamera::DEFAULT_PITCH);
        std::vector<int> log;
        frame.GetTableScene().SetDrawLog(&log);
        whole.Tick();
        frame.GetTableScene().SetDrawLog(nullptr);
        std::erase_if(log, [&](int nKind) { return std::ranges::find(c.golden, nKind) == c.golden.end(); });
        EXPECT_EQ(c.golden, log);
    }
}

TEST(FrameWholeTest, ABallBeforeTheFarCushionStaysInFrontOfTheSideDrawnAfterIt)
{
    for (const DWORD dwBits : {32u, 16u})
    {
        SCOPED_TRACE(dwBits);
        const CTestClockScope clock(5000);
        CWholeFrame whole(dwBits);
        ASSERT_TRUE(whole.FillTheScreen());
        CMainFrame& frame = whole.Frame();
        g_Settings.m_nBallPath1 = g_Settings.m_nBallPath2 = 0; // no predicted path over the ball
        const float fRestingZ = g_BallEngineMain.FindBall(0)->GetPosition()->z;
        const CVector3 vTable(TABLE_WIDTH_M / 2.0f, 0.2f, fRestingZ);
        // Seen from close by at the height of its top, the far cushion lies behind its upper half.
        PlaceCamera(frame, 0.0f, 358.7f, 40.0f, TableToScene(vTable));
        // The rack's balls wait at the near end, behind the camera; then ball 3 comes before the cushion.
        for (int n = 0; n < 16; ++n)
            g_BallEngineMain.FindBall(n)->SetPosition(
                CVector3(0.1f + 0.07f * static_cast<float>(n), TABLE_LENGTH_M - 0.1f, fRestingZ));
        const std::vector<DWORD> aEmpty = whole.Tick();
        g_BallEngineMain.FindBall(3)->SetPosition(vTable);
        const std::vector<DWORD> aBall = whole.Tick();
        EXPECT_TRUE(whole.SavePng("FarCushionBall" + std::to_string(dwBits) + ".png"));
        // Every pixel well inside the ball's disc is the ball's, none the cushion's.
        CVector3 vCentre, vTop;
        const CVector3 vScene = TableToScene(vTable);
        const CVector3 vSceneTop = vScene + CVector3(0.0f, BALL_RADIUS_M / 0.0254f, 0.0f);
        ProjectToScreen(&vCentre, &vScene);
        ProjectToScreen(&vTop, &vSceneTop);
        const double dRadius = vCentre.y - vTop.y;
        ASSERT_GT(dRadius, 3.0);
        int nInside = 0, nSame = 0;
        for (int y = 0; y < HEIGHT; ++y)
            for (int x = 0; x < WIDTH; ++x)
                if (std::hypot(x + 0.5 - vCentre.x, y + 0.5 - vCentre.y) < 0.7 * dRadius)
                {
                    ++nInside;
                    const auto i = static_cast<std::size_t>(y * WIDTH + x);
                    nSame += aBall[i] == aEmpty[i] ? 1 : 0;
                }
        EXPECT_GT(nInside, 10);
        EXPECT_EQ(0, nSame);
    }
}

TEST(FrameWholeTest, ABallPaintedTwiceInOneSceneShowsWhereEachPaintingPutIt)
{
    // The balls are painted when the device draws the scene: a ball painted again before that is
    // first drawn where it was, so both paintings show, each as it shows alone.
    const CTestClockScope clock(5000);
    CWholeFrame whole(32);
    ASSERT_TRUE(whole.FillTheScreen());
    CMainFrame& frame = whole.Frame();
    whole.Tick();
    CD3DFramework& framework = *frame.GetFramework();
    CDirect3DDevice& device = *framework.GetD3DDevice();
    const float fRestingZ = g_BallEngineMain.FindBall(0)->GetPosition()->z;
    const auto scene = [&](std::initializer_list<float> afAcross)
    {
        framework.GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device.BeginScene();
        for (const float fAcross : afAcross)
        {
            SSceneBall ball;
            ball.nBall = 9;
            ball.vCentre = TableToScene(CVector3(fAcross, TABLE_LENGTH_M / 2.0f, fRestingZ));
            MatrixSetIdentity(ball.matOrientation);
            frame.GetTableScene().PaintBalls(framework, frame.GetBallPainter(), std::span(&ball, 1));
        }
        device.EndScene();
        std::vector<DWORD> aPixels;
        for (int y = 0; y < HEIGHT; ++y)
            for (int x = 0; x < WIDTH; ++x)
                aPixels.push_back(framework.GetRenderTarget()->GetPixelXrgb(x, y));
        return aPixels;
    };
    const float fLeft = 0.3f, fRight = TABLE_WIDTH_M - 0.3f;
    const std::vector<DWORD> aNone = scene({}), aLeft = scene({fLeft}), aRight = scene({fRight});
    const std::vector<DWORD> aBoth = scene({fLeft, fRight});
    const SChange left = Compare(aLeft, aNone), right = Compare(aRight, aNone);
    ASSERT_GT(left.nChanged, 50);
    ASSERT_GT(right.nChanged, 50);
    ASSERT_GT(Compare(aLeft, aRight).nChanged, 0) << "the two places differ";
    // Each ball's pixels as alone, nothing else changed.
    for (std::size_t i = 0; i < aBoth.size(); ++i)
        ASSERT_EQ(aLeft[i] != aNone[i] ? aLeft[i] : aRight[i], aBoth[i]) << "pixel " << i;
}

TEST(FrameWholeTest, StruckBallLeavesSparklesAndSmokeWhileTheShotRuns)
{
    struct SCase
    {
        const char* szName;
        int nParticles;
        DWORD dwMode;
        bool bSparkles, bSmoke;
    };
    const SCase aCases[] = {
        {"a shot runs", 3, gmShotRunning, true, true},
        {"sparkles only from level 3", 2, gmShotRunning, false, true},
        {"effects off", 1, gmShotRunning, false, false},
        {"no shot", 3, 0, false, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestClockScope clock(5000);
        CWholeFrame whole(32);
        ASSERT_TRUE(whole.FillTheScreen());
        CMainFrame& frame = whole.Frame();
        g_Settings.m_nParticles = c.nParticles;
        whole.Tick();
        CGameFlow& flow = frame.GetGameFlow();
        if (c.dwMode != 0)
        {
            flow.Cue().fPullBack = 20.0f;
            flow.StrikeCueBall();
        }
        ASSERT_EQ(c.dwMode, g_nGameMode & gmShotRunning);
        for (int k = 0; k < 10; ++k)
        {
            clock.Advance(50);
            whole.Tick();
        }
        const CBall* pCue = g_BallEngineMain.FindBall(GetCueBallNumber());
        ASSERT_NE(nullptr, pCue);
        const auto& apEffects = frame.GetSpriteEffects();
        EXPECT_EQ(c.bSparkles, apEffects[SPRITE_FOLLOW]->GetLiveCount() > 0);
        EXPECT_EQ(c.bSmoke, apEffects[SPRITE_TRAIL]->GetLiveCount() > 0);
        for (std::size_t i = SPRITE_POCKET; i < SPRITE_POCKET + SPRITE_POCKET_COUNT; ++i)
            EXPECT_EQ(0, apEffects[i]->GetLiveCount()) << "pocket " << i - SPRITE_POCKET;
        if (c.bSparkles)
        {
            EXPECT_LT((TableToScene(*pCue->GetPosition()) - apEffects[SPRITE_FOLLOW]->GetLocation()).LengthSq(), 1e-6f)
                << "the sparkles go with the ball";
        }
    }
}
} // namespace
