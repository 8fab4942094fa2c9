// The splash screen: while the main window is prepared, a thread of its own shows a borderless
// window with the splash picture and small clips, repainted every 30 ms, so it keeps moving while
// the main thread loads. The start dialog stops it when it opens; the program joins its thread
// before it ends.
//
// The splash thread owns the splash window and its clips. The main thread only starts the thread,
// sets its stop flag, posts it the stop message and waits for its end. The thread ends on the
// stop message (with or without a window) or on the stop flag, which it reads when it starts and
// at every timer tick, so a stop that comes before the thread reads its queue still ends it.
#pragma once

#include "media/AviClips.h"
#include "platform/dx/Surface.h"
#include "platform/mfc/Bitmap.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Wnd.h"
#include "ui/ImageStatic.h"

#include <array>
#include <atomic>
#include <memory>

/// The clips the splash plays (set by start-up): under the two clip rectangles, and over the whole picture.
extern CString g_strSplashClip;
extern CString g_strSplashOverlayClip;
extern CString g_strStartClip;
/// The two clips' places in the splash window (pixels): the splash clip's and the overlay clip's.
/// Read-only.
extern RECT g_rcSplashClip;
extern RECT g_rcSplashOverlay;
/// The splash thread (main thread only): started by start-up, stopped by the start dialog, joined at the end.
extern CWinThread* g_pSplashThread;

/// The thread message that stops the splash.
inline constexpr UINT WM_SPLASH_STOP = 0x104;
/// The splash thread's exit code when it ends on a stop.
inline constexpr DWORD SPLASH_EXIT_CODE = 13;

class CSplashWnd : public CWnd
{
public:
    /// The splash picture's resource ("_DATA") and its replacement file in the current folder.
    static constexpr UINT PICTURE_ID = 180;
    static constexpr const char* PICTURE_FILE = "splsh.jpg";
    static constexpr UINT_PTR TIMER_ID = 1;
    static constexpr UINT TIMER_MS = 30;
    static constexpr int CLIP_ID = 1234;

    ~CSplashWnd() override;
    /// Loads the picture (none without its resource, even when the file is there), opens the
    /// window at its size in the middle of the desktop and starts the two clips. FALSE when the
    /// picture or the window cannot be had.
    BOOL Create(CWnd* pParent);
    /// The clips' windows first, then the splash window.
    BOOL DestroyWindow() override;
    /// The window as last painted (0x00RRGGBB rows); empty before the first paint.
    std::vector<DWORD> GetPaintedPixels(int* pWidth, int* pHeight) const;

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

protected:
    int OnCreate(CREATESTRUCT* pCreate);
    void OnPaint();
    void OnTimer(UINT_PTR nIdEvent);
    void OnClose();

private:
    bool LoadPicture();

    CBitmap m_picture;
    LONG m_nWidth = 0;        // of the picture, pixels
    LONG m_nHeight = 0;       // of the picture, pixels
    CImageStatic m_startClip; // no window of its own: drawn over the picture
    bool m_bStartClipTried = false;
    std::array<std::unique_ptr<CImageStatic>, 2> m_apClips;
    SurfacePtr m_pSurface; // what the window shows, painted here and handed to the display
};

class CSplashScreen : public CWinThread
{
public:
    CSplashScreen();
    /// Shows the splash, unless a stop came first; TRUE, so the thread runs its message loop.
    BOOL InitInstance() override;
    /// The splash window goes, if it is still there.
    int ExitInstance() override;
    /// Once a stop is asked for, the stop message ends the thread.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    std::atomic<int> m_nStopRequested{0};
};

void EnableSplash(BOOL bEnable);
/// Creates the one splash window on the calling thread when the splash is enabled and none exists;
/// then brings an open message dialog back to the front.
void ShowSplash(CWnd* pParent);
/// Destroys the splash window of the calling thread, when there is one, and asks the main window to
/// repaint (posted: the main window belongs to another thread).
void DestroySplash();
/// DestroySplash, then ends the calling splash thread with code 13.
[[noreturn]] void HideSplash();
/// The stop message once a stop is asked for: ends the thread. FALSE for any other message.
BOOL SplashPreTranslate(MSG* pMsg);
/// Whether the calling thread shows a splash window now.
bool IsSplashShown();
/// The splash window of the calling thread, null when it shows none.
CSplashWnd* GetSplashWindow();

/// Starts the splash thread (main thread, once).
void StartSplashScreen();
/// Sets the splash thread's stop flag and posts it the stop message; again, or with no thread, nothing more.
void StopSplashScreen();
/// Stops the splash thread and waits for its end; its exit code, 0 when there was none.
DWORD JoinSplashScreen();
