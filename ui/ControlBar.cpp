#include "ui/ControlBar.h"

#include "platform/win32/Clock.h"

#include <algorithm>
#include <cmath>

namespace
{
// The two player lamps, mask indices 1 and 2.
constexpr SHotSpotDesc BAR_TABLE[] = {{0, 0, 0, 0, 0}, {1, CMD_LAMPS, 0, 0, 0}, {2, CMD_LAMPS, 0, 1, 0}};

bool InRect(const RECT& rc, LONG x, LONG y) { return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom; }

// Normal and hover pictures of the pop-up rows, top to bottom.
constexpr EBarItem ROW_ITEMS[5][2] = {{BAR_MENU_NORMAL, BAR_MENU_HOVER},
                                      {BAR_NEW_GAME_NORMAL, BAR_NEW_GAME_HOVER},
                                      {BAR_OPTIONS_NORMAL, BAR_OPTIONS_HOVER},
                                      {BAR_RULES_NORMAL, BAR_RULES_HOVER},
                                      {BAR_EXIT_NORMAL, BAR_EXIT_HOVER}};
// What a release on a pop-up row posts while the menu is open; row 1 only closes it.
constexpr int ROW_COMMANDS[5] = {-1, CMD_MENU_NEW_GAME, CMD_MENU_OPTIONS, CMD_MENU_RULES, CMD_MENU_EXIT};
} // namespace

int SkillPlate(int nLevel)
{
    if (nLevel >= 1 && nLevel <= 3)
        return BAR_NAME_SCRUB;
    if (nLevel >= 4 && nLevel <= 6)
        return BAR_NAME_SCHMOE;
    if (nLevel >= 7 && nLevel <= 9)
        return BAR_NAME_SHARK;
    return -1;
}

CListWidget::CListWidget() = default;

std::span<const SHotSpotDesc> CListWidget::Table() const { return BAR_TABLE; }

void CListWidget::ReleaseSurfaces()
{
    for (SurfacePtr& p : m_apItems)
        p.reset();
    CWidgetType3::ReleaseSurfaces();
}

BOOL CListWidget::CreateFromNames(const CStringArray& names, const RECT* pRect) { return BuildBar(names, pRect); }

BOOL CListWidget::Create(const RECT* pRect)
{
    CStringArray names;
    for (const CString& str : {m_strImageName, m_strPressedImage, m_strMaskImage, m_strTooltipImage})
        names.Add(str);
    for (const CString& str : m_astrItems)
        names.Add(str);
    if (!BuildBar(names, pRect))
        return FALSE;
    return LoadImages(m_strImageName, &m_rcLayout, 0);
}

