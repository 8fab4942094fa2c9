#include "ui/Widget.h"

#include "foundation/Stopwatch.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Wnd.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "render/CursorManager.h"
#include "render/D3DFramework.h"
#include "render/TextureManager.h"
#include "ui/HotSpot.h"

#include <algorithm>
#include <cstdio>

CWidget* CWidget::s_pHead = nullptr;
CWidget* CWidget::s_pHovered = nullptr;
CWidget* CWidget::s_pCurrentPanel = nullptr;
BOOL CWidget::s_bMenuOpen = FALSE;

namespace
{
const SWidgetFrame* s_pTestFrame = nullptr; // main thread; set by tests only

bool InRect(const RECT& rc, LONG x, LONG y) { return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom; }

SIZE SurfaceSize(const SurfacePtr& p)
{
    return p ? SIZE{static_cast<LONG>(p->GetWidth()), static_cast<LONG>(p->GetHeight())} : SIZE{};
}
} // namespace

void PostPanelCommand(int nCode, LPARAM lParam)
{
    char szLine[64];
    std::snprintf(szLine, sizeof szLine, "Widgets: panel command %d, %ld\n", nCode, static_cast<long>(lParam));
    OutputDebugString(szLine);
    const CWnd* pMain = AfxGetMainWnd();
    PostMessage(pMain != nullptr ? pMain->GetSafeHwnd() : nullptr, WM_PANEL_COMMAND,
                PANEL_COMMAND_BASE + static_cast<WPARAM>(nCode), lParam);
}

