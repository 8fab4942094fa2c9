#include "ui/ButtonWidgets.h"

#include "platform/win32/Clock.h"

#include <algorithm>
#include <bit>

namespace
{
// The second panel's seven buttons: commands 35 to 41.
constexpr SHotSpotDesc SECOND_PANEL_TABLE[] = {{0, 0, 0, 0, 0},  {1, 35, 0, 2, 0}, {2, 36, 0, 0, 0}, {3, 37, 0, 1, 0},
                                               {4, 38, 0, 4, 0}, {5, 39, 0, 3, 0}, {6, 40, 0, 5, 0}, {7, 41, 0, 6, 0}};

LONG Width(const RECT& rc) { return rc.right - rc.left; }
LONG Height(const RECT& rc) { return rc.bottom - rc.top; }
bool IsEmptyRect(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }

CString NameAt(const CStringArray& names, int i) { return i < names.GetSize() ? names[i] : CString(); }
} // namespace

// ---------------------------------------------------------------------------------------------
// Buttons from a mask

CWidgetType3::CWidgetType3() : CWidget(3, 0) { m_dwTooltipTime = BUTTON_TOOLTIP_MS; }

std::span<const SHotSpotDesc> CWidgetType3::Table() const { return SECOND_PANEL_TABLE; }

BOOL CWidgetType3::CreateFromNames(const CStringArray& names, const RECT* pRect)
{
    return Build(NameAt(names, 0), NameAt(names, 1), NameAt(names, 2), NameAt(names, 3), pRect, Table());
}

BOOL CWidgetType3::Create(const RECT* pRect)
{
    if (!Build(m_strImageName, m_strPressedImage, m_strMaskImage, m_strTooltipImage, pRect, Table()))
        return FALSE;
    return LoadImages(m_strImageName, &m_rcLayout, 0);
}

BOOL CWidgetType3::Build(const CString& strImage, const CString& strPressed, const CString& strMask,
                         const CString& strTooltip, const RECT* pRect, std::span<const SHotSpotDesc> table)
{
    m_strImageName = strImage;
    m_strPressedImage = strPressed;
    m_strMaskImage = strMask;
    m_strTooltipImage = strTooltip;
    if (pRect != nullptr)
        m_rcLayout = *pRect;
    if (strImage.IsEmpty())
        return FALSE;
    const auto nLayoutW = static_cast<DWORD>(std::max<LONG>(Width(m_rcLayout), 0));
    const auto nLayoutH = static_cast<DWORD>(std::max<LONG>(Height(m_rcLayout), 0));
    m_pSurface1 = LoadTextureSurface(strImage, nLayoutW, nLayoutH);
    m_pSurface2 = m_pSurface1 ? LoadTextureSurface(strPressed, nLayoutW, nLayoutH) : nullptr;
    if (m_pSurface1 == nullptr || m_pSurface2 == nullptr)
        return FALSE;
    m_pSurface3 = LoadTextureSurface(strTooltip, 0, 0); // none: the widget has no tooltips
    if (m_mask.indices.empty() && !LoadMaskResource(strMask, m_mask))
        return FALSE;

    // The mask at the image's scaled size, scanned by index.
    const LONG nW = std::min(m_mask.nWidth, Width(m_rcLayout));
    const LONG nH = nW > 0 ? static_cast<LONG>(static_cast<std::int64_t>(m_mask.nHeight) * nW / m_mask.nWidth) : 0;
    const auto boxes = ScanMask(ScaleMask(m_mask, nW, nH));
    for (int v = 1; v < MASK_INDEX_LIMIT; ++v)
    {
        if (!boxes[v].bTouched || IsEmptyRect(boxes[v].rc))
            continue;
        CHotSpot* pSpot = FindHotSpot(v);
        if (pSpot == nullptr)
            pSpot = m_aHotSpots.emplace_back(std::make_unique<CHotSpot>(this)).get();
        pSpot->m_desc =
            static_cast<std::size_t>(v) < table.size() ? table[static_cast<std::size_t>(v)] : SHotSpotDesc{};
        pSpot->m_rcButton = boxes[v].rc;
        pSpot->m_rcTrack = boxes[v].rc;
        if (m_pSurface3 != nullptr && pSpot->m_desc.nCell >= 0)
        {
            const LONG nTop = pSpot->m_desc.nCell * TOOLTIP_ROW_HEIGHT;
            pSpot->m_rcTipSource = RECT{0, nTop, static_cast<LONG>(m_pSurface3->GetWidth()), nTop + TOOLTIP_ROW_HEIGHT};
        }
    }
    // Mask colours without a table row make no button.
    std::erase_if(m_aHotSpots, [](const auto& p) { return p->m_desc.nIndex <= 0; });
    return TRUE;
}