BOOL CListWidget::BuildBar(const CStringArray& names, const RECT* pRect)
{
    m_nMoveCounter = 3;
    ClearMenuOpen();
    m_nInputLocked = 0;
    m_nTipShown = 1;
    m_nFurther = 0;
    m_nTipMode = 0;
    m_dwTipModeTime = 0;
    m_nLamp = 1;
    m_ptEnglish = POINT{0, 0};
    m_dPower = 0.5;
    m_nHoveredElement = -1;
    const auto name = [&names](int i) { return i < names.GetSize() ? names[i] : CString(); };
    for (int i = 0; i < BAR_ITEM_COUNT; ++i)
        m_astrItems[static_cast<std::size_t>(i)] = name(4 + i);
    if (!Build(name(0), name(1), name(2), name(3), pRect, Table()))
        return FALSE;
    for (int i = 0; i < BAR_ITEM_COUNT; ++i)
    {
        SurfacePtr& p = m_apItems[static_cast<std::size_t>(i)];
        p = LoadTextureSurface(m_astrItems[static_cast<std::size_t>(i)], 0, 0);
        if (p == nullptr)
            return FALSE;
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// State the main frame sets

void CListWidget::SetMode(int nMode)
{
    if (nMode == m_nLastTipMode)
        return;
    if (nMode != m_nTipMode)
        m_dwTipModeTime = timeGetTime();
    if (nMode == 0)
        m_nTipShown = 0;
    m_nTipMode = nMode;
}

double CListWidget::SetValue(double dPower)
{
    m_dPower = std::isnan(dPower) ? 0.0 : std::clamp(dPower, 0.0, 1.0);
    return m_dPower;
}

int CListWidget::ElementAt(LONG x, LONG y)
{
    // While the menu is open its rows lie over the elements 0 and 2: the rows a player sees win.
    if (IsMenuOpen())
    {
        for (int i = BAR_ELEMENT_FIRST_ROW; i < BAR_ELEMENT_COUNT; ++i)
        {
            if (InRect(BAR_ELEMENTS[i], x, y))
                return i;
        }
    }
    for (int i = 0; i < BAR_ELEMENT_COUNT; ++i)
    {
        if (InRect(BAR_ELEMENTS[i], x, y))
            return i;
    }
    return -1;
}

int CListWidget::HitElement(LONG x, LONG y) const
{
    for (int i = BAR_ELEMENT_MENU_BUTTON; i < BAR_ELEMENT_COUNT; ++i)
    {
        if (InRect(BAR_ELEMENTS[i], x - m_rcScreen.left, y - m_rcScreen.top))
            return i - BAR_ELEMENT_MENU_BUTTON;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Mouse

void CListWidget::MoveEnglish(LONG dx, LONG dy)
{
    m_ptEnglish = POINT{dx, dy};
    PostPanelCommand(CMD_ENGLISH_X, dx);
    PostPanelCommand(CMD_ENGLISH_Y, dy);
}

void CListWidget::OnLButtonDown(LONG x, LONG y)
{
    if (!m_nVisible || m_nInputLocked || m_bPressed)
        return;
    const LONG dx = x - (m_rcScreen.left + BAR_CUE_BALL_CENTRE.x);
    const LONG dy = y - (m_rcScreen.top + BAR_CUE_BALL_CENTRE.y);
    if (std::hypot(static_cast<double>(dx), static_cast<double>(dy)) < BAR_ENGLISH_RADIUS)
        MoveEnglish(dx, dy);
    // The lamps are push buttons: their command goes on release; the press takes the lamp under it.
    HoverHotSpots(x - m_rcScreen.left, y - m_rcScreen.top);
    CHotSpot* pActive = CHotSpot::GetActive();
    if (pActive != nullptr && pActive->m_pOwner == this)
    {
        ClearPushStates();
        pActive->m_nState = 1;
        CHotSpot::s_nPendingCommand = pActive->m_desc.nCommand;
    }
    Recompose();
    m_bPressed = 1;
}

void CListWidget::OnMouseMove(LONG x, LONG y)
{
    if (!m_nVisible || m_nInputLocked)
        return;
    const LONG rx = x - m_rcScreen.left, ry = y - m_rcScreen.top;
    const LONG dx = rx - BAR_CUE_BALL_CENTRE.x, dy = ry - BAR_CUE_BALL_CENTRE.y;
    if (m_bPressed && std::hypot(static_cast<double>(dx), static_cast<double>(dy)) < BAR_ENGLISH_RADIUS)
    {
        // A drag follows every fifth move inside the circle.
        if (m_nMoveCounter < 0)
        {
            m_nMoveCounter = BAR_MOVE_STRIDE - 1;
            MoveEnglish(dx, dy);
        }
        --m_nMoveCounter;
    }
    m_nHoveredElement = ElementAt(rx, ry);
    HoverHotSpots(rx, ry);
}

void CListWidget::OnLButtonUp(LONG x, LONG y)
{
    if (!m_nVisible)
        return;
    m_bPressed = 0;
    m_nInputLocked = 0;
    const LONG rx = x - m_rcScreen.left, ry = y - m_rcScreen.top;
    const int nElement = ElementAt(rx, ry);
    if (nElement == BAR_ELEMENT_MENU_BUTTON && !IsMenuOpen())
    {
        PostPanelCommand(CMD_MENU_OPENED, 0);
        SetMenuOpen(TRUE);
        m_nLastTipMode = m_nTipMode;
        m_nTipMode = 0;
        m_nTipShown = 0;
    }
    else if (nElement >= BAR_ELEMENT_FIRST_ROW && IsMenuOpen())
    {
        ClearMenuOpen();
        if (const int nCommand = ROW_COMMANDS[nElement - BAR_ELEMENT_FIRST_ROW]; nCommand >= 0)
            PostPanelCommand(nCommand, 0);
    }
    if (CHotSpot::s_nPendingCommand != -1)
    {
        PostPanelCommand(CHotSpot::s_nPendingCommand, 0);
        CHotSpot::s_nPendingCommand = -1;
        ClearPushStates();
        Recompose();
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CListWidget::DrawItem(int nItem, LONG x, LONG y, const RECT* pSource)
{
    BlitToFrame(m_apItems[static_cast<std::size_t>(nItem)].get(), m_rcScreen.left + x, m_rcScreen.top + y, pSource);
}

void CListWidget::Draw(int /*nFlag*/)
{
    // A tip clears at the first frame after its time, however late that frame comes.
    if (m_nTipMode != 0 && timeGetTime() - m_dwTipModeTime > BAR_TIP_MS)
    {
        m_nLastTipMode = m_nTipMode;
        m_nTipMode = 0;
    }
    if (!m_nVisible)
        return;
    BlitToFrame(m_pSurface1.get(), m_rcScreen.left, m_rcScreen.top);
    const auto nFill = static_cast<LONG>(m_dPower * BAR_POWER_WIDTH);
    if (nFill > 0)
    {
        const RECT rcFill{0, 0, nFill, BAR_POWER_HEIGHT};
        DrawItem(BAR_POWER, BAR_POWER_AT.x, BAR_POWER_AT.y, &rcFill);
    }
    DrawItem(BAR_ENGLISH, BAR_CUE_BALL_CENTRE.x - BAR_ENGLISH_MARKER_OFFSET + m_ptEnglish.x,
             BAR_CUE_BALL_CENTRE.y - BAR_ENGLISH_MARKER_OFFSET + m_ptEnglish.y);
    DrawItem(m_nLamp == 2 ? BAR_LAMP2 : BAR_LAMP1, BAR_LAMP_AT.x, BAR_LAMP_AT.y);
    if (const int nPlate = SkillPlate(m_nOpponentLevel); nPlate >= 0)
        DrawItem(nPlate, BAR_NAME_AT.x, BAR_NAME_AT.y);
    if (m_nHoveredElement == BAR_ELEMENT_MENU_BUTTON && !IsMenuOpen())
        DrawItem(BAR_MENU_HOVER, BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].left, BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].top);
    static constexpr int TIP_ITEMS[] = {-1, BAR_TIP, BAR_TIP_CALL, BAR_TIP_3D, BAR_TIP_HAND};
    if (m_nTipMode > 0 && m_nTipMode < 5)
        DrawItem(TIP_ITEMS[m_nTipMode], BAR_TIP_AT.x, BAR_TIP_AT.y);
    if (IsMenuOpen())
    {
        for (int i = 0; i < 5; ++i)
        {
            const RECT& rc = BAR_ELEMENTS[BAR_ELEMENT_FIRST_ROW + i];
            DrawItem(ROW_ITEMS[i][m_nHoveredElement == BAR_ELEMENT_FIRST_ROW + i ? 1 : 0], rc.left, rc.top);
        }
    }
    DrawTooltip(false); // the lamps' tooltips, hovered or not
}