void SetArrowCursor()
{
    g_CursorManager.SetSystemCursor(IDC_ARROW);
    ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

SWidgetFrame GetWidgetFrame()
{
    if (s_pTestFrame != nullptr)
        return *s_pTestFrame;
    if (g_pFramework == nullptr)
        return {};
    return SWidgetFrame{g_pFramework->GetD3DDevice(), g_pFramework->GetBackBuffer()};
}

void SetWidgetFrame(const SWidgetFrame* pFrame) { s_pTestFrame = pFrame; }

// ---------------------------------------------------------------------------------------------
// The list

CWidget::CWidget(int nTypeCode, int nFlag) : m_nTypeCode(nTypeCode), m_nFlag(nFlag)
{
    m_dwTooltipTime = 0xFFFFFFFF;
    if (s_pHead == nullptr)
    {
        s_pHead = this;
        return;
    }
    CWidget* pLast = s_pHead;
    while (pLast->m_pNext != nullptr)
        pLast = pLast->m_pNext;
    pLast->m_pNext = this;
    m_pPrev = pLast;
}

CWidget::~CWidget()
{
    if (m_pPrev != nullptr)
        m_pPrev->m_pNext = m_pNext;
    if (m_pNext != nullptr)
        m_pNext->m_pPrev = m_pPrev;
    if (s_pHead == this)
        s_pHead = m_pNext;
    if (s_pHovered == this)
        s_pHovered = nullptr;
    if (s_pCurrentPanel == this)
        s_pCurrentPanel = nullptr;
    m_aHotSpots.clear();
}

BOOL CWidget::BroadcastToAll(const RECT* pRect, int nFlag)
{
    BOOL bAll = TRUE;
    for (CWidget* p = s_pHead; p != nullptr; p = p->m_pNext)
        bAll = p->Rebuild(pRect, nFlag) && bAll;
    return bAll;
}

void ReleaseGlobalList()
{
    for (CWidget* p = CWidget::GetFirst(); p != nullptr; p = p->GetNext())
        p->ReleaseSurfaces();
}

void CWidget::ChangeHoveredWidget(CWidget* pWidget)
{
    if (s_pHovered != nullptr)
        s_pHovered->OnMouseLeave();
    s_pHovered = pWidget;
}

// ---------------------------------------------------------------------------------------------
// Base behaviour

BOOL CWidget::LoadImages(const CString& /*strName*/, const RECT* /*pRect*/, int /*nFlag*/) { return TRUE; }

void CWidget::ReleaseSurfaces()
{
    for (const auto& pSpot : m_aHotSpots)
        pSpot->m_nHovered = 0;
    m_pSurface1.reset();
    m_pSurface2.reset();
    m_pSurface3.reset();
}

BOOL CWidget::Rebuild(const RECT* pRect, int /*nFlag*/)
{
    ReleaseSurfaces();
    const RECT rc = pRect != nullptr ? *pRect : m_rcLayout;
    return Create(&rc);
}

BOOL CWidget::CreateFromNames(const CStringArray& /*names*/, const RECT* /*pRect*/) { return FALSE; }

BOOL CWidget::Create(const RECT* /*pRect*/) { return FALSE; }

void CWidget::Restore()
{
    LoadImages(m_strImageName, &m_rcLayout, 0);
    PlaceInRect(m_nPlacement, m_rcLayout);
}

void CWidget::Draw(int /*nFlag*/) {}

void CWidget::Show()
{
    if (!m_nIdle || m_nFadeState == FADE_SHOWING)
        return;
    m_nFadeState = FADE_SHOWING;
    m_dwFadeStart = timeGetTime();
    m_dwFadeEnd = m_dwFadeStart + m_dwShowDuration;
    m_nIdle = 0;
    m_nVisible = 1;
}

void CWidget::Hide()
{
    if (!m_nIdle || m_nFadeState == FADE_HIDING)
        return;
    m_nFadeState = FADE_HIDING;
    m_dwFadeStart = timeGetTime();
    m_dwFadeEnd = m_dwFadeStart + m_dwHideDuration;
    m_nIdle = 0;
    m_nVisible = 1; // stays drawn while it fades out
    // The frame after the one that hid a panel must not step the time the panel was up.
    g_FrameStopwatch.Resume();
}

void CWidget::TickFade()
{
    // The end is compared through the elapsed time, so that the clock's wrap does not end a fade early.
    if (m_nIdle || timeGetTime() - m_dwFadeStart < m_dwFadeEnd - m_dwFadeStart)
        return;
    m_nIdle = 1;
    m_nVisible = m_nFadeState == FADE_SHOWING ? 1 : 0;
}

BOOL CWidget::HitTest(LONG x, LONG y) const { return m_nVisible && InRect(m_rcScreen, x, y); }

void CWidget::PlaceInRect(int nFlags, RECT rc)
{
    const SIZE size = SurfaceSize(m_pSurface1);
    m_nPlacement = nFlags;
    const LONG nFreeX = (rc.right - rc.left) - size.cx;
    const LONG nFreeY = (rc.bottom - rc.top) - size.cy;
    LONG x = 0, y = 0;
    if (nFlags & PLACE_RIGHT)
        x = nFreeX;
    // Centring halves the free space with its sign: a surface wider than the rectangle starts left of it.
    if (nFlags & PLACE_HCENTRE)
        x = nFreeX >> 1;
    if (nFlags & PLACE_BOTTOM)
        y = nFreeY;
    if (nFlags & PLACE_VCENTRE)
        y = nFreeY >> 1;
    m_rcScreen = RECT{x, y, x + size.cx, y + size.cy};
}

void CWidget::MoveTo(float x, float y)
{
    const LONG w = m_rcScreen.right - m_rcScreen.left, h = m_rcScreen.bottom - m_rcScreen.top;
    const auto nx = static_cast<LONG>(x), ny = static_cast<LONG>(y);
    m_rcScreen = RECT{nx, ny, nx + w, ny + h};
}

CHotSpot* CWidget::FindHotSpot(int nIndex) const
{
    for (const auto& pSpot : m_aHotSpots)
    {
        if (pSpot->m_desc.nIndex == nIndex)
            return pSpot.get();
    }
    return nullptr;
}

void CWidget::OnLButtonDown(LONG, LONG) {}
void CWidget::OnLButtonUp(LONG, LONG) {}
void CWidget::OnRButtonDown(LONG, LONG) {}
void CWidget::OnRButtonUp(LONG, LONG) {}
void CWidget::OnMouseMove(LONG, LONG) {}
void CWidget::SetPixelFormat(const DDPIXELFORMAT&) {}
void CWidget::OnMouseLeave() {}

RECT* CWidget::GetRect(RECT* pRect) const
{
    *pRect = m_rcScreen;
    return pRect;
}

void CWidget::BlitToFrame(CDirectDrawSurface* pSurface, LONG x, LONG y, const RECT* pSource)
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (pSurface == nullptr || frame.pBackBuffer == nullptr)
        return;
    frame.pBackBuffer->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), pSurface, pSource,
                               DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

// ---------------------------------------------------------------------------------------------
// Images

