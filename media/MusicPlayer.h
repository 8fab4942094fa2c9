// The music player: plays the entries of the settings' play list through the music library, one
// track after the other, and the main window's side of it (the end of a track, the music
// command, changed settings).
//
// Threads: the main thread only (the library's own threads reach it through the window's
// MM_MCINOTIFY message).
#pragma once

#include "platform/dx/DirectSound.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

// The music library's state.
inline constexpr int MUSIC_LIBRARY_UNTRIED = 0;
inline constexpr int MUSIC_LIBRARY_UNAVAILABLE = 1;
inline constexpr int MUSIC_LIBRARY_READY = 2;
/// The lowest music volume at which the music command may switch music on.
inline constexpr int MUSIC_MIN_VOLUME = 100;

/// The player's state, process-wide; the main thread alone uses it.
struct SMusicPlayerState
{
    int nLibraryState = MUSIC_LIBRARY_UNTRIED;
    DWORD dwStream = 0;  ///< the open stream's handle, 0 when none
    CString strPath;     ///< the current track's path
    HWND hWnd = nullptr; ///< the main window: told when a track ends
    LPDIRECTSOUND pDS;   ///< the main window's sound device
};
extern SMusicPlayerState g_MusicPlayer;

/// The main window and its sound device, given once when the game's sounds are set up.
void SetMusicOwner(HWND hWnd, LPDIRECTSOUND pDS);
/// Nothing needs registering for the music library here: answers 1.
BOOL RegisterPlinthFilter();
/// Closes the open stream and plays entry n of the play list (clamped to the list); an empty
/// list plays nothing.
void PlayMusicTrack(int n);
/// Plays an ".mp3" or ".asf" file at the music volume (other files answer 0).
BOOL PlayMusicFile(const CString& strPath);
/// Closes the open stream.
void CloseMusic();
/// Pauses the open stream where it is (the main window lost the focus).
void PauseMusic();

// The main window's side.
/// MM_MCINOTIFY: at the end of the open stream the next playable entry plays (wrapping, skipping
/// ".m3u" play lists); the same one when there is no other. A notice of another stream is ignored.
void OnMusicNotify(WPARAM wParam, LPARAM lParam);
/// At game start with music on: the current entry plays when no stream is open.
void StartMusic();
/// The music command: switches music on (not while the music volume is below MUSIC_MIN_VOLUME),
/// resuming or starting it, or off, pausing it. Answers the switch.
BOOL ToggleMusic();
/// Changed settings with music on: the open stream resumes at the music volume, or the current
/// path plays when none is open.
void ApplyMusicSettings();
