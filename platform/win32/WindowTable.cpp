#include "platform/win32/WindowTable.h"

#include "platform/win32/Desktop.h"
#include "platform/win32/MenuBar.h"
#include "platform/win32/Paths.h"
#include "platform/win32/WindowRendezvous.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
struct SWindowSlot
{
    DWORD dwGeneration = 1;
    bool bAlive = false;
    bool bDestroying = false;
    std::string strClass;
    std::string strTitle;
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    RECT rc;
    HWND hParent = nullptr;
    DWORD dwOwner = 0;
    WNDPROC pProc = nullptr;
    std::intptr_t nUserData = 0;
    bool bIconic = false;
};

struct SClass
{
    std::string strName;
    WNDCLASS wc;
};

/// The table and the focus state; every field guarded by s_mutex. Calls out (window procedures, the
/// backend, message queues) happen only with the mutex let go.
std::mutex s_mutex;
std::vector<SWindowSlot> s_aSlots;
std::vector<SClass> s_aClasses;
HWND s_hActive = nullptr;
HWND s_hFocus = nullptr;
IWindowBackend* s_pBackend = nullptr;
/// The procedure SetNextWindowProc asked for, taken by this thread's next CreateWindowEx.
thread_local WNDPROC t_pNextProc = nullptr;

constexpr std::uintptr_t SLOT_BITS = 16;
constexpr std::uintptr_t SLOT_MASK = (std::uintptr_t{1} << SLOT_BITS) - 1;

HWND MakeHandle(size_t nIndex, DWORD dwGeneration)
{
    return reinterpret_cast<HWND>((static_cast<std::uintptr_t>(dwGeneration) << SLOT_BITS) | (nIndex + 1));
}

/// The live slot a handle names, null for any other handle. Call with s_mutex held.
SWindowSlot* Lookup(HWND hWnd)
{
    const auto v = reinterpret_cast<std::uintptr_t>(hWnd);
    const std::uintptr_t nIndex = (v & SLOT_MASK) - 1;
    if ((v & SLOT_MASK) == 0 || nIndex >= s_aSlots.size())
        return nullptr;
    SWindowSlot& slot = s_aSlots[nIndex];
    return slot.bAlive && slot.dwGeneration == (v >> SLOT_BITS) ? &slot : nullptr;
}

bool IsTopLevel(const SWindowSlot& slot) { return (slot.dwStyle & WS_CHILD) == 0; }

SWindowView ViewOf(HWND hWnd, const SWindowSlot& slot)
{
    return SWindowView{hWnd,         slot.strTitle,
                       slot.rc,      (slot.dwStyle & WS_VISIBLE) != 0,
                       slot.bIconic, (slot.dwStyle & (WS_CAPTION | WS_THICKFRAME)) != 0};
}

const SClass* FindClass(LPCSTR szName)
{
    if (szName == nullptr)
        return nullptr;
    const auto it = std::find_if(s_aClasses.begin(), s_aClasses.end(),
                                 [&](const SClass& c) { return EqualNoCase(c.strName, szName); });
    return it == s_aClasses.end() ? nullptr : &*it;
}

/// Tells the backend of a change to a top-level window.
void AnnounceChange(HWND hWnd)
{
    IWindowBackend* pBackend = nullptr;
    SWindowView view;
    {
        std::lock_guard lock(s_mutex);
        const SWindowSlot* pSlot = Lookup(hWnd);
        if (pSlot == nullptr || !IsTopLevel(*pSlot) || s_pBackend == nullptr)
            return;
        pBackend = s_pBackend;
        view = ViewOf(hWnd, *pSlot);
    }
    pBackend->OnWindowChanged(view);
}

/// Makes a window the active one with the focus, posting what the change means to the windows' threads.
void Activate(HWND hWnd)
{
    HWND hOld = nullptr;
    {
        std::lock_guard lock(s_mutex);
        if (Lookup(hWnd) == nullptr || s_hActive == hWnd)
            return;
        hOld = s_hActive;
        s_hActive = hWnd;
        s_hFocus = hWnd;
    }
    if (hOld != nullptr)
    {
        PostMessage(hOld, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hWnd));
        PostMessage(hOld, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    }
    else
        PostMessage(hWnd, WM_ACTIVATEAPP, TRUE, 0);
    PostMessage(hWnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(hOld));
    PostMessage(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(hOld), 0);
}