namespace
{
/// Copies one surface into another through GDI, stretching when the sizes differ.
bool CopyThroughGdi(CDirectDrawSurface& dest, CDirectDrawSurface& src)
{
    HDC hSrc = nullptr, hDest = nullptr;
    if (FAILED(src.GetDC(&hSrc)))
        return false;
    if (FAILED(dest.GetDC(&hDest)))
    {
        src.ReleaseDC(hSrc);
        return false;
    }
    const auto w = static_cast<int>(dest.GetWidth()), h = static_cast<int>(dest.GetHeight());
    const auto sw = static_cast<int>(src.GetWidth()), sh = static_cast<int>(src.GetHeight());
    if (w == sw && h == sh)
        BitBlt(hDest, 0, 0, w, h, hSrc, 0, 0, SRCCOPY);
    else
        StretchBlt(hDest, 0, 0, w, h, hSrc, 0, 0, sw, sh, SRCCOPY);
    dest.ReleaseDC(hDest);
    src.ReleaseDC(hSrc);
    return true;
}
} // namespace

SurfacePtr MakeWidgetSurface(const CString& strName, DWORD nWidth, DWORD nHeight)
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (frame.pDevice == nullptr || frame.pBackBuffer == nullptr || strName.IsEmpty())
        return nullptr;
    if (CreateTexture(strName) != S_OK || ReloadTexture(strName, frame.pDevice) != S_OK)
        return nullptr;
    const SurfacePtr pTexture = GetTextureSurface(strName);
    if (pTexture == nullptr)
        return nullptr;
    DWORD w = pTexture->GetWidth(), h = pTexture->GetHeight();
    if (nWidth != 0 && nHeight != 0)
    {
        // Never wider than asked; the height follows the width.
        const DWORD nTarget = std::min(nWidth, w);
        h = static_cast<DWORD>(static_cast<std::uint64_t>(h) * nTarget / w);
        w = nTarget;
    }
    SurfacePtr pSurface =
        CDirectDrawSurface::Create(w, h, frame.pBackBuffer->GetPixelFormat(), DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
    if (pSurface == nullptr || !CopyThroughGdi(*pSurface, *pTexture))
        return nullptr;
    const DDCOLORKEY key{0, WIDGET_KEY_HIGH};
    pSurface->SetColorKey(DDCKEY_SRCBLT, &key);
    return pSurface;
}

SurfacePtr CWidget::LoadTextureSurface(const CString& strName, DWORD nWidth, DWORD nHeight)
{
    SurfacePtr pSurface = MakeWidgetSurface(strName, nWidth, nHeight);
    if (pSurface == nullptr)
        return nullptr;
    SetPixelFormat(pSurface->GetPixelFormat());
    m_rcScreen = RECT{0, 0, static_cast<LONG>(pSurface->GetWidth()), static_cast<LONG>(pSurface->GetHeight())};
    return pSurface;
}

// ---------------------------------------------------------------------------------------------
// Mouse routing

bool RouteWidgetMouse(const SWidgetMouse& mouse, bool bRightButtons)
{
    const LONG x = mouse.x, y = mouse.y;
    CWidget::ChangeHoveredWidget(nullptr);
    for (CWidget* p = CWidget::GetFirst(); p != nullptr; p = p->GetNext())
    {
        if (p->HitTest(x, y))
        {
            CWidget::SetHoveredWidget(p);
            break;
        }
    }
    // Releases go to the widgets that handled the press, wherever the cursor is now.
    if (mouse.bLeftReleased)
    {
        for (CWidget* p = CWidget::GetFirst(); p != nullptr; p = p->GetNext())
        {
            if (p->m_bPressed)
            {
                p->OnLButtonUp(x, y);
                p->m_bPressed = 0;
            }
        }
    }
    if (bRightButtons)
    {
        for (CWidget* p = CWidget::GetFirst(); p != nullptr && mouse.bRightDown; p = p->GetNext())
        {
            p->OnRButtonDown(x, y);
            p->m_bPressed = 0;
        }
        for (CWidget* p = CWidget::GetFirst(); p != nullptr && mouse.bRightReleased; p = p->GetNext())
            p->OnRButtonUp(x, y);
    }
    if (CWidget::GetHoveredWidget() == nullptr)
        return false;
    for (CWidget* p = CWidget::GetFirst(); p != nullptr; p = p->GetNext())
    {
        if (!p->HitTest(x, y))
            continue;
        // A press arrives in every frame the button is held: each widget acts on the first only.
        if (mouse.bLeftDown)
            p->OnLButtonDown(x, y);
        p->OnMouseMove(x, y);
    }
    return true;
}
