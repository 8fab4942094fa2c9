#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace
{
/// A started frame on the game's own libraries: its room, table and ball sets.
class FrameSceneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        for (const char* szLib : {"VornBall.dat", "VornBall1.dat"})
            g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_textureSet.LoadTextureSet();
        g_Settings.SetDefaults();
        g_Settings.m_nGameType = 9;
        ASSERT_TRUE(StartDisplay());
        m_pAdapter = std::make_unique<CDisplayAdapterScope>(LoadDisplayAdapter());
        ASSERT_NE(nullptr, InstallSystemDisplayAdapter()); // frames in the display's own format
        m_pFrame = std::make_unique<CFrameScope>(true);
        ASSERT_TRUE(m_pFrame->m_bCreated);
        ASSERT_TRUE(Frame().IsGameStarted());
        g_nGameMode = 0; // the game rests: nothing but the test moves a ball
    }
    void TearDown() override
    {
        m_pFrame.reset();
        m_pAdapter.reset();
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        g_textureSet.LoadTextureSet();
        g_nGameMode = 0;
    }
    CMainFrame& Frame() { return *m_pFrame->m_pFrame; }

    const CAppFolder m_app;
    const CTestClockScope m_clock{5000};
    std::unique_ptr<CDisplayAdapterScope> m_pAdapter;
    std::unique_ptr<CFrameScope> m_pFrame;
};

TEST_F(FrameSceneTest, VariantBallSetFollowsTheGameTypeAndFallsBackToStandard)
{
    struct SCase
    {
        int nGameType;
        const char* szTextures; // the ball set's number discs
    };
    const SCase aCases[] = {
        {9, "BALLS_STANDARD"},  {8, "BALLS_STANDARD"}, {16, "BALLS_IVORY"},
        {17, "BALLS_AMERICAN"}, {101, "BALLS_BONUS"},  {18, "BALLS_STANDARD"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nGameType);
        g_Settings.m_nGameType = c.nGameType;
        Frame().GetGameFlow().CreateReferee(c.nGameType);
        ASSERT_TRUE(Frame().UpdateVariant());
        ASSERT_GE(g_textureSet.m_nCurrent, 0);
        EXPECT_STREQ(c.szTextures, g_textureSet.GetAt(g_textureSet.m_nCurrent).m_strField2.GetString());
        const int nChosen = g_textureSet.m_nCurrent;
        g_textureSet.m_nCurrent = nChosen;
        EXPECT_TRUE(Frame().UpdateVariant()) << "the variant in use stays";
        EXPECT_EQ(nChosen, g_textureSet.m_nCurrent);
    }
}

TEST_F(FrameSceneTest, BallsArePaintedWhereTheEngineHasThem)
{
    CBall* pCue = g_BallEngineMain.FindBall(0);
    ASSERT_NE(nullptr, pCue);
    const CVector3 aSpots[] = {CVector3(TABLE_WIDTH_M / 2, TABLE_LENGTH_M * 0.3f, BALL_RADIUS_M),
                               CVector3(TABLE_WIDTH_M * 0.25f, TABLE_LENGTH_M * 0.45f, BALL_RADIUS_M)};
    std::vector<DWORD> aPixels;
    int nWidth = 0, nHeight = 0;
    const auto brightness = [&](const CVector3& vTable)
    {
        CVector3 vScreen;
        const CVector3 vScene = TableToScene(vTable);
        ProjectToScreen(&vScreen, &vScene);
        const auto x = static_cast<int>(vScreen.x), y = static_cast<int>(vScreen.y);
        EXPECT_TRUE(x >= 0 && x < nWidth && y >= 0 && y < nHeight);
        const DWORD p = aPixels[static_cast<std::size_t>(y * nWidth + x)];
        return static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
    };
    for (int nAt = 0; nAt < 2; ++nAt)
    {
        SCOPED_TRACE(nAt);
        pCue->SetPosition(aSpots[nAt]);
        ASSERT_TRUE(Frame().OnFrame());
        ASSERT_TRUE(ReadWindowPixels(m_pFrame->m_hWnd, aPixels, &nWidth, &nHeight));
        // The white ball lights its spot; the spot it left shows the cloth again.
        const int nBall = brightness(aSpots[nAt]);
        const int nCloth = brightness(aSpots[1 - nAt]);
        EXPECT_GT(nBall, nCloth + 150) << nBall << " against the cloth's " << nCloth;
    }
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(SaveWindowPng(m_pFrame->m_hWnd, (dir / "GameBalls.png").string()));
}
TEST_F(FrameSceneTest, TheFrameLooksThroughTheGamesCamera)
{
    CBall* pCue = g_BallEngineMain.FindBall(0);
    ASSERT_NE(nullptr, pCue);
    pCue->SetPosition(CVector3(TABLE_WIDTH_M * 0.4f, TABLE_LENGTH_M * 0.3f, BALL_RADIUS_M));
    const CVector3 vCue = TableToScene(*pCue->GetPosition());
    for (const float fYaw : {30.0f, 180.0f, 275.5f})
    {
        SCOPED_TRACE(fYaw);
        SFlowCamera& camera = Frame().GetGameFlow().Camera();
        camera.vLookAt = vCue;
        camera.fYaw = fYaw;
        camera.fDistance = 40.0f;
        camera.Place();
        ASSERT_TRUE(Frame().OnFrame());
        // The point the camera looks at is the middle of the picture: the cue ball lies there, lit
        // from above (its lower half is in shade).
        CVector3 vScreen;
        ProjectToScreen(&vScreen, &vCue);
        std::vector<DWORD> aPixels;
        int nWidth = 0, nHeight = 0;
        ASSERT_TRUE(ReadWindowPixels(m_pFrame->m_hWnd, aPixels, &nWidth, &nHeight));
        EXPECT_NEAR(nWidth / 2.0, vScreen.x, 1.5);
        DWORD dwBrightest = 0;
        for (int y = static_cast<int>(vScreen.y) - 20; y <= static_cast<int>(vScreen.y); ++y)
        {
            ASSERT_TRUE(y >= 0 && y < nHeight);
            const DWORD p = aPixels[static_cast<std::size_t>(y * nWidth + nWidth / 2)];
            dwBrightest = std::max(dwBrightest, ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
        }
        EXPECT_GT(dwBrightest, 300U); // the cloth sums to about 130
    }
}
} // namespace
