// The music library: plays ".mp3" and ".asf" files as streams. Each open stream has a thread of its
// own that decodes the file (libmpg123, or libavformat and libavcodec), converts it to the device's rate and fills a
// ring that a stream voice of the mixer plays; the window given for notifications gets MM_MCINOTIFY
// (MCI_NOTIFY_SUCCESSFUL, the stream's handle) once the last frame has been played.
#pragma once

#include "platform/dx/DirectSound.h"
#include "platform/win32/WinTypes.h"

#include <memory>

inline constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;
/// Frames a stream's ring holds ahead of the output: about 0.75 s at 44.1 kHz.
inline constexpr std::size_t MUSIC_RING_FRAMES = 32768;

/// The library's object: its operations in the order of the game's calls (the library's fourth,
/// which the game never calls, is left out). A handle of 0 is no
/// stream; operations on a handle that is not open do nothing.
class ITuneBox
{
public:
    virtual ~ITuneBox() = default;
    /// Opens and plays a file (a Windows path) through the device's mixer: the stream's handle,
    /// 0 when the file holds no audio it decodes or the device has no free stream voice.
    virtual DWORD OpenAndPlay(LPCSTR szPath, const LPDIRECTSOUND& pDS) = 0;
    virtual void Pause(DWORD dwStream) = 0;
    virtual void Resume(DWORD dwStream) = 0;
    /// Plays the stream again from its start.
    virtual void Replay(DWORD dwStream) = 0;
    /// Stops the stream and forgets it; no notification comes for it any more.
    virtual void Close(DWORD dwStream) = 0;
    /// Hundredths of a decibel, as the sound layer's attenuation.
    virtual void SetVolume(DWORD dwStream, LONG nMb) = 0;
    virtual void SetNotifyWindow(DWORD dwStream, HWND hWnd) = 0;
};

/// The library's one object, made on first use; null when libmpg123 does not start.
ITuneBox* GetTuneBox();
