// The display thread. Every SDL call of the program happens here.
//
// Sections: the shared state of a window's frames; the display object (backend of the window table,
// commands, the thread's loop); SDL events to window messages; the input script; the public functions.
#include "platform/audio/AudioOutput.h"
#include "platform/dx/FrameConvert.h"
#include "platform/dx/SurfacePng.h"
#include "platform/win32/Assert.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/ExceptionFilter.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/SystemParameters.h"
#include "platform/win32/WindowOverlay.h"
#include "platform/window/DisplayFrames.h"
#include "platform/window/InputScript.h"
#include "platform/window/Window.h"

#include <SDL.h>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace
{
thread_local bool t_bDisplayThread = false;

struct SFrame
{
    std::vector<DWORD> aPixels; // 0x00RRGGBB rows
    int nWidth = 0;
    int nHeight = 0;
};

/// What a window's owner and the display thread share about its frames.
struct SWindowFrames
{
    std::mutex mutex;
    SHandedFrame pending;          // guarded by mutex
    std::vector<DWORD> aSpare;     // guarded by mutex: storage of a shown frame, for the owner's next
    bool bPending = false;         // guarded by mutex
    int nHanded = 0;               // guarded by mutex
    bool bFullScreen = false;      // guarded by mutex
    bool bShownFullScreen = false; // guarded by mutex: the display shows it over the whole screen
};

/// A window as the display thread holds it.
struct SShownWindow
{
    SDL_Window* pWindow = nullptr;
    SDL_Renderer* pRenderer = nullptr;
    SDL_Texture* pTexture = nullptr;
    int nTextureWidth = 0, nTextureHeight = 0;
    SFrame raw;             // the last frame its owner handed over, converted
    SFrame spare;           // the frame before it: storage for the next
    SFrame composed;        // that frame with the menu bar and the overlays drawn over it
    bool bOverlaid = false; // a dialog or a menu shows over the frame
    bool bComposed = false; // whether composed is what shows
    int nBand = 0;          // rows of the menu bar's band above the client area in what shows
    SWindowView view;       // the window as last told: the band's height changes its screen's size
    /// The last frame shown, kept for reading back: the band above the client area's rows.
    const SFrame& Shown() const { return bComposed ? composed : raw; }
    POINT ptMouse;               // in the screen's own coordinates: the band's rows first
    std::optional<POINT> ptWarp; // where the pointer was put, until the motion that took it there
    bool bFullScreen = false;    // shown over the whole screen
};

/// How many of the program's cursor requests the display keeps for reading back.
constexpr std::size_t CURSOR_REQUESTS_KEPT = 64;

class CDisplay final : public IWindowBackend
{
public:
    ~CDisplay() override { Stop(); }

    bool Start();
    void Stop();
    bool HasVideo() const { return m_bVideo; }
    /// The cursor requests the display has taken since it started, oldest first (the last 64).
    std::vector<SCursorRequest> CursorRequests();
    /// The cursors it has shown since it started, oldest first (the last 64).
    std::vector<SShownCursor> ShownCursors();
    bool IsHeadless() const { return m_bHeadless; }

    void OnWindowCreated(const SWindowView& view) override;
    void OnWindowChanged(const SWindowView& view) override;
    void OnWindowDestroyed(HWND hWnd) override;
    void OnForegroundRequested(HWND hWnd) override;

    std::shared_ptr<SWindowFrames> Frames(HWND hWnd);
    void Wake();
    /// Runs f on the display thread and waits for it; false when the display is not running.
    bool RunSync(const std::function<void()>& f);
    std::optional<int> UnattendedAnswer(UINT uType);
    int AnswerMessageBox(const SMessageBoxRequest& request);
    /// The window as last shown: its client area's rows alone, or with bWhole the menu bar's band too.
    bool ReadPixels(HWND hWnd, SFrame& frame, bool bWhole);

private:
    void Post(std::function<void()> f);
    void ThreadMain(std::promise<bool>& started);
    void Loop();
    std::chrono::steady_clock::time_point NextWake() const;
    void PresentPending();
    void Present(HWND hWnd, SShownWindow& w, SHandedFrame& handed);
    void Compose(HWND hWnd, SShownWindow& w);
    bool DrawShown(SShownWindow& w); // the shown frame into the renderer, not presented
    void ApplyView(const SWindowView& view);
    /// Keeps whether the window shows full screen for reading back, and writes the change to the
    /// debug log.
    void NoteFullScreen(const SWindowView& view, bool bFullScreen);
    /// The rows the window's menu bar adds above its client area: none without a bar or when the
    /// window fills the screen (the bar then shows over the client area while its menu is open).
    int BandOf(HWND hWnd, const SShownWindow& w) const;
    void DestroyShown(HWND hWnd);
    /// The mouse over the band goes to the window (or the menu running over it) as WM_NC messages.
    void HandleBandMouse(const SDL_Event& event, HWND hWnd);
    /// Alt let go with no other key or button since its press, and F10, open the window's menu.
    void WatchMenuKeys(const SDL_KeyboardEvent& key, HWND hTarget);
    void PumpEvents();
    void HandleEvent(const SDL_Event& event, HWND hWnd);
    HWND WindowOfEvent(const SDL_Event& event) const;
    HWND ScriptTarget() const;
    void RunScript();
    /// Whether the entry runs now; a seen entry met takes its line.
    bool IsDue(const SScriptEntry& entry, std::chrono::steady_clock::time_point now);
    /// Shows the script's waits the program's debug log, once it has been loaded.
    void WatchTraces();
    void RunAction(const SScriptEntry& entry);
    /// A mouse action's words with the point the log named in place of its numbers; false when no
    /// line has named it.
    bool PlaceFromLog(const SScriptEntry& entry, std::vector<std::string>& aWords) const;
    /// Shows the cursor over the game's windows, or none while it is hidden, and keeps each change
    /// for reading back.
    void ApplyCursor(HCURSOR hCursor, bool bShown);
    /// Puts, confines or frees the pointer of the window the request lies over (of every window,
    /// freeing); kept for reading back, and with no screen only kept.
    void ApplyCursorRequest(const SCursorRequest& request);
    /// The motion of a pointer the display put somewhere moved nothing the user did.
    void SwallowWarp(SDL_Event& event, HWND hWnd);
    void FreeCursors();

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_aCommands;           // guarded by m_mutex
    bool m_bFramesPending = false;                           // guarded by m_mutex
    bool m_bStop = false;                                    // guarded by m_mutex
    std::map<HWND, std::shared_ptr<SWindowFrames>> m_frames; // guarded by m_mutex; kept until Stop
    std::thread m_thread;
    bool m_bStarted = false; // guarded by m_startMutex
    std::mutex m_startMutex;
    bool m_bVideo = false;
    bool m_bHeadless = true;

    // The display thread's own.
    /// The screen as SDL reports it (a test may give the program a desktop of another size).
    RECT m_rcScreen{};
    std::map<HWND, SShownWindow> m_shown;
    std::map<Uint32, HWND> m_byId;
    int m_nFramesShown = 0;
    int m_nDialogsShown = 0;      // dialogs first shown since the script was loaded
    std::set<HWND> m_seenDialogs; // the windows counted there
    SInputScript m_script;
    size_t m_nNextEntry = 0;
    std::chrono::steady_clock::time_point m_scriptStart;
    std::chrono::steady_clock::time_point m_lastEntryRun; // when the entry before the next one ran
    int m_nFramesAtLastEntry = 0;                         // the frames shown by then
    int m_nDialogsAtLastEntry = 0;                        // the dialogs shown by then
    bool m_bTraceSeen = false;                       // the next entry's wait found in a trace written while it was next
    std::vector<std::string> m_aSeenTraces;          // the traces some seen entry holds, in the order written
    std::size_t m_nSeenFrom = 0;                     // the first of them the next seen entry may take
    std::map<std::string, std::string> m_pointLines; // a point entry's text: the latest line holding it
    std::mutex m_answerMutex;
    std::deque<int> m_aAnswers;                   // guarded by m_answerMutex
    bool m_bBoxesShown = false;                   // guarded by m_answerMutex: the script closes headless boxes
    std::map<HCURSOR, SDL_Cursor*> m_cursors;     // SDL's copies of the game's cursors
    HCURSOR m_hShownCursor = nullptr;             // SDL's cursor is its copy of this one
    std::deque<SShownCursor> m_aShownCursors;     // the last cursors shown, oldest first
    std::deque<SCursorRequest> m_aCursorRequests; // the last requests taken, oldest first
    bool m_bAltAlone = false;                     // Alt is down and nothing else was pressed since
};

CDisplay s_display;

// ---------------------------------------------------------------------------------------------------------------------
// Starting and stopping

bool CDisplay::Start()
{
    std::lock_guard start(m_startMutex);
    if (m_bStarted)
        return m_bVideo;
    m_bStarted = true;
    // The window table and other statics of the layer are destroyed at exit in an order this file does not
    // control; the display thread reads them, so it is stopped before any static destructor runs.
    // The cursor table is one of them: made here, before the handler is registered, it is destroyed after
    // the handler has stopped the thread.
    (void)LoadCursor(nullptr, IDC_ARROW);
    static const bool s_bStopAtExit = std::atexit([] { s_display.Stop(); }) == 0;
    (void)s_bStopAtExit;
    std::promise<bool> started;
    auto future = started.get_future();
    m_thread = StartGuardedThread([this, &started] { ThreadMain(started); });
    future.get();
    SetWindowBackend(this);
    SetMessageBoxHandler([this](const SMessageBoxRequest& request) { return AnswerMessageBox(request); });
    SetMessageBoxAnswerSource([this](UINT uType) { return UnattendedAnswer(uType); });
    SetScreenSaverHandler(
        [this](bool bActive)
        {
            Post(
                [this, bActive]
                {
                    if (m_bVideo)
                        bActive ? SDL_EnableScreenSaver() : SDL_DisableScreenSaver();
                });
        });
    SetCursorRequestHandler([this](const SCursorRequest& request)
                            { Post([this, request] { ApplyCursorRequest(request); }); });
    // Each change is shown in its turn, however soon the next one follows.
    SetCursorChangeHandler([this](HCURSOR hCursor, bool bShown)
                           { Post([this, hCursor, bShown] { ApplyCursor(hCursor, bShown); }); });
    Post([this] { ApplyCursor(GetCursor(), GetCursorShowCount() >= 0); });
    SetAudioThreadRunner([this](const std::function<void()>& f) { return RunSync(f); });
    SetWindowOverlayListener(
        [this](HWND hOwner)
        {
            Post(
                [this, hOwner]
                {
                    if (const auto it = m_shown.find(hOwner); it != m_shown.end())
                    {
                        // A menu bar that comes or goes changes the screen's size.
                        if (BandOf(hOwner, it->second) != it->second.nBand)
                            ApplyView(it->second.view);
                        Compose(hOwner, it->second);
                    }
                });
        });
    return m_bVideo;
}

void CDisplay::Stop()
{
    {
        std::lock_guard start(m_startMutex);
        if (!m_bStarted)
            return;
        m_bStarted = false;
    }
    SetWindowBackend(nullptr);
    SetMessageBoxHandler(nullptr);
    SetMessageBoxAnswerSource(nullptr);
    SetScreenSaverHandler(nullptr);
    SetCursorRequestHandler(nullptr);
    SetCursorChangeHandler(nullptr);
    SetDebugLogWatch(nullptr);
    SetAudioThreadRunner(nullptr);
    SetWindowOverlayListener(nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    // The process may end on the display thread itself (a lost X connection ends it from there).
    if (t_bDisplayThread)
    {
        m_thread.detach();
        return;
    }
    m_thread.join();
    std::lock_guard lock(m_mutex);
    m_bStop = false;
    m_aCommands.clear();
    m_frames.clear();
}

bool IsHeadlessDriver(const char* szDriver)
{
    return szDriver == nullptr || std::strcmp(szDriver, "dummy") == 0 || std::strcmp(szDriver, "offscreen") == 0;
}

void CDisplay::ThreadMain(std::promise<bool>& started)
{
    t_bDisplayThread = true;
#if defined(__SANITIZE_ADDRESS__)
    // A real screen's X11 and D-Bus client libraries keep a few allocations for the life of the
    // process; on the headless drivers every allocation of this thread is still checked.
    if (const char* szWanted = std::getenv("SDL_VIDEODRIVER"); szWanted == nullptr || !IsHeadlessDriver(szWanted))
        __lsan_disable();
#endif
    // Interrupt and terminate signals end the program as they end any other, not as a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    m_bVideo = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!m_bVideo)
        std::fprintf(stderr, "Cannot start the display: %s\n", SDL_GetError());
    m_bHeadless = IsHeadlessDriver(m_bVideo ? SDL_GetCurrentVideoDriver() : nullptr);
    SDL_DisplayMode mode;
    if (m_bVideo && SDL_GetDesktopDisplayMode(0, &mode) == 0)
    {
        m_rcScreen = RECT{0, 0, mode.w, mode.h};
        SetDesktopWindowRect(m_rcScreen);
    }
    m_scriptStart = std::chrono::steady_clock::now();
    m_lastEntryRun = m_scriptStart;
    m_nFramesAtLastEntry = 0;
    m_nDialogsAtLastEntry = 0;
    m_bTraceSeen = false;
    m_aSeenTraces.clear();
    m_nSeenFrom = 0;
    m_script = SInputScript();
    {
        std::lock_guard lock(m_answerMutex);
        m_bBoxesShown = false;
    }
    m_nNextEntry = 0;
    m_nFramesShown = 0;
    m_nDialogsShown = 0;
    m_seenDialogs.clear();
    m_aCursorRequests.clear();
    if (const char* szScript = std::getenv("VORN_INPUT_SCRIPT"); szScript != nullptr && *szScript != '\0')
    {
        std::string strError;
        if (auto script = LoadInputScript(szScript, strError); script.has_value())
        {
            m_script = std::move(*script);
            WatchTraces();
            std::lock_guard lock(m_answerMutex);
            m_aAnswers.assign(m_script.aAnswers.begin(), m_script.aAnswers.end());
            m_bBoxesShown = m_script.bBoxesShown;
        }
        else
            std::fprintf(stderr, "Input script not used: %s\n", strError.c_str());
    }
    const bool bVideo = m_bVideo;
    started.set_value(bVideo);
    Loop();
    for (auto& [hWnd, w] : m_shown)
    {
        if (w.pTexture != nullptr)
            SDL_DestroyTexture(w.pTexture);
        if (w.pRenderer != nullptr)
            SDL_DestroyRenderer(w.pRenderer);
        if (w.pWindow != nullptr)
            SDL_DestroyWindow(w.pWindow);
    }
    m_shown.clear();
    m_byId.clear();
    FreeCursors();
    if (bVideo)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // SDL keeps per-thread state (its error text) that only its own threads free by themselves.
    SDL_TLSCleanup();
}

// ---------------------------------------------------------------------------------------------------------------------
// The loop: wait for commands, frames, SDL's events or the script's next time; never spin.

std::chrono::steady_clock::time_point CDisplay::NextWake() const
{
    auto next = std::chrono::steady_clock::time_point::max();
    // SDL's events of a real screen are collected at this rate while a window is open.
    if (!m_bHeadless && !m_shown.empty())
        next = std::chrono::steady_clock::now() + std::chrono::milliseconds(8);
    if (m_nNextEntry < m_script.aEntries.size())
    {
        const SScriptEntry& entry = m_script.aEntries[m_nNextEntry];
        const std::chrono::milliseconds ms(entry.nAt);
        if (entry.eWhen == SScriptEntry::AtMs)
            next = std::min(next, m_scriptStart + ms);
        else if (entry.eWhen == SScriptEntry::AfterMs)
            next = std::min(next, m_lastEntryRun + ms);
    }
    return next;
}

void CDisplay::Loop()
{
    for (;;)
    {
        std::deque<std::function<void()>> aCommands;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait_until(lock, NextWake(), [this] { return m_bStop || !m_aCommands.empty() || m_bFramesPending; });
            if (m_bStop)
                return;
            aCommands.swap(m_aCommands);
            m_bFramesPending = false;
        }
        for (auto& f : aCommands)
            f();
        PresentPending();
        PumpEvents();
        RunScript();
    }
}

void CDisplay::ApplyCursor(HCURSOR hCursor, bool bShown)
{
    const SShownCursor shown{hCursor, bShown};
    if (!m_aShownCursors.empty() && m_aShownCursors.back() == shown)
        return;
    const bool bWasShown = m_aShownCursors.empty() || m_aShownCursors.back().bShown;
    m_aShownCursors.push_back(shown);
    if (m_aShownCursors.size() > CURSOR_REQUESTS_KEPT)
        m_aShownCursors.pop_front();
    if (!m_bVideo)
        return;
    if (bShown != bWasShown)
        SDL_ShowCursor(bShown ? SDL_ENABLE : SDL_DISABLE);
    const SCursorImage* pImage = GetCursorImage(hCursor);
    if (hCursor == m_hShownCursor || pImage == nullptr)
        return;
    m_hShownCursor = hCursor;
    auto it = m_cursors.find(hCursor);
    if (it == m_cursors.end())
    {
        // The picture is shared and never freed, so SDL may read it for as long as it likes.
        SDL_Surface* pSurface =
            SDL_CreateRGBSurfaceWithFormatFrom(const_cast<DWORD*>(pImage->aPixels.data()), pImage->nWidth,
                                               pImage->nHeight, 32, pImage->nWidth * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_Cursor* pCursor =
            pSurface != nullptr ? SDL_CreateColorCursor(pSurface, pImage->nHotX, pImage->nHotY) : nullptr;
        if (pSurface != nullptr)
            SDL_FreeSurface(pSurface);
        it = m_cursors.emplace(hCursor, pCursor).first;
    }
    if (it->second != nullptr)
        SDL_SetCursor(it->second);
}

void CDisplay::ApplyCursorRequest(const SCursorRequest& request)
{
    m_aCursorRequests.push_back(request);
    if (m_aCursorRequests.size() > CURSOR_REQUESTS_KEPT)
        m_aCursorRequests.pop_front();
    if (!m_bVideo || m_bHeadless)
        return;
    for (auto& [hWnd, w] : m_shown)
    {
        RECT rcWindow{};
        if (w.pWindow == nullptr || !GetWindowRect(hWnd, &rcWindow))
            continue;
        // The screen's window holds the menu bar's band above the client area.
        const POINT ptAt{request.pt.x - rcWindow.left, request.pt.y - rcWindow.top + w.nBand};
        const bool bOver = request.pt.x >= rcWindow.left && request.pt.x < rcWindow.right &&
                           request.pt.y >= rcWindow.top && request.pt.y < rcWindow.bottom;
        if (request.eKind == SCursorRequest::Place && bOver)
        {
            SDL_WarpMouseInWindow(w.pWindow, ptAt.x, ptAt.y);
            w.ptWarp = ptAt;
        }
        else if (request.eKind == SCursorRequest::Confine)
        {
            // The part of the rectangle over the window, in the window's own coordinates.
            const RECT rcOver{std::max(rcWindow.left, request.rc.left), std::max(rcWindow.top, request.rc.top),
                              std::min(rcWindow.right, request.rc.right), std::min(rcWindow.bottom, request.rc.bottom)};
            if (rcOver.left >= rcOver.right || rcOver.top >= rcOver.bottom)
                continue;
            const SDL_Rect rc{rcOver.left - rcWindow.left, rcOver.top - rcWindow.top + w.nBand,
                              rcOver.right - rcOver.left, rcOver.bottom - rcOver.top};
            SDL_SetWindowMouseRect(w.pWindow, &rc);
        }
        else if (request.eKind == SCursorRequest::Free)
            SDL_SetWindowMouseRect(w.pWindow, nullptr);
    }
}

void CDisplay::SwallowWarp(SDL_Event& event, HWND hWnd)
{
    const auto it = m_shown.find(hWnd);
    if (event.type != SDL_MOUSEMOTION || it == m_shown.end() || !it->second.ptWarp.has_value())
        return;
    const POINT ptWarp = *it->second.ptWarp;
    if (event.motion.x != ptWarp.x || event.motion.y != ptWarp.y)
        return;
    event.motion.xrel = 0;
    event.motion.yrel = 0;
    it->second.ptWarp.reset();
}

std::vector<SCursorRequest> CDisplay::CursorRequests()
{
    std::vector<SCursorRequest> aRequests;
    RunSync([&] { aRequests.assign(m_aCursorRequests.begin(), m_aCursorRequests.end()); });
    return aRequests;
}

std::vector<SShownCursor> CDisplay::ShownCursors()
{
    std::vector<SShownCursor> aShown;
    RunSync([&] { aShown.assign(m_aShownCursors.begin(), m_aShownCursors.end()); });
    return aShown;
}

void CDisplay::FreeCursors()
{
    for (const auto& [hCursor, pCursor] : m_cursors)
        if (pCursor != nullptr)
            SDL_FreeCursor(pCursor);
    m_cursors.clear();
    m_hShownCursor = nullptr;
    m_aShownCursors.clear();
}

void CDisplay::Post(std::function<void()> f)
{
    {
        std::lock_guard lock(m_mutex);
        m_aCommands.push_back(std::move(f));
    }
    m_cv.notify_all();
}

void CDisplay::Wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_bFramesPending = true;
    }
    m_cv.notify_all();
}

