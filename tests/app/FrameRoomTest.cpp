// The camera in the game's own room, on the real frame driven by the input script (the cursor
// kept below the view, where its moves are counts like any): zooming out
// with the right button held and tilting the view never take the eye out of the box the scene
// text gives the room, and the frames keep showing the room.
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/LibraryLists.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "platform/window/Window.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr SPlacedBall ROOM_BALLS[] = {{0, 0.56f, 0.60f}, {1, 0.30f, 1.50f}};

/// The eye of the view the frame last drew.
CVector3 DrawnEye()
{
    const D3DMATRIX& m = g_matView;
    const CVector3 vRight(m.m[0][0], m.m[1][0], m.m[2][0]), vUp(m.m[0][1], m.m[1][1], m.m[2][1]),
        vAhead(m.m[0][2], m.m[1][2], m.m[2][2]);
    return (vRight * m.m[3][0] + vUp * m.m[3][1] + vAhead * m.m[3][2]) * -1.0f;
}

/// Pixels of the view between the title and the control bar that are black: nothing drawn there.
double BlackShare(CMainFrame& frame)
{
    std::vector<DWORD> aPixels;
    int nWidth = 0, nHeight = 0;
    EXPECT_TRUE(ReadWindowPixels(frame.m_hWnd, aPixels, &nWidth, &nHeight));
    int nBlack = 0, nAll = 0;
    for (int y = 40; y < nHeight - 110; ++y)
        for (int x = 0; x < nWidth; ++x, ++nAll)
            nBlack += (aPixels[static_cast<std::size_t>(y * nWidth + x)] & 0xFFFFFF) == 0 ? 1 : 0;
    return nAll > 0 ? static_cast<double>(nBlack) / nAll : 1.0;
}

using CFrameRoomTest = CScriptedFrameTest;

TEST_F(CFrameRoomTest, ZoomingOutAndTiltingKeepTheCameraInsideTheRoom)
{
    // The game's own scene text, whose Bounds line gives the room's box.
    g_astrArtworkLibraries.RemoveAll();
    for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
        g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
    // Each frame: the eye inside the box, and the room all round it.
    const auto inRoom = [](CMainFrame& f)
    {
        const float* b = f.GetTableScene().GetCamera().m_afBounds;
        const CVector3 vEye = DrawnEye();
        const float a[3] = {vEye.x, vEye.y, vEye.z};
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_GE(a[i], b[i] - 1e-3f) << "axis " << i;
            EXPECT_LE(a[i], b[i + 3] + 1e-3f) << "axis " << i;
        }
        EXPECT_LT(BlackShare(f), 0.01) << "the room shows";
    };
    auto pDistance = std::make_shared<float>(0.0f);
    const auto distanceIs = [pDistance, inRoom](float fWanted)
    {
        return [pDistance, inRoom, fWanted](CMainFrame& f)
        {
            inRoom(f);
            *pDistance = f.GetGameFlow().Camera().fDistance;
            EXPECT_NEAR(fWanted, *pDistance, 1e-3f);
        };
    };
    // 60 counts are 18 units of zoom; looking down by 40 degrees, the eye meets the box's top
    // (130) above 150 units from the cue ball.
    const std::vector<SFrameStep> steps = {
        {"the room's box is the scene text's", nullptr, "mouse move 211 1000",
         [](CMainFrame& f)
         {
             const float* b = f.GetTableScene().GetCamera().m_afBounds;
             const float aWanted[6] = {-230.0f, 0.0f, -280.0f, 240.0f, 130.0f, 320.0f};
             for (int i = 0; i < 6; ++i)
                 EXPECT_FLOAT_EQ(aWanted[i], b[i]) << i;
         }},
        // The cursor's first move turned the view as it liked: the camera is set anew.
        {"the right button held zooms",
         [](CMainFrame& f)
         {
             SFlowCamera& camera = f.GetGameFlow().Camera();
             camera.SetPitch(320.0f);
             camera.fDistance = 100.0f;
             f.GetGameFlow().UpdateAimCamera(0);
         },
         "mouse down right 211 1000", distanceIs(100.0f)},
        {"out, 118", nullptr, "mouse move 211 1060", distanceIs(118.0f)},
        {"out, 136", nullptr, "mouse move 211 1120", distanceIs(136.0f)},
        {"out, 154", nullptr, "mouse move 211 1180", distanceIs(154.0f)},
        {"out: the room stops it", nullptr, "mouse move 211 1240", distanceIs(154.0f)},
        {"held out: still stopped", nullptr, "mouse move 211 1480", distanceIs(154.0f)},
        {"in: it comes nearer at once", nullptr, "mouse move 211 1460",
         [distanceIs](CMainFrame& f)
         {
             distanceIs(148.0f)(f);
             EXPECT_NEAR(148.0f, (DrawnEye() - f.GetGameFlow().Camera().vLookAt).Length(), 1e-2f);
         }},
        {"the button let go", nullptr, "mouse up right 211 1460", inRoom},
        // 700 counts up tilt the view to look down by 60 degrees: on its orbit the eye would stand
        // above the ceiling; the room holds it on the way to the cue ball.
        {"tilted steeply down", nullptr, "mouse move 211 760",
         [inRoom](CMainFrame& f)
         {
             inRoom(f);
             const SFlowCamera& c = f.GetGameFlow().Camera();
             EXPECT_NEAR(300.0f, c.fPitch, 1e-3f);
             EXPECT_NEAR(130.0f, DrawnEye().y, 1e-2f) << "held under the box's top";
         }},
    };
    RunFrameSteps(m_app.Folder().Path(), steps, [](CMainFrame& frame) { LayTable(frame, ROOM_BALLS, true, modeAim); });
}
} // namespace
