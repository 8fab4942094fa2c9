// Windows of the program: classes, creation and destruction, position, visibility, focus.
//
// A window handle names a slot of one table and carries the slot's generation, so a handle of a
// window that died stays dead even after its slot is reused. A window belongs to the thread that
// created it: its messages go to that thread's queue, and only that thread destroys it.
//
// A top-level window is shown by the display backend (the window layer, when one is installed): the
// table tells the backend what changed; the backend tells the table what the user did through
// messages and the Set...FromDisplay calls. Without a backend windows exist without being seen.
#pragma once

#include "platform/win32/Messages.h"
#include "platform/win32/WinTypes.h"

#include <string>

using WNDPROC = LRESULT (*)(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

struct WNDCLASS
{
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    void* hIcon = nullptr;
    void* hCursor = nullptr;
    void* hbrBackground = nullptr;
    LPCSTR lpszMenuName = nullptr;
    LPCSTR lpszClassName = nullptr;
};

struct CREATESTRUCT
{
    void* lpCreateParams = nullptr;
    HINSTANCE hInstance = nullptr;
    void* hMenu = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    LPCSTR lpszName = nullptr;
    LPCSTR lpszClass = nullptr;
    DWORD dwExStyle = 0;
};

inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWLP_USERDATA = -21;
inline constexpr int GWLP_WNDPROC = -4;

inline constexpr UINT SW_SHOW = 5;
inline constexpr UINT SW_MINIMIZE = 6;
inline constexpr UINT SW_RESTORE = 9;

inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

/// SetWindowPos's place in the z-order: windows have no z-order here, so it is taken and ignored.
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

/// FALSE when a class of that name (case ignored) already exists or the record lacks name or procedure.
BOOL RegisterClass(const WNDCLASS* pClass);
BOOL GetClassInfo(HINSTANCE hInstance, LPCSTR szClassName, WNDCLASS* pClass);

/// Creates a window of a registered class owned by the calling thread; WM_NCCREATE and WM_CREATE are
/// sent before it returns (-1 from WM_CREATE, or FALSE from WM_NCCREATE, destroys it again: null).
HWND CreateWindowEx(DWORD dwExStyle, LPCSTR szClassName, LPCSTR szWindowName, DWORD dwStyle, int x, int y, int nWidth,
                    int nHeight, HWND hWndParent, void* hMenu, HINSTANCE hInstance, void* lpParam);
/// On the owner thread only: sends WM_DESTROY then WM_NCDESTROY, and the handle is dead from then on.
BOOL DestroyWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
BOOL IsIconic(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
/// Enables or disables a window (a disabled one takes no input); nonzero when it was disabled before.
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);
BOOL UpdateWindow(HWND hWnd);
BOOL InvalidateRect(HWND hWnd, const RECT* pRect, BOOL bErase);

struct HRGN__;
using HRGN = HRGN__*;
inline constexpr UINT RDW_INVALIDATE = 0x0001;
inline constexpr UINT RDW_ERASE = 0x0004;
inline constexpr UINT RDW_UPDATENOW = 0x0100;
/// RDW_INVALIDATE marks the whole window for painting (rectangles and regions are not kept);
/// RDW_UPDATENOW then sends a window that is marked its WM_PAINT before returning, instead of
/// leaving it to the message loop.
BOOL RedrawWindow(HWND hWnd, const RECT* pRect, HRGN hRegion, UINT uFlags);

/// Screen rectangle of the whole window; the client area is the same rectangle (windows have no frame
/// here; a menu bar lies above it, outside the rectangle, see MenuBar.h).
BOOL GetWindowRect(HWND hWnd, RECT* pRect);
BOOL GetClientRect(HWND hWnd, RECT* pRect);
BOOL ClientToScreen(HWND hWnd, POINT* pPoint);
BOOL ScreenToClient(HWND hWnd, POINT* pPoint);
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT uFlags);
BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint);
LONG GetWindowLong(HWND hWnd, int nIndex);
LONG SetWindowLong(HWND hWnd, int nIndex, LONG dwNewLong);
std::intptr_t GetWindowLongPtr(HWND hWnd, int nIndex);
std::intptr_t SetWindowLongPtr(HWND hWnd, int nIndex, std::intptr_t nNewLong);
int GetWindowText(HWND hWnd, LPSTR szText, int nMaxCount);
BOOL SetWindowText(HWND hWnd, LPCSTR szText);
HWND GetParent(HWND hWnd);
/// The owner thread's id, 0 for a window that is not there.
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* pdwProcessId);

/// A top-level window by class and title (either may be null: any); case is ignored. With both
/// given, an application window of another process is found too (see WindowRendezvous.h): its
/// handle takes only SetForegroundWindow, PostMessage of WM_CLOSE and IsWindow.
HWND FindWindow(LPCSTR szClassName, LPCSTR szWindowName);
BOOL SetForegroundWindow(HWND hWnd);
HWND GetForegroundWindow();
HWND GetActiveWindow();
/// Gives the keyboard focus to a window: WM_KILLFOCUS goes to the old one, WM_SETFOCUS to the new one.
HWND SetFocus(HWND hWnd);
HWND GetFocus();

/// The default handling: WM_CLOSE destroys the window, SC_CLOSE sends WM_CLOSE, the menu bar's hit
/// test, press and system commands open its menu (MenuBar.h), the rest answers 0.
LRESULT DefWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC pProc, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
/// Screen size from the desktop rectangle.
int GetSystemMetrics(int nIndex);

/// What a display backend learns of a top-level window.
struct SWindowView
{
    HWND hWnd = nullptr;
    std::string strTitle;
    RECT rcWindow;
    bool bVisible = false;
    bool bIconic = false;
    bool bFramed = false; // with a caption or a sizing frame
};

/// The display's side of the top-level windows. Calls come from the thread that made the change,
/// never while the table is locked.
class IWindowBackend
{
public:
    virtual ~IWindowBackend() = default;
    virtual void OnWindowCreated(const SWindowView& view) = 0;
    virtual void OnWindowChanged(const SWindowView& view) = 0;
    virtual void OnWindowDestroyed(HWND hWnd) = 0;
    virtual void OnForegroundRequested(HWND hWnd) = 0;
};
/// Installs the backend (null removes it); windows that exist already are not announced.
void SetWindowBackend(IWindowBackend* pBackend);

/// The display reports what the user did to a top-level window; each posts the messages a change
/// brings (WM_SIZE with SIZE_MINIMIZED and so on) to the window's thread, and only on a change.
void SetIconicFromDisplay(HWND hWnd, bool bIconic);
void SetActiveFromDisplay(HWND hWnd, bool bActive);
void SetWindowRectFromDisplay(HWND hWnd, const RECT& rc);

/// The window procedure of a window (null for a dead one).
WNDPROC GetWindowProc(HWND hWnd);
/// The next window this thread creates gets this procedure in place of its class's from its first
/// message on (the framework binds its objects to windows so).
void SetNextWindowProc(WNDPROC pProc);
/// The first live top-level window, for input that names no window.
HWND GetFirstTopLevelWindow();
