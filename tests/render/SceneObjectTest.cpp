#include "render/SceneObject.h"

#include "fixtures/ImageFixtures.h"

#include "render/ArtLibraries.h"
#include "render/ClockObject.h"
#include "render/Light.h"
#include "render/TextureManager.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
const std::string QUAD_X = "xof 0303txt 0032\nMesh { 4; 0;0;5;, 0;10;5;, 20;10;5;, 20;0;5;; 1; 4;0,1,2,3;; }";
const std::string HAND_X = "xof 0303txt 0032\nMesh { 3; 10;77;328;, 10.5;90;328;, 11;77;328;; 1; 3;0,1,2;; }";

class SceneObjectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_libs.Add("Imagery.dll", "XFILE", "Quad.x", QUAD_X)
            .Add("Imagery.dll", "XFILE", "HourHand.x", HAND_X)
            .Add("Imagery.dll", "XFILE", "MinuteHand.x", HAND_X)
            .Install();
        g_linkList.RemoveAll();
        CLightTable::DeleteAll();
    }
    void TearDown() override
    {
        CLightTable::DeleteAll();
        DeleteAllTextures();
        g_linkList.RemoveAll();
    }

    CArtLibraries m_libs;
};

/// The turning angle of a frame about z, in degrees.
double AngleOf(const CSceneObject& obj)
{
    const D3DMATRIX& m = obj.GetFrame()->Matrix();
    return std::atan2(m.m[0][1], m.m[0][0]) * 180.0 / M_PI;
}
} // namespace

TEST_F(SceneObjectTest, FindByKindWalksTheListInCreationOrder)
{
    CSceneObject a, b, c, d;
    a.m_nId = 1;
    b.m_nId = 2;
    c.m_nId = 1;
    d.m_nId = 3;
    EXPECT_EQ(&a, CSceneObject::FindSceneObjectByKind(1));
    EXPECT_EQ(&c, CSceneObject::FindSceneObjectByKind(1, &a));
    EXPECT_EQ(nullptr, CSceneObject::FindSceneObjectByKind(1, &c)); // the last of its number
    EXPECT_EQ(nullptr, CSceneObject::FindSceneObjectByKind(1, &b)); // after an object of another number
    {
        CSceneObject e;
        e.m_nId = 3;
        EXPECT_EQ(&e, CSceneObject::FindSceneObjectByKind(3, &d));
    }
    EXPECT_EQ(nullptr, CSceneObject::FindSceneObjectByKind(3, &d)); // gone from the list with its object
}

TEST_F(SceneObjectTest, DetailLevelLeavesThePocketArrowAndTheCueAsTheyWere)
{
    CSceneObject low, mid, high, arrow;
    CSceneObjectC cue;
    low.m_nLevel = 0;
    mid.m_nLevel = 1;
    high.m_nLevel = 5;
    arrow.m_nLevel = 1;
    cue.m_nLevel = 1;
    for (bool bOn : {false, true})
    {
        SCOPED_TRACE(bOn);
        arrow.SetEnabled(bOn);
        cue.SetEnabled(bOn);
        ApplyDetailLevel(0, &arrow);
        EXPECT_TRUE(low.IsEnabled());
        EXPECT_FALSE(mid.IsEnabled());
        EXPECT_FALSE(high.IsEnabled());
        EXPECT_EQ(bOn, arrow.IsEnabled() != 0);
        EXPECT_EQ(bOn, cue.IsEnabled() != 0);
        ApplyDetailLevel(9, &arrow);
        EXPECT_TRUE(high.IsEnabled());
        EXPECT_EQ(bOn, arrow.IsEnabled() != 0);
        EXPECT_EQ(bOn, cue.IsEnabled() != 0);
    }
}

