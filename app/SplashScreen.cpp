#include "app/SplashScreen.h"

#include "foundation/GlobalOrder.h"
#include "foundation/ResourceBitmaps.h"
#include "platform/dx/DxTypes.h"
#include "platform/mfc/AfxResource.h"
#include "platform/mfc/Dc.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"
#include "platform/win32/Sync.h"
#include "platform/win32/Thread.h"
#include "platform/win32/WindowOverlay.h"
#include "platform/window/Window.h"
#include "ui/MessageDlg.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_SPLASH_CLIP_RECT) RECT g_rcSplashClip = {100, 262, 148, 310};
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_SPLASH_CLIP_RECT);
VORN_GLOBAL_ROW(GLOBAL_ROW_OVERLAY_CLIP_RECT) RECT g_rcSplashOverlay = {378, 204, 430, 308};
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_OVERLAY_CLIP_RECT);

namespace
{
/// The splash thread's own state: the splash-enabled flag, the one splash window and whether it
/// was shown. Written by the splash thread; atomic so that a test may look from another thread.
std::atomic<bool> s_bSplashEnabled{false};
std::atomic<CSplashWnd*> s_pSplashWnd{nullptr};
std::atomic<bool> s_bSplashShown{false};

constexpr const char* SPLASH_CLASS = "VornSplash";

CSplashScreen* SplashThread() { return dynamic_cast<CSplashScreen*>(g_pSplashThread); }

/// The stop flag of the calling thread's splash object; false on any other thread.
bool IsStopRequested()
{
    const auto* pThread = dynamic_cast<const CSplashScreen*>(AfxGetThread());
    return pThread != nullptr && pThread->m_nStopRequested.load() != 0;
}
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// The window
// ---------------------------------------------------------------------------------------------------------------------

CSplashWnd::~CSplashWnd() { DestroyWindow(); }

bool CSplashWnd::LoadPicture()
{
    const HMODULE hModule = AfxGetResourceHandle();
    const HRSRC hInfo =
        FindResource(hModule, MAKEINTRESOURCE(static_cast<WORD>(PICTURE_ID)), g_strDefaultResourceType.GetString());
    if (hInfo == nullptr)
        return false;
    // A picture file in the current folder replaces the resource's, which must still be there.
    HBITMAP hPicture = LoadJpegBitmapFile(PICTURE_FILE);
    if (hPicture == nullptr)
    {
        const auto* pData = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hInfo)));
        hPicture = pData != nullptr ? CreateBitmapFromJpegMemory(pData, SizeofResource(hModule, hInfo)) : nullptr;
    }
    if (hPicture == nullptr || !m_picture.Attach(hPicture))
        return false;
    BITMAP bm{};
    m_picture.GetBitmap(&bm);
    m_nWidth = bm.bmWidth;
    m_nHeight = bm.bmHeight;
    return m_nWidth > 0 && m_nHeight > 0;
}

BOOL CSplashWnd::Create(CWnd* pParent)
{
    if (!LoadPicture())
        return FALSE;
    WNDCLASS wc;
    wc.lpfnWndProc = &::DefWindowProc;
    wc.lpszClassName = SPLASH_CLASS;
    RegisterClass(&wc); // fails harmlessly once registered
    // A tool window: no entry of its own among the program's windows.
    if (!CreateEx(WS_EX_TOOLWINDOW, SPLASH_CLASS, "", WS_POPUP | WS_VISIBLE, 0, 0, m_nWidth, m_nHeight,
                  pParent != nullptr ? pParent->m_hWnd : nullptr, nullptr))
        return FALSE;
    const std::array<std::pair<RECT, const CString*>, 2> aClips = {
        {{g_rcSplashClip, &g_strSplashClip}, {g_rcSplashOverlay, &g_strSplashOverlayClip}}};
    for (std::size_t i = 0; i < aClips.size(); ++i)
    {
        // A clip that does not open leaves its static blank; the rest of the splash still shows.
        m_apClips[i] = std::make_unique<CImageStatic>();
        m_apClips[i]->Create("", WS_VISIBLE, aClips[i].first, this, CLIP_ID);
        m_apClips[i]->PlayAvi(*aClips[i].second);
    }
    return TRUE;
}