bool CDisplay::RunSync(const std::function<void()>& f)
{
    if (t_bDisplayThread)
    {
        f();
        return true;
    }
    {
        std::lock_guard start(m_startMutex);
        if (!m_bStarted)
            return false;
    }
    std::promise<void> done;
    auto future = done.get_future();
    Post(
        [&]
        {
            f();
            done.set_value();
        });
    future.wait();
    return true;
}

// ---------------------------------------------------------------------------------------------------------------------
// Windows

std::shared_ptr<SWindowFrames> CDisplay::Frames(HWND hWnd)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_frames.find(hWnd);
    return it == m_frames.end() ? nullptr : it->second;
}

void CDisplay::OnWindowCreated(const SWindowView& view)
{
    {
        std::lock_guard lock(m_mutex);
        m_frames[view.hWnd] = std::make_shared<SWindowFrames>();
    }
    Post(
        [this, view]
        {
            // A modal dialog with an owner shows over its owner's frames, not on a screen of its own.
            if ((static_cast<DWORD>(GetWindowLong(view.hWnd, GWL_EXSTYLE)) & WS_EX_DLGMODALFRAME) != 0 &&
                GetParent(view.hWnd) != nullptr)
                return;
            SShownWindow& w = m_shown[view.hWnd];
            if (!m_bVideo)
                return;
            const int nWidth = std::max(1, static_cast<int>(view.rcWindow.right - view.rcWindow.left));
            const int nHeight = std::max(1, static_cast<int>(view.rcWindow.bottom - view.rcWindow.top));
            w.pWindow = SDL_CreateWindow(view.strTitle.c_str(), view.rcWindow.left, view.rcWindow.top, nWidth, nHeight,
                                         SDL_WINDOW_HIDDEN);
            if (w.pWindow != nullptr)
                w.pRenderer = SDL_CreateRenderer(w.pWindow, -1, SDL_RENDERER_SOFTWARE);
            if (w.pRenderer == nullptr)
                std::fprintf(stderr, "Cannot open the window: %s\n", SDL_GetError());
            if (w.pWindow != nullptr)
                m_byId[SDL_GetWindowID(w.pWindow)] = view.hWnd;
            ApplyView(view);
        });
}