TEST_F(SceneObjectTest, PlacingAndTurning)
{
    CSceneObject obj, other;
    ASSERT_TRUE(obj.LoadMesh("Quad.x"));
    EXPECT_FLOAT_EQ(20.0f, obj.m_box.vMax.x);
    obj.m_bDirty = 0;
    obj.SetPosition(5, 5, 5); // keeps the frame where it is
    EXPECT_TRUE(obj.m_bDirty);
    CVector3 v;
    obj.GetPosition(nullptr, v);
    EXPECT_FLOAT_EQ(0.0f, v.x);
    obj.Move(1, 2, 3);
    obj.Move(1, 0, 0);
    obj.GetPosition(nullptr, v);
    EXPECT_FLOAT_EQ(2.0f, v.x);
    EXPECT_FLOAT_EQ(3.0f, v.z);
    obj.SetPositionRelative(&other, 1, 1, 1); // the other has no frame: nothing
    obj.GetPosition(nullptr, v);
    EXPECT_FLOAT_EQ(2.0f, v.x);
    ASSERT_TRUE(other.CreateFrame());
    other.Move(10, 0, 0);
    obj.SetPositionRelative(&other, 1, 1, 1);
    obj.GetPosition(&other, v);
    EXPECT_FLOAT_EQ(1.0f, v.x);
    obj.SetOrientation(CVector3(1, 0, 0), CVector3(0, 1, 0)); // keeps the frame as it is
    EXPECT_FLOAT_EQ(1.0f, obj.GetTransform()->m[2][2]);
    obj.Turn(CVector3(1, 0, 0), CVector3(0, 1, 0));
    CVector3 vDir, vUp;
    obj.GetOrientation(&other, vDir, vUp);
    EXPECT_FLOAT_EQ(1.0f, vDir.x);
    EXPECT_FLOAT_EQ(1.0f, vUp.y);
    // A mesh that does not load keeps the old frame.
    EXPECT_FALSE(obj.LoadMesh("Missing.x"));
    EXPECT_NE(nullptr, obj.GetFrame());
}

TEST_F(SceneObjectTest, ClockShowsTheTimeAndTicksAcrossTheHour)
{
    CClockObject clock;
    ASSERT_TRUE(clock.Create());
    clock.SetTime(3, 30);
    EXPECT_NEAR(-105.0, AngleOf(*clock.GetHourHand()), 1e-3);
    EXPECT_NEAR(180.0, std::fabs(AngleOf(*clock.GetMinuteHand())), 1e-3);
    EXPECT_EQ(220, clock.GetHourHand()->m_nAmbient);
    // The axis point stays where it is.
    const D3DMATRIX& m = clock.GetHourHand()->GetFrame()->Matrix();
    EXPECT_NEAR(10.693614, 10.693614 * m.m[0][0] + 77.027481 * m.m[1][0] + m.m[3][0], 1e-3);
    clock.TickAt(3, 59);
    clock.TickAt(4, 0); // across the hour: 120 degrees, not 119.5 and not the minute hand at -354
    EXPECT_NEAR(-120.0, AngleOf(*clock.GetHourHand()), 1e-3);
    EXPECT_NEAR(0.0, AngleOf(*clock.GetMinuteHand()), 1e-3);
    clock.TickAt(9, 15); // a gap of hours
    EXPECT_NEAR(-(270.0 + 7.5) + 360.0, AngleOf(*clock.GetHourHand()), 1e-3);

    CArtLibraries none;
    g_astrArtworkLibraries.RemoveAll();
    CClockObject broken;
    EXPECT_FALSE(broken.Create());
    EXPECT_EQ(nullptr, broken.GetHourHand());
}

TEST_F(SceneObjectTest, CameraPitchAndBounds)
{
    CCameraObject camera;
    const float aPitch[][2] = {{-30, 330}, {200, 359.9f}, {100, 300}, {-90, 300}, {0, 360}, {320, 320}, {400, 359.9f}};
    for (const auto& p : aPitch)
    {
        SCOPED_TRACE(p[0]);
        camera.SetPitch(p[0]);
        EXPECT_FLOAT_EQ(p[1], camera.m_fPitch);
    }
    const float afBounds[6] = {-10, 0, -10, 10, 20, 10};
    camera.SetBounds(afBounds);
    CVector3 v;
    camera.ClampToBounds(v, CVector3(1, 2, 3), CVector3(0, 0, 0)); // inside: kept
    EXPECT_FLOAT_EQ(3.0f, v.z);
    camera.ClampToBounds(v, CVector3(20, 10, 0), CVector3(0, 10, 0)); // crosses x = 10
    EXPECT_FLOAT_EQ(10.0f, v.x);
    EXPECT_FLOAT_EQ(10.0f, v.y);
    camera.ClampToBounds(v, CVector3(20, -5, 30), CVector3(30, -5, 30)); // no crossing: clamped, y >= 1
    EXPECT_FLOAT_EQ(10.0f, v.x);
    EXPECT_FLOAT_EQ(1.0f, v.y);
    EXPECT_FLOAT_EQ(10.0f, v.z);
    ASSERT_TRUE(camera.CreateFrame());
    camera.Move(10, 20, -10); // on the corner: inside, bounds included
    EXPECT_TRUE(camera.IsInsideBounds(nullptr));
    camera.Move(0.01f, 0, 0);
    EXPECT_FALSE(camera.IsInsideBounds(nullptr));
    camera.Reset();
    EXPECT_FLOAT_EQ(136.0f, camera.GetCameraPosition().z);
    EXPECT_EQ(1u, camera.m_dwFlags & 1);
}

