#include "platform/mfc/Wnd.h"

#include "platform/mfc/AfxResource.h"
#include "platform/mfc/WinApp.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/MenuBar.h"
#include "platform/win32/Modules.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace
{
/// Windows bound to objects; any thread may ask, the owner thread binds and unbinds.
std::mutex s_mapMutex;
std::unordered_map<HWND, CWnd*> s_windows; // guarded by s_mapMutex

/// The object whose window CreateEx is making on this thread, bound at the first message.
thread_local CWnd* t_pWndInit = nullptr;

/// The message being handled on this thread, for CWnd::Default.
struct SCurrentMessage
{
    UINT uMsg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
thread_local SCurrentMessage t_current;

constexpr const char* FRAME_CLASS = "AfxFrameOrView";
} // namespace

CWnd* vorn_detail::WindowFromHandle(HWND hWnd) { return CWnd::FromHandle(hWnd); }

CWnd::~CWnd()
{
    if (m_hWnd != nullptr)
        Detach();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    std::lock_guard lock(s_mapMutex);
    const auto it = s_windows.find(hWnd);
    return it == s_windows.end() ? nullptr : it->second;
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    std::lock_guard lock(s_mapMutex);
    s_windows[hWnd] = this;
}

void CWnd::Detach()
{
    std::lock_guard lock(s_mapMutex);
    s_windows.erase(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR szClassName, LPCSTR szWindowName, DWORD dwStyle, int x, int y, int nWidth,
                    int nHeight, HWND hWndParent, void* hMenu, void* lpParam)
{
    CREATESTRUCT cs{lpParam,      nullptr,     hMenu,    hWndParent, nHeight, nWidth, y, x, static_cast<LONG>(dwStyle),
                    szWindowName, szClassName, dwExStyle};
    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }
    WNDCLASS wc;
    if (!GetClassInfo(nullptr, cs.lpszClass, &wc))
        return FALSE;
    m_pfnSuper = wc.lpfnWndProc == &AfxWndProc ? nullptr : wc.lpfnWndProc;
    t_pWndInit = this;
    SetNextWindowProc(&AfxWndProc);
    const HWND hWnd = CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                     cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    t_pWndInit = nullptr;
    return hWnd != nullptr ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd != nullptr ? ::DestroyWindow(m_hWnd) : FALSE; }

LRESULT CWnd::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && OnCommand(wParam, lParam))
        return 0;
    if (const SMessageEntry* pEntry = FindMessageEntry(uMsg); pEntry != nullptr)
        return pEntry->pfnCall(this, wParam, lParam);
    return DefWindowProc(uMsg, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM)
{
    CCmdUI state;
    state.m_nID = LOWORD(static_cast<DWORD>(wParam));
    if (OnUpdateCmdMsg(&state) && !state.m_bEnabled)
        return TRUE; // a disabled command is swallowed, not run
    return OnCmdMsg(state.m_nID);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::Default() { return DefWindowProc(t_current.uMsg, t_current.wParam, t_current.lParam); }

LRESULT CWnd::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return m_pfnSuper != nullptr ? CallWindowProc(m_pfnSuper, m_hWnd, uMsg, wParam, lParam)
                                 : ::DefWindowProc(m_hWnd, uMsg, wParam, lParam);
}

void CWnd::CenterWindow()
{
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    const RECT rcDesktop = GetDesktopWindowRect();
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    ::SetWindowPos(m_hWnd, nullptr, (rcDesktop.right - rcDesktop.left - w) / 2,
                   (rcDesktop.bottom - rcDesktop.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT)
{
    const DWORD dwOld = GetStyle();
    ::SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>((dwOld & ~dwRemove) | dwAdd));
    return dwOld != ((dwOld & ~dwRemove) | dwAdd);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT)
{
    const DWORD dwOld = GetExStyle();
    ::SetWindowLong(m_hWnd, GWL_EXSTYLE, static_cast<LONG>((dwOld & ~dwRemove) | dwAdd));
    return dwOld != ((dwOld & ~dwRemove) | dwAdd);
}

void CWnd::OnNcDestroy()
{
    // The end of a thread's main window ends the thread's message loop.
    CWinThread* pThread = AfxGetThread();
    if (pThread != nullptr && pThread->m_pMainWnd == this)
    {
        PostQuitMessage(0);
        pThread->m_pMainWnd = nullptr;
    }
    Detach();
    PostNcDestroy(); // may delete this
}

const SMessageMap* CWnd::GetThisMessageMap()
{
    static const SMessageMap s_map{CCmdTarget::GetThisMessageMap(), {}};
    return &s_map;
}

LRESULT AfxWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandle(hWnd);
    if (pWnd == nullptr && t_pWndInit != nullptr)
    {
        pWnd = std::exchange(t_pWndInit, nullptr);
        pWnd->Attach(hWnd);
    }
    if (pWnd == nullptr)
        return ::DefWindowProc(hWnd, uMsg, wParam, lParam);
    const SCurrentMessage saved = std::exchange(t_current, SCurrentMessage{uMsg, wParam, lParam});
    const LRESULT lResult = pWnd->WindowProc(uMsg, wParam, lParam);
    t_current = saved;
    if (uMsg == WM_NCDESTROY)
        pWnd->OnNcDestroy();
    return lResult;
}