BOOL CWidgetType3::LoadImages(const CString& strName, const RECT* pRect, int /*nFlag*/)
{
    m_strImageName = strName;
    if (strName.IsEmpty())
        return FALSE;
    if (pRect != nullptr)
        m_rcLayout = *pRect;
    m_pSurface1.reset();
    m_pSurface1 = LoadTextureSurface(strName, static_cast<DWORD>(std::max<LONG>(Width(m_rcLayout), 0)),
                                     static_cast<DWORD>(std::max<LONG>(Height(m_rcLayout), 0)));
    if (m_pSurface1 == nullptr)
        return FALSE;
    for (const auto& pSpot : m_aHotSpots)
    {
        if (pSpot->m_desc.nIndex > 0 && pSpot->m_nState != 0 && m_pSurface2 != nullptr)
            m_pSurface1->BltFast(static_cast<DWORD>(pSpot->m_rcButton.left), static_cast<DWORD>(pSpot->m_rcButton.top),
                                 m_pSurface2.get(), &pSpot->m_rcTrack, DDBLTFAST_WAIT);
    }
    m_nLoaded = 1;
    return TRUE;
}

void CWidgetType3::Recompose()
{
    LoadImages(m_strImageName, &m_rcLayout, 0);
    PlaceInRect(m_nPlacement, m_rcLayout);
}

void CWidgetType3::ClearPushStates()
{
    for (const auto& pSpot : m_aHotSpots)
    {
        if (pSpot->m_desc.nKind == HOTSPOT_PUSH)
            pSpot->m_nState = 0;
    }
}

CHotSpot* CWidgetType3::HoverHotSpots(LONG x, LONG y, int* pResult)
{
    int nResult = 0;
    for (const auto& pSpot : m_aHotSpots)
    {
        if (pSpot->m_desc.nIndex > 0 && pSpot->HitTest(x, y, &nResult))
        {
            if (pResult != nullptr)
                *pResult = nResult;
            return pSpot.get();
        }
    }
    CHotSpot* pActive = CHotSpot::GetActive();
    if (pActive != nullptr && pActive->m_pOwner == this)
    {
        pActive->m_nHovered = 0;
        CHotSpot::ClearActive();
    }
    return nullptr;
}

void CWidgetType3::OnMouseMove(LONG x, LONG y) { HoverHotSpots(x - m_rcScreen.left, y - m_rcScreen.top); }

void CWidgetType3::OnLButtonDown(LONG x, LONG y)
{
    if (!m_nVisible || m_bPressed)
        return;
    // The press acts on the button under it, even when the move that brought the cursor there
    // comes in the same reading (the move is handed over after the press).
    HoverHotSpots(x - m_rcScreen.left, y - m_rcScreen.top);
    CHotSpot* pActive = CHotSpot::GetActive();
    if (pActive == nullptr || pActive->m_pOwner != this)
        return;
    ClearPushStates();
    if (pActive->m_desc.nKind == HOTSPOT_TOGGLE)
        pActive->m_nState = pActive->m_nState ? 0 : 1;
    else if (pActive->m_desc.nKind == HOTSPOT_PUSH)
        pActive->m_nState = 1;
    Recompose();
    if (pActive->m_desc.nKind == HOTSPOT_PUSH)
        CHotSpot::s_nPendingCommand = pActive->m_desc.nCommand;
    m_bPressed = 1;
}