BOOL CSplashWnd::DestroyWindow()
{
    for (auto& pClip : m_apClips)
        if (pClip != nullptr)
            pClip->DestroyWindow();
    return CWnd::DestroyWindow();
}

int CSplashWnd::OnCreate(CREATESTRUCT*)
{
    CenterWindow();
    SetForegroundWindow();
    SetTimer(TIMER_ID, TIMER_MS, nullptr);
    return 0;
}

void CSplashWnd::OnTimer(UINT_PTR)
{
    // A stop asked for before the thread read its queue ends the splash here too.
    if (IsStopRequested())
        HideSplash();
    for (auto& pClip : m_apClips)
        if (pClip != nullptr)
            pClip->Invalidate(FALSE);
    Invalidate(FALSE);
}

void CSplashWnd::OnPaint()
{
    RECT rc;
    GetClientRect(&rc);
    const int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
    if (nWidth <= 0 || nHeight <= 0)
        return;
    if (m_pSurface == nullptr)
        m_pSurface = CDirectDrawSurface::Create(static_cast<DWORD>(nWidth), static_cast<DWORD>(nHeight),
                                                MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN);
    if (!m_bStartClipTried)
        m_startClip.PlayAvi(g_strStartClip);
    m_bStartClipTried = true;
    HDC hDC = nullptr;
    if (m_pSurface == nullptr || m_pSurface->GetDC(&hDC) != DD_OK)
        return;
    {
        CDC dc;
        dc.Attach(hDC);
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        const HGDIOBJ hOld = mem.SelectObject(m_picture.GetSafeHandle());
        dc.StretchBlt(0, 0, nWidth, nHeight, &mem, 0, 0, m_nWidth, m_nHeight, SRCCOPY);
        mem.SelectObject(hOld);
        // The start clip over the whole picture, then each clip at its place.
        m_startClip.DrawAviFrame(&dc, rc);
        const std::array<RECT, 2> aPlaces = {g_rcSplashClip, g_rcSplashOverlay};
        for (std::size_t i = 0; i < m_apClips.size(); ++i)
            if (m_apClips[i] != nullptr && !m_apClips[i]->IsIdle())
                m_apClips[i]->DrawAviFrame(&dc, aPlaces[i]);
        dc.Detach();
    }
    m_pSurface->ReleaseDC(hDC);
    if (ISurfaceOutput* pOutput = GetWindowOutput(m_hWnd); pOutput != nullptr)
        pOutput->Show(*m_pSurface);
}

std::vector<DWORD> CSplashWnd::GetPaintedPixels(int* pWidth, int* pHeight) const
{
    std::vector<DWORD> aPixels;
    const int nWidth = m_pSurface != nullptr ? static_cast<int>(m_pSurface->GetWidth()) : 0;
    const int nHeight = m_pSurface != nullptr ? static_cast<int>(m_pSurface->GetHeight()) : 0;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            aPixels.push_back(m_pSurface->GetPixelXrgb(static_cast<DWORD>(x), static_cast<DWORD>(y)));
    *pWidth = nWidth;
    *pHeight = nHeight;
    return aPixels;
}

void CSplashWnd::OnClose()
{
    if (s_pSplashWnd.load() != nullptr)
        HideSplash();
}

const SMessageMap* CSplashWnd::GetThisMessageMap()
{
    static const SMessageEntry s_aEntries[] = {
        MapMessage<&CSplashWnd::OnCreate>(WM_CREATE), MapMessage<&CSplashWnd::OnPaint>(WM_PAINT),
        MapMessage<&CSplashWnd::OnTimer>(WM_TIMER), MapMessage<&CSplashWnd::OnClose>(WM_CLOSE)};
    static const SMessageMap s_map{CWnd::GetThisMessageMap(), s_aEntries};
    return &s_map;
}