void Deactivate(HWND hWnd)
{
    {
        std::lock_guard lock(s_mutex);
        if (s_hActive != hWnd)
            return;
        s_hActive = nullptr;
        s_hFocus = nullptr;
    }
    PostMessage(hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
    PostMessage(hWnd, WM_ACTIVATEAPP, FALSE, 0);
    PostMessage(hWnd, WM_KILLFOCUS, 0, 0);
}

/// A top-level window that becomes visible while no window of the program is active takes the focus.
void ActivateIfShown(HWND hWnd)
{
    bool bTake = false;
    {
        std::lock_guard lock(s_mutex);
        const SWindowSlot* pSlot = Lookup(hWnd);
        bTake = pSlot != nullptr && IsTopLevel(*pSlot) && (pSlot->dwStyle & WS_VISIBLE) != 0 && !pSlot->bIconic &&
                s_hActive == nullptr;
    }
    if (bTake)
        Activate(hWnd);
}

LPARAM SizeParam(const RECT& rc) { return MAKELPARAM(rc.right - rc.left, rc.bottom - rc.top); }

template <class F> auto WithSlot(HWND hWnd, F&& f, decltype(f(std::declval<SWindowSlot&>())) fallback)
{
    std::lock_guard lock(s_mutex);
    SWindowSlot* pSlot = Lookup(hWnd);
    return pSlot == nullptr ? fallback : f(*pSlot);
}

HWND AllocateSlot(SWindowSlot&& slot)
{
    std::lock_guard lock(s_mutex);
    auto it = std::find_if(s_aSlots.begin(), s_aSlots.end(), [](const SWindowSlot& s) { return !s.bAlive; });
    if (it == s_aSlots.end())
    {
        if (s_aSlots.size() >= SLOT_MASK)
            return nullptr;
        it = s_aSlots.emplace(s_aSlots.end());
    }
    slot.dwGeneration = it->dwGeneration;
    slot.bAlive = true;
    *it = std::move(slot);
    return MakeHandle(static_cast<size_t>(it - s_aSlots.begin()), it->dwGeneration);
}
} // namespace

BOOL RegisterClass(const WNDCLASS* pClass)
{
    if (pClass == nullptr || pClass->lpszClassName == nullptr || pClass->lpfnWndProc == nullptr)
        return FALSE;
    std::lock_guard lock(s_mutex);
    if (FindClass(pClass->lpszClassName) != nullptr)
        return FALSE;
    s_aClasses.push_back(SClass{pClass->lpszClassName, *pClass});
    s_aClasses.back().wc.lpszClassName = nullptr; // the record's own name text is not kept
    return TRUE;
}

BOOL GetClassInfo(HINSTANCE, LPCSTR szClassName, WNDCLASS* pClass)
{
    std::lock_guard lock(s_mutex);
    const SClass* pFound = FindClass(szClassName);
    if (pFound == nullptr)
        return FALSE;
    if (pClass != nullptr)
    {
        *pClass = pFound->wc;
        pClass->lpszClassName = szClassName;
    }
    return TRUE;
}