void CDisplay::OnWindowChanged(const SWindowView& view)
{
    Post([this, view] { ApplyView(view); });
}

void CDisplay::OnWindowDestroyed(HWND hWnd)
{
    Post([this, hWnd] { DestroyShown(hWnd); });
}

void CDisplay::OnForegroundRequested(HWND hWnd)
{
    Post(
        [this, hWnd]
        {
            const auto it = m_shown.find(hWnd);
            if (it != m_shown.end() && it->second.pWindow != nullptr)
                SDL_RaiseWindow(it->second.pWindow);
        });
}

void CDisplay::ApplyView(const SWindowView& view)
{
    ASSERT(t_bDisplayThread);
    const auto it = m_shown.find(view.hWnd);
    if (it == m_shown.end() || it->second.pWindow == nullptr)
        return;
    SShownWindow& w = it->second;
    w.view = view;
    // A window that covers the screen shows its bar over its client area, else above it.
    const RECT rcDesktop = GetDesktopWindowRect();
    const std::shared_ptr<SWindowFrames> pFrames = Frames(view.hWnd);
    bool bFillsScreen = view.rcWindow.left <= rcDesktop.left && view.rcWindow.top <= rcDesktop.top &&
                        view.rcWindow.right >= rcDesktop.right && view.rcWindow.bottom >= rcDesktop.bottom;
    if (pFrames != nullptr)
    {
        std::lock_guard lock(pFrames->mutex);
        bFillsScreen = bFillsScreen || pFrames->bFullScreen;
    }
    SetMenuBarOverClient(view.hWnd, bFillsScreen);
    w.nBand = BandOf(view.hWnd, w);
    SDL_Window* pWindow = w.pWindow;
    SDL_SetWindowTitle(pWindow, view.strTitle.c_str());
    SDL_SetWindowBordered(pWindow, view.bFramed ? SDL_TRUE : SDL_FALSE);
    // A window without caption or frame that covers the screen is the program's full screen; the
    // screen shows it so, over the desktop's own panels. Back in a window it takes its place again,
    // its menu bar's band above its client area.
    const bool bFullScreen = !view.bFramed && view.rcWindow == m_rcScreen;
    if (bFullScreen != w.bFullScreen)
        SDL_SetWindowFullscreen(pWindow, bFullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!bFullScreen)
    {
        SDL_SetWindowPosition(pWindow, view.rcWindow.left, view.rcWindow.top - w.nBand);
        SDL_SetWindowSize(pWindow, std::max(1, static_cast<int>(view.rcWindow.right - view.rcWindow.left)),
                          std::max(1, static_cast<int>(view.rcWindow.bottom - view.rcWindow.top)) + w.nBand);
    }
    if (bFullScreen != w.bFullScreen)
        NoteFullScreen(view, bFullScreen);
    w.bFullScreen = bFullScreen;
    const Uint32 dwFlags = SDL_GetWindowFlags(pWindow);
    if (view.bVisible && (dwFlags & SDL_WINDOW_SHOWN) == 0)
        SDL_ShowWindow(pWindow);
    else if (!view.bVisible && (dwFlags & SDL_WINDOW_SHOWN) != 0)
        SDL_HideWindow(pWindow);
    if (view.bIconic && (dwFlags & SDL_WINDOW_MINIMIZED) == 0)
        SDL_MinimizeWindow(pWindow);
    else if (!view.bIconic && (dwFlags & SDL_WINDOW_MINIMIZED) != 0)
        SDL_RestoreWindow(pWindow);
}