void CWidgetType3::OnLButtonUp(LONG /*x*/, LONG /*y*/)
{
    if (!m_nVisible)
        return;
    m_bPressed = 0;
    const int nCommand = CHotSpot::s_nPendingCommand;
    if (nCommand == -1)
        return;
    if (nCommand == CMD_HIDES_PANEL)
    {
        Hide();
        m_nIdle = 1;
        m_nVisible = 0;
        m_nFadeState = FADE_NONE;
    }
    PostPanelCommand(nCommand, 0);
    CHotSpot::s_nPendingCommand = -1;
    ClearPushStates();
    Recompose();
}

void CWidgetType3::Show()
{
    m_bPressed = 0;
    CWidget::Show();
    SetArrowCursor();
    ClearPushStates();
    Recompose();
    m_nFadeState = FADE_SHOWING;
    m_nIdle = 1;
    m_nVisible = 1;
}

void CWidgetType3::Hide()
{
    m_bPressed = 0;
    CWidget::Hide();
    m_nFadeState = FADE_HIDING;
    m_nIdle = 0;
    m_nVisible = 0;
}

void CWidgetType3::TickFade()
{
    if (m_nFadeState == FADE_NONE)
        return;
    m_nIdle = 1;
    m_nVisible = m_nFadeState == FADE_SHOWING ? 1 : 0;
}

void CWidgetType3::DrawTooltip(bool bNeedHover)
{
    const CHotSpot* pActive = CHotSpot::GetActive();
    if ((bNeedHover && !IsHoveredWidget(this)) || !m_nIdle || pActive == nullptr || pActive->m_pOwner != this ||
        m_pSurface3 == nullptr || timeGetTime() - CHotSpot::GetActiveTime() >= m_dwTooltipTime)
        return;
    BlitToFrame(m_pSurface3.get(), m_rcScreen.left + pActive->m_rcTooltip.left,
                m_rcScreen.top + pActive->m_rcTooltip.top, &pActive->m_rcTipSource);
}

void CWidgetType3::Draw(int /*nFlag*/)
{
    if (!m_nVisible)
        return;
    BlitToFrame(m_pSurface1.get(), m_rcScreen.left, m_rcScreen.top);
    DrawTooltip(true);
}

// ---------------------------------------------------------------------------------------------
// The main menu panel

CWidgetType2::CWidgetType2() = default;

BOOL CWidgetType2::CreateFromNames(const CStringArray& names, const RECT* pRect)
{
    m_strImageName = NameAt(names, 0);
    m_strPressedImage = NameAt(names, 1);
    for (int i = 0; i < 5; ++i)
        m_astrExtraNames[i] = NameAt(names, i + 2);
    if (pRect != nullptr)
        m_rcLayout = *pRect;
    return TRUE;
}

BOOL CWidgetType2::Create(const RECT* pRect) { return LoadImages(m_strImageName, pRect, 0); }

BOOL CWidgetType2::LoadImages(const CString& strName, const RECT* pRect, int /*nFlag*/)
{
    m_strImageName = strName;
    if (pRect != nullptr)
        m_rcLayout = *pRect;
    m_pSurface1 = LoadTextureSurface(strName, static_cast<DWORD>(std::max<LONG>(Width(m_rcLayout), 0)),
                                     static_cast<DWORD>(std::max<LONG>(Height(m_rcLayout), 0)));
    if (m_pSurface1 == nullptr)
        return FALSE;
    m_nLoaded = 1;
    return TRUE;
}

void CWidgetType2::Show()
{
    if (IsShowing())
        return;
    m_bPressed = 0;
    m_nAlpha = 64;
    CWidget::Show();
    ClearPushStates();
    SetArrowCursor();
    LoadImages(m_strImageName, &m_rcLayout, 0);
    PlaceInRect(m_nPlacement, m_rcLayout);
}

void CWidgetType2::Hide()
{
    if (IsHiding())
        return;
    m_bPressed = 0;
    CWidget::Hide();
}

void CWidgetType2::TickFade()
{
    if (!m_nIdle)
    {
        const DWORD dwDuration = m_dwFadeEnd - m_dwFadeStart;
        const DWORD dwElapsed = timeGetTime() - m_dwFadeStart;
        const DWORD dwAlpha = dwDuration == 0
                                  ? FADE_ALPHA_MAX
                                  : static_cast<DWORD>(std::min<std::uint64_t>(
                                        static_cast<std::uint64_t>(dwElapsed) * 128 / dwDuration, FADE_ALPHA_MAX));
        m_nAlpha = static_cast<BYTE>(IsHiding() ? FADE_ALPHA_MAX - dwAlpha : dwAlpha);
    }
    CWidget::TickFade();
}