TEST_F(SceneObjectTest, ShadowCornersAndTextureLevel)
{
    CBallSceneObject ball;
    ball.LoadMesh(1.0f, 3, "Quad.x", 0, false);
    ball.Move(30, 2.24f, 0);
    g_bBallOption = true;
    CSceneLight* pLamp = CLightTable::Create(nullptr);
    pLamp->SetPosition(D3DVECTOR{0, 155, 0}); // its height is taken as 200
    ASSERT_EQ(1, ball.UpdateShadow(0, pLamp, true));
    // Hand-computed: s = 200 / 197.76, C.x = 30 s, h = 1.21 |B - L| / 197.76 * s, f = h * sqrt 2,
    // a kite from C - f u to C + (2 + f) u with u = +x, its side corners at C.x + 1, z = +-f.
    const float aExpected[4][2] = {{28.5894f, 0}, {31.3398f, 1.7504f}, {34.0902f, 0}, {31.3398f, -1.7504f}};
    for (int i = 0; i < 4; ++i)
    {
        const D3DVERTEX& v = ball.GetShadow()->Vertices()[static_cast<std::size_t>(i)];
        EXPECT_NEAR(aExpected[i][0], v.x, 1e-3) << i;
        EXPECT_NEAR(aExpected[i][1], v.z, 1e-3) << i;
        EXPECT_FLOAT_EQ(0.0f, v.y);
    }
    // A light straight above gives a square of half size h around the ball.
    pLamp->SetPosition(D3DVECTOR{30, 155, 0});
    ASSERT_EQ(1, ball.UpdateShadow(0, pLamp, true));
    EXPECT_NEAR(30 - 1.21 * 200 / 197.76, ball.GetShadow()->Vertices()[0].x, 1e-3);
    // A light level with the ball casts nothing; without the option the quad is dropped.
    ball.Move(0, 200 - 2.24f, 0);
    EXPECT_EQ(0, ball.UpdateShadow(0, pLamp, true));
    g_bBallOption = false;
    EXPECT_EQ(1, ball.UpdateShadow(0, pLamp, true));
    EXPECT_EQ(nullptr, ball.GetShadow());

    g_fBallPixelSize = 1000;
    const float aLevels[][2] = {{5, 4}, {10, 3}, {20, 2}, {40, 1}, {100, 0}, {0, -1}, {-1, -1}};
    for (const auto& l : aLevels)
        EXPECT_EQ(static_cast<int>(l[1]), CBallSceneObject::ShadowTextureLevel(l[0])) << l[0];
    g_fBallPixelSize = 0;
}

