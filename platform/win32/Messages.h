// Window messages and the message queue of each thread.
//
// Every thread that touches messages has one queue: messages posted to its windows or to the thread
// itself wait there in order, messages sent from other threads are run when the thread looks at its
// queue (PeekMessage, GetMessage, or while it waits for a send of its own, so two threads that send
// to each other never deadlock), a timer yields one WM_TIMER however late it is served, and a quit
// request is handed out once the posted messages are gone. Messages for a window that has died are
// dropped. Any thread may post or send; only the owner reads its queue.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstdint>

using UINT_PTR = std::uintptr_t;

struct MSG
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0; // timeGetTime when it was queued
    POINT pt;
};

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
/// wParam: the window under the cursor; lParam: the hit-test code (low word) and the mouse message.
inline constexpr UINT WM_SETCURSOR = 0x0020;
/// Hit-test codes (WM_NCHITTEST's answer): no part of the window, its client area, its menu bar.
inline constexpr int HTNOWHERE = 0;
inline constexpr int HTCLIENT = 1;
inline constexpr int HTMENU = 5;
inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
/// lParam: the MINMAXINFO the window fills with the sizes it may take.
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
/// Sent to a dialog when F1 is pressed in it (no help record is passed: lParam is 0).
inline constexpr UINT WM_HELP = 0x0053;
inline constexpr UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
/// lParam: a point in screen coordinates; the answer is the hit-test code of the part under it.
inline constexpr UINT WM_NCHITTEST = 0x0084;
/// The mouse over a window's menu bar: wParam the hit-test code, lParam the point in screen coordinates.
inline constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
inline constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr UINT WM_NCLBUTTONUP = 0x00A2;
inline constexpr UINT WM_KEYFIRST = 0x0100;

/// The sizes a window may take: its largest size and place, and the least and most a drag sizes it to.
struct MINMAXINFO
{
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_KEYLAST = 0x0109;
/// A key message's lParam bit: Alt was down when the key went (the context code).
inline constexpr LPARAM KEY_ALT_CONTEXT = LPARAM{1} << 29;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
/// Sent as the menu opens: wParam the menu bar's menu.
inline constexpr UINT WM_INITMENU = 0x0116;
/// Sent before a menu drops down: wParam the menu, lParam its position on the bar (low word).
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_MOUSEFIRST = 0x0200;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_MOUSELAST = 0x020A;
inline constexpr UINT WM_ENTERMENULOOP = 0x0211;
inline constexpr UINT WM_EXITMENULOOP = 0x0212;
inline constexpr UINT MM_MCINOTIFY = 0x03B9;
inline constexpr UINT WM_USER = 0x0400;

// WM_SIZE's wParam.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;
// WM_ACTIVATE's low word.
inline constexpr WORD WA_INACTIVE = 0;
inline constexpr WORD WA_ACTIVE = 1;
// Mouse messages' wParam: the buttons and modifier keys held.
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;
// System commands.
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_SCREENSAVE = 0xF140;
/// Opens the window's menu from the keyboard (lParam 0: its first item lit) or under the mouse
/// (lParam the point in screen coordinates).
inline constexpr WPARAM SC_KEYMENU = 0xF100;
inline constexpr WPARAM SC_MOUSEMENU = 0xF090;

// PeekMessage's removal flags.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT PM_NOYIELD = 0x0002;

/// As a PeekMessage filter: only the messages posted to the thread, not to any window.
inline HWND const HWND_THREAD_ONLY = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

constexpr LPARAM MAKELPARAM(int lo, int hi)
{
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(lo)) |
                               (static_cast<DWORD>(static_cast<WORD>(hi)) << 16));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return static_cast<WPARAM>(static_cast<DWORD>(MAKELPARAM(lo, hi))); }
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<short>(LOWORD(static_cast<DWORD>(l))); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<short>(HIWORD(static_cast<DWORD>(l))); }

/// The calling thread's id: the one CreateThread gave it, else a fresh process-unique number.
DWORD GetCurrentThreadId();

/// Queues a message for the window's thread; FALSE for a window that is not (or no longer) there.
/// With a null window it goes to the caller's own queue as a thread message.
BOOL PostMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
/// Queues a thread message; FALSE when no thread of that id is running.
BOOL PostThreadMessage(DWORD dwThreadId, UINT uMsg, WPARAM wParam, LPARAM lParam);
/// Runs the window's procedure and returns its result: at once on the window's own thread, else on
/// that thread the next time it reads its queue, while this thread waits and serves what is sent to
/// it meanwhile. 0 when the window is gone or its thread ends first.
LRESULT SendMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
/// Asks the calling thread's message loop to end: the first code asked for is the one handed out.
void PostQuitMessage(int nExitCode);

/// Runs the messages sent to this thread, then hands out the first queued message that passes the
/// filters (window: null any, HWND_THREAD_ONLY thread messages only; range: 0, 0 every message),
/// then the quit request, then a window's paint request, then a due timer. FALSE when none.
BOOL PeekMessage(MSG* pMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
/// Waits for a message like PeekMessage with PM_REMOVE; 0 for WM_QUIT, -1 for a null pMsg.
BOOL GetMessage(MSG* pMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
/// Kept for the shape of a message loop: characters come as WM_CHAR from the display already.
BOOL TranslateMessage(const MSG* pMsg);
/// Calls the window procedure of the message's window (a timer's procedure for WM_TIMER with one).
LRESULT DispatchMessage(const MSG* pMsg);
/// Waits until the thread has a message to read or dwMs have passed (INFINITE: no limit), serving
/// sent messages meanwhile. TRUE when a message is there.
BOOL WaitMessageTimeout(DWORD dwMs);

using TIMERPROC = void (*)(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);
/// Starts or restarts a timer of the window (or of the calling thread, with a null window: a fresh
/// id is returned then). Returns the id, 0 on failure.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIdEvent, UINT uElapse, TIMERPROC pTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIdEvent);

/// What the window layer does when a window dies: its queued messages are dropped, its timers go.
void ForgetWindowMessages(HWND hWnd);
/// Ends a thread's queue (a thread that ends does so for itself): a sender waiting on it gets 0, and a
/// later PostThreadMessage to it fails.
void EndThreadMessageQueue(DWORD dwThreadId);
/// Makes the calling thread's queue now, so that others can post to it before it first reads it.
void EnsureThreadMessageQueue();
/// Makes the queue of a thread that CreateThread has made but not yet started, so that messages
/// posted to it before it runs are kept.
void PrepareThreadMessageQueue(DWORD dwThreadId);
