#include "media/MusicPlayer.h"

#include "foundation/Settings.h"
#include "media/SoundSystem.h"
#include "platform/media/TuneBox.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <cstring>

SMusicPlayerState g_MusicPlayer;

namespace
{

bool HasExtension(const CString& strPath, const char* szExt)
{
    const std::string& str = strPath.Str();
    const std::size_t nExt = std::strlen(szExt);
    return str.size() >= nExt && EqualNoCase(std::string_view(str).substr(str.size() - nExt), szExt);
}

/// Entries the end-of-track walk passes over: play lists.
bool IsSkipped(const CString& strEntry) { return HasExtension(strEntry, ".m3u"); }

/// The library's object, starting it the first time; null (for the rest of the run) when it
/// cannot start.
ITuneBox* Library()
{
    if (g_MusicPlayer.nLibraryState == MUSIC_LIBRARY_UNTRIED)
    {
        const bool bReady = RegisterPlinthFilter() && GetTuneBox() != nullptr;
        g_MusicPlayer.nLibraryState = bReady ? MUSIC_LIBRARY_READY : MUSIC_LIBRARY_UNAVAILABLE;
    }
    return g_MusicPlayer.nLibraryState == MUSIC_LIBRARY_READY ? GetTuneBox() : nullptr;
}

LONG MusicAttenuation() { return CSoundSystem::VolumeToAttenuation(g_Settings.m_nMusicVolume); }

} // namespace

void SetMusicOwner(HWND hWnd, LPDIRECTSOUND pDS)
{
    g_MusicPlayer.hWnd = hWnd;
    g_MusicPlayer.pDS = std::move(pDS);
}

BOOL RegisterPlinthFilter() { return TRUE; }

void CloseMusic()
{
    ITuneBox* pLibrary = g_MusicPlayer.dwStream != 0 ? Library() : nullptr;
    if (pLibrary != nullptr)
        pLibrary->Close(g_MusicPlayer.dwStream);
    g_MusicPlayer.dwStream = 0;
}

void PauseMusic()
{
    ITuneBox* pLibrary = g_MusicPlayer.dwStream != 0 ? Library() : nullptr;
    if (pLibrary != nullptr)
        pLibrary->Pause(g_MusicPlayer.dwStream);
}

void PlayMusicTrack(int n)
{
    CloseMusic();
    const int nCount = g_Settings.m_PlayList.GetSize();
    if (nCount == 0)
        return;
    n = std::clamp(n, 0, nCount - 1);
    g_Settings.m_nPlayListIndex = n;
    g_Settings.m_strMusicFile = g_Settings.m_PlayList[n];
    g_MusicPlayer.strPath = g_Settings.m_PlayList[n];
    PlayMusicFile(g_MusicPlayer.strPath);
}

BOOL PlayMusicFile(const CString& strPath)
{
    if (!HasExtension(strPath, ".mp3") && !HasExtension(strPath, ".asf"))
        return FALSE;
    ITuneBox* pLibrary = Library();
    if (pLibrary == nullptr)
        return FALSE;
    const DWORD dwStream = pLibrary->OpenAndPlay(strPath, g_MusicPlayer.pDS);
    if (dwStream == 0)
        return FALSE;
    g_MusicPlayer.dwStream = dwStream;
    pLibrary->SetNotifyWindow(dwStream, g_MusicPlayer.hWnd);
    pLibrary->SetVolume(dwStream, MusicAttenuation());
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------------------
// The main window's side
// ---------------------------------------------------------------------------------------------------------------------

void OnMusicNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != MCI_NOTIFY_SUCCESSFUL || g_MusicPlayer.dwStream == 0 ||
        static_cast<DWORD>(lParam) != g_MusicPlayer.dwStream)
        return;
    CloseMusic();
    const int nCount = g_Settings.m_PlayList.GetSize();
    const int nCurrent = g_Settings.m_nPlayListIndex;
    int nNext = nCurrent;
    for (int k = 1; k <= nCount; ++k)
    {
        const int i = (nCurrent + k) % std::max(nCount, 1);
        if (i == nCurrent || !IsSkipped(g_Settings.m_PlayList[i]))
        {
            nNext = i;
            break;
        }
    }
    PlayMusicTrack(nNext);
}

void StartMusic()
{
    if (g_Settings.m_nMusicEnable != 0 && g_MusicPlayer.dwStream == 0)
        PlayMusicTrack(g_Settings.m_nPlayListIndex);
}

BOOL ToggleMusic()
{
    if (g_Settings.m_nMusicEnable == 0 && g_Settings.m_nMusicVolume < MUSIC_MIN_VOLUME)
        return FALSE;
    g_Settings.m_nMusicEnable = g_Settings.m_nMusicEnable != 0 ? 0 : 1;
    ITuneBox* pLibrary = g_MusicPlayer.dwStream != 0 ? Library() : nullptr;
    if (g_Settings.m_nMusicEnable == 0)
        PauseMusic();
    else if (pLibrary != nullptr)
        pLibrary->Resume(g_MusicPlayer.dwStream);
    else
        PlayMusicTrack(g_Settings.m_nPlayListIndex);
    return g_Settings.m_nMusicEnable;
}

void ApplyMusicSettings()
{
    if (g_Settings.m_nMusicEnable == 0)
        return;
    if (g_MusicPlayer.dwStream == 0)
    {
        PlayMusicFile(g_MusicPlayer.strPath);
        return;
    }
    if (ITuneBox* pLibrary = Library())
    {
        pLibrary->Resume(g_MusicPlayer.dwStream);
        pLibrary->SetVolume(g_MusicPlayer.dwStream, MusicAttenuation());
    }
}
