#include "ui/ClickPanels.h"

#include "ui/SoftSpot.h"

namespace
{
/// The area's rectangle: far past any screen, so that every point hits it.
constexpr RECT AREA_EVERYWHERE{-3000, -3000, 6000, 6000};
/// Its rectangle after Show: points with x or y of 1000 and more lie outside it.
constexpr RECT AREA_AFTER_SHOW{-1000, -1000, 1000, 1000};

/// A client point as the commands carry it: x in the low word, y in the high word, 16 bits each.
LPARAM PackPoint(LONG x, LONG y)
{
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(x)) |
                               (static_cast<DWORD>(static_cast<WORD>(y)) << 16));
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Click panels

CTextWidget::CTextWidget(int nCommand) : CWidget(2, 0), m_nCommand(nCommand) {}

BOOL CTextWidget::LoadImages(const CString& /*strName*/, const RECT* /*pRect*/, int /*nFlag*/)
{
    m_pCurrentImage = m_nHovered ? m_pSurface2.get() : m_pSurface1.get();
    return TRUE;
}

void CTextWidget::ReleaseSurfaces()
{
    ReleaseSoftSpotTexture();
    m_pCurrentImage = nullptr;
    CWidget::ReleaseSurfaces();
}

BOOL CTextWidget::CreateFromNames(const CStringArray& names, const RECT* pRect)
{
    return Build(names.GetSize() > 0 ? names[0] : CString(), names.GetSize() > 1 ? names[1] : CString(), pRect);
}

BOOL CTextWidget::Create(const RECT* pRect)
{
    m_pCurrentImage = nullptr;
    if (!Build(m_strImageName, m_strSecondImageName, pRect))
        return FALSE;
    return LoadImages(m_strImageName, &m_rcLayout, 0);
}

BOOL CTextWidget::Build(const CString& strName, const CString& strSecondName, const RECT* pRect)
{
    m_strImageName = strName;
    m_strSecondImageName = strSecondName;
    if (pRect != nullptr)
        m_rcLayout = *pRect;
    if (strName.IsEmpty())
        return FALSE;
    m_pSurface1 = LoadTextureSurface(strName, 0, 0);
    if (m_pSurface1 == nullptr)
        return FALSE;
    m_pSurface2 = LoadTextureSurface(strSecondName, 0, 0);
    if (m_pSurface2 == nullptr)
        return FALSE;
    m_rcScreen = RECT{0, 0, static_cast<LONG>(m_pSurface1->GetWidth()), static_cast<LONG>(m_pSurface1->GetHeight())};
    m_pCurrentImage = m_pSurface1.get();
    m_nLoaded = 1;
    return TRUE;
}

void CTextWidget::Draw(int /*nFlag*/)
{
    if (m_pCurrentImage == nullptr)
        return;
    LONG nShift = 0;
    if (m_nPlacement & PLACE_LEFT)
        nShift = CLICK_PANEL_EDGE_SHIFT;
    else if (m_nPlacement & PLACE_RIGHT)
        nShift = -CLICK_PANEL_EDGE_SHIFT;
    BlitToFrame(m_pCurrentImage, m_rcScreen.left + nShift, m_rcScreen.top);
}

void CTextWidget::Show()
{
    m_bPressed = 0;
    CWidget::Show();
    LoadImages(m_strImageName, &m_rcLayout, 0);
    PlaceInRect(m_nPlacement, m_rcLayout);
    m_nFadeState = FADE_SHOWING;
    m_nIdle = 1;
    m_nVisible = 1;
}

void CTextWidget::Hide()
{
    m_bPressed = 0;
    CWidget::Hide();
    m_nFadeState = FADE_HIDING;
    m_nIdle = 0;
    m_nVisible = 0;
}

void CTextWidget::OnLButtonDown(LONG /*x*/, LONG /*y*/)
{
    if (!m_nVisible || m_bPressed)
        return;
    PostPanelCommand(m_nCommand, 0);
    m_bPressed = 1;
}

void CTextWidget::OnLButtonUp(LONG /*x*/, LONG /*y*/) { m_bPressed = 0; }