TEST_F(SceneObjectTest, LinkExtentAndPictureReshaping)
{
    auto Bmp = [](LONG w, LONG h)
    {
        SBmpDesc desc;
        desc.nWidth = w;
        desc.nHeight = h;
        desc.pixels.assign(static_cast<std::size_t>(w * h), 0x808080);
        const std::vector<BYTE> b = EncodeBmp(desc);
        return std::string(b.begin(), b.end());
    };
    m_libs.Folder().Write("wide.bmp", Bmp(100, 25));
    m_libs.Folder().Write("strip.bmp", Bmp(400, 10));
    m_libs.Folder().Write("tall.bmp", Bmp(50, 100));
    struct SCase
    {
        const char* szName;
        std::string strFile;
        float fMinX, fMaxX, fMinY, fMaxY;
    };
    const float fK = std::sqrt(2500.0f / 200.0f); // 100 x 25 into an area of 200
    const SCase aCases[] = {
        // 28.3 wide and 7.1 high, the height then raised to 10.
        {"proportions kept", m_libs.Folder().File("wide.bmp"), 10 - 50 / fK, 10 + 50 / fK, 0, 10},
        // 10 wide and 20 high, capped at 1.5 heights (15) with the width following (7.5, raised to 10).
        {"capped at 1.5 heights", m_libs.Folder().File("tall.bmp"), 5, 15, -2.5f, 12.5f},
        {"capped at 1.5 widths, raised to 10 high", m_libs.Folder().File("strip.bmp"), -5, 25, 0, 10},
        {"no picture: the mesh stays", m_libs.Folder().File("none.bmp"), 0, 20, 0, 10},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_linkList.RemoveAll();
        g_linkList.Add(CLinkRec());
        CSceneObject obj;
        ASSERT_TRUE(obj.LoadMesh("Quad.x"));
        CSceneObjectRec rec;
        ASSERT_TRUE(rec.Parse("0x5, Pic, Quad.x, 0,0,0, 0, 0, -1, -1, 0, 0, 0, 0, 200, 0;"));
        obj.ApplyRecord(rec);
        const CLinkRec link = g_linkList.GetAt(0);
        EXPECT_FLOAT_EQ(10.0f, link.m_fCenterX);
        EXPECT_FLOAT_EQ(5.0f, link.m_fCenterZ);
        EXPECT_FLOAT_EQ(20.0f, link.m_fWidth); // (20 + 5) - (0 + 5)
        EXPECT_FLOAT_EQ(10.0f, link.m_fHeight);
        EXPECT_FLOAT_EQ(200.0f, link.m_fArea);
        obj.SetImage(c.strFile.c_str());
        SBox box;
        ASSERT_TRUE(obj.GetBox(box));
        EXPECT_NEAR(c.fMinX, box.vMin.x, 1e-3);
        EXPECT_NEAR(c.fMaxX, box.vMax.x, 1e-3);
        EXPECT_NEAR(c.fMinY, box.vMin.y, 1e-3);
        EXPECT_NEAR(c.fMaxY, box.vMax.y, 1e-3);
        EXPECT_FLOAT_EQ(5.0f, box.vMax.z);
        EXPECT_EQ(c.strFile, obj.GetFrame()->GetFirstMesh()->Groups()[0].strTexture);
    }
}

