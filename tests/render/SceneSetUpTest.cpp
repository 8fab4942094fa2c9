// The scene set-up's box for the camera: the Bounds line of the scene text over the default box,
// and the default box kept, with a line in the debug log, for a box that holds nothing.
#include "render/SceneSetUp.h"

#include "platform/dx/Device.h"
#include "render/ArtLibraries.h"
#include "render/Light.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

TEST(SceneSetUpTest, TheCameraTakesTheBoundsLineOverTheDefaultBox)
{
    const std::array<float, 6> D = DEFAULT_CAMERA_BOUNDS;
    struct SCase
    {
        const char* szName;
        const char* szLine;
        std::array<float, 6> wanted;
        bool bLogged;
    };
    const SCase aCases[] = {
        {"a whole line", "Bounds = -10 0 -20 30 40 50\n", {-10, 0, -20, 30, 40, 50}, false},
        {"no line: the default box", "", D, false},
        {"a short line: the rest from the default box", "Bounds = -10 1\n", {-10, 1, D[2], D[3], D[4], D[5]}, false},
        {"a minimum above its maximum: the default box", "Bounds = 10 0 0 -10 5 5\n", D, true},
        {"a flat box holds the camera on its plane", "Bounds = -10 5 -10 10 5 10\n", {-10, 5, -10, 10, 5, 10}, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CArtLibraries libs;
        libs.Add("Imagery.dll", "SET", "3-DVORN.ART", std::string("Version = 3\n") + c.szLine + "[Objects]\n[Table]\n")
            .Install();
        SurfacePtr pTarget = CDirectDrawSurface::Create(16, 16, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
        CDirect3DDevice device(pTarget);
        const CLogRecorder log;
        std::vector<std::unique_ptr<CSceneObject>> objects;
        SSceneText text;
        ASSERT_TRUE(BuildSceneObjects(device, objects, &text));
        EXPECT_EQ(c.wanted, text.afCameraBounds);
        EXPECT_EQ(c.bLogged, log.Text().find("Bounds line's box is empty") != std::string::npos) << log.Text();
        CLightTable::DeleteAll();
        DeleteAllTextures();
    }
}

TEST(SceneSetUpTest, EachObjectIsDrawnWithItsLinesBlend)
{
    const std::string strQuad = "xof 0303txt 0032\nMesh { 4; 0;0;5;, 0;10;5;, 20;10;5;, 20;0;5;; 1; 4;0,1,2,3;; }";
    // id, name, mesh, x,y,z, level, order, motion, clip, flag, blend, link, lights, ambient, list
    CArtLibraries libs;
    libs.Add("Imagery.dll", "XFILE", "Quad.x", strQuad)
        .Add("Imagery.dll", "SET", "3-DVORN.ART",
             "Version = 3\n[Objects]\n"
             "0x1, Opaque, Quad.x, 0,0,0, 0, 1, -1, -1, 0, 0, -1, 0, 150,  0;\n"
             "0x3, Floor, Quad.x, 0,0,0, 0, 2, -1, -1, 0, 1, -1, 0, 150,  0;\n"
             "0x4, Glow, Quad.x, 0,0,0, 0, 3, -1, -1, 0, 2, -1, 0, 150,  0;\n[Table]\n")
        .Install();
    SurfacePtr pTarget = CDirectDrawSurface::Create(16, 16, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    auto pViewport = std::make_shared<CDirect3DViewport>();
    const D3DVIEWPORT2 vp = MakeFullViewport(16, 16);
    pViewport->SetViewport2(&vp);
    device.AddViewport(pViewport);
    device.SetCurrentViewport(pViewport);
    std::vector<std::unique_ptr<CSceneObject>> objects;
    ASSERT_TRUE(BuildSceneObjects(device, objects, nullptr));
    struct SCase
    {
        int nId;
        DWORD dwEnable, dwDest;
    };
    const SCase aCases[] = {{0x4, TRUE, D3DBLEND_ONE}, {0x1, FALSE, 0}, {0x3, TRUE, D3DBLEND_SRCCOLOR}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nId);
        const auto it = std::find_if(objects.begin(), objects.end(), [&](const auto& p) { return p->m_nId == c.nId; });
        ASSERT_NE(objects.end(), it);
        ASSERT_TRUE((*it)->Render(device, *pViewport, false));
        DWORD dwEnable = 0, dwDest = 0;
        device.GetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, &dwEnable);
        EXPECT_EQ(c.dwEnable, dwEnable);
        if (c.dwEnable)
        {
            device.GetRenderState(D3DRENDERSTATE_DESTBLEND, &dwDest);
            EXPECT_EQ(c.dwDest, dwDest);
        }
    }
    objects.clear();
    CLightTable::DeleteAll();
    DeleteAllTextures();
}
