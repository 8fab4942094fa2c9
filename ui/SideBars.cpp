#include "ui/SideBars.h"

#include <algorithm>

namespace
{
constexpr SHotSpotDesc LEFT_TABLE[] = {{0, 0, 0, 0, 0},  {1, 45, 0, 0, 0}, {2, 46, 0, 1, 0},
                                       {3, 47, 0, 2, 0}, {4, 48, 0, 3, 0}, {5, 49, 0, 4, 0},
                                       {6, 50, 0, 5, 0}, {7, 51, 0, 6, 0}, {8, CMD_LEFT_KNOB, HOTSPOT_KNOB, 7, 0}};
constexpr SHotSpotDesc RIGHT_TABLE[] = {{0, 0, 0, 0, 0},
                                        {1, CMD_RIGHT_MODE, HOTSPOT_MODE, 10, 0},
                                        {2, CMD_RIGHT_KNOB, HOTSPOT_KNOB, 7, 0},
                                        {3, CMD_RIGHT_TOGGLE, HOTSPOT_TOGGLE, 8, 0}};
constexpr RECT LEFT_LAYOUT[] = {{0, 0, 16, 12},  {0, 13, 16, 24}, {0, 25, 16, 36}, {0, 37, 16, 48},
                                {0, 49, 16, 60}, {0, 61, 16, 72}, {0, 73, 16, 84}, {0, 87, 16, 136}};
constexpr RECT RIGHT_LAYOUT[] = {{0, 0, 16, 19}, {0, 20, 16, 70}, {0, 72, 16, 91}};

bool InRect(const RECT& rc, LONG x, LONG y) { return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom; }

CString NameAt(const CStringArray& names, int i) { return i < names.GetSize() ? names[i] : CString(); }

void CopySpot(CHotSpot& to, const CHotSpot& from)
{
    to.m_desc = from.m_desc;
    to.m_rcButton = from.m_rcButton;
    to.m_rcTrack = from.m_rcTrack;
    to.m_rcTooltip = from.m_rcTooltip;
    to.m_rcTipSource = from.m_rcTipSource;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Knob and value hot spots

CKnobHotSpot::CKnobHotSpot(const CString& strImage, CWidget* pOwner) : CHotSpot(pOwner), m_strImage(strImage)
{
    LoadImage();
}

BOOL CKnobHotSpot::LoadImage()
{
    m_pImage = MakeWidgetSurface(m_strImage, 0, 0);
    if (m_pImage == nullptr)
        return FALSE;
    m_rcImage = RECT{0, 0, static_cast<LONG>(m_pImage->GetWidth()), static_cast<LONG>(m_pImage->GetHeight())};
    m_ptKnob = POINT{m_rcImage.right / 2, m_rcImage.bottom / 2};
    return TRUE;
}

RECT CKnobHotSpot::ImageRect() const
{
    const LONG w = m_rcImage.right, h = m_rcImage.bottom;
    const LONG x = m_rcTrack.left + (m_rcTrack.right - m_rcTrack.left - w) / 2;
    const LONG y = m_rcTrack.top + m_ptKnob.y - h / 2;
    return RECT{x, y, x + w, y + h};
}

BOOL CKnobHotSpot::HitTest(LONG x, LONG y, int* pResult)
{
    if (!CHotSpot::HitTest(x, y, pResult))
        return FALSE;
    if (m_pImage != nullptr && InRect(ImageRect(), x, y))
        *pResult = 2;
    return TRUE;
}

void CKnobHotSpot::SetKnobFromPoint(LONG /*x*/, LONG y)
{
    m_ptKnob.x = 0;
    m_ptKnob.y = std::clamp<LONG>(y - m_rcTrack.top, 0, TrackHeight());
}

void CKnobHotSpot::DrawKnob(const RECT& rcWidget) const
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (m_pImage == nullptr || frame.pBackBuffer == nullptr)
        return;
    const RECT rc = ImageRect();
    frame.pBackBuffer->BltFast(static_cast<DWORD>(rcWidget.left + rc.left), static_cast<DWORD>(rcWidget.top + rc.top),
                               m_pImage.get(), nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

CValueHotSpot::CValueHotSpot(const CHotSpot& from) : CHotSpot(from.m_pOwner) { CopySpot(*this, from); }

// ---------------------------------------------------------------------------------------------
// The left bar

CSliderWidget::CSliderWidget() = default;

std::span<const SHotSpotDesc> CSliderWidget::Table() const { return LEFT_TABLE; }
std::span<const RECT> CSliderWidget::Layout() const { return LEFT_LAYOUT; }

void CSliderWidget::ReleaseSurfaces()
{
    if (m_pKnob != nullptr)
        m_pKnob->ReleaseImages();
    CWidgetType3::ReleaseSurfaces();
}

BOOL CSliderWidget::CreateFromNames(const CStringArray& names, const RECT* pRect)
{
    return BuildBar(NameAt(names, 0), NameAt(names, 1), NameAt(names, 2), NameAt(names, 3), NameAt(names, 4), pRect);
}

BOOL CSliderWidget::Create(const RECT* pRect)
{
    if (!BuildBar(m_strImageName, m_strPressedImage, m_strMaskImage, m_strTooltipImage, m_strKnobImage, pRect))
        return FALSE;
    return LoadImages(m_strImageName, &m_rcLayout, 0);
}

template <class T, class F> T* CSliderWidget::ReplaceHotSpot(int nKind, F make)
{
    for (auto& pSpot : m_aHotSpots)
    {
        if (pSpot->m_desc.nKind != nKind)
            continue;
        std::unique_ptr<T> pNew = make(*pSpot);
        CopySpot(*pNew, *pSpot);
        T* p = pNew.get();
        pSpot = std::move(pNew);
        return p;
    }
    return nullptr;
}

void CSliderWidget::ReplaceSpecialHotSpots()
{
    m_pKnob = ReplaceHotSpot<CKnobHotSpot>(HOTSPOT_KNOB, [this](const CHotSpot&)
                                           { return std::make_unique<CKnobHotSpot>(m_strKnobImage, this); });
}

void CSliderWidget::ApplyState()
{
    SetRange(m_nMinimum, m_nMaximum);
    SetValue(m_nValue);
}

BOOL CSliderWidget::BuildBar(const CString& strImage, const CString& strPressed, const CString& strMask,
                             const CString& strTooltip, const CString& strKnob, const RECT* pRect)
{
    m_strKnobImage = strKnob;
    m_pKnob = nullptr;
    if (!Build(strImage, strPressed, strMask, strTooltip, pRect, Table()))
        return FALSE;
    ReplaceSpecialHotSpots();
    // The bar's buttons take the fixed rectangles in mask-index order; any other button goes.
    const std::span<const RECT> layout = Layout();
    std::size_t nNext = 0;
    std::erase_if(m_aHotSpots,
                  [&](const std::unique_ptr<CHotSpot>& p)
                  {
                      if (p->m_desc.nIndex >= IndexLimit() || nNext >= layout.size())
                          return true;
                      p->m_rcButton = layout[nNext];
                      p->m_rcTrack = layout[nNext++];
                      return false;
                  });
    if (m_pKnob != nullptr &&
        std::none_of(m_aHotSpots.begin(), m_aHotSpots.end(), [this](const auto& p) { return p.get() == m_pKnob; }))
        m_pKnob = nullptr;
    ApplyState();
    return TRUE;
}

void CSliderWidget::SetRange(int nMinimum, int nMaximum)
{
    m_nMinimum = nMinimum;
    m_nMaximum = nMaximum;
}

void CSliderWidget::SetValue(int nValue)
{
    m_nValue = std::clamp(nValue, std::min(m_nMinimum, m_nMaximum), std::max(m_nMinimum, m_nMaximum));
    // An empty range or track keeps the knob where it is.
    if (m_pKnob != nullptr && m_nMaximum != m_nMinimum && m_pKnob->TrackHeight() > 0)
        m_pKnob->SetKnobY(m_nValue * m_pKnob->TrackHeight() / (m_nMaximum - m_nMinimum));
    Restore();
}

int CSliderWidget::GetValue()
{
    if (m_pKnob != nullptr && m_nMaximum != m_nMinimum && m_pKnob->TrackHeight() > 0)
        m_nValue = m_pKnob->GetKnobPosition().y * (m_nMaximum - m_nMinimum) / m_pKnob->TrackHeight();
    return m_nValue;
}

void CSliderWidget::ClearNonToggleStates()
{
    for (const auto& pSpot : m_aHotSpots)
    {
        if (pSpot->m_desc.nKind != HOTSPOT_TOGGLE)
            pSpot->m_nState = 0;
    }
}

void CSliderWidget::OnMouseMove(LONG x, LONG y)
{
    const LONG rx = x - m_rcScreen.left, ry = y - m_rcScreen.top;
    int nResult = 0;
    CHotSpot* pHit = HoverHotSpots(rx, ry, &nResult);
    const bool bDragging = m_pKnob != nullptr && m_pKnob->m_nState != 0 && m_bPressed;
    if (bDragging)
    {
        // The knob follows the cursor, off the track too, held to the track's ends.
        const int nOld = GetValue();
        m_pKnob->SetKnobFromPoint(rx, ry);
        if (GetValue() != nOld)
            PostPanelCommand(m_pKnob->m_desc.nCommand, 0);
        return;
    }
    if (m_pKnob == nullptr)
        return;
    if (pHit == m_pKnob)
        m_pKnob->m_nState = nResult == 2 ? 1 : 0;
    else if (!m_bPressed)
        m_pKnob->m_nState = 0;
}

void CSliderWidget::OnLButtonDown(LONG /*x*/, LONG /*y*/)
{
    CHotSpot* pActive = CHotSpot::GetActive();
    if (!m_nVisible || m_bPressed || pActive == nullptr || pActive->m_pOwner != this)
        return;
    for (const auto& pSpot : m_aHotSpots)
    {
        if (pSpot->m_desc.nKind == HOTSPOT_PUSH || pSpot->m_desc.nKind == HOTSPOT_KNOB)
            pSpot->m_nState = 0;
    }
    const int nKind = pActive->m_desc.nKind;
    if (nKind == HOTSPOT_PUSH || nKind == HOTSPOT_KNOB)
        pActive->m_nState = 1;
    else if (nKind == HOTSPOT_TOGGLE)
        pActive->m_nState = pActive->m_nState ? 0 : 1;
    Recompose();
    CHotSpot::s_nPendingCommand = pActive->m_desc.nCommand;
    m_bPressed = 1;
}

void CSliderWidget::OnLButtonUp(LONG /*x*/, LONG /*y*/)
{
    if (!m_nVisible)
        return;
    m_bPressed = 0;
    const int nCommand = CHotSpot::s_nPendingCommand;
    if (nCommand != -1)
    {
        m_nIdle = 1;
        // The knobs and the mode button have said what they do while pressed.
        if (nCommand != CMD_LEFT_KNOB && nCommand != CMD_RIGHT_MODE && nCommand != CMD_RIGHT_KNOB)
            PostPanelCommand(nCommand, 0);
        CHotSpot::s_nPendingCommand = -1;
    }
    ClearNonToggleStates();
    Recompose();
}

void CSliderWidget::Draw(int /*nFlag*/)
{
    if (!m_nVisible)
        return;
    BlitToFrame(m_pSurface1.get(), m_rcScreen.left, m_rcScreen.top);
    if (m_pKnob != nullptr)
        m_pKnob->DrawKnob(m_rcScreen);
    DrawTooltip(TooltipNeedsHover());
}

// ---------------------------------------------------------------------------------------------
// The right bar

CSliderWidget2::CSliderWidget2() = default;

std::span<const SHotSpotDesc> CSliderWidget2::Table() const { return RIGHT_TABLE; }
std::span<const RECT> CSliderWidget2::Layout() const { return RIGHT_LAYOUT; }

void CSliderWidget2::ReleaseSurfaces()
{
    m_pExtraSurface.reset();
    CSliderWidget::ReleaseSurfaces();
}

BOOL CSliderWidget2::CreateFromNames(const CStringArray& names, const RECT* pRect)
{
    return BuildBar2(NameAt(names, 0), NameAt(names, 1), NameAt(names, 2), NameAt(names, 3), NameAt(names, 4),
                     NameAt(names, 5), pRect);
}

BOOL CSliderWidget2::Create(const RECT* pRect)
{
    if (!BuildBar2(m_strImageName, m_strPressedImage, m_strMaskImage, m_strTooltipImage, m_strKnobImage,
                   m_strSecondImage, pRect))
        return FALSE;
    return LoadImages(m_strImageName, &m_rcLayout, 0);
}

BOOL CSliderWidget2::BuildBar2(const CString& strImage, const CString& strPressed, const CString& strMask,
                               const CString& strTooltip, const CString& strKnob, const CString& strSecond,
                               const RECT* pRect)
{
    m_strSecondImage = strSecond;
    m_pModeButton = nullptr;
    if (!BuildBar(strImage, strPressed, strMask, strTooltip, strKnob, pRect))
        return FALSE;
    m_pExtraSurface =
        MakeWidgetSurface(strSecond, static_cast<DWORD>(std::max<LONG>(m_rcLayout.right - m_rcLayout.left, 0)),
                          static_cast<DWORD>(std::max<LONG>(m_rcLayout.bottom - m_rcLayout.top, 0)));
    return TRUE;
}

void CSliderWidget2::ReplaceSpecialHotSpots()
{
    CSliderWidget::ReplaceSpecialHotSpots();
    m_pModeButton = ReplaceHotSpot<CValueHotSpot>(HOTSPOT_MODE, [](const CHotSpot& from)
                                                  { return std::make_unique<CValueHotSpot>(from); });
}

void CSliderWidget2::ApplyState()
{
    if (m_pModeButton != nullptr && std::none_of(m_aHotSpots.begin(), m_aHotSpots.end(),
                                                 [this](const auto& p) { return p.get() == m_pModeButton; }))
        m_pModeButton = nullptr;
    if (m_pModeButton != nullptr)
        m_pModeButton->SetState(m_nMode);
    CSliderWidget::ApplyState();
}

void CSliderWidget2::SetMode(int nMode)
{
    if (nMode == m_nMode)
        return;
    m_nMode = nMode;
    if (m_pModeButton != nullptr)
        m_pModeButton->SetState(nMode);
    Restore();
}

BOOL CSliderWidget2::LoadImages(const CString& strName, const RECT* pRect, int nFlag)
{
    if (!CWidgetType3::LoadImages(strName, pRect, nFlag))
        return FALSE;
    if (m_pModeButton == nullptr)
        return TRUE;
    CDirectDrawSurface* pSource = nullptr;
    if (m_nMode == 1)
        pSource = m_pSurface2.get();
    else if (m_nMode == 2)
        pSource = m_pExtraSurface.get();
    if (pSource != nullptr)
        m_pSurface1->BltFast(static_cast<DWORD>(m_pModeButton->m_rcButton.left),
                             static_cast<DWORD>(m_pModeButton->m_rcButton.top), pSource, &m_pModeButton->m_rcTrack,
                             DDBLTFAST_WAIT);
    return TRUE;
}