void CDisplay::NoteFullScreen(const SWindowView& view, bool bFullScreen)
{
    if (const std::shared_ptr<SWindowFrames> pFrames = Frames(view.hWnd))
    {
        std::lock_guard lock(pFrames->mutex);
        pFrames->bShownFullScreen = bFullScreen;
    }
    const RECT& rc = view.rcWindow;
    char szLine[160];
    if (bFullScreen)
        std::snprintf(szLine, sizeof szLine, "Display: \"%s\" shown full screen, %ld x %ld\n", view.strTitle.c_str(),
                      static_cast<long>(rc.right - rc.left), static_cast<long>(rc.bottom - rc.top));
    else
        std::snprintf(szLine, sizeof szLine, "Display: \"%s\" shown in a window, %ld x %ld at %ld, %ld\n",
                      view.strTitle.c_str(), static_cast<long>(rc.right - rc.left),
                      static_cast<long>(rc.bottom - rc.top), static_cast<long>(rc.left), static_cast<long>(rc.top));
    OutputDebugString(szLine);
}

int CDisplay::BandOf(HWND hWnd, const SShownWindow&) const
{
    return IsMenuBarOverClient(hWnd) ? 0 : GetWindowMenuBar(hWnd).nHeight;
}

void CDisplay::DestroyShown(HWND hWnd)
{
    ASSERT(t_bDisplayThread);
    const auto it = m_shown.find(hWnd);
    if (it == m_shown.end())
        return;
    SShownWindow& w = it->second;
    if (w.pTexture != nullptr)
        SDL_DestroyTexture(w.pTexture);
    if (w.pRenderer != nullptr)
        SDL_DestroyRenderer(w.pRenderer);
    if (w.pWindow != nullptr)
    {
        m_byId.erase(SDL_GetWindowID(w.pWindow));
        SDL_DestroyWindow(w.pWindow);
    }
    m_shown.erase(it);
}

// ---------------------------------------------------------------------------------------------------------------------
// Frames

void CDisplay::PresentPending()
{
    ASSERT(t_bDisplayThread);
    for (auto& [hWnd, w] : m_shown)
    {
        const std::shared_ptr<SWindowFrames> pFrames = Frames(hWnd);
        if (pFrames == nullptr)
            continue;
        SHandedFrame handed;
        {
            std::lock_guard lock(pFrames->mutex);
            if (!pFrames->bPending)
                continue;
            pFrames->bPending = false;
            std::swap(handed, pFrames->pending);
        }
        Present(hWnd, w, handed);
        // Hand the copy's storage back to be filled again. It waits as the spare, which the owner takes when it
        // hands a frame while this thread still shows the one before: with the pending slot then empty, the owner
        // would otherwise size a fresh picture for every other frame.
        std::lock_guard lock(pFrames->mutex);
        if (pFrames->aSpare.capacity() == 0)
            pFrames->aSpare.swap(handed.aPixels);
    }
}

void CDisplay::Present(HWND hWnd, SShownWindow& w, SHandedFrame& handed)
{
    // A picture of the frame's own size is shown as it was handed (its storage swapped for the last one's, which
    // goes back to be filled again); else it is scaled into the frame here.
    if (handed.nPictureWidth == handed.nWidth && handed.nPictureHeight == handed.nHeight &&
        handed.rcDest == RECT{0, 0, handed.nWidth, handed.nHeight})
        w.spare.aPixels.swap(handed.aPixels);
    else
    {
        w.spare.aPixels.resize(static_cast<size_t>(handed.nWidth) * static_cast<size_t>(handed.nHeight));
        ScaleFrame(handed.aPixels.data(), handed.nPictureWidth, handed.nPictureHeight, w.spare.aPixels.data(),
                   handed.nWidth, handed.nHeight, handed.rcDest);
    }
    w.spare.nWidth = handed.nWidth;
    w.spare.nHeight = handed.nHeight;
    std::swap(w.raw, w.spare);
    // The script counts the frames the program shows of itself: not a tool window's (the splash
    // moves by itself), nor those drawn under a dialog (a start screen comes before the game).
    if ((static_cast<DWORD>(GetWindowLong(hWnd, GWL_EXSTYLE)) & WS_EX_TOOLWINDOW) == 0 &&
        GetWindowOverlays(hWnd).empty())
        ++m_nFramesShown;
    Compose(hWnd, w);
}

namespace
{
/// Draws the bar's rows at the frame's row nTop, its last column carried on to the frame's right edge.
void DrawMenuBarRows(const SWindowMenuBar& bar, std::vector<DWORD>& aFrame, int nWidth, int nTop)
{
    if (bar.nWidth <= 0 ||
        bar.aPixels.size() < static_cast<std::size_t>(bar.nWidth) * static_cast<std::size_t>(bar.nHeight))
        return;
    for (int y = 0; y < bar.nHeight; ++y)
    {
        const DWORD* pRow = bar.aPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(bar.nWidth);
        DWORD* pTo = aFrame.data() + static_cast<std::size_t>(nTop + y) * static_cast<std::size_t>(nWidth);
        for (int x = 0; x < nWidth; ++x)
            pTo[x] = pRow[std::min(x, bar.nWidth - 1)];
    }
}
} // namespace

void CDisplay::Compose(HWND hWnd, SShownWindow& w)
{
    const std::vector<SWindowOverlay> aOverlays = GetWindowOverlays(hWnd);
    for (const SWindowOverlay& overlay : aOverlays)
        if (!overlay.bMenu && m_seenDialogs.insert(overlay.hWnd).second)
            ++m_nDialogsShown;
    const SWindowMenuBar bar = GetWindowMenuBar(hWnd);
    const int nBand = BandOf(hWnd, w);
    const bool bBarOverClient = bar.nHeight > 0 && nBand == 0 && bar.bOpen;
    w.bOverlaid = !aOverlays.empty();
    w.bComposed = w.bOverlaid || nBand > 0 || bBarOverClient;
    w.nBand = nBand;
    if (w.bComposed)
    {
        // The client area's rows: the frame (black before the first), the bar over its top rows
        // while a full-screen window's menu is open, the overlays.
        SFrame client = w.raw;
        if (client.aPixels.empty())
        {
            RECT rc;
            GetWindowRect(hWnd, &rc);
            client.nWidth = std::max(1, static_cast<int>(rc.right - rc.left));
            client.nHeight = std::max(1, static_cast<int>(rc.bottom - rc.top));
            client.aPixels.assign(static_cast<std::size_t>(client.nWidth) * static_cast<std::size_t>(client.nHeight),
                                  0);
        }
        if (bBarOverClient && bar.nHeight <= client.nHeight)
            DrawMenuBarRows(bar, client.aPixels, client.nWidth, 0);
        DrawWindowOverlays(aOverlays, client.aPixels, client.nWidth, client.nHeight);
        w.composed.nWidth = client.nWidth;
        w.composed.nHeight = client.nHeight + nBand;
        w.composed.aPixels.resize(static_cast<std::size_t>(w.composed.nWidth) *
                                  static_cast<std::size_t>(w.composed.nHeight));
        if (nBand > 0)
            DrawMenuBarRows(bar, w.composed.aPixels, w.composed.nWidth, 0);
        std::copy(client.aPixels.begin(), client.aPixels.end(),
                  w.composed.aPixels.begin() + static_cast<std::ptrdiff_t>(nBand) * w.composed.nWidth);
    }
    if (DrawShown(w))
        SDL_RenderPresent(w.pRenderer);
}

