// Changed settings: which parts of the game each changed key touches, and what a started frame
// does about each of them.
#include "app/SettingsChanges.h"

#include "fixtures/ImageFixtures.h"
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "foundation/Folders.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/AviClips.h"
#include "media/MusicPlayer.h"
#include "media/Speech.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Profile.h"
#include "render/D3DFramework.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "tools/aviclip/AviWriter.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace
{
/// The textures' side and the clip's side of the clip rows: the texture's own picture is red,
/// the clip's one frame green.
constexpr LONG CLIP_SIDE = 8;

/// A red picture file made a texture on the frame's device, and a green clip playing on it.
void AddGreenClipOnRedTexture(CMainFrame& frame, const CAppFolder& app)
{
    SBmpDesc bmp;
    bmp.nWidth = bmp.nHeight = CLIP_SIDE;
    bmp.pixels.assign(CLIP_SIDE * CLIP_SIDE, 0xFF0000);
    const std::string strPicture = app.Folder().File("face.bmp");
    ASSERT_TRUE(WriteBytes(strPicture, EncodeBmp(bmp)));
    CDirect3DDevice* pDevice = frame.GetFramework()->GetD3DDevice();
    ASSERT_EQ(S_OK, CreateTexture(strPicture.c_str()));
    ASSERT_EQ(S_OK, RestoreTexture(strPicture.c_str(), pDevice));
    SAviClipDesc clip;
    clip.nWidth = clip.nHeight = CLIP_SIDE;
    std::vector<BYTE> green(CLIP_SIDE * CLIP_SIDE * 3, 0);
    for (std::size_t i = 1; i < green.size(); i += 3)
        green[i] = 0xFF;          // blue, green, red
    clip.frames = {green, green}; // a clip opens on its last frame: the first is drawn next
    std::string strError;
    const std::string strClip = app.Folder().File("face.avi");
    ASSERT_TRUE(WriteAviClip(strClip, clip, strError)) << strError;
    ASSERT_GE(CAviClipList::AddClip(strClip.c_str(), strPicture.c_str(), 0, 0), 0);
}

/// Whether the clip texture's first pixel is green (the clip's frame) rather than red.
bool ClipTextureShowsGreen(const CAppFolder& app)
{
    const SurfacePtr pSurface = GetTextureSurface(app.Folder().File("face.bmp").c_str());
    EXPECT_NE(nullptr, pSurface);
    if (pSurface == nullptr)
        return false;
    DDSURFACEDESC2 desc;
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(DD_OK, pSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    const auto* pRow = static_cast<const BYTE*>(desc.lpSurface);
    DWORD dwPixel = 0;
    std::memcpy(&dwPixel, pRow, desc.ddpfPixelFormat.dwRGBBitCount / 8);
    pSurface->Unlock(nullptr);
    const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
    EXPECT_TRUE((dwPixel & pf.dwGBitMask) == pf.dwGBitMask || (dwPixel & pf.dwRBitMask) == pf.dwRBitMask) << dwPixel;
    return (dwPixel & pf.dwGBitMask) == pf.dwGBitMask && (dwPixel & pf.dwRBitMask) == 0;
}

TEST(SettingsChangesTest, EachKeyNamesThePartItChanges)
{
    struct SCase
    {
        const char* szName;
        std::function<void(CSettings&)> change;
        DWORD dwExpected;
    };
    const SCase aCases[] = {
        {"Driver", [](CSettings& s) { s.m_strDriver = "Secondary Videocard"; }, SC_DEVICE},
        {"Device", [](CSettings& s) { s.m_strDevice = "Other"; }, SC_DEVICE},
        {"Mode, in case only", [](CSettings& s) { s.m_strMode = "800X600X16"; }, SC_DEVICE},
        {"FullScreen", [](CSettings& s) { s.m_nFullScreen = 1; }, SC_DEVICE},
        {"AdvancedLighting", [](CSettings& s) { s.m_nAdvancedLighting = 0; }, SC_LIGHTING},
        {"HighBallTexture", [](CSettings& s) { s.m_nHighBallTexture = 1; }, SC_BALL_TEXTURES},
        {"Specular", [](CSettings& s) { s.m_nSpecular = 1; }, SC_BALL_TEXTURES},
        {"DrawLevel", [](CSettings& s) { s.m_nDrawLevel = 0; }, SC_DETAIL_LEVEL},
        {"AnimTV", [](CSettings& s) { s.m_nAnimTV = 0; }, SC_CLIPS},
        {"Ad Display enable", [](CSettings& s) { s.m_nAdDisplayEnable = 1; }, SC_AD_DISPLAY},
        {"MusicFile", [](CSettings& s) { s.m_strMusicFile = "Two.mp3"; }, SC_MUSIC_TRACK},
        {"MusicFile, in case only: the same file", [](CSettings& s) { s.m_strMusicFile = "ONE.MP3"; }, 0},
        {"Music Volume", [](CSettings& s) { s.m_nMusicVolume = 100; }, SC_MUSIC_VOLUME},
        {"Music enable", [](CSettings& s) { s.m_nMusicEnable = 1; }, SC_MUSIC_SWITCH},
        {"Volume", [](CSettings& s) { s.m_nVolume = 1000; }, SC_VOLUME},
        {"BallPath1", [](CSettings& s) { s.m_nBallPath1 = 1; }, SC_AIMING_AID},
        {"Speech Mode", [](CSettings& s) { s.m_nSpeechMode = 2; }, SC_COMMENTARY},
        {"HeadLine touches none of them", [](CSettings& s) { s.m_nHeadLine = 1; }, 0},
    };
    CSettings old;
    old.m_strDriver = "Primary Videocard";
    old.m_strDevice = "Software";
    old.m_strMode = "800x600x16";
    old.m_nAdvancedLighting = 1;
    old.m_nDrawLevel = 255;
    old.m_nAnimTV = 1;
    old.m_strMusicFile = "One.mp3";
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CSettings now = old;
        c.change(now);
        EXPECT_EQ(c.dwExpected, CompareSettings(old, now));
    }
}

TEST(SettingsChangesTest, MusicTrackAndCommentaryFollowTheSettings)
{
    CSettings settings;
    settings.m_PlayList.Add("C:\\Music\\One.mp3");
    settings.m_PlayList.Add("C:\\Music\\Two.mp3");
    settings.m_strMusicFile = "c:\\music\\two.MP3";
    EXPECT_STREQ("C:\\Music\\Two.mp3", WantedMusicTrack(settings));
    settings.m_strMusicFile = "Three.mp3";
    EXPECT_STREQ("", WantedMusicTrack(settings));

    struct SCase
    {
        int nSpeechMode, nGameType;
        bool bBothHuman, bOn;
    };
    for (const SCase& c :
         {SCase{2, 3, false, true}, SCase{2, 3, true, false}, SCase{1, 3, false, false}, SCase{2, 32, false, false}})
    {
        SCOPED_TRACE(testing::Message() << c.nSpeechMode << " " << c.nGameType << " " << c.bBothHuman);
        settings.m_nSpeechMode = c.nSpeechMode;
        settings.m_nGameType = c.nGameType;
        EXPECT_EQ(c.bOn, IsCommentaryOn(settings, c.bBothHuman));
    }
}

TEST(SettingsChangesTest, StartedFrameAppliesEachChangedKey)
{
    struct SCase
    {
        const char* szName;
        std::function<void(CSettings&)> change;
        std::function<void(CMainFrame&)> check;
        int nEnvironmentChanges; // times the 3-D environment was changed for the window
        bool bEnvironmentFails;
        int nQuitCode;                                                 // -1: none posted
        std::function<void(CMainFrame&)> prepare = [](CMainFrame&) {}; // before the old settings are copied
    };
    const CAppFolder app;
    const CTestClockScope clock{1000}; // the clips stay on their first frame
    const auto noTextures = [](CMainFrame& f)
    {
        g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/VornBall.dat").c_str());
        g_textureSet.LoadTextureSet();
        f.GetBallPainter().FreeBallTextures();
        g_textureSet.m_nCurrent = -1;
    };
    CSceneObject detailed; // an object shown from detail level 2 on
    detailed.m_nLevel = 2;
    const auto texturesBack = [](CMainFrame& f)
    {
        EXPECT_TRUE(f.GetBallPainter().HasTextures());
        EXPECT_GE(g_textureSet.m_nCurrent, 0);
    };
    const SCase aCases[] = {
        {"a new device changes the environment", [](CSettings& s) { s.m_strDevice = "Other"; }, [](CMainFrame&) {}, 1,
         false, -1},
        {"a new driver changes the environment", [](CSettings& s) { s.m_strDriver = "Other"; }, [](CMainFrame&) {}, 1,
         false, -1},
        {"full screen changes the environment", [](CSettings& s) { s.m_nFullScreen = 1; }, [](CMainFrame&) {}, 1, false,
         -1},
        {"an environment that cannot change ends the game with 12", [](CSettings& s) { s.m_strMode = "640x480x16"; },
         [](CMainFrame&) {}, 1, true, 12},
        {"aiming aid on", [](CSettings& s) { s.m_nBallPath1 = 1; },
         [](CMainFrame& f)
         {
             EXPECT_EQ(0x80u, f.GetOptionWord() & 0x80);
             EXPECT_EQ(1, static_cast<int>(GetPrivateProfileInt("Settings", "BallPath1", -1, GetIniFilePath())));
         },
         0, false, -1},
        {"effects volume", [](CSettings& s) { s.m_nVolume = 30000; },
         [](CMainFrame& f) { EXPECT_EQ(CSoundSystem::VolumeToAttenuation(30000), f.GetSoundSystem().GetVolume()); }, 0,
         false, -1},
        {"commentary against the computer", [](CSettings& s) { s.m_nSpeechMode = 2; },
         [](CMainFrame&) { EXPECT_TRUE(g_Speech.IsActive()); }, 0, false, -1},
        {"music switched on", [](CSettings& s) { s.m_nMusicEnable = 1; },
         [](CMainFrame& f) { EXPECT_EQ(0x2u, f.GetMusicWord() & 0x2); }, 0, false, -1},
        {"music volume with music on plays at it", [](CSettings& s) { s.m_nMusicVolume = 40000; },
         [](CMainFrame& f) { EXPECT_EQ(0x2u, f.GetMusicWord() & 0x2); }, 0, false, -1,
         [](CMainFrame&) { g_Settings.m_nMusicEnable = 1; }},
        {"music switched off", [](CSettings& s) { s.m_nMusicEnable = 0; },
         [](CMainFrame& f) { EXPECT_EQ(0u, f.GetMusicWord() & 0x2); }, 0, false, -1,
         [](CMainFrame& f)
         {
             g_Settings.m_nMusicEnable = 1;
             f.ApplyMusicSettings(CSettings{});
             EXPECT_EQ(0x2u, f.GetMusicWord() & 0x2);
         }},
        {"no commentary between two people", [](CSettings& s) { s.m_nSpeechMode = 2; },
         [](CMainFrame&) { EXPECT_FALSE(g_Speech.IsActive()); }, 0, false, -1,
         [](CMainFrame& f)
         {
             f.GetGameFlow().Player2().SetLevel(0);
             g_Speech.SetActive(TRUE);
         }},
        {"music volume with music off starts nothing", [](CSettings& s) { s.m_nMusicVolume = 40000; },
         [](CMainFrame& f) { EXPECT_EQ(0u, f.GetMusicWord() & 0x2); }, 0, false, -1},
        {"the advertising switch changes the environment", [](CSettings& s) { s.m_nAdDisplayEnable = 1; },
         [](CMainFrame&) {}, 1, false, -1},
        {"an environment that cannot change for the advertising switch ends the game with 11",
         [](CSettings& s) { s.m_nAdDisplayEnable = 1; }, [](CMainFrame&) {}, 1, true, 11},
        {"another music file", [](CSettings& s) { s.m_strMusicFile = "two.mp3"; },
         [](CMainFrame&) { EXPECT_STREQ("Two.mp3", g_MusicPlayer.strPath.GetString()); }, 0, false, -1},
        {"lighting lights every lamp", [](CSettings&) {},
         [](CMainFrame&)
         {
             int nLamps = 0;
             for (int i = 0; i < CLightTable::GetCount(); ++i)
                 if (CLightTable::GetAt(i) != nullptr)
                 {
                     ++nLamps;
                     EXPECT_TRUE(CLightTable::GetOnFlag(i)) << i;
                 }
             EXPECT_GT(nLamps, 0);
         },
         0, false, -1,
         [](CMainFrame&)
         {
             g_Settings.m_nAdvancedLighting = 0;
             if (CLightTable::GetAt(0) == nullptr)
                 CLightTable::Create(nullptr);
             for (int i = 0; i < CLightTable::GetCount(); ++i)
                 CLightTable::ClearOnFlag(i);
         }},
        {"the balls' textures read again for a high-resolution change",
         [](CSettings& s) { s.m_nHighBallTexture = 1 - s.m_nHighBallTexture; }, texturesBack, 0, false, -1, noTextures},
        {"the balls' textures read again for a specular change",
         [](CSettings& s) { s.m_nSpecular = 1 - s.m_nSpecular; }, texturesBack, 0, false, -1, noTextures},
        {"detail level 0 hides the detailed objects, and the shown pocket arrow stays",
         [](CSettings& s) { s.m_nDrawLevel = 0; },
         [&detailed](CMainFrame& f)
         {
             for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
             {
                 if (p != f.AddPocketArrow())
                 {
                     EXPECT_EQ(p->m_nLevel <= 0, p->IsEnabled() != FALSE) << p->m_strMesh;
                 }
             }
             EXPECT_FALSE(detailed.IsEnabled());
             EXPECT_TRUE(f.AddPocketArrow()->IsEnabled());
         },
         0, false, -1,
         [&detailed](CMainFrame& f)
         {
             detailed.SetEnabled(true);
             f.AddPocketArrow()->SetEnabled(true);
         }},
        {"clips switched on draw their frame into the texture", [](CSettings& s) { s.m_nAnimTV = 1; },
         [&app](CMainFrame&) { EXPECT_TRUE(ClipTextureShowsGreen(app)); }, 0, false, -1,
         [&app](CMainFrame& f)
         {
             g_Settings.m_nAnimTV = 0;
             AddGreenClipOnRedTexture(f, app);
         }},
        {"clips switched off give the texture its picture back", [](CSettings& s) { s.m_nAnimTV = 0; },
         [&app](CMainFrame&) { EXPECT_FALSE(ClipTextureShowsGreen(app)); }, 0, false, -1,
         [&app](CMainFrame& f)
         {
             g_Settings.m_nAnimTV = 1;
             AddGreenClipOnRedTexture(f, app);
             f.UpdateClipTextures(f.GetFramework()->GetD3DDevice());
             EXPECT_TRUE(ClipTextureShowsGreen(app));
         }},
    };
    app.AddArtworkLibrary();
    const CSettings oldSettings = g_Settings;
    g_Settings.m_strIniFilePath = GetIniFilePath();
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CFrameScope frame(true);
        ASSERT_TRUE(frame.m_bCreated && frame.m_pFrame->IsGameStarted());
        int nChanges = 0;
        CMainFrame::SetEnvironmentChangeForTests(
            [&]
            {
                ++nChanges;
                return c.bEnvironmentFails ? FALSE : TRUE;
            });
        frame.m_pFrame->GetGameFlow().Player2().SetLevel(3); // the computer plays the second player
        g_Settings.m_nBallPath1 = g_Settings.m_nMusicEnable = g_Settings.m_nSpeechMode = 0;
        g_Settings.m_nFullScreen = g_Settings.m_nAdDisplayEnable = 0;
        g_Settings.m_nGameType = 3;
        g_Settings.m_nDrawLevel = 255;
        g_Settings.m_PlayList.RemoveAll();
        g_Settings.m_PlayList.Add("One.mp3");
        g_Settings.m_PlayList.Add("Two.mp3");
        g_Settings.m_strMusicFile = "One.mp3";
        g_Settings.m_nAdvancedLighting = 1;
        c.prepare(*frame.m_pFrame);
        const CSettings old = g_Settings;
        c.change(g_Settings);
        frame.m_pFrame->ApplyDisplaySettings(old);
        frame.m_pFrame->ApplyAdSetting(old);
        frame.m_pFrame->ApplySettingsChange(old);
        frame.m_pFrame->ApplySoundSettings(old);
        c.check(*frame.m_pFrame);
        EXPECT_EQ(c.nEnvironmentChanges, nChanges);
        MSG msg;
        const bool bQuit = PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        EXPECT_EQ(c.nQuitCode, bQuit ? static_cast<int>(msg.wParam) : -1);
        CMainFrame::SetEnvironmentChangeForTests(nullptr);
        CAviClipList::RemoveAll();
        DeleteTexture(app.Folder().File("face.bmp").c_str());
        g_astrBallSetLibraries.RemoveAll();
        g_textureSet.LoadTextureSet();
    }
    g_Speech.SetActive(FALSE);
    g_MusicPlayer.strPath = "";
    g_Settings = oldSettings;
}
} // namespace
