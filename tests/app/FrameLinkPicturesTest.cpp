// The room's pictures on the real frame in the game's own art: a picture of the player's own, named
// as a link in the ini file, hangs on the wall in the link's place, in its own proportions.
#include "fixtures/ImageFixtures.h"
#include "tests/app/GameArtFrame.h"
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Folders.h"
#include "gameflow/GameFlow.h"
#include "platform/window/Window.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"
#include "ui/IntroSequence.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using CFrameLinkPicturesTest = CGameArtFrameTest;

const CSceneObject* LinkObject(int nLink)
{
    for (const CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
        if (p->m_nLink == nLink)
            return p;
    return nullptr;
}

TEST_F(CFrameLinkPicturesTest, APlayersOwnLinkPictureHangsOnTheWallInItsProportions)
{
    // A red picture twice as wide as it is high in place of the scene's first (square) picture.
    const std::string strMine = m_app.Folder().File("Mine.jpg");
    ASSERT_TRUE(WriteBytes(strMine, FlatColourJpeg(64, 32, 220, 20, 20)));
    WriteArtworkIniString("Link 1", (strMine + ", https://example.org/, Mine;").c_str());
    CFrameScope frame(true, true);
    ASSERT_TRUE(frame.m_bCreated);
    g_IntroSequence.Finish();
    const CSceneObject* pPicture = LinkObject(0);
    ASSERT_NE(nullptr, pPicture);
    SBox box;
    ASSERT_TRUE(pPicture->GetBox(box));
    // The picture hangs on a side wall: it spreads along z and up.
    const float fWidth = box.vMax.z - box.vMin.z, fHeight = box.vMax.y - box.vMin.y;
    EXPECT_NEAR(2.0f, fWidth / fHeight, 0.01f);
    EXPECT_NEAR(36.0f * 36.0f, fWidth * fHeight, 1.0f) << "the link's area kept";

    // Seen from the room it is the player's red.
    CMainFrame& mainFrame = *frame.m_pFrame;
    CGameFlow& flow = mainFrame.GetGameFlow();
    flow.SetFlight(nullptr);
    g_nGameMode = modeNone; // nothing moves the camera but the test
    const CVector3 vCentre = (box.vMin + box.vMax) * 0.5f;
    SFlowCamera& camera = flow.Camera();
    camera.vLookAt = vCentre;
    camera.fPitch = 359.0f;
    camera.fDistance = 150.0f;
    for (const float fYaw : {90.0f, 270.0f})
    {
        camera.fYaw = fYaw;
        camera.Place();
        if ((camera.vPosition.x - vCentre.x) * (vCentre.x < 0.0f ? 1.0f : -1.0f) > 0.0f)
            break; // in the room, in front of the wall
    }
    flow.UpdateAimCamera(0);
    ASSERT_TRUE(mainFrame.OnFrame());
    const POINT pt = ProjectPoint(vCentre);
    std::vector<DWORD> aPixels;
    int nWidth = 0, nHeight = 0;
    ASSERT_TRUE(ReadWindowPixels(frame.m_hWnd, aPixels, &nWidth, &nHeight));
    ASSERT_TRUE(pt.x >= 0 && pt.y >= 0 && pt.x < nWidth && pt.y < nHeight);
    const DWORD c = aPixels[static_cast<std::size_t>(pt.y * nWidth + pt.x)];
    EXPECT_GT(static_cast<int>(c >> 16 & 0xFF), 2 * static_cast<int>(c >> 8 & 0xFF)) << std::hex << c;
    EXPECT_GT(static_cast<int>(c >> 16 & 0xFF), 2 * static_cast<int>(c & 0xFF)) << std::hex << c;
    SaveWindowPng(frame.m_hWnd, std::string(VORN_TEST_OUTPUT_DIR) + "/FrameLinkPicture.png");
    WriteArtworkIniString("Link 1", "");
    g_linkList.RemoveAll();
}
} // namespace