// ---------------------------------------------------------------------------------------------------------------------
// The thread
// ---------------------------------------------------------------------------------------------------------------------

CSplashScreen::CSplashScreen()
{
    // The main thread owns the object: it joins the thread, then deletes it.
    m_bAutoDelete = FALSE;
}

BOOL CSplashScreen::InitInstance()
{
    if (m_nStopRequested.load() != 0)
        AfxEndThread(SPLASH_EXIT_CODE, FALSE);
    EnableSplash(TRUE);
    ShowSplash(nullptr);
    return TRUE;
}

int CSplashScreen::ExitInstance()
{
    DestroySplash();
    return CWinThread::ExitInstance();
}

BOOL CSplashScreen::PreTranslateMessage(MSG* pMsg)
{
    if (m_nStopRequested.load() != 0 && SplashPreTranslate(pMsg))
        return TRUE;
    return CWinThread::PreTranslateMessage(pMsg);
}

void EnableSplash(BOOL bEnable) { s_bSplashEnabled = bEnable != FALSE; }

void ShowSplash(CWnd* pParent)
{
    if (s_bSplashEnabled && s_pSplashWnd.load() == nullptr)
    {
        auto pWnd = std::make_unique<CSplashWnd>();
        if (pWnd->Create(pParent))
        {
            pWnd->UpdateWindow();
            s_pSplashWnd = pWnd.release();
            s_bSplashShown = true;
        }
    }
    // A message dialog the main thread opened before the splash came up is not left behind it:
    // the window that shows the dialog comes to the front, and the dialog takes the keys.
    if (const HWND hDialog = CMessageDlg::GetOpenWindow(); hDialog != nullptr)
    {
        const HWND hShown = OverlayOwner(hDialog);
        if (hShown != nullptr && hShown != hDialog)
            ::SetForegroundWindow(hShown);
        ::SetForegroundWindow(hDialog);
    }
}

void DestroySplash()
{
    std::unique_ptr<CSplashWnd> pWnd(s_pSplashWnd.exchange(nullptr));
    if (pWnd == nullptr)
        return;
    pWnd->DestroyWindow();
    if (CWnd* pMain = AfxGetMainWnd(); pMain != nullptr)
        ::InvalidateRect(pMain->m_hWnd, nullptr, FALSE);
}

void HideSplash()
{
    DestroySplash();
    AfxEndThread(SPLASH_EXIT_CODE, FALSE);
}

BOOL SplashPreTranslate(MSG* pMsg)
{
    // The stop message ends the thread whether or not its window could be made.
    if (pMsg == nullptr || pMsg->message != WM_SPLASH_STOP || pMsg->hwnd != nullptr)
        return FALSE;
    HideSplash();
}

bool IsSplashShown() { return s_pSplashWnd.load() != nullptr; }

CSplashWnd* GetSplashWindow() { return s_pSplashWnd.load(); }

// ---------------------------------------------------------------------------------------------------------------------
// The main thread's side
// ---------------------------------------------------------------------------------------------------------------------

void StartSplashScreen()
{
    if (g_pSplashThread == nullptr)
        g_pSplashThread = AfxBeginThread(RuntimeClassOf<CSplashScreen>("CSplashScreen"));
}

void StopSplashScreen()
{
    CSplashScreen* pThread = SplashThread();
    if (pThread == nullptr || pThread->m_nStopRequested.exchange(1) != 0)
        return;
    // The flag is set before the message goes, so the thread's filter is on when it arrives.
    if (pThread->m_nThreadID != 0)
        pThread->PostThreadMessage(WM_SPLASH_STOP, 0, 0);
}

DWORD JoinSplashScreen()
{
    CSplashScreen* pThread = SplashThread();
    if (pThread == nullptr)
        return 0;
    StopSplashScreen();
    WaitForSingleObject(pThread->m_hThread, INFINITE);
    DWORD dwCode = 0;
    GetExitCodeThread(pThread->m_hThread, &dwCode);
    delete pThread;
    g_pSplashThread = nullptr;
    return dwCode;
}
