#include "app/SettingsChanges.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "media/AviClips.h"
#include "media/MusicPlayer.h"
#include "media/Speech.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Paths.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/SceneObject.h"

namespace
{
/// The game type of the tutorial, in which nobody comments.
constexpr int SILENT_GAME_TYPE = 32;
/// The two lights of a scene whose own are refused, or of a device that does not light.
constexpr const char* DEFAULT_LIGHT_LINES[] = {
    "Ambient, 0, 1.000000,1.000000,1.000000, 0.000000,0.000000,0.000000, 0.000000,0.000000,1.000000, 256.000000, "
    "0.349066,0.471239, 1.000000,0.000000,0.000000;",
    "Down, 3, 0.800000,0.800000,0.800000, 0.000000,0.000000,0.000000, 0.000000,-1.000000,0.000000, 256.000000, "
    "0.366519,0.471239, 1.000000,0.000000,0.000000;"};
/// The grey the first of the scene's named lamps takes when its lights come back.
constexpr DWORD NAMED_LAMP_GREY = 0xFF595959;

bool Differs(const CString& a, const CString& b) { return a.Str() != b.Str(); }
} // namespace

DWORD CompareSettings(const CSettings& old, const CSettings& now)
{
    DWORD dw = 0;
    const auto mark = [&dw](bool bChanged, DWORD dwBit)
    {
        if (bChanged)
            dw |= dwBit;
    };
    mark(Differs(old.m_strDriver, now.m_strDriver) || Differs(old.m_strDevice, now.m_strDevice) ||
             Differs(old.m_strMode, now.m_strMode) || old.m_nFullScreen != now.m_nFullScreen,
         SC_DEVICE);
    mark(old.m_nAdvancedLighting != now.m_nAdvancedLighting, SC_LIGHTING);
    mark(old.m_nHighBallTexture != now.m_nHighBallTexture || old.m_nSpecular != now.m_nSpecular, SC_BALL_TEXTURES);
    mark(old.m_nDrawLevel != now.m_nDrawLevel, SC_DETAIL_LEVEL);
    mark(old.m_nAnimTV != now.m_nAnimTV, SC_CLIPS);
    mark(old.m_nAdDisplayEnable != now.m_nAdDisplayEnable, SC_AD_DISPLAY);
    mark(!EqualNoCase(old.m_strMusicFile.Str(), now.m_strMusicFile.Str()), SC_MUSIC_TRACK);
    mark(old.m_nMusicVolume != now.m_nMusicVolume, SC_MUSIC_VOLUME);
    mark(old.m_nMusicEnable != now.m_nMusicEnable, SC_MUSIC_SWITCH);
    mark(old.m_nVolume != now.m_nVolume, SC_VOLUME);
    mark(old.m_nBallPath1 != now.m_nBallPath1, SC_AIMING_AID);
    mark(old.m_nSpeechMode != now.m_nSpeechMode, SC_COMMENTARY);
    return dw;
}

const char* WantedMusicTrack(const CSettings& settings)
{
    for (int i = 0; i < settings.m_PlayList.GetSize(); ++i)
        if (EqualNoCase(settings.m_PlayList[i].Str(), settings.m_strMusicFile.Str()))
            return settings.m_PlayList[i].GetString();
    return "";
}

bool IsCommentaryOn(const CSettings& settings, bool bBothHuman)
{
    return !bBothHuman && settings.m_nSpeechMode == 2 && settings.m_nGameType != SILENT_GAME_TYPE;
}

// ---------------------------------------------------------------------------------------------------------------------
// The main frame's side
// ---------------------------------------------------------------------------------------------------------------------

void CMainFrame::ApplyDisplaySettings(const CSettings& old)
{
    if ((CompareSettings(old, g_Settings) & SC_DEVICE) != 0 && !ChangeToTheSettingsDisplay())
    {
        PostQuitMessage(12);
        return;
    }
    g_Settings.m_nAdvancedLighting = DeviceLights() ? 1 : 0;
    if (g_Settings.m_nAdvancedLighting != old.m_nAdvancedLighting)
        ApplySettingsChange(old);
}

void CMainFrame::ApplyAdSetting(const CSettings& old)
{
    if ((CompareSettings(old, g_Settings) & SC_AD_DISPLAY) == 0)
        return;
    if (!ChangeEnvironmentForWindow())
        PostQuitMessage(11);
}

bool CMainFrame::DeviceLights() const
{
    return m_pFramework == nullptr || m_pFramework->GetD3DDevice() == nullptr ||
           (m_pFramework->GetDeviceDesc().dwFlags & D3DDD_LIGHTINGCAPS) != 0;
}

