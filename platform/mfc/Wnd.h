// Framework windows: CWnd binds a window of the window table to an object whose message map
// handles its messages; CFrameWnd is a top-level frame loaded from a resource id.
//
// Life cycle: Create/LoadFrame attach the object before WM_NCCREATE; DestroyWindow sends WM_DESTROY
// and WM_NCDESTROY; after WM_NCDESTROY the object is detached, the end of its thread's main window
// asks the thread to quit (code 0), and PostNcDestroy runs (a frame deletes itself there).
#pragma once

#include "platform/mfc/CString.h"
#include "platform/mfc/CmdTarget.h"
#include "platform/win32/Accelerators.h"
#include "platform/win32/Menus.h"

/// Style bit of frames: the document's name is added to the title (no documents here: ignored).
inline constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

class CWnd : public CCmdTarget
{
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    /// The object bound to a window, null for a window that has none.
    static CWnd* FromHandle(HWND hWnd);
    HWND GetSafeHwnd() const { return m_hWnd; }

    BOOL CreateEx(DWORD dwExStyle, LPCSTR szClassName, LPCSTR szWindowName, DWORD dwStyle, int x, int y, int nWidth,
                  int nHeight, HWND hWndParent, void* hMenu, void* lpParam = nullptr);
    virtual BOOL DestroyWindow();

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    /// Everything the window receives passes here: the message map first, then the default handling.
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
    /// WM_COMMAND: asks the command's update handler, then runs it unless disabled. TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    /// Called by the message loop before a message of this window is dispatched; TRUE eats it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    /// After WM_NCDESTROY, with the object detached.
    virtual void PostNcDestroy() {}

    /// The default handling of the message being handled now.
    LRESULT Default();
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    BOOL SetWindowPos(const CWnd* pInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, pInsertAfter != nullptr ? pInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
    }
    /// Centres the window on the desktop.
    void CenterWindow();
    void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    /// Turns a client rectangle into the window rectangle that holds it. The windows here draw no
    /// frame or caption round their client area, so the two are the same.
    void CalcWindowRect(RECT* pClientRect, UINT nAdjustType = 0) const
    {
        (void)pClientRect;
        (void)nAdjustType;
    }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessage(m_hWnd, uMsg, wParam, lParam);
    }
    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessage(m_hWnd, uMsg, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC pfn)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, pfn);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    void BringWindowToTop() { ::SetForegroundWindow(m_hWnd); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    void SetWindowText(LPCSTR szText) { ::SetWindowText(m_hWnd, szText); }

protected:
    void OnNcDestroy();

private:
    friend LRESULT AfxWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hWnd);
    void Detach();

    WNDPROC m_pfnSuper = nullptr; // the class's own procedure: the default handling
};

/// The window procedure of every framework window.
LRESULT AfxWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

class CFrameWnd : public CWnd
{
public:
    CFrameWnd() = default;
    ~CFrameWnd() override;
    CFrameWnd(const CFrameWnd&) = delete;
    CFrameWnd& operator=(const CFrameWnd&) = delete;

    /// Creates the frame window titled by the first line of string resource nIDResource, with the
    /// menu and accelerator table of that id when the resource library has them (a missing or
    /// damaged one leaves the frame without it).
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, void* pContext = nullptr);
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    /// Commands go to the frame's map, then to the application's.
    BOOL OnCmdMsg(UINT nID) override;
    /// As the window's, and the debug log says "Command <id>", or "Command <id>: disabled".
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnUpdateCmdMsg(CCmdUI* pCmdUI) override;
    /// A key of the accelerator table becomes the frame's WM_COMMAND and is not dispatched.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    /// A frame owns itself: it is deleted when its window is gone.
    void PostNcDestroy() override { delete this; }

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

    CString m_strTitle;
    HACCEL m_hAccelTable = nullptr; // loaded tables live as long as the process
    HMENU m_hMenuDefault = nullptr; // the frame's menu, its menu bar (MenuBar.h); destroyed with the frame

protected:
    void OnClose();
    /// Greys the commands of a menu dropping down that nothing handles or that their update handler
    /// disables (asked with m_bMenuItem set), and checks them as it says.
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    /// Whether the frame's map or the application's handles the command.
    bool HasCommandHandler(UINT nID) const;
};