TEST_F(SceneObjectTest, AfterRenderTheViewportHoldsExactlyTheObjectsEnabledLamps)
{
    SurfacePtr pTarget = CDirectDrawSurface::Create(16, 16, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    auto pViewport = std::make_shared<CDirect3DViewport>();
    const D3DVIEWPORT2 vp = MakeFullViewport(16, 16);
    pViewport->SetViewport2(&vp);
    device.AddViewport(pViewport);
    device.SetCurrentViewport(pViewport);
    CLightSource source;
    CSceneLight* apLamps[4];
    for (int i = 0; i < 4; ++i)
    {
        apLamps[i] = source.FindOrCreate(("Lamp" + std::to_string(i)).c_str(), 1, 1, 1, 1, &device);
        ASSERT_NE(nullptr, apLamps[i]);
    }
    apLamps[3]->m_bOn = false;
    CSceneObject a, b;
    ASSERT_TRUE(a.LoadMesh("Quad.x"));
    ASSERT_TRUE(b.LoadMesh("Quad.x"));
    EXPECT_EQ(0, a.AddLight(apLamps[0]));
    a.AddLight(apLamps[2]);
    a.AddLight(apLamps[3]);
    EXPECT_EQ(-1, a.AddLight(nullptr));
    b.AddLightNumber(33); // bit 1: lamp 1
    a.m_nAmbient = 0x40;
    device.SetLightState(D3DLIGHTSTATE_AMBIENT, 0xFF102030);
    auto Lights = [&]
    {
        std::vector<CDirect3DLight*> v;
        for (const LightPtr& p : pViewport->GetLights())
            v.push_back(p.get());
        std::sort(v.begin(), v.end());
        return v;
    };
    auto Expected = [&](std::initializer_list<int> lamps)
    {
        std::vector<CDirect3DLight*> v;
        for (int i : lamps)
            v.push_back(apLamps[i]->GetDeviceLight().get());
        std::sort(v.begin(), v.end());
        return v;
    };
    device.BeginScene();
    EXPECT_EQ(1, a.Render(device, *pViewport, false));
    EXPECT_EQ(Expected({0, 2}), Lights());
    EXPECT_EQ(0x5u, g_dwLightsOnMask);
    EXPECT_EQ(1, b.Render(device, *pViewport, false));
    EXPECT_EQ(Expected({1}), Lights());
    EXPECT_EQ(1, a.Render(device, *pViewport, false));
    EXPECT_EQ(Expected({0, 2}), Lights());
    device.EndScene();
    DWORD dwAmbient = 0;
    device.GetLightState(D3DLIGHTSTATE_AMBIENT, &dwAmbient);
    EXPECT_EQ(0xFF102030u, dwAmbient); // given back after each object
    EXPECT_FALSE(a.m_bDirty);
    CSceneObject frameless;
    EXPECT_EQ(0, frameless.Render(device, *pViewport, false));
}

TEST_F(SceneObjectTest, CueSizeAndExtent)
{
    CSceneObjectC cue;
    cue.SetSize(2);
    EXPECT_FLOAT_EQ(3.0f, cue.m_afSize[0]);
    EXPECT_FLOAT_EQ(50.0f, cue.m_afSize[1]);
    EXPECT_FLOAT_EQ(2.0f, cue.GetSize());
    ASSERT_TRUE(cue.LoadMesh("Quad.x"));
    cue.ComputeExtent();
    EXPECT_FLOAT_EQ(20.0f, cue.m_vExtent.x);
    EXPECT_FLOAT_EQ(0.0f, cue.m_vExtent.z);
    cue.ShowUnlessFlagged(0x10000);
    EXPECT_FALSE(cue.IsEnabled());
    cue.ShowUnlessFlagged(0);
    EXPECT_TRUE(cue.IsEnabled());
}

TEST_F(SceneObjectTest, BallVariantsAndTheirTextures)
{
    CBallSceneObject ball;
    EXPECT_EQ(1, ball.LoadMesh(1.5f, 3, "Quad.x", 0, false));
    EXPECT_EQ(1, ball.LoadMesh(1.5f, 3, "HourHand.x", 0, true));
    EXPECT_EQ(3, ball.GetObjectId());
    CXFileFrame* pA = ball.GetFrame();
    ASSERT_NE(nullptr, pA);
    ball.SelectVariant(true);
    EXPECT_TRUE(ball.IsSecondVariant());
    CXFileFrame* pB = ball.GetFrame();
    EXPECT_NE(pA, pB);
    ball.SelectVariant(false);
    EXPECT_EQ(pA, ball.GetFrame());
    // Both variants take the ball's face; without large textures the small one.
    for (bool bLarge : {true, false})
    {
        SCOPED_TRACE(bLarge);
        g_bLargeBallTextures = bLarge;
        ball.SetImage(nullptr);
        const std::string strName = bLarge ? "b_03.bmp" : "b_sm_03.bmp";
        EXPECT_EQ(strName, pA->GetFirstMesh()->Groups()[0].strTexture);
        EXPECT_EQ(strName, pB->GetFirstMesh()->Groups()[0].strTexture);
    }
    g_bLargeBallTextures = true;
    // The base's own frame operations leave the variants alone.
    ball.CreateFrame();
    EXPECT_NE(pA, ball.GetFrame());
    ball.ReleaseFrame();
    EXPECT_EQ(nullptr, ball.GetFrame());
    ball.SelectVariant(true);
    EXPECT_EQ(pB, ball.GetFrame());
    // A variant that does not load keeps the one there was.
    ball.LoadMesh(1.5f, 3, "Missing.x", 0, true);
    EXPECT_EQ(pB, ball.GetFrame());
    // Placed relative to itself (its drawn variant), both variants end at the same new place.
    ball.SetPositionRelative(&ball, 5, 0, -2);
    CVector3 vA, vB;
    pA->GetPosition(nullptr, vA);
    pB->GetPosition(nullptr, vB);
    EXPECT_FLOAT_EQ(5.0f, vB.x);
    EXPECT_FLOAT_EQ(-2.0f, vB.z);
    EXPECT_FLOAT_EQ(vB.x, vA.x);
    EXPECT_FLOAT_EQ(vB.z, vA.z);
}