void CMainFrame::CreateDefaultLights(int nMode, BOOL bForce)
{
    if (nMode == g_Settings.m_nAdvancedLighting && !bForce)
        return;
    g_Settings.m_nAdvancedLighting = nMode;
    g_Settings.Save();
    CDirect3DDevice* pDevice = m_pFramework != nullptr ? m_pFramework->GetD3DDevice() : nullptr;
    if (nMode != 0)
    {
        for (const CString& strName : g_astrLightNames)
            if (CSceneLight* pLamp = m_LightSource.FindByName(strName.GetString()))
            {
                pLamp->SetColorRGB(NAMED_LAMP_GREY);
                break;
            }
    }
    else
    {
        m_LightSource.SwitchAllOff();
        for (const char* szLine : DEFAULT_LIGHT_LINES)
            m_LightSource.ApplyLine(szLine, pDevice);
    }
    RefreshBallObjects();
}

void CMainFrame::ApplySettingsChange(const CSettings& old)
{
    g_Settings.m_nAdvancedLighting = DeviceLights() ? 1 : 0;
    const DWORD dwChanged = CompareSettings(old, g_Settings);
    // With the device's lighting every lamp of the scene is lit; without it only the lamps the
    // scene text names for that (its pure lights).
    if ((dwChanged & SC_LIGHTING) != 0)
    {
        g_LightSources.SetCurrent(-1);
        if (g_Settings.m_nAdvancedLighting != 0)
            for (int i = 0; i < CLightTable::GetCount(); ++i)
                CLightTable::SetOnFlag(i);
        else
        {
            m_LightSource.SwitchAllOff();
            for (const int nLamp : m_rackScene.GetDefaultLights())
                if (CLightTable::GetAt(nLamp) != nullptr)
                    CLightTable::SetOnFlag(nLamp);
        }
        RefreshBallObjects();
        g_bForceRedraw = TRUE;
    }
    if ((dwChanged & SC_BALL_TEXTURES) != 0)
        ReloadBallTextures();
    // The pocket arrow and the cue keep their own visibility: the play shows them, not the level.
    if ((dwChanged & SC_DETAIL_LEVEL) != 0)
    {
        ApplyDetailLevel(g_Settings.m_nDrawLevel, m_pPocketArrow.get());
        RefreshCue();
    }
    if ((dwChanged & SC_CLIPS) != 0 && m_pFramework != nullptr)
        UpdateClipTextures(m_pFramework->GetD3DDevice());
    ApplyAimingAid();
}

void CMainFrame::ReloadBallTextures()
{
    // The painter keeps a painting of each ball: the set's textures are read again and every
    // ball is painted anew from them.
    g_BallPainter.FreeBallTextures();
    if (!SelectVariant())
        OutputDebugString("Settings: the balls' textures could not be loaded again\n");
}

void CMainFrame::UpdateClipTextures(CDirect3DDevice* pDevice)
{
    // Animation on draws each clip's frame into its texture; off gives the texture its picture back.
    for (int i = 0; i < CAviClipList::GetCount(); ++i)
        CAviClipList::UpdateClip(i, g_Settings.m_nAnimTV != 0 ? 2 : 0, pDevice);
}

void CMainFrame::ApplyAimingAid()
{
    SetAimingAid(g_Settings.m_nBallPath1 != 0);
    g_Settings.Save();
}

void CMainFrame::ApplySoundSettings(const CSettings& old)
{
    ApplyMusicSettings(old);
    if (old.m_nVolume != g_Settings.m_nVolume)
    {
        m_Sound.StopAll();
        m_Sound.SetVolume(g_Settings.m_nVolume);
    }
    const SCommandState state = GetCommandState();
    g_Speech.SetActive(IsCommentaryOn(g_Settings, state.bBothHuman) ? TRUE : FALSE);
}

void CMainFrame::ApplyMusicSettings(const CSettings& old)
{
    const CString strWanted = WantedMusicTrack(g_Settings);
    if (!EqualNoCase(strWanted.Str(), g_MusicPlayer.strPath.Str()))
    {
        CloseMusic();
        g_MusicPlayer.strPath = strWanted;
    }
    // An open track whose volume and switch stay as they were plays on untouched. (The switch is
    // looked at too: switching music off must stop a track that is playing.)
    const DWORD dwChanged = CompareSettings(old, g_Settings);
    if (g_MusicPlayer.dwStream != 0 && (dwChanged & (SC_MUSIC_VOLUME | SC_MUSIC_SWITCH)) == 0)
        return;
    if (g_Settings.m_nMusicEnable != 0)
    {
        ::ApplyMusicSettings(); // resumes the open track at the music volume, or plays the wanted one
        m_dwMusicWord |= MUSIC_WORD_ON;
    }
    else
    {
        m_dwMusicWord &= ~MUSIC_WORD_ON;
        CloseMusic();
    }
}