bool CDisplay::DrawShown(SShownWindow& w)
{
    const SFrame& shown = w.Shown();
    if (shown.aPixels.empty() || w.pRenderer == nullptr)
        return false;
    const int nWidth = shown.nWidth, nHeight = shown.nHeight;
    if (w.pTexture == nullptr || w.nTextureWidth != nWidth || w.nTextureHeight != nHeight)
    {
        if (w.pTexture != nullptr)
            SDL_DestroyTexture(w.pTexture);
        w.pTexture =
            SDL_CreateTexture(w.pRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, nWidth, nHeight);
        w.nTextureWidth = nWidth;
        w.nTextureHeight = nHeight;
        if (w.pTexture == nullptr)
            return false;
    }
    SDL_UpdateTexture(w.pTexture, nullptr, shown.aPixels.data(), nWidth * 4);
    SDL_RenderClear(w.pRenderer);
    SDL_RenderCopy(w.pRenderer, w.pTexture, nullptr, nullptr);
    return true;
}

bool CDisplay::ReadPixels(HWND hWnd, SFrame& frame, bool bWhole)
{
    bool bOk = false;
    RunSync(
        [&]
        {
            PresentPending();
            const auto it = m_shown.find(hWnd);
            if (it == m_shown.end())
                return;
            SShownWindow& w = it->second;
            // What a present leaves in the back buffer is undefined: the shown frame is drawn
            // into it again, as the window shows it, and read before any present.
            int nWidth = 0, nHeight = 0;
            if (DrawShown(w) && SDL_GetRendererOutputSize(w.pRenderer, &nWidth, &nHeight) == 0 && nWidth > 0 &&
                nHeight > 0)
            {
                frame.aPixels.assign(static_cast<size_t>(nWidth) * nHeight, 0);
                frame.nWidth = nWidth;
                frame.nHeight = nHeight;
                bOk = SDL_RenderReadPixels(w.pRenderer, nullptr, SDL_PIXELFORMAT_RGB888, frame.aPixels.data(),
                                           nWidth * 4) == 0;
                for (DWORD& p : frame.aPixels)
                    p &= 0x00FFFFFF;
            }
            else if (!w.Shown().aPixels.empty())
            {
                frame = w.Shown();
                bOk = true;
            }
            // The band's rows come first: the client area's are those after them.
            if (bOk && !bWhole && w.nBand > 0 && frame.nHeight > w.nBand)
            {
                frame.aPixels.erase(frame.aPixels.begin(),
                                    frame.aPixels.begin() + static_cast<std::ptrdiff_t>(w.nBand) * frame.nWidth);
                frame.nHeight -= w.nBand;
            }
        });
    return bOk;
}

// ---------------------------------------------------------------------------------------------------------------------
// SDL events to window messages

int VirtualKeyOf(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VK_F1 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
    static const std::pair<SDL_Keycode, int> s_aKeys[] = {
        {SDLK_BACKSPACE, VK_BACK},   {SDLK_TAB, VK_TAB},           {SDLK_RETURN, VK_RETURN},
        {SDLK_KP_ENTER, VK_RETURN},  {SDLK_ESCAPE, VK_ESCAPE},     {SDLK_SPACE, VK_SPACE},
        {SDLK_PAGEUP, VK_PRIOR},     {SDLK_PAGEDOWN, VK_NEXT},     {SDLK_END, VK_END},
        {SDLK_HOME, VK_HOME},        {SDLK_LEFT, VK_LEFT},         {SDLK_UP, VK_UP},
        {SDLK_RIGHT, VK_RIGHT},      {SDLK_DOWN, VK_DOWN},         {SDLK_INSERT, VK_INSERT},
        {SDLK_DELETE, VK_DELETE},    {SDLK_KP_0, VK_NUMPAD0},      {SDLK_KP_MULTIPLY, VK_MULTIPLY},
        {SDLK_KP_PLUS, VK_ADD},      {SDLK_KP_MINUS, VK_SUBTRACT}, {SDLK_KP_PERIOD, VK_DECIMAL},
        {SDLK_KP_DIVIDE, VK_DIVIDE}, {SDLK_PAUSE, VK_PAUSE},       {SDLK_LSHIFT, VK_LSHIFT},
        {SDLK_RSHIFT, VK_RSHIFT},    {SDLK_LCTRL, VK_LCONTROL},    {SDLK_RCTRL, VK_RCONTROL},
        {SDLK_LALT, VK_LMENU},       {SDLK_RALT, VK_RMENU},        {SDLK_MINUS, 0xBD},
        {SDLK_EQUALS, 0xBB},         {SDLK_COMMA, 0xBC},           {SDLK_PERIOD, 0xBE},
        {SDLK_SLASH, 0xBF},          {SDLK_SEMICOLON, 0xBA},       {SDLK_QUOTE, 0xDE},
        {SDLK_LEFTBRACKET, 0xDB},    {SDLK_RIGHTBRACKET, 0xDD},    {SDLK_BACKSLASH, 0xDC},
        {SDLK_BACKQUOTE, 0xC0}};
    for (const auto& [sdlKey, nVk] : s_aKeys)
        if (sdlKey == key)
            return nVk;
    return 0;
}

/// Messages carry the generic modifier key; the key state keeps left and right apart too.
int GenericKey(int nVk)
{
    return nVk == VK_LSHIFT || nVk == VK_RSHIFT       ? VK_SHIFT
           : nVk == VK_LCONTROL || nVk == VK_RCONTROL ? VK_CONTROL
           : nVk == VK_LMENU || nVk == VK_RMENU       ? VK_MENU
                                                      : nVk;
}

