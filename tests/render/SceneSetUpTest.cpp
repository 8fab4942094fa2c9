// The scene set-up's box for the camera: the Bounds line of the scene text over the default box,
// and the default box kept, with a line in the debug log, for a box that holds nothing.
#include "render/SceneSetUp.h"

#include "platform/dx/Device.h"
#include "render/ArtLibraries.h"
#include "render/Light.h"
#include "render/TextureManager.h"

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