void CTextWidget::OnMouseMove(LONG x, LONG y)
{
    m_nHovered = x >= m_rcScreen.left && x < m_rcScreen.right && y >= m_rcScreen.top && y < m_rcScreen.bottom;
    LoadImages(m_strImageName, nullptr, 0);
}

void CTextWidget::OnMouseLeave()
{
    m_nHovered = 0;
    LoadImages(m_strImageName, nullptr, 0);
}

// ---------------------------------------------------------------------------------------------
// The mouse area

CPanelWidget::CPanelWidget(int nParameter) : CWidget(2, 0), m_nParameter(nParameter) {}

BOOL CPanelWidget::LoadImages(const CString& /*strName*/, const RECT* /*pRect*/, int /*nFlag*/)
{
    m_rcScreen = AREA_EVERYWHERE;
    m_nVisible = 1;
    return TRUE;
}

BOOL CPanelWidget::CreateFromNames(const CStringArray& names, const RECT* pRect)
{
    return Build(names.GetSize() > 0 ? names[0] : CString(), names.GetSize() > 1 ? names[1] : CString(), pRect);
}

BOOL CPanelWidget::Create(const RECT* pRect) { return LoadImages(m_strImageName, pRect, 0); }

BOOL CPanelWidget::Build(const CString& strName, const CString& strSecondName, const RECT* pRect)
{
    m_strImageName = strName;
    m_strName = strSecondName;
    if (pRect != nullptr)
        m_rcLayout = *pRect;
    m_rcScreen = AREA_EVERYWHERE;
    m_nFadeState = FADE_SHOWING;
    m_bPressed = 0;
    m_nIdle = 1;
    m_nVisible = 1;
    return TRUE;
}

void CPanelWidget::Draw(int /*nFlag*/) { m_nVisible = 1; }

void CPanelWidget::Show()
{
    CWidget::Show();
    // The area keeps the rectangle that reaches past every screen: a smaller one would lose the
    // clicks of a full screen wider or taller than 1000 pixels.
    m_rcScreen = AREA_EVERYWHERE;
    m_nFadeState = FADE_SHOWING;
    m_bPressed = 0;
    m_nIdle = 1;
    m_nVisible = 1;
}

void CPanelWidget::Hide()
{
    CWidget::Hide();
    m_bPressed = 0;
    m_nRightDragActive = 0;
    m_nFadeState = FADE_HIDING;
    m_nIdle = 1;
    m_nVisible = 1;
}

void CPanelWidget::PlaceInRect(int /*nFlags*/, RECT /*rc*/) {}

void CPanelWidget::MoveTo(float /*x*/, float /*y*/) {}

void CPanelWidget::OnLButtonDown(LONG x, LONG y)
{
    if (!m_nVisible || m_bPressed || m_nArmed)
        return;
    PostPanelCommand(CMD_AREA_LEFT_DOWN, PackPoint(x, y));
    m_bPressed = 1;
}

void CPanelWidget::OnLButtonUp(LONG x, LONG y)
{
    if (!m_nVisible)
        return;
    m_bPressed = 0;
    m_nArmed = 0;
    PostPanelCommand(CMD_AREA_LEFT_UP, PackPoint(x, y));
}

void CPanelWidget::OnRButtonDown(LONG x, LONG y)
{
    if (!m_nVisible || m_bPressed || m_nRightDragActive)
        return;
    PostPanelCommand(CMD_AREA_RIGHT_DOWN, PackPoint(x, y));
}

void CPanelWidget::OnRButtonUp(LONG x, LONG y)
{
    if (!m_nVisible)
        return;
    m_nRightDragActive = 0;
    m_nRightDragState = 0;
    PostPanelCommand(CMD_AREA_RIGHT_UP, PackPoint(x, y));
}

void CPanelWidget::OnMouseMove(LONG x, LONG y)
{
    if (!m_nVisible)
        return;
    if (m_bPressed && m_nArmed)
        PostPanelCommand(CMD_AREA_LEFT_DRAG, PackPoint(x, y));
    if (m_nRightDragActive)
        PostPanelCommand(CMD_AREA_RIGHT_DRAG, PackPoint(x, y));
}

void CPanelWidget::OnMouseLeave()
{
    m_nLeaveWord = 0;
    LoadImages(m_strImageName, nullptr, 0);
}