WPARAM MouseKeyFlags()
{
    WPARAM w = 0;
    w |= (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0 ? MK_LBUTTON : 0;
    w |= (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0 ? MK_RBUTTON : 0;
    w |= (GetAsyncKeyState(VK_MBUTTON) & 0x8000) != 0 ? MK_MBUTTON : 0;
    w |= (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0 ? MK_SHIFT : 0;
    w |= (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0 ? MK_CONTROL : 0;
    return w;
}

void HandleKey(const SDL_KeyboardEvent& key, HWND hWnd)
{
    const bool bDown = key.type == SDL_KEYDOWN;
    const int nVk = VirtualKeyOf(key.keysym.sym);
    ReportRawInput(SRawInputEvent{SRawInputEvent::Key, nVk, static_cast<int>(key.keysym.scancode), bDown, 0, 0, 0, 0,
                                  timeGetTime()});
    if (nVk == 0)
        return;
    // Alt makes system keys of the others, as the game's accelerators expect.
    const bool bAlt = (GetAsyncKeyState(VK_MENU) & 0x8000) != 0 && (GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0;
    const UINT uMsg =
        bAlt || GenericKey(nVk) == VK_MENU ? (bDown ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (bDown ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lParam = 1 | (static_cast<LPARAM>(key.keysym.scancode & 0xFF) << 16);
    // The message carries whether Alt was down when the key went, so that an accelerator read later
    // sees the keys as they were pressed together, not as they are when the message is taken.
    if ((GetAsyncKeyState(VK_MENU) & 0x8000) != 0)
        lParam |= KEY_ALT_CONTEXT;
    if (!bDown)
        lParam |= static_cast<LPARAM>(0xC0000000u);
    else if (key.repeat != 0)
        lParam |= 0x40000000;
    PostMessage(hWnd, uMsg, static_cast<WPARAM>(GenericKey(nVk)), lParam);
}

void HandleText(const char* szText, HWND hWnd)
{
    // UTF-8 to the single-byte characters the game's texts hold; others are dropped.
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(szText); *p != 0;)
    {
        unsigned nCode = *p++;
        if (nCode >= 0xC0 && nCode < 0xE0 && (*p & 0xC0) == 0x80)
            nCode = ((nCode & 0x1F) << 6) | (*p++ & 0x3F);
        else if (nCode >= 0x80)
        {
            while ((*p & 0xC0) == 0x80)
                ++p;
            continue;
        }
        if (nCode <= 0xFF)
            PostMessage(hWnd, WM_CHAR, nCode, 1);
    }
}

int ButtonKey(Uint8 button)
{
    return button == SDL_BUTTON_RIGHT ? VK_RBUTTON : button == SDL_BUTTON_MIDDLE ? VK_MBUTTON : VK_LBUTTON;
}

/// The cursor's screen position from a point of the window's client area.
void RecordCursor(HWND hWnd, int x, int y)
{
    POINT pt{x, y};
    ClientToScreen(hWnd, &pt);
    RecordCursorPos(pt.x, pt.y);
}

void HandleMouse(const SDL_Event& event, HWND hWnd)
{
    const DWORD dwNow = timeGetTime();
    if (event.type == SDL_MOUSEMOTION)
    {
        const SDL_MouseMotionEvent& m = event.motion;
        RecordCursor(hWnd, m.x, m.y);
        ReportRawInput(SRawInputEvent{SRawInputEvent::MouseMove, 0, 0, false, m.xrel, m.yrel, m.x, m.y, dwNow});
        PostMessage(hWnd, WM_MOUSEMOVE, MouseKeyFlags(), MAKELPARAM(m.x, m.y));
    }
    else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP)
    {
        const SDL_MouseButtonEvent& b = event.button;
        const bool bDown = event.type == SDL_MOUSEBUTTONDOWN;
        const int nVk = ButtonKey(b.button);
        RecordCursor(hWnd, b.x, b.y);
        ReportRawInput(SRawInputEvent{SRawInputEvent::MouseButton, nVk, 0, bDown, 0, 0, b.x, b.y, dwNow});
        const UINT uDown = nVk == VK_RBUTTON ? WM_RBUTTONDOWN : nVk == VK_MBUTTON ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
        PostMessage(hWnd, bDown ? uDown : uDown + 1, MouseKeyFlags(), MAKELPARAM(b.x, b.y));
    }
    else if (event.type == SDL_MOUSEWHEEL)
    {
        ReportRawInput(SRawInputEvent{SRawInputEvent::MouseWheel, 0, 0, false, 0, event.wheel.y, 0, 0, dwNow});
        PostMessage(hWnd, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(MouseKeyFlags()), event.wheel.y * 120), 0);
    }
}

// The mouse event as seen from a window whose top left lies at ptAt.
SDL_Event MouseEventAt(SDL_Event event, POINT ptAt)
{
    if (event.type == SDL_MOUSEMOTION)
    {
        event.motion.x -= ptAt.x;
        event.motion.y -= ptAt.y;
    }
    else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP)
    {
        event.button.x -= ptAt.x;
        event.button.y -= ptAt.y;
    }
    return event;
}

// The window that takes the close button. A window that a modal dialog holds disabled ignores it, as
// on the desktop: the dialog shown over it takes it instead and closes as its Cancel would, so the
// window is never destroyed under the dialog's modal loop. A disabled window without a dialog over
// it takes none (nullptr).
HWND CloseTarget(HWND hWnd)
{
    if (IsWindowEnabled(hWnd))
        return hWnd;
    POINT ptAt;
    const HWND hDialog = OverlayInputTarget(hWnd, &ptAt);
    return hDialog != hWnd ? hDialog : nullptr;
}

/// nBand: the rows of the menu bar's band above the client area, which the screen's window holds too.
void HandleWindowEvent(const SDL_WindowEvent& w, HWND hWnd, int nBand)
{
    RECT rc;
    switch (w.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        if (const HWND hTarget = CloseTarget(hWnd); hTarget != nullptr)
            PostMessage(hTarget, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        SetIconicFromDisplay(hWnd, true);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        SetIconicFromDisplay(hWnd, false);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetActiveFromDisplay(hWnd, true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        ReleaseAllKeys();
        SetActiveFromDisplay(hWnd, false);
        break;
    case SDL_WINDOWEVENT_MOVED:
        if (GetWindowRect(hWnd, &rc))
            SetWindowRectFromDisplay(hWnd, RECT{w.data1, w.data2 + nBand, w.data1 + (rc.right - rc.left),
                                                w.data2 + nBand + (rc.bottom - rc.top)});
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (GetWindowRect(hWnd, &rc))
            SetWindowRectFromDisplay(hWnd, RECT{rc.left, rc.top, rc.left + w.data1, rc.top + w.data2 - nBand});
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        InvalidateRect(hWnd, nullptr, FALSE);
        break;
    default:
        break;
    }
}

HWND CDisplay::WindowOfEvent(const SDL_Event& event) const
{
    Uint32 dwId = 0;
    switch (event.type)
    {
    case SDL_WINDOWEVENT:
        dwId = event.window.windowID;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        dwId = event.key.windowID;
        break;
    case SDL_TEXTINPUT:
        dwId = event.text.windowID;
        break;
    case SDL_MOUSEMOTION:
        dwId = event.motion.windowID;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        dwId = event.button.windowID;
        break;
    case SDL_MOUSEWHEEL:
        dwId = event.wheel.windowID;
        break;
    default:
        return ScriptTarget();
    }
    const auto it = m_byId.find(dwId);
    return it == m_byId.end() ? nullptr : it->second;
}

void CDisplay::HandleEvent(const SDL_Event& event, HWND hWnd)
{
    if (event.type == SDL_DISPLAYEVENT || event.type == SDL_RENDER_DEVICE_RESET)
    {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
        {
            m_rcScreen = RECT{0, 0, mode.w, mode.h};
            SetDesktopWindowRect(m_rcScreen);
            if (hWnd != nullptr)
                PostMessage(hWnd, WM_DISPLAYCHANGE, SDL_BITSPERPIXEL(mode.format), MAKELPARAM(mode.w, mode.h));
        }
        return;
    }
    if (hWnd == nullptr)
        return;
    const auto itShown = m_shown.find(hWnd);
    const int nBand = itShown != m_shown.end() ? itShown->second.nBand : 0;
    if (event.type == SDL_WINDOWEVENT)
    {
        // A window shown full screen covers the screen, as its rectangle says: the moves and sizes
        // the screen reports on its way there are not the user's. Once the screen has taken full
        // screen away itself, they are.
        const bool bPlacement =
            event.window.event == SDL_WINDOWEVENT_MOVED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED;
        const bool bKeptFull = itShown != m_shown.end() && itShown->second.bFullScreen &&
                               itShown->second.pWindow != nullptr &&
                               (SDL_GetWindowFlags(itShown->second.pWindow) & SDL_WINDOW_FULLSCREEN) != 0;
        if (!(bPlacement && bKeptFull))
            HandleWindowEvent(event.window, hWnd, nBand);
        return;
    }
    // Keys, text and the mouse go to the dialog shown over the window, if any, in its own coordinates.
    POINT ptAt;
    const HWND hTarget = OverlayInputTarget(hWnd, &ptAt);
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP)
    {
        HandleKey(event.key, hTarget);
        WatchMenuKeys(event.key, hTarget);
        return;
    }
    if (event.type == SDL_TEXTINPUT)
    {
        HandleText(event.text.text, hTarget);
        return;
    }
    if (event.type == SDL_MOUSEBUTTONDOWN)
        m_bAltAlone = false;
    const int y = event.type == SDL_MOUSEMOTION ? event.motion.y : event.button.y;
    if (event.type != SDL_MOUSEWHEEL && y < nBand)
    {
        HandleBandMouse(event, hWnd);
        return;
    }
    // The screen's rows start with the band's; the client area's after them.
    HandleMouse(MouseEventAt(event, POINT{ptAt.x, ptAt.y + nBand}), hTarget);
}

void CDisplay::HandleBandMouse(const SDL_Event& event, HWND hWnd)
{
    if (event.type != SDL_MOUSEMOTION && (event.type == SDL_MOUSEWHEEL || event.button.button != SDL_BUTTON_LEFT))
        return;
    POINT ptAt;
    const HWND hTarget = OverlayInputTarget(hWnd, &ptAt);
    const int nBand = m_shown[hWnd].nBand;
    // The point in screen coordinates, as the window's messages of its non-client parts carry it.
    POINT pt = event.type == SDL_MOUSEMOTION ? POINT{event.motion.x, event.motion.y - nBand}
                                             : POINT{event.button.x, event.button.y - nBand};
    ClientToScreen(hWnd, &pt);
    const UINT uMsg = event.type == SDL_MOUSEMOTION       ? WM_NCMOUSEMOVE
                      : event.type == SDL_MOUSEBUTTONDOWN ? WM_NCLBUTTONDOWN
                                                          : WM_NCLBUTTONUP;
    PostMessage(hTarget, uMsg, HTMENU, MAKELPARAM(pt.x, pt.y));
}

void CDisplay::WatchMenuKeys(const SDL_KeyboardEvent& key, HWND hTarget)
{
    const int nVk = GenericKey(VirtualKeyOf(key.keysym.sym));
    const bool bDown = key.type == SDL_KEYDOWN;
    if (nVk == VK_MENU)
    {
        if (bDown && key.repeat == 0)
            m_bAltAlone = true;
        else if (!bDown && std::exchange(m_bAltAlone, false))
            PostMessage(hTarget, WM_SYSCOMMAND, SC_KEYMENU, 0);
        return;
    }
    if (!bDown)
        return;
    m_bAltAlone = false;
    const bool bModified = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0 || (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
    if (nVk == VK_F1 + 9 && key.repeat == 0 && !bModified) // F10
        PostMessage(hTarget, WM_SYSCOMMAND, SC_KEYMENU, 0);
}

void CDisplay::PumpEvents()
{
    if (!m_bVideo)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
    {
        const HWND hWnd = WindowOfEvent(event);
        SwallowWarp(event, hWnd);
        HandleEvent(event, hWnd);
    }
}

// ---------------------------------------------------------------------------------------------------------------------
// The input script

HWND CDisplay::ScriptTarget() const
{
    // A window showing a dialog takes the input, as the dialog is modal to the program.
    for (const auto& [hWnd, w] : m_shown)
        if (w.bOverlaid)
            return hWnd;
    const HWND hActive = GetActiveWindow();
    if (const HWND hOwner = OverlayOwner(hActive); hOwner != nullptr)
        return hOwner; // a dialog shown over its owner takes the owner's input from there
    return hActive != nullptr ? hActive : GetFirstTopLevelWindow();
}

bool CDisplay::IsDue(const SScriptEntry& entry, std::chrono::steady_clock::time_point now)
{
    const std::chrono::milliseconds ms(entry.nAt);
    switch (entry.eWhen)
    {
    case SScriptEntry::AtMs:
        return now >= m_scriptStart + ms;
    case SScriptEntry::AtFrame:
        return m_nFramesShown >= entry.nAt;
    case SScriptEntry::AtDialog:
        return m_nDialogsShown >= entry.nAt;
    case SScriptEntry::AfterMs:
        return now >= m_lastEntryRun + ms;
    case SScriptEntry::AfterFrame:
        return m_nFramesShown >= m_nFramesAtLastEntry + entry.nAt;
    case SScriptEntry::AfterDialog:
        return m_nDialogsShown >= m_nDialogsAtLastEntry + entry.nAt;
    case SScriptEntry::AfterTrace:
        return m_bTraceSeen;
    case SScriptEntry::SeenTrace:
        for (std::size_t i = m_nSeenFrom; i < m_aSeenTraces.size(); ++i)
            if (m_aSeenTraces[i].find(entry.strTrace) != std::string::npos)
            {
                m_nSeenFrom = i + 1;
                return true;
            }
        return false;
    }
    return false;
}

void CDisplay::RunScript()
{
    const auto now = std::chrono::steady_clock::now();
    while (m_nNextEntry < m_script.aEntries.size())
    {
        const SScriptEntry& entry = m_script.aEntries[m_nNextEntry];
        if (!IsDue(entry, now))
            return;
        ++m_nNextEntry;
        m_lastEntryRun = now;
        m_nFramesAtLastEntry = m_nFramesShown;
        m_nDialogsAtLastEntry = m_nDialogsShown;
        m_bTraceSeen = false;
        if (!entry.aWords.empty())
            RunAction(entry);
    }
}

void CDisplay::WatchTraces()
{
    std::vector<std::string> aWaits;
    for (const SScriptEntry& entry : m_script.aEntries)
    {
        if (entry.eWhen == SScriptEntry::AfterTrace || entry.eWhen == SScriptEntry::SeenTrace)
            aWaits.push_back(entry.strTrace);
        if (!entry.strPointTrace.empty())
            aWaits.push_back(entry.strPointTrace);
    }
    if (aWaits.empty())
        return;
    // Only a trace some wait or seen entry holds is handed to the display thread. There a wait
    // takes it only while it is the next entry, so that it is met only by what is written once the
    // entries before it have run; seen entries keep every one.
    SetDebugLogWatch(
        [this, aWaits](const std::string& strTrace)
        {
            if (std::none_of(aWaits.begin(), aWaits.end(),
                             [&](const std::string& strWait) { return strTrace.find(strWait) != std::string::npos; }))
                return;
            Post(
                [this, strTrace]
                {
                    if (std::any_of(m_script.aEntries.begin(), m_script.aEntries.end(),
                                    [&](const SScriptEntry& entry) {
                                        return entry.eWhen == SScriptEntry::SeenTrace &&
                                               strTrace.find(entry.strTrace) != std::string::npos;
                                    }))
                        m_aSeenTraces.push_back(strTrace);
                    for (const SScriptEntry& entry : m_script.aEntries)
                        if (!entry.strPointTrace.empty() && strTrace.find(entry.strPointTrace) != std::string::npos)
                            m_pointLines[entry.strPointTrace] = strTrace;
                    if (m_nNextEntry >= m_script.aEntries.size())
                        return;
                    const SScriptEntry& next = m_script.aEntries[m_nNextEntry];
                    if (next.eWhen == SScriptEntry::AfterTrace && strTrace.find(next.strTrace) != std::string::npos)
                        m_bTraceSeen = true;
                });
        });
}

SDL_Event WindowEvent(Uint8 nEvent)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = nEvent;
    return event;
}

bool CDisplay::PlaceFromLog(const SScriptEntry& entry, std::vector<std::string>& aWords) const
{
    const auto it = m_pointLines.find(entry.strPointTrace);
    if (it == m_pointLines.end())
        return false;
    // The last two numbers of the line, after the text itself.
    const std::string strAfter = it->second.substr(it->second.find(entry.strPointTrace) + entry.strPointTrace.size());
    std::vector<std::string> aNumbers;
    for (std::size_t i = 0; i < strAfter.size();)
    {
        const std::size_t nStart = strAfter.find_first_of("0123456789", i);
        if (nStart == std::string::npos)
            break;
        const std::size_t nEnd = strAfter.find_first_not_of("0123456789", nStart);
        aNumbers.push_back(strAfter.substr(nStart, nEnd - nStart));
        i = nEnd == std::string::npos ? strAfter.size() : nEnd;
    }
    if (aNumbers.size() < 2)
        return false;
    aWords[aWords.size() - 2] = aNumbers[aNumbers.size() - 2];
    aWords[aWords.size() - 1] = aNumbers[aNumbers.size() - 1];
    return true;
}

void CDisplay::RunAction(const SScriptEntry& entry)
{
    std::vector<std::string> aWords = entry.aWords;
    if (!entry.strPointTrace.empty() && !PlaceFromLog(entry, aWords))
    {
        std::fprintf(stderr, "Input script line %d: no log line names a point for \"%s\"\n", entry.nLine,
                     entry.strPointTrace.c_str());
        return;
    }
    const HWND hWnd = ScriptTarget();
    const std::string& strVerb = aWords[0];
    SDL_Event event{};
    if (strVerb == "key")
    {
        std::string strName = aWords[2];
        for (size_t i = 3; i < aWords.size(); ++i)
            strName += " " + aWords[i];
        event.key.keysym.scancode = SDL_GetScancodeFromName(strName.c_str());
        event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
        if (event.key.keysym.sym == SDLK_UNKNOWN)
            event.key.keysym.sym = SDL_GetKeyFromName(strName.c_str());
        for (const Uint32 type : {Uint32{SDL_KEYDOWN}, Uint32{SDL_KEYUP}})
        {
            if ((aWords[1] == "down" && type == SDL_KEYUP) || (aWords[1] == "up" && type == SDL_KEYDOWN))
                continue;
            event.type = type;
            HandleEvent(event, hWnd);
        }
        return;
    }
    if (strVerb == "text")
    {
        event.type = SDL_TEXTINPUT;
        std::snprintf(event.text.text, sizeof(event.text.text), "%s", aWords[1].c_str());
        HandleEvent(event, hWnd);
        return;
    }
    if (strVerb == "mouse" || strVerb == "wheel")
    {
        SShownWindow& w = m_shown[hWnd];
        POINT& ptMouse = w.ptMouse;
        // The script's points are in the client area (or the dialog's, or the menu bar's); the
        // screen's rows start with the menu bar's band.
        POINT ptOrigin{0, entry.bInMenu ? 0 : w.nBand};
        if (entry.bInDialog)
        {
            POINT ptDialog{};
            OverlayInputTarget(hWnd, &ptDialog);
            ptOrigin = POINT{ptOrigin.x + ptDialog.x, ptOrigin.y + ptDialog.y};
        }
        const int x = aWords.size() > 3 ? std::atoi(aWords[aWords.size() - 2].c_str()) + ptOrigin.x : ptMouse.x;
        const int y = aWords.size() > 3 ? std::atoi(aWords[aWords.size() - 1].c_str()) + ptOrigin.y : ptMouse.y;
        if (strVerb == "wheel")
        {
            event.type = SDL_MOUSEWHEEL;
            event.wheel.y = std::atoi(aWords[1].c_str());
        }
        else if (aWords[1] == "move")
        {
            event.type = SDL_MOUSEMOTION;
            event.motion = SDL_MouseMotionEvent{SDL_MOUSEMOTION, 0, 0, 0, 0, x, y, x - ptMouse.x, y - ptMouse.y};
        }
        else
        {
            event.type = aWords[1] == "down" ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.type = event.type;
            event.button.button = aWords[2] == "right"    ? SDL_BUTTON_RIGHT
                                  : aWords[2] == "middle" ? SDL_BUTTON_MIDDLE
                                                          : SDL_BUTTON_LEFT;
            event.button.x = x;
            event.button.y = y;
        }
        ptMouse = POINT{x, y};
        HandleEvent(event, hWnd);
        return;
    }
    if (strVerb == "png")
    {
        PresentPending();
        if (!SaveWindowPng(hWnd, aWords[1]))
            std::fprintf(stderr, "Input script: cannot write %s\n", aWords[1].c_str());
        return;
    }
    static const std::pair<const char*, Uint8> s_aWindowEvents[] = {{"close", SDL_WINDOWEVENT_CLOSE},
                                                                    {"minimise", SDL_WINDOWEVENT_MINIMIZED},
                                                                    {"restore", SDL_WINDOWEVENT_RESTORED},
                                                                    {"focus", SDL_WINDOWEVENT_FOCUS_GAINED},
                                                                    {"unfocus", SDL_WINDOWEVENT_FOCUS_LOST}};
    for (const auto& [szName, nEvent] : s_aWindowEvents)
        if (strVerb == szName)
            HandleEvent(WindowEvent(nEvent), hWnd);
}

std::optional<int> CDisplay::UnattendedAnswer(UINT uType)
{
    // The input script answers first, on any display; without a user the default button does,
    // unless the script closes the boxes itself.
    std::lock_guard lock(m_answerMutex);
    if (!m_aAnswers.empty())
    {
        const int nAnswer = m_aAnswers.front();
        m_aAnswers.pop_front();
        return nAnswer;
    }
    if (t_bDisplayThread || (m_bHeadless && !m_bBoxesShown))
        return MessageBoxDefaultButton(uType);
    return std::nullopt;
}

int CDisplay::AnswerMessageBox(const SMessageBoxRequest& request)
{
    if (const std::optional<int> nAnswer = UnattendedAnswer(request.uType))
        return *nAnswer;
    int nAnswer = MessageBoxDefaultButton(request.uType);
    RunSync(
        [&]
        {
            const std::vector<int> aIds = MessageBoxButtons(request.uType);
            static const std::map<int, const char*> s_names = {
                {IDOK, "OK"},         {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
                {IDIGNORE, "Ignore"}, {IDYES, "Yes"},       {IDNO, "No"}};
            std::vector<SDL_MessageBoxButtonData> aButtons;
            for (const int nId : aIds)
                aButtons.push_back(SDL_MessageBoxButtonData{nId == MessageBoxDefaultButton(request.uType)
                                                                ? Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT}
                                                                : 0u,
                                                            nId, s_names.at(nId)});
            const auto it = m_shown.find(request.hWnd);
            const Uint32 dwFlags = (request.uType & 0xF0) == MB_ICONHAND          ? SDL_MESSAGEBOX_ERROR
                                   : (request.uType & 0xF0) == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                                                                  : SDL_MESSAGEBOX_INFORMATION;
            const SDL_MessageBoxData data{dwFlags,
                                          it != m_shown.end() ? it->second.pWindow : nullptr,
                                          request.strCaption.c_str(),
                                          request.strText.c_str(),
                                          static_cast<int>(aButtons.size()),
                                          aButtons.data(),
                                          nullptr};
            int nPressed = -1;
            if (SDL_ShowMessageBox(&data, &nPressed) == 0 && nPressed >= 0)
                nAnswer = nPressed;
        });
    return nAnswer;
}
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// Public functions

bool StartDisplay() { return s_display.Start(); }

void StopDisplay() { s_display.Stop(); }

bool IsDisplayThread() { return t_bDisplayThread; }

bool IsDisplayHeadless() { return s_display.IsHeadless(); }

void HandFrameToDisplay(HWND hWnd, SHandedFrame& frame)
{
    const std::shared_ptr<SWindowFrames> pFrames = s_display.Frames(hWnd);
    if (pFrames == nullptr)
        return;
    {
        std::lock_guard lock(pFrames->mutex);
        std::swap(pFrames->pending, frame);
        if (frame.aPixels.capacity() == 0)
            frame.aPixels.swap(pFrames->aSpare);
        pFrames->bPending = true;
        ++pFrames->nHanded;
    }
    s_display.Wake();
}

bool IsWindowShownFullScreen(HWND hWnd)
{
    const std::shared_ptr<SWindowFrames> pFrames = s_display.Frames(hWnd);
    if (pFrames == nullptr)
        return false;
    std::lock_guard lock(pFrames->mutex);
    return pFrames->bShownFullScreen;
}

bool IsWindowFullScreen(HWND hWnd)
{
    const std::shared_ptr<SWindowFrames> pFrames = s_display.Frames(hWnd);
    if (pFrames == nullptr)
        return false;
    std::lock_guard lock(pFrames->mutex);
    return pFrames->bFullScreen;
}

void SetWindowFullScreen(HWND hWnd, bool bFullScreen)
{
    const std::shared_ptr<SWindowFrames> pFrames = s_display.Frames(hWnd);
    if (pFrames == nullptr)
        return;
    std::lock_guard lock(pFrames->mutex);
    pFrames->bFullScreen = bFullScreen;
}

std::vector<SCursorRequest> GetCursorRequests() { return s_display.CursorRequests(); }

std::vector<SShownCursor> GetShownCursors() { return s_display.ShownCursors(); }

int GetPresentCount(HWND hWnd)
{
    const std::shared_ptr<SWindowFrames> pFrames = s_display.Frames(hWnd);
    if (pFrames == nullptr)
        return 0;
    std::lock_guard lock(pFrames->mutex);
    return pFrames->nHanded;
}

bool ReadWindowPixels(HWND hWnd, std::vector<DWORD>& aPixels, int* pWidth, int* pHeight, bool bWhole)
{
    SFrame frame;
    if (pWidth == nullptr || pHeight == nullptr || !s_display.ReadPixels(hWnd, frame, bWhole))
        return false;
    aPixels = std::move(frame.aPixels);
    *pWidth = frame.nWidth;
    *pHeight = frame.nHeight;
    return true;
}

bool SaveWindowPng(HWND hWnd, const std::string& strPath)
{
    SFrame frame;
    if (!s_display.ReadPixels(hWnd, frame, true) || frame.nWidth <= 0 || frame.nHeight <= 0)
        return false;
    const SurfacePtr pSurface =
        CDirectDrawSurface::Create(static_cast<DWORD>(frame.nWidth), static_cast<DWORD>(frame.nHeight),
                                   MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    if (pSurface == nullptr || FAILED(pSurface->Lock(nullptr, &desc, 0, nullptr)))
        return false;
    for (int y = 0; y < frame.nHeight; ++y)
        std::memcpy(static_cast<BYTE*>(desc.lpSurface) + static_cast<size_t>(y) * desc.lPitch,
                    frame.aPixels.data() + static_cast<size_t>(y) * frame.nWidth,
                    static_cast<size_t>(frame.nWidth) * 4);
    pSurface->Unlock(nullptr);
    return SaveSurfaceToPng(*pSurface, strPath);
}

bool GetDesktopInfo(SDesktopInfo& info)
{
    if (!StartDisplay())
        return false;
    bool bOk = false;
    s_display.RunSync(
        [&]
        {
            SDL_DisplayMode mode;
            bOk = SDL_GetDesktopDisplayMode(0, &mode) == 0;
            if (!bOk)
                return;
            info.nWidth = mode.w;
            info.nHeight = mode.h;
            info.nBits = SDL_BITSPERPIXEL(mode.format) > 16 ? 32 : 16;
            info.aModes.clear();
            const int nModes = SDL_GetNumDisplayModes(0);
            for (int i = 0; i < nModes; ++i)
            {
                SDL_DisplayMode m;
                if (SDL_GetDisplayMode(0, i, &m) != 0)
                    continue;
                const SIZE size{m.w, m.h};
                if (std::find(info.aModes.begin(), info.aModes.end(), size) == info.aModes.end())
                    info.aModes.push_back(size);
            }
            if (info.aModes.empty())
                info.aModes.push_back(SIZE{mode.w, mode.h});
        });
    return bOk;
}