void CWidgetType2::RefreshToggles(const std::function<int(int)>& itemState)
{
    // Each toggle shows the state of the panel item its command names.
    for (const auto& pSpot : m_aHotSpots)
        if (pSpot->m_desc.nKind == HOTSPOT_TOGGLE)
            pSpot->m_nState = itemState(pSpot->m_desc.nCommand) != 0 ? 1 : 0;
    Restore();
}

void CWidgetType2::SetPixelFormat(const DDPIXELFORMAT& ddpf)
{
    const DWORD masks[3] = {ddpf.dwRBitMask, ddpf.dwGBitMask, ddpf.dwBBitMask};
    for (int i = 0; i < 3; ++i)
    {
        m_adwMask[i] = masks[i];
        m_anShift[i] = masks[i] != 0 ? std::countr_zero(masks[i]) : 0;
    }
    m_dwColourMask = masks[0] | masks[1] | masks[2];
}

void CWidgetType2::Draw(int /*nFlag*/)
{
    if (m_nIdle)
    {
        if (m_nVisible)
            BlitToFrame(m_pSurface1.get(), m_rcScreen.left, m_rcScreen.top);
        return;
    }
    BlendToFrame();
}

void CWidgetType2::BlendToFrame()
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (m_pSurface1 == nullptr || frame.pBackBuffer == nullptr)
        return;
    CDirectDrawSurface& dest = *frame.pBackBuffer;
    CDirectDrawSurface& src = *m_pSurface1;
    DDSURFACEDESC2 dd, ds;
    if (dest.Lock(nullptr, &dd, DDLOCK_WAIT, nullptr) != DD_OK)
        return;
    if (src.Lock(nullptr, &ds, DDLOCK_WAIT, nullptr) != DD_OK)
    {
        dest.Unlock(nullptr);
        return;
    }
    const DWORD nBytes = src.GetBitsPerPixel() / 8;
    const auto read = [nBytes](const BYTE* p)
    { return nBytes == 4 ? *reinterpret_cast<const DWORD*>(p) : DWORD{*reinterpret_cast<const WORD*>(p)}; };
    const auto write = [nBytes](BYTE* p, DWORD v)
    {
        if (nBytes == 4)
            *reinterpret_cast<DWORD*>(p) = v;
        else
            *reinterpret_cast<WORD*>(p) = static_cast<WORD>(v);
    };
    const LONG nW = static_cast<LONG>(src.GetWidth()), nH = static_cast<LONG>(src.GetHeight());
    const LONG nDW = static_cast<LONG>(dest.GetWidth()), nDH = static_cast<LONG>(dest.GetHeight());
    const DWORD a = m_nAlpha;
    for (LONG y = 0; y < nH; ++y)
    {
        const LONG ty = m_rcScreen.top + y;
        if (ty < 0 || ty >= nDH)
            continue;
        for (LONG x = 0; x < nW; ++x)
        {
            const LONG tx = m_rcScreen.left + x;
            const BYTE* ps = static_cast<const BYTE*>(ds.lpSurface) + y * ds.lPitch + x * static_cast<LONG>(nBytes);
            const DWORD s = read(ps) & m_dwColourMask;
            if (tx < 0 || tx >= nDW || s == 0)
                continue;
            BYTE* pd = static_cast<BYTE*>(dd.lpSurface) + ty * dd.lPitch + tx * static_cast<LONG>(nBytes);
            const DWORD d = read(pd);
            DWORD out = d & ~m_dwColourMask;
            // Each channel through its mask: (source x alpha + destination x (255 - alpha)) / 256.
            for (int c = 0; c < 3; ++c)
            {
                const DWORD sc = (s & m_adwMask[c]) >> m_anShift[c], dc = (d & m_adwMask[c]) >> m_anShift[c];
                out |= (((sc * a + dc * (255 - a)) / 256) << m_anShift[c]) & m_adwMask[c];
            }
            write(pd, out);
        }
    }
    src.Unlock(nullptr);
    dest.Unlock(nullptr);
}
