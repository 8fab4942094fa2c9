// The room's lamps on the real frame with the game's own art: the lamps the game starts with are
// kept in the lights' ini, where a lamp changed by hand is the room's at the next start (and
// stays as it was written); an ini whose lamps are all unreadable leaves the room with the two
// default lights; and a device that does not light the scene leaves only the scene text's pure
// lights on.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"
#include "render/Light.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "ui/IntroSequence.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr int WIDTH = 800, HEIGHT = 600;
constexpr const char* SECTION = "Realistic lights";

/// One test's program folder with the game's art, in which the frame can be started again.
class FrameLightsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_adapter = CDisplayAdapter::MakeSoftware(WIDTH, HEIGHT, 32, {SIZE{WIDTH, HEIGHT}});
        m_adapter.pfnWindowOutput = &GetWindowOutput;
        g_Settings.SetDefaults();
        ASSERT_TRUE(StartDisplay());
        SetDesktopWindowRect(RECT{0, 0, WIDTH, HEIGHT});
    }
    void TearDown() override
    {
        m_pScope.reset();
        m_pAdapterScope.reset();
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        g_textureSet.LoadTextureSet();
        g_nGameMode = 0;
        g_Settings.SetDefaults();
    }

    /// A new frame over the folder, resting past the intro; false when the game did not start.
    bool Start()
    {
        m_pScope.reset();
        m_pAdapterScope.reset();
        DeleteAllTextures();
        g_astrArtworkLibraries.RemoveAll();
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_astrBallSetLibraries.RemoveAll();
        for (const char* szLib : {"VornBall.dat", "VornBall1.dat"})
            g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_textureSet.LoadTextureSet();
        m_pAdapterScope = std::make_unique<CDisplayAdapterScope>(&m_adapter);
        m_pScope = std::make_unique<CFrameScope>(true);
        if (!m_pScope->m_bCreated || !Frame().IsGameStarted())
            return false;
        if (!g_IntroSequence.IsFinished())
            g_IntroSequence.Finish();
        g_nGameMode = 0;
        return true;
    }
    CMainFrame& Frame() { return *m_pScope->m_pFrame; }
    std::string Ini() const { return m_app.Folder().File("Vorn.ini"); }
    std::string IniValue(const char* szKey) const
    {
        char sz[600] = {};
        GetPrivateProfileString(SECTION, szKey, "", sz, sizeof sz, Ini().c_str());
        return sz;
    }
    static CSceneLight* Lamp(const char* szName)
    {
        for (int i = 0; i < CLightTable::GetCount(); ++i)
            if (CSceneLight* p = CLightTable::GetAt(i); p != nullptr && p->m_strName == szName)
                return p;
        return nullptr;
    }
    /// The wall round the sconce, as the frame draws it looking at the flame from the room: the
    /// sums of its pixels' red and blue.
    std::pair<long, long> WallRoundTheSconce()
    {
        const CSceneLight* pFlame = Lamp("Flame");
        EXPECT_NE(nullptr, pFlame);
        if (pFlame == nullptr)
            return {};
        const CVector3 vFlame(pFlame->GetPosition().x, pFlame->GetPosition().y, pFlame->GetPosition().z);
        SFlowCamera& camera = Frame().GetGameFlow().Camera();
        camera.fYaw = 90.0f;
        camera.SetPitch(350.0f);
        camera.fDistance = 80.0f;
        camera.vLookAt = vFlame;
        camera.Place();
        EXPECT_GT(camera.vPosition.x, vFlame.x) << "the camera stands in the room";
        CrtSrand(5);
        EXPECT_TRUE(Frame().OnFrame());
        std::vector<DWORD> aPixels;
        int nWidth = 0, nHeight = 0;
        EXPECT_TRUE(ReadWindowPixels(m_pScope->m_hWnd, aPixels, &nWidth, &nHeight));
        CVector3 s;
        ProjectToScreen(&s, &vFlame);
        long nRed = 0, nBlue = 0;
        // Beside the sconce, on either side of it.
        for (const int dx : {-90, 50})
            for (int y = static_cast<int>(s.y) - 20; y < static_cast<int>(s.y) + 20; ++y)
                for (int x = static_cast<int>(s.x) + dx; x < static_cast<int>(s.x) + dx + 40; ++x)
                {
                    const DWORD dw = aPixels.at(static_cast<std::size_t>(y * nWidth + x));
                    nRed += static_cast<long>(dw >> 16 & 0xFF);
                    nBlue += static_cast<long>(dw & 0xFF);
                }
        return {nRed, nBlue};
    }

    const CAppFolder m_app;
    const CTestClockScope m_clock{5000};
    CDisplayAdapter m_adapter;
    std::unique_ptr<CDisplayAdapterScope> m_pAdapterScope;
    std::unique_ptr<CFrameScope> m_pScope;
};