HWND CreateWindowEx(DWORD dwExStyle, LPCSTR szClassName, LPCSTR szWindowName, DWORD dwStyle, int x, int y, int nWidth,
                    int nHeight, HWND hWndParent, void* hMenu, HINSTANCE hInstance, void* lpParam)
{
    SWindowSlot slot;
    {
        std::lock_guard lock(s_mutex);
        const SClass* pClass = FindClass(szClassName);
        if (pClass == nullptr)
            return nullptr;
        slot.strClass = pClass->strName;
        slot.pProc = pClass->wc.lpfnWndProc;
    }
    if (t_pNextProc != nullptr)
        slot.pProc = std::exchange(t_pNextProc, nullptr);
    if (x == CW_USEDEFAULT)
        x = y = 0;
    if (nWidth == CW_USEDEFAULT)
        nWidth = 640, nHeight = 480;
    slot.strTitle = szWindowName != nullptr ? szWindowName : "";
    slot.dwStyle = dwStyle & ~WS_VISIBLE; // shown after WM_CREATE
    slot.dwExStyle = dwExStyle;
    slot.rc = RECT{x, y, x + std::max(0, nWidth), y + std::max(0, nHeight)};
    slot.hParent = hWndParent;
    slot.dwOwner = GetCurrentThreadId();
    EnsureThreadMessageQueue();
    const HWND hWnd = AllocateSlot(std::move(slot));
    if (hWnd == nullptr)
        return nullptr;

    IWindowBackend* pBackend = nullptr;
    SWindowView view;
    {
        std::lock_guard lock(s_mutex);
        if (IsTopLevel(*Lookup(hWnd)))
            pBackend = s_pBackend;
        view = ViewOf(hWnd, *Lookup(hWnd));
    }
    if (pBackend != nullptr)
        pBackend->OnWindowCreated(view);

    CREATESTRUCT cs{lpParam,      hInstance,   hMenu,    hWndParent, nHeight, nWidth, y, x, static_cast<LONG>(dwStyle),
                    szWindowName, szClassName, dwExStyle};
    if (SendMessage(hWnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == FALSE ||
        SendMessage(hWnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1)
    {
        DestroyWindow(hWnd);
        return nullptr;
    }
    // An application window can be found from other processes by its class and title.
    if ((dwExStyle & WS_EX_APPWINDOW) != 0 && (dwStyle & WS_CHILD) == 0 && IsWindow(hWnd))
    {
        std::string strClass;
        {
            std::lock_guard lock(s_mutex);
            strClass = Lookup(hWnd)->strClass;
        }
        ListenForWindow(hWnd, strClass, szWindowName != nullptr ? szWindowName : "");
    }
    // A top-level window's hMenu is its menu bar (a child's is its control id).
    if (hMenu != nullptr && (dwStyle & WS_CHILD) == 0 && IsWindow(hWnd))
        SetMenu(hWnd, static_cast<HMENU>(hMenu));
    if ((dwStyle & WS_VISIBLE) != 0 && IsWindow(hWnd))
        ShowWindow(hWnd, SW_SHOW);
    return IsWindow(hWnd) ? hWnd : nullptr;
}

BOOL DestroyWindow(HWND hWnd)
{
    {
        std::lock_guard lock(s_mutex);
        SWindowSlot* pSlot = Lookup(hWnd);
        if (pSlot == nullptr || pSlot->dwOwner != GetCurrentThreadId() || pSlot->bDestroying)
            return FALSE;
        pSlot->bDestroying = true;
    }
    StopListeningForWindow(hWnd);
    SendMessage(hWnd, WM_DESTROY, 0, 0);
    std::vector<HWND> aChildren;
    {
        std::lock_guard lock(s_mutex);
        for (size_t i = 0; i < s_aSlots.size(); ++i)
            if (s_aSlots[i].bAlive && s_aSlots[i].hParent == hWnd)
                aChildren.push_back(MakeHandle(i, s_aSlots[i].dwGeneration));
    }
    for (HWND hChild : aChildren)
        DestroyWindow(hChild);
    SendMessage(hWnd, WM_NCDESTROY, 0, 0);
    ForgetMenuBar(hWnd);
    ForgetWindowMessages(hWnd);
    IWindowBackend* pBackend = nullptr;
    {
        std::lock_guard lock(s_mutex);
        SWindowSlot* pSlot = Lookup(hWnd);
        if (IsTopLevel(*pSlot))
            pBackend = s_pBackend;
        const DWORD dwNextGeneration = pSlot->dwGeneration + 1;
        *pSlot = SWindowSlot();
        pSlot->dwGeneration = dwNextGeneration;
        if (s_hActive == hWnd)
            s_hActive = nullptr;
        if (s_hFocus == hWnd)
            s_hFocus = nullptr;
    }
    if (pBackend != nullptr)
        pBackend->OnWindowDestroyed(hWnd);
    return TRUE;
}

BOOL IsWindow(HWND hWnd)
{
    return WithSlot(
        hWnd, [](SWindowSlot&) { return TRUE; }, FALSE);
}

BOOL IsIconic(HWND hWnd)
{
    return WithSlot(
        hWnd, [](SWindowSlot& s) { return s.bIconic ? TRUE : FALSE; }, FALSE);
}

BOOL IsWindowVisible(HWND hWnd)
{
    return WithSlot(
        hWnd, [](SWindowSlot& s) { return (s.dwStyle & WS_VISIBLE) != 0 ? TRUE : FALSE; }, FALSE);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow)
{
    bool bIconicBefore = false;
    const BOOL bWasVisible = WithSlot(
        hWnd,
        [&](SWindowSlot& s)
        {
            const BOOL bVisible = (s.dwStyle & WS_VISIBLE) != 0 ? TRUE : FALSE;
            bIconicBefore = s.bIconic;
            if (nCmdShow == SW_HIDE)
                s.dwStyle &= ~WS_VISIBLE;
            else
                s.dwStyle |= WS_VISIBLE;
            if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED)
                s.bIconic = true;
            else if (nCmdShow == SW_RESTORE || nCmdShow == SW_SHOWNORMAL)
                s.bIconic = false;
            return bVisible;
        },
        -1);
    if (bWasVisible == -1)
        return FALSE;
    if (IsIconic(hWnd) != (bIconicBefore ? TRUE : FALSE))
    {
        RECT rc;
        GetClientRect(hWnd, &rc);
        SendMessage(hWnd, WM_SIZE, bIconicBefore ? SIZE_RESTORED : SIZE_MINIMIZED, bIconicBefore ? SizeParam(rc) : 0);
    }
    AnnounceChange(hWnd);
    ActivateIfShown(hWnd);
    return bWasVisible;
}

BOOL UpdateWindow(HWND hWnd) { return IsWindow(hWnd); }

BOOL GetWindowRect(HWND hWnd, RECT* pRect)
{
    if (pRect == nullptr)
        return FALSE;
    return WithSlot(
        hWnd,
        [&](SWindowSlot& s)
        {
            *pRect = s.rc;
            return TRUE;
        },
        FALSE);
}

BOOL GetClientRect(HWND hWnd, RECT* pRect)
{
    RECT rc;
    if (pRect == nullptr || !GetWindowRect(hWnd, &rc))
        return FALSE;
    *pRect = RECT{0, 0, rc.right - rc.left, rc.bottom - rc.top};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, POINT* pPoint)
{
    RECT rc;
    if (pPoint == nullptr || !GetWindowRect(hWnd, &rc))
        return FALSE;
    pPoint->x += rc.left;
    pPoint->y += rc.top;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, POINT* pPoint)
{
    RECT rc;
    if (pPoint == nullptr || !GetWindowRect(hWnd, &rc))
        return FALSE;
    pPoint->x -= rc.left;
    pPoint->y -= rc.top;
    return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND, int x, int y, int cx, int cy, UINT uFlags)
{
    RECT rcOld, rcNew;
    const BOOL bOk = WithSlot(
        hWnd,
        [&](SWindowSlot& s)
        {
            rcOld = s.rc;
            if ((uFlags & SWP_NOMOVE) == 0)
                s.rc = RECT{x, y, x + (s.rc.right - s.rc.left), y + (s.rc.bottom - s.rc.top)};
            if ((uFlags & SWP_NOSIZE) == 0)
                s.rc = RECT{s.rc.left, s.rc.top, s.rc.left + std::max(0, cx), s.rc.top + std::max(0, cy)};
            if ((uFlags & SWP_SHOWWINDOW) != 0)
                s.dwStyle |= WS_VISIBLE;
            if ((uFlags & SWP_HIDEWINDOW) != 0)
                s.dwStyle &= ~WS_VISIBLE;
            rcNew = s.rc;
            return TRUE;
        },
        FALSE);
    if (!bOk)
        return FALSE;
    if (rcNew.left != rcOld.left || rcNew.top != rcOld.top)
        SendMessage(hWnd, WM_MOVE, 0, MAKELPARAM(rcNew.left, rcNew.top));
    if (rcNew.right - rcNew.left != rcOld.right - rcOld.left || rcNew.bottom - rcNew.top != rcOld.bottom - rcOld.top)
        SendMessage(hWnd, WM_SIZE, SIZE_RESTORED, SizeParam(rcNew));
    AnnounceChange(hWnd);
    if ((uFlags & SWP_NOACTIVATE) == 0)
        ActivateIfShown(hWnd);
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight, BOOL)
{
    return SetWindowPos(hWnd, nullptr, x, y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

LONG GetWindowLong(HWND hWnd, int nIndex)
{
    return WithSlot(
        hWnd,
        [&](SWindowSlot& s)
        {
            return nIndex == GWL_STYLE     ? static_cast<LONG>(s.dwStyle)
                   : nIndex == GWL_EXSTYLE ? static_cast<LONG>(s.dwExStyle)
                                           : 0;
        },
        0);
}

LONG SetWindowLong(HWND hWnd, int nIndex, LONG dwNewLong)
{
    const LONG nOld = WithSlot(
        hWnd,
        [&](SWindowSlot& s)
        {
            DWORD& dwField = nIndex == GWL_STYLE ? s.dwStyle : s.dwExStyle;
            if (nIndex != GWL_STYLE && nIndex != GWL_EXSTYLE)
                return LONG{0};
            const LONG nPrevious = static_cast<LONG>(dwField);
            dwField = static_cast<DWORD>(dwNewLong);
            return nPrevious;
        },
        0);
    AnnounceChange(hWnd);
    return nOld;
}

std::intptr_t GetWindowLongPtr(HWND hWnd, int nIndex)
{
    if (nIndex == GWLP_WNDPROC)
        return reinterpret_cast<std::intptr_t>(GetWindowProc(hWnd));
    if (nIndex != GWLP_USERDATA)
        return GetWindowLong(hWnd, nIndex);
    return WithSlot(
        hWnd, [](SWindowSlot& s) { return s.nUserData; }, std::intptr_t{0});
}

std::intptr_t SetWindowLongPtr(HWND hWnd, int nIndex, std::intptr_t nNewLong)
{
    if (nIndex == GWLP_WNDPROC)
        return WithSlot(
            hWnd,
            [&](SWindowSlot& s)
            { return reinterpret_cast<std::intptr_t>(std::exchange(s.pProc, reinterpret_cast<WNDPROC>(nNewLong))); },
            std::intptr_t{0});
    if (nIndex != GWLP_USERDATA)
        return SetWindowLong(hWnd, nIndex, static_cast<LONG>(nNewLong));
    return WithSlot(
        hWnd, [&](SWindowSlot& s) { return std::exchange(s.nUserData, nNewLong); }, std::intptr_t{0});
}

int GetWindowText(HWND hWnd, LPSTR szText, int nMaxCount)
{
    if (szText == nullptr || nMaxCount <= 0)
        return 0;
    const std::string strTitle = WithSlot(
        hWnd, [](SWindowSlot& s) { return s.strTitle; }, std::string());
    const int nCopied = std::min(nMaxCount - 1, static_cast<int>(strTitle.size()));
    std::memcpy(szText, strTitle.data(), static_cast<size_t>(nCopied));
    szText[nCopied] = '\0';
    return nCopied;
}

BOOL SetWindowText(HWND hWnd, LPCSTR szText)
{
    const BOOL bOk = WithSlot(
        hWnd,
        [&](SWindowSlot& s)
        {
            s.strTitle = szText != nullptr ? szText : "";
            return TRUE;
        },
        FALSE);
    AnnounceChange(hWnd);
    return bOk;
}

HWND GetParent(HWND hWnd)
{
    return WithSlot(
        hWnd, [](SWindowSlot& s) { return s.hParent; }, HWND{nullptr});
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* pdwProcessId)
{
    if (pdwProcessId != nullptr)
        *pdwProcessId = static_cast<DWORD>(::getpid());
    return WithSlot(
        hWnd, [](SWindowSlot& s) { return s.dwOwner; }, DWORD{0});
}

namespace
{
HWND FindLocalWindow(LPCSTR szClassName, LPCSTR szWindowName)
{
    std::lock_guard lock(s_mutex);
    for (size_t i = 0; i < s_aSlots.size(); ++i)
    {
        const SWindowSlot& s = s_aSlots[i];
        if (s.bAlive && !s.bDestroying && IsTopLevel(s) &&
            (szClassName == nullptr || EqualNoCase(s.strClass, szClassName)) &&
            (szWindowName == nullptr || EqualNoCase(s.strTitle, szWindowName)))
            return MakeHandle(i, s.dwGeneration);
    }
    return nullptr;
}
} // namespace

HWND FindWindow(LPCSTR szClassName, LPCSTR szWindowName)
{
    const HWND hWnd = FindLocalWindow(szClassName, szWindowName);
    if (hWnd != nullptr || szClassName == nullptr || szWindowName == nullptr)
        return hWnd;
    return FindRemoteWindow(szClassName, szWindowName);
}

BOOL SetForegroundWindow(HWND hWnd)
{
    if (IsRemoteWindow(hWnd))
        return RaiseRemoteWindow(hWnd);
    if (!IsWindow(hWnd))
        return FALSE;
    IWindowBackend* pBackend = nullptr;
    {
        std::lock_guard lock(s_mutex);
        pBackend = s_pBackend;
    }
    if (pBackend != nullptr)
        pBackend->OnForegroundRequested(hWnd);
    Activate(hWnd);
    return TRUE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND GetActiveWindow()
{
    std::lock_guard lock(s_mutex);
    return s_hActive;
}

HWND SetFocus(HWND hWnd)
{
    HWND hOld = nullptr;
    {
        std::lock_guard lock(s_mutex);
        if (hWnd != nullptr && Lookup(hWnd) == nullptr)
            return nullptr;
        hOld = std::exchange(s_hFocus, hWnd);
    }
    if (hOld == hWnd)
        return hOld;
    if (hOld != nullptr)
        SendMessage(hOld, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    if (hWnd != nullptr)
        SendMessage(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(hOld), 0);
    return hOld;
}

HWND GetFocus()
{
    std::lock_guard lock(s_mutex);
    return s_hFocus;
}

LRESULT DefWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT lResult = 0; HandleMenuMessage(hWnd, uMsg, wParam, lParam, &lResult))
        return lResult;
    if (uMsg == WM_CLOSE)
        DestroyWindow(hWnd);
    else if (uMsg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)
        SendMessage(hWnd, WM_CLOSE, 0, 0);
    else if (uMsg == WM_NCCREATE)
        return TRUE;
    return 0;
}

LRESULT CallWindowProc(WNDPROC pProc, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return pProc != nullptr ? pProc(hWnd, uMsg, wParam, lParam) : 0;
}

int GetSystemMetrics(int nIndex)
{
    const RECT rc = GetDesktopWindowRect();
    return nIndex == SM_CXSCREEN ? rc.right - rc.left : nIndex == SM_CYSCREEN ? rc.bottom - rc.top : 0;
}

void SetWindowBackend(IWindowBackend* pBackend)
{
    std::lock_guard lock(s_mutex);
    s_pBackend = pBackend;
}

void SetIconicFromDisplay(HWND hWnd, bool bIconic)
{
    RECT rc;
    const bool bChanged = WithSlot(
        hWnd,
        [&](SWindowSlot& s)
        {
            rc = s.rc;
            return std::exchange(s.bIconic, bIconic) != bIconic;
        },
        false);
    if (!bChanged)
        return;
    if (bIconic)
        PostMessage(hWnd, WM_SIZE, SIZE_MINIMIZED, 0);
    else
        PostMessage(hWnd, WM_SIZE, SIZE_RESTORED, SizeParam(rc));
}

void SetActiveFromDisplay(HWND hWnd, bool bActive)
{
    if (bActive)
        Activate(hWnd);
    else
        Deactivate(hWnd);
}

void SetWindowRectFromDisplay(HWND hWnd, const RECT& rc)
{
    RECT rcOld;
    if (!WithSlot(
            hWnd,
            [&](SWindowSlot& s)
            {
                rcOld = std::exchange(s.rc, rc);
                return true;
            },
            false))
        return;
    if (rc.left != rcOld.left || rc.top != rcOld.top)
        PostMessage(hWnd, WM_MOVE, 0, MAKELPARAM(rc.left, rc.top));
    if (rc.right - rc.left != rcOld.right - rcOld.left || rc.bottom - rc.top != rcOld.bottom - rcOld.top)
        PostMessage(hWnd, WM_SIZE, SIZE_RESTORED, SizeParam(rc));
}

WNDPROC GetWindowProc(HWND hWnd)
{
    return WithSlot(
        hWnd, [](SWindowSlot& s) { return s.pProc; }, WNDPROC{nullptr});
}

HWND GetFirstTopLevelWindow() { return FindLocalWindow(nullptr, nullptr); }

void SetNextWindowProc(WNDPROC pProc) { t_pNextProc = pProc; }

BOOL EnableWindow(HWND hWnd, BOOL bEnable)
{
    const DWORD dwStyle = static_cast<DWORD>(GetWindowLong(hWnd, GWL_STYLE));
    SetWindowLong(hWnd, GWL_STYLE, static_cast<LONG>(bEnable ? dwStyle & ~WS_DISABLED : dwStyle | WS_DISABLED));
    return (dwStyle & WS_DISABLED) != 0 ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hWnd)
{
    return IsWindow(hWnd) && (static_cast<DWORD>(GetWindowLong(hWnd, GWL_STYLE)) & WS_DISABLED) == 0 ? TRUE : FALSE;
}