// ---------------------------------------------------------------------------------------------------------------------

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (cs.lpszClass == nullptr)
    {
        WNDCLASS wc;
        wc.lpfnWndProc = &AfxWndProc;
        wc.lpszClassName = FRAME_CLASS;
        RegisterClass(&wc); // fails harmlessly once registered
        cs.lpszClass = FRAME_CLASS;
    }
    cs.style &= ~static_cast<LONG>(FWS_ADDTOTITLE);
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, void*)
{
    char szTitle[256] = {};
    if (LoadString(AfxGetResourceHandle(), nIDResource, szTitle, sizeof(szTitle)) > 0)
        m_strTitle = CString(szTitle).SpanExcluding("\n");
    else if (AfxGetApp() != nullptr && AfxGetApp()->m_pszAppName != nullptr)
        m_strTitle = AfxGetApp()->m_pszAppName;
    m_hAccelTable = LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCE(static_cast<WORD>(nIDResource)));
    if (m_hMenuDefault == nullptr)
        m_hMenuDefault = LoadMenu(AfxGetResourceHandle(), MAKEINTRESOURCE(static_cast<WORD>(nIDResource)));
    // The menu is the window's menu bar unless PreCreateWindow takes it away.
    return CreateEx(0, nullptr, m_strTitle, dwDefaultStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, m_hMenuDefault);
}

CFrameWnd::~CFrameWnd()
{
    if (m_hMenuDefault != nullptr)
        DestroyMenu(m_hMenuDefault);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    return m_hAccelTable != nullptr && TranslateAccelerator(m_hWnd, m_hAccelTable, pMsg);
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM)
{
    // As the window's, once: an update handler may sound a refusal. The log tells a script which
    // command a key or a menu item ran, and which one was refused.
    CCmdUI state;
    state.m_nID = LOWORD(static_cast<DWORD>(wParam));
    char szLine[48];
    if (OnUpdateCmdMsg(&state) && !state.m_bEnabled)
    {
        std::snprintf(szLine, sizeof szLine, "Command %u: disabled\n", state.m_nID);
        OutputDebugString(szLine);
        return TRUE;
    }
    // Told before it runs: a command may run a dialog until the script closes it.
    if (HasCommandHandler(state.m_nID))
    {
        std::snprintf(szLine, sizeof szLine, "Command %u\n", state.m_nID);
        OutputDebugString(szLine);
    }
    return OnCmdMsg(state.m_nID);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID)
{
    if (CWnd::OnCmdMsg(nID))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID);
}

BOOL CFrameWnd::OnUpdateCmdMsg(CCmdUI* pCmdUI)
{
    if (CWnd::OnUpdateCmdMsg(pCmdUI))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnUpdateCmdMsg(pCmdUI);
}

void CFrameWnd::OnClose() { DestroyWindow(); }

bool CFrameWnd::HasCommandHandler(UINT nID) const
{
    if (FindCommandEntry(SMessageEntry::Command, nID) != nullptr)
        return true;
    const CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->FindCommandEntry(SMessageEntry::Command, nID) != nullptr;
}

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM)
{
    // Each command of the menu dropping down is greyed when nothing handles it or its update
    // handler disables it, and checked as that handler says.
    const auto hMenu = reinterpret_cast<HMENU>(wParam);
    for (int i = 0; i < std::max(0, GetMenuItemCount(hMenu)); ++i)
    {
        const UINT nID = GetMenuItemID(hMenu, i);
        if (nID == 0 || nID == static_cast<UINT>(-1))
            continue; // a separator or a submenu
        CCmdUI state;
        state.m_nID = nID;
        state.m_bMenuItem = TRUE;
        const bool bAnswered = OnUpdateCmdMsg(&state) != FALSE;
        const bool bEnabled = HasCommandHandler(nID) && (!bAnswered || state.m_bEnabled);
        EnableMenuItem(hMenu, static_cast<UINT>(i), MF_BYPOSITION | (bEnabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(hMenu, static_cast<UINT>(i), MF_BYPOSITION | (state.m_nCheck != 0 ? MF_CHECKED : MF_UNCHECKED));
    }
    return 0;
}

const SMessageMap* CFrameWnd::GetThisMessageMap()
{
    static const SMessageEntry s_aEntries[] = {MapMessage<&CFrameWnd::OnClose>(WM_CLOSE),
                                               MapMessage<&CFrameWnd::OnInitMenuPopup>(WM_INITMENUPOPUP)};
    static const SMessageMap s_map{CWnd::GetThisMessageMap(), s_aEntries};
    return &s_map;
}