TEST_F(FrameLightsTest, TheLampsAreKeptInTheLightsIniWhereALampChangedByHandIsTheRoomsAtTheNextStart)
{
    ASSERT_TRUE(Start());
    // The scene text's seven lamps, each in its line, in the lamp table's order.
    ASSERT_EQ("7", IniValue("Sources number"));
    EXPECT_EQ(0u, IniValue("Source01").rfind("Down, 2, 0.901961,0.858824,0.741176, 0.000000,99.000000,0.000000", 0))
        << IniValue("Source01");
    const std::string strFlame = IniValue("Source04");
    ASSERT_EQ(0u, strFlame.rfind("Flame, 1, 1.000000,0.549020,0.250980, -230.000000", 0)) << strFlame;
    EXPECT_NE(std::string::npos, strFlame.find(", 1;")) << "the flame keeps its flicker";
    const auto [nRedBefore, nBlueBefore] = WallRoundTheSconce();
    EXPECT_TRUE(SaveWindowPng(m_pScope->m_hWnd, std::string(VORN_TEST_OUTPUT_DIR) + "/SconceAsTheSceneHasIt.png"));

    // By hand, the sconce's flame turns blue.
    m_pScope.reset();
    const std::string strBlue = "Flame, 1, 0.200000,0.300000,1.000000" + strFlame.substr(strFlame.find(", -230"));
    ASSERT_TRUE(WritePrivateProfileString(SECTION, "Source04", strBlue.c_str(), Ini().c_str()));
    ASSERT_TRUE(Start());
    const CSceneLight* pFlame = Lamp("Flame");
    ASSERT_NE(nullptr, pFlame);
    EXPECT_EQ(0xFF334DFFu, pFlame->GetColorRGB());
    EXPECT_EQ(1, pFlame->m_nExtra) << "and flickers as before";
    const auto [nRedAfter, nBlueAfter] = WallRoundTheSconce();
    EXPECT_TRUE(SaveWindowPng(m_pScope->m_hWnd, std::string(VORN_TEST_OUTPUT_DIR) + "/SconceChangedInTheIni.png"));
    EXPECT_LT(nRedAfter, nRedBefore) << "less red light on the wall";
    EXPECT_GT(nBlueAfter, nBlueBefore) << "more blue light on the wall";
    EXPECT_EQ(strBlue, IniValue("Source04")) << "what was written by hand stays";
    EXPECT_EQ("7", IniValue("Sources number"));
}

TEST_F(FrameLightsTest, AnIniWhoseLampsAreAllUnreadableLeavesTheTwoDefaultLights)
{
    // Garbled by hand: two lines that are no lamp.
    ASSERT_TRUE(WritePrivateProfileString(SECTION, "Sources number", "2", Ini().c_str()));
    ASSERT_TRUE(WritePrivateProfileString(SECTION, "Source00", "Down, two", Ini().c_str()));
    ASSERT_TRUE(WritePrivateProfileString(SECTION, "Source01", "1, 2, 3", Ini().c_str()));
    ASSERT_TRUE(Start());
    int nOn = 0;
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        nOn += CLightTable::GetOnFlag(i) ? 1 : 0;
    EXPECT_EQ(2, nOn);
    const CSceneLight* pAmbient = Lamp("Ambient");
    const CSceneLight* pDown = Lamp("Down");
    ASSERT_NE(nullptr, pAmbient);
    ASSERT_NE(nullptr, pDown);
    EXPECT_TRUE(pAmbient->m_bOn);
    EXPECT_TRUE(pDown->m_bOn);
    EXPECT_EQ(3u, pDown->GetType()) << "the default light from above";
    EXPECT_EQ(0, g_Settings.m_nAdvancedLighting) << "the scene's own lights are not used";
    const auto [nRed, nBlue] = WallRoundTheSconce();
    EXPECT_GT(nRed + nBlue, 0) << "the room is lit";
    EXPECT_EQ("2", IniValue("Sources number")) << "the ini is left as it was written";
}

TEST_F(FrameLightsTest, ADeviceThatDoesNotLightTheSceneLeavesOnlyThePureLightsOn)
{
    for (SAdapterDriver& driver : m_adapter.aDrivers)
        for (SAdapterDevice& device : driver.aDevices)
            device.ddHelDesc.dwFlags &= ~D3DDD_LIGHTINGCAPS;
    ASSERT_TRUE(Start());
    const CSettings old = g_Settings;
    ASSERT_EQ(1, old.m_nAdvancedLighting);
    Frame().ApplySettingsChange(old);
    EXPECT_EQ(0, g_Settings.m_nAdvancedLighting);
    // The scene text's [Pure Lights]: lamps 1, 2 and 3, the lamp over the table and the fan's two.
    std::vector<std::string> lit;
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        if (CLightTable::GetOnFlag(i))
            lit.push_back(CLightTable::GetAt(i)->m_strName);
    EXPECT_EQ((std::vector<std::string>{"Down", "Fan 0", "Fan 1"}), lit);
    EXPECT_EQ(nullptr, g_LightSources.GetCurrent()) << "no light source is selected";
    g_LightSources.SetCurrent(0);
}
} // namespace
