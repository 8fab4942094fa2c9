// The main frame's heads-up display, its frame painter and its panel loader: the widgets made
// from the artwork libraries' pictures, the match title, the turn banner with the pocketed balls,
// the score panels, the head string, the frame-rate counter and the text message, painted in the
// order of the scene plan; the mouse routed to the widgets each frame.
#include "app/FrameHud.h"

#include "app/FramePlacement.h"
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/ErrorBox.h"
#include "foundation/GameModeWord.h"
#include "foundation/GlobalOrder.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "gameflow/RespotNotice.h"
#include "media/AviClips.h"
#include "media/DirectInputDevices.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Modules.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/Picking.h"
#include "render/SceneReader.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/GamePlugin.h"
#include "simulation/GamePlugins.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/Referee.h"
#include "ui/BallColours.h"
#include "ui/GameWidgets.h"
#include "ui/HudTexts.h"
#include "ui/PanelPictures.h"
#include "ui/SurfaceDC.h"
#include "ui/TextMessages.h"

#include <algorithm>
#include <cmath>
#include <span>

VORN_GLOBAL_ROW(GLOBAL_ROW_FRAME_RATE_STAT) CRunningStat g_FrameRateStat;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_FRAME_RATE_STAT);

namespace
{
// Game-mode word bits the display reads beside those of the frame's header.
constexpr DWORD MODE_PRESENTATION = 0x1000000; // the presentation flight: no score panels, no frame rate
constexpr DWORD MODE_LIGHT_EDIT = 0x4000000;   // the light editor's label replaces the scores

constexpr COLORREF TITLE_COLOUR = RGB(255, 255, 255);
constexpr COLORREF RATE_COLOUR = RGB(255, 255, 0);
constexpr COLORREF HEAD_STRING_COLOUR = RGB(49, 99, 57);
constexpr COLORREF TIMING_COLOUR = RGB(250, 250, 0);
/// The light editor's label: its colour, and its line's left end and height above the view's bottom.
constexpr COLORREF LIGHT_LABEL_COLOUR = RGB(0, 250, 0);
constexpr LONG LIGHT_LABEL_LEFT = 20;
constexpr LONG LIGHT_LABEL_HEIGHT = 20;
/// The notices under the turn banner: the mode's one-line help, then the balls the last shot
/// dropped and threw off the table, shown this long after the shot named them (ms).
constexpr COLORREF NOTICE_COLOUR = RGB(210, 225, 240);
constexpr LONG NOTICE_LEFT = 12;
constexpr LONG NOTICE_TOP = 48;
constexpr LONG NOTICE_LINE = 18;
constexpr DWORD RESPOT_NOTICE_MS = 4000;
/// A plug-in's score panel: the icon over its left end, and the largest panel it may ask for.
constexpr LONG PLUGIN_ICON_OFFSET = 9;
constexpr float PLUGIN_ICON_DIAMETER = 18.0f;
constexpr SIZE PLUGIN_PANEL_MAX{HUD_DESIGN_WIDTH / 2, 100};
/// The score panel: its width and height, its distance from the area's bottom, the second panel's
/// offset down and the widths of its right text and of what the left text leaves free.
constexpr LONG SCORE_PANEL_WIDTH = 109;
constexpr LONG SCORE_PANEL_BOTTOM = 46;
constexpr LONG SCORE_PANEL_HEIGHT = 20;
constexpr LONG SCORE_SECOND_PANEL_DOWN = 23;
constexpr LONG SCORE_RIGHT_TEXT = 40;
constexpr LONG SCORE_LEFT_TEXT_SPARE = 50;
constexpr LONG SCORE_ICON_OFFSET = 9;
constexpr float SCORE_ICON_DIAMETER = 20.0f;
/// The pocketed balls' row of the turn banner.
constexpr LONG BALL_ROW_RIGHT = 786;
constexpr LONG BALL_ROW_STEP = 19;
constexpr LONG BALL_ROW_Y = 13;
constexpr float BALL_ROW_DIAMETER = 19.0f;
/// Stripes turned so that their band shows.
constexpr float STRIPE_ANGLES[3] = {0.0f, 2.35619449f, 1.57079633f};
constexpr float NO_TURN[3] = {0.0f, 0.0f, 0.0f};
/// The American game's pocketed balls lie turned by a quarter.
constexpr float QUARTER_TURN[3] = {0.0f, 0.0f, 1.57079633f};

/// The panels the loader makes, in its order: the widget, its pictures, its placement, and whether
/// it is shown (1), hidden (0) or left as built (-1) afterwards.
struct SPanelLoad
{
    CWidget* pWidget;
    std::span<const char* const> names;
    int nPlacement;
    int nShow;
};

/// A scene point's place in the window; false when it lies behind the camera (or beyond the far
/// plane), where nothing is drawn for it.
bool ProjectInFront(const CVector3& vScene, POINT& at)
{
    CVector3 vScreen;
    ProjectToScreen(&vScreen, &vScene);
    if (!(vScreen.z > 0.0f && vScreen.z < 1.0f))
        return false;
    at = POINT{static_cast<LONG>(vScreen.x), static_cast<LONG>(vScreen.y)};
    return true;
}

/// A ball's radius in the scene's units.
float SceneBallRadius() { return TableToScene(CVector3(BALL_RADIUS_M, 0, 0)).x - TableToScene(CVector3(0, 0, 0)).x; }

/// The path marks blink at this period, ms, and have this radius, pixels.
constexpr DWORD PATH_BLINK_MS = 200;
constexpr int PATH_MARK_RADIUS = 2;

/// The screen points of a ball's recorded track, at most nKept of them, at their table places; the
/// path stops before a point behind the camera. False when fewer than two are left.
bool ProjectPath(const CBall& ball, std::size_t nKept, std::vector<POINT>& points)
{
    points.clear();
    const std::vector<CVector3>& track = ball.GetTrackPoints();
    const std::size_t nCount = std::min({track.size(), nKept, PATH_MAX_POINTS});
    for (std::size_t i = 0; i < nCount; ++i)
    {
        POINT at;
        if (!ProjectInFront(TableToScene(track[i]), at))
            break;
        points.push_back(at);
    }
    return points.size() >= 2;
}

/// The index of the ball's first contact with another ball among its first nCount track points;
/// 0 when it has none there.
std::size_t FirstContactIndex(const CBall& ball, std::size_t nCount)
{
    const std::vector<std::int32_t>& kinds = ball.GetTrackKinds();
    for (std::size_t i = 0; i < std::min(nCount, kinds.size()); ++i)
        if (kinds[i] == TRACK_POINT_BALL)
            return i;
    return 0;
}

/// The aiming aid's ball the struck ball hits first: of the balls that moved, the one that stood
/// nearest where the struck ball first touched another. Null when it touched none.
const CBall* FirstBallHit(int nStruck)
{
    const CBall* pStruck = g_BallEngineAux.FindBall(nStruck);
    if (pStruck == nullptr)
        return nullptr;
    const std::size_t nContact = FirstContactIndex(*pStruck, pStruck->GetTrackPoints().size());
    if (nContact == 0)
        return nullptr;
    const CVector3& vContact = pStruck->GetTrackPoints()[nContact];
    const CBall* pNearest = nullptr;
    float fNearest = 0.0f;
    for (int i = 0; i < g_BallEngineAux.GetBallCount(); ++i)
    {
        const CBall* pBall = g_BallEngineAux.GetBallAt(i);
        if (pBall == pStruck || pBall->GetTrackPoints().size() < 2)
            continue;
        const float fDistance = (pBall->GetTrackPoints().front() - vContact).Length();
        if (pNearest == nullptr || fDistance < fNearest)
        {
            pNearest = pBall;
            fNearest = fDistance;
        }
    }
    return pNearest;
}

/// A ball's path as one polyline in its pen, one pixel wide.
void DrawPath(HDC hDC, int nBall, int nGameType, const std::vector<POINT>& points)
{
    const COLORREF colour = PathColour(nBall, nGameType);
    const HPEN hPen = colour != CLR_INVALID ? CreatePen(PS_SOLID, 1, colour) : CreateBallPen(nBall, 1, nGameType);
    if (hPen == nullptr)
        return;
    const HGDIOBJ hOld = SelectObject(hDC, hPen);
    Polyline(hDC, points.data(), static_cast<int>(points.size()));
    SelectObject(hDC, hOld);
    DeleteObject(hPen);
}

/// A string resource of the program's library; empty when it has none.
CString LoadResourceString(UINT nId)
{
    char szText[256] = {};
    LoadString(AfxGetResourceHandle(), nId, szText, sizeof szText);
    return CString(szText);
}

/// The design origin's x in a view of width w: the display is laid out 812 wide, centred.
LONG DesignX(const RECT& rcPanel, LONG x)
{
    return rcPanel.left + (rcPanel.right - rcPanel.left - HUD_DESIGN_WIDTH) / 2 + x;
}

bool IntroFinished() { return g_IntroSequence.IsFinished() != FALSE; }

/// A black, colour-keyed panel surface of at least the size, made again when it is too small.
CDirectDrawSurface* EnsurePanelSurface(SurfacePtr& pSurface, SIZE& size, SIZE need)
{
    if (pSurface != nullptr && need.cx <= size.cx && need.cy <= size.cy)
        return pSurface.get();
    size.cx = std::max(size.cx, need.cx);
    size.cy = std::max(size.cy, need.cy);
    pSurface = CreatePanelSurface(static_cast<DWORD>(size.cx), static_cast<DWORD>(size.cy));
    return pSurface.get();
}

/// Draws text on a context in the font's current preset.
void DrawPanelText(HDC hDC, HFONT hFont, COLORREF colour, const char* szText, RECT rc, UINT nFormat)
{
    const HGDIOBJ hOld = SelectObject(hDC, hFont);
    SetTextColor(hDC, colour);
    SetBkMode(hDC, TRANSPARENT);
    DrawText(hDC, szText, -1, &rc, nFormat);
    SelectObject(hDC, hOld);
}

/// The extent of a text in the font's current preset, measured on a context of the surface.
SIZE MeasureText(CDirectDrawSurface* pSurface, HFONT hFont, const char* szText)
{
    SIZE size{0, 0};
    HDC hDC = nullptr;
    if (pSurface == nullptr || pSurface->GetDC(&hDC) != DD_OK)
        return size;
    const HGDIOBJ hOld = SelectObject(hDC, hFont);
    GetTextExtentPoint32(hDC, szText, static_cast<int>(std::char_traits<char>::length(szText)), &size);
    SelectObject(hDC, hOld);
    pSurface->ReleaseDC(hDC);
    return size;
}

/// What a plug-in game paints its score panel with: a context on the panel's surface, the font
/// and the panel's size.
struct SPluginCanvas
{
    HDC hDC;
    HFONT hFont;
    SIZE size;
};

/// A plug-in's rectangle within its panel; the whole panel for null.
RECT CanvasRect(const SPluginCanvas& canvas, const SPluginRect* pRect)
{
    if (pRect == nullptr)
        return RECT{0, 0, canvas.size.cx, canvas.size.cy};
    return RECT{pRect->left, pRect->top, pRect->right, pRect->bottom};
}

/// 0x00RRGGBB as a GDI colour.
COLORREF PluginColour(std::uint32_t dwColour)
{
    return RGB((dwColour >> 16) & 0xFF, (dwColour >> 8) & 0xFF, dwColour & 0xFF);
}

void FillPluginCanvas(void* pCanvas, const SPluginRect* pRect, std::uint32_t dwColour)
{
    const auto& canvas = *static_cast<const SPluginCanvas*>(pCanvas);
    const RECT rc = CanvasRect(canvas, pRect);
    const HBRUSH hBrush = CreateSolidBrush(PluginColour(dwColour));
    FillRect(canvas.hDC, &rc, hBrush);
    DeleteObject(hBrush);
}

void DrawPluginCanvasText(void* pCanvas, const char* szText, const SPluginRect* pRect, std::uint32_t dwColour,
                          std::uint32_t nFlags)
{
    if (szText == nullptr)
        return;
    const auto& canvas = *static_cast<const SPluginCanvas*>(pCanvas);
    UINT nFormat = DT_SINGLELINE;
    nFormat |= (nFlags & PLUGIN_TEXT_CENTRE) != 0 ? DT_CENTER : (nFlags & PLUGIN_TEXT_RIGHT) != 0 ? DT_RIGHT : DT_LEFT;
    nFormat |= (nFlags & PLUGIN_TEXT_VCENTRE) != 0 ? DT_VCENTER : DT_TOP;
    DrawPanelText(canvas.hDC, canvas.hFont, PluginColour(dwColour), szText, CanvasRect(canvas, pRect), nFormat);
}

/// Copies a panel surface's part of the given size onto the back buffer with its colour key.
void BlitPanel(CDirectDrawSurface* pPanel, LONG x, LONG y, SIZE size)
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (frame.pBackBuffer == nullptr || pPanel == nullptr)
        return;
    const RECT rcSource{0, 0, size.cx, size.cy};
    const RECT rcDest{x, y, x + size.cx, y + size.cy};
    frame.pBackBuffer->Blt(&rcDest, pPanel, &rcSource, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
}
} // namespace

CFrameHud::CFrameHud()
{
    m_font.SetHeight(20).SetItalic(1);
    m_iconPainter.InitBallPainter("");
}

void CFrameHud::Release()
{
    for (SurfacePtr& pSurface : m_apSurfaces)
        pSurface.reset();
    m_ballLabel.Release();
    m_sizeBanner = HUD_BANNER_SIZE;
    m_sizeTitle = HUD_BANNER_SIZE;
    m_asizePlugin.fill(HUD_PLUGIN_PANEL_SIZE);
    m_bTitleDirty = true;
    m_strWatermark = WATERMARK_PICTURE; // the scene's objects come back with their own pictures
    m_strTrophy = "";
}

CFrameHud& CMainFrame::GetHud()
{
    if (m_pHud == nullptr)
        m_pHud = std::make_shared<CFrameHud>();
    return *m_pHud;
}

void CMainFrame::ReleaseHud()
{
    if (m_pHud != nullptr)
        m_pHud->Release();
}

// ---- The panel loader -------------------------------------------------------------------------

BOOL CMainFrame::LoadPanels()
{
    // The clips of the scene's objects open while it is built.
    InitAviFile();
    // The scene text must hold its objects and its table, and the scene is built from them.
    CSceneReader reader;
    std::vector<CSceneObjectRec> aRecs;
    if (reader.Open())
    {
        const bool bObjects = reader.ReadObjects(aRecs);
        const bool bTable = bObjects && reader.ReadTable(aRecs);
        reader.Close();
        if (!bObjects || !bTable)
        {
            ShowErrorBox(bObjects ? IDS_SCENE_TABLE_UNREADABLE : IDS_SCENE_OBJECTS_UNREADABLE);
            return FALSE;
        }
    }
    if (!SetUpGameScene())
    {
        ShowErrorBox(IDS_SCENE_NOT_BUILT);
        return FALSE;
    }
    // The icons show the balls of the first ball set.
    CBallPainter& icons = GetHud().m_iconPainter;
    if (g_astrBallSetLibraries.GetSize() > 0)
        icons.LoadBallTextures(g_astrBallSetLibraries[0].GetString(), "BALLS_STANDARD");
    icons.SetHighlight(95, 255.0);
    RECT rcClient{};
    GetClientRect(&rcClient);
    LoadPanelWidgets(rcClient);
    // The scene's objects in drawing order; those above the settings' detail level are not drawn.
    CSceneObject::SortListByOrder();
    ApplyDetailLevel(g_Settings.m_nDrawLevel, m_pPocketArrow.get());
    return TRUE;
}

void CMainFrame::LoadPanelWidgets(const RECT& rcClient)
{
    const SPanelLoad panels[] = {
        {&g_mainPanel, MAIN_PANEL_PICTURES, PLACE_BOTTOM | PLACE_HCENTRE, -1},
        {&g_webPanel, WEB_PANEL_PICTURES, PLACE_TOP | PLACE_LEFT, -1},
        {&g_creditsPanel, CREDITS_PANEL_PICTURES, PLACE_TOP | PLACE_HCENTRE, -1},
        {&g_commentsPanel, COMMENTS_PANEL_PICTURES, PLACE_TOP | PLACE_RIGHT, -1},
        {&g_topPanel, TOP_PANEL_PICTURES, PLACE_TOP | PLACE_HCENTRE, 1},
        {&g_pausedPanel, PAUSED_PANEL_PICTURES, PLACE_VCENTRE | PLACE_HCENTRE, 0},
        {&g_mouseArea, MOUSE_AREA_PICTURES, 0, 1},
        {&g_controlBar, CONTROL_BAR_PICTURES, PLACE_BOTTOM | PLACE_HCENTRE, 1},
    };
    for (const SPanelLoad& panel : panels)
    {
        CWidget::SetCurrentPanel(panel.pWidget);
        CStringArray names;
        for (const char* szName : panel.names)
            names.Add(CString(szName));
        panel.pWidget->CreateFromNames(names, &rcClient);
        panel.pWidget->LoadImages(names[0], &rcClient, 0);
        panel.pWidget->PlaceInRect(panel.nPlacement, rcClient);
        if (panel.nShow == 1)
            panel.pWidget->Show();
        else if (panel.nShow == 0)
            panel.pWidget->Hide();
    }
    // Only the main panel becomes the panel the display draws, and only when it could be made.
    CWidget::SetCurrentPanel(g_mainPanel.IsLoaded() ? &g_mainPanel : nullptr);
}

// ---- Areas and texts --------------------------------------------------------------------------

void CMainFrame::GetPanelRect(RECT& rc) const
{
    if (m_pFramework != nullptr)
    {
        rc = RECT{0, 0, static_cast<LONG>(m_pFramework->GetRenderWidth()),
                  static_cast<LONG>(m_pFramework->GetRenderHeight())};
        return;
    }
    rc = RECT{};
    if (::IsWindow(m_hWnd))
        ::GetClientRect(m_hWnd, &rc);
}

RECT CMainFrame::GetScoreArea() const
{
    // The score panels lie at the bar's right end, wherever the bar stands in the view.
    if (g_controlBar.IsLoaded() && g_controlBar.IsVisible())
        return g_controlBar.m_rcScreen;
    RECT rc;
    GetPanelRect(rc);
    return rc;
}

void CMainFrame::ClearPanel()
{
    const LONG nBand = GetHud().m_nPanelBand;
    const SWidgetFrame frame = GetWidgetFrame();
    if (nBand == 0 || frame.pBackBuffer == nullptr)
        return;
    RECT rc;
    GetPanelRect(rc);
    rc.top = std::max(rc.top, rc.bottom - nBand);
    DDBLTFX fx{};
    frame.pBackBuffer->Blt(&rc, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

CString CMainFrame::GetMatchTitle(BOOL) const
{
    const int nType = g_Settings.m_nGameType;
    CString strGame;
    if (const UINT nId = GameNameStringId(nType); nId != 0)
        strGame = LoadResourceString(nId);
    else if (const SGamePluginEntry* pEntry = g_GamePlugins.FindByType(nType); pEntry != nullptr)
        strGame = pEntry->strName;
    else
        strGame = "?";
    return FormatMatchTitle(strGame, g_Settings.m_nCompetitionType, g_Settings.m_nGamesGoal);
}

void CMainFrame::SetTitleDirty() { GetHud().m_bTitleDirty = true; }

// ---- The painters -----------------------------------------------------------------------------

void CMainFrame::DrawMatchTitle()
{
    if (!IntroFinished())
        return;
    CFrameHud& hud = GetHud();
    CDirectDrawSurface* pSurface = EnsurePanelSurface(hud.m_apSurfaces[HUD_TITLE], hud.m_sizeTitle, HUD_BANNER_SIZE);
    if (pSurface == nullptr)
        return;
    // The text is repainted when it is marked dirty and also whenever it changes (the match's
    // settings, a settings preview), so no changer of the settings has to remember the title.
    const CString strTitle =
        (g_nGameMode & gmSettingsPreview) != 0 ? LoadResourceString(IDS_SETTINGS_PREVIEW) : GetMatchTitle(TRUE);
    if (hud.m_bTitleDirty || strTitle != hud.m_strTitle)
    {
        if (!PaintTitle(strTitle))
            return;
        hud.m_strTitle = strTitle;
        hud.m_bTitleDirty = false;
    }
    RECT rcPanel;
    GetPanelRect(rcPanel);
    BlitPanel(hud.m_apSurfaces[HUD_TITLE].get(), DesignX(rcPanel, HUD_TITLE_AT.x), rcPanel.top + HUD_TITLE_AT.y,
              hud.m_sizeTitle);
}

bool CMainFrame::PaintTitle(const CString& strTitle)
{
    CFrameHud& hud = GetHud();
    LOGFONT saved;
    hud.m_font.SaveLogFont(saved);
    hud.m_font.SetHeavy16();
    SIZE need = MeasureText(hud.m_apSurfaces[HUD_TITLE].get(), hud.m_font, strTitle);
    need.cx = std::max(need.cx, HUD_BANNER_SIZE.cx);
    need.cy = std::max(need.cy, HUD_BANNER_SIZE.cy);
    CDirectDrawSurface* pSurface = EnsurePanelSurface(hud.m_apSurfaces[HUD_TITLE], hud.m_sizeTitle, need);
    HDC hDC = nullptr;
    if (pSurface == nullptr || pSurface->GetDC(&hDC) != DD_OK)
    {
        hud.m_font.RestoreLogFont(saved);
        return false;
    }
    PatBlt(hDC, 0, 0, hud.m_sizeTitle.cx, hud.m_sizeTitle.cy, BLACKNESS);
    DrawPanelText(hDC, hud.m_font, TITLE_COLOUR, strTitle, RECT{0, 0, hud.m_sizeTitle.cx, hud.m_sizeTitle.cy},
                  DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
    pSurface->ReleaseDC(hDC);
    hud.m_font.RestoreLogFont(saved);
    return true;
}

SBannerState CMainFrame::GetBannerState() const
{
    SBannerState state;
    state.dwMode = g_nGameMode;
    state.bOverhead = g_Settings.m_nOverHeadView != 0;
    const CPlayer& current = m_pGameFlow->Current();
    state.bHumanTurn = current.GetRobotLevel() == 0 && !current.IsRemote();
    state.strPlayer = current.GetNameRef();
    state.nPickedBall = m_pPlacement != nullptr ? m_pPlacement->GetPickedBall() : -1;
    state.bWaitWidget = g_pausedPanel.IsVisible() != FALSE;
    return state;
}

void CMainFrame::DrawTurnBanner()
{
    if (!IntroFinished())
        return;
    DrawPocketedRow();
    CFrameHud& hud = GetHud();
    const SBanner banner = GetTurnBanner(GetBannerState(), LoadResourceString);
    if (g_controlBar.IsVisible() && banner.nBarMode != 0)
        g_controlBar.SetMode(banner.nBarMode);
    LOGFONT saved;
    hud.m_font.SaveLogFont(saved);
    hud.m_font.SetHeavy16();
    PaintBanner(banner.strText);
    hud.m_font.RestoreLogFont(saved);
}

void CMainFrame::DrawPocketedRow()
{
    RECT rcPanel;
    GetPanelRect(rcPanel);
    const WORD wPocketed = m_pGameFlow->GetPocketedMask();
    const float* pAngles = m_pGameFlow->GetGameType() == GAME_AMERICAN ? QUARTER_TURN : NO_TURN;
    LONG nPlace = 0;
    for (int nBall = 0; nBall < BALL_PAINT_COUNT; ++nBall)
        if ((wPocketed & (1u << nBall)) != 0)
            DrawBallIcon(0, nBall, DesignX(rcPanel, BALL_ROW_RIGHT - BALL_ROW_STEP * nPlace++),
                         rcPanel.top + BALL_ROW_Y, pAngles, BALL_ROW_DIAMETER);
}

void CMainFrame::PaintBanner(const CString& strText)
{
    CFrameHud& hud = GetHud();
    const SWidgetFrame frame = GetWidgetFrame();
    SIZE need = MeasureText(EnsurePanelSurface(hud.m_apSurfaces[HUD_BANNER], hud.m_sizeBanner, HUD_BANNER_SIZE),
                            hud.m_font, strText);
    need.cx = std::max(need.cx, HUD_BANNER_SIZE.cx);
    need.cy = std::max(need.cy, HUD_BANNER_SIZE.cy);
    CDirectDrawSurface* pSurface = EnsurePanelSurface(hud.m_apSurfaces[HUD_BANNER], hud.m_sizeBanner, need);
    if (pSurface == nullptr || frame.pBackBuffer == nullptr || strText.IsEmpty())
        return;
    RECT rcPanel;
    GetPanelRect(rcPanel);
    const LONG x = DesignX(rcPanel, HUD_BANNER_AT.x);
    const LONG y = rcPanel.top + HUD_BANNER_AT.y;
    const RECT rcFrame{x, y, x + hud.m_sizeBanner.cx, y + hud.m_sizeBanner.cy};
    const RECT rcSurface{0, 0, hud.m_sizeBanner.cx, hud.m_sizeBanner.cy};
    // The scene under the banner is copied in, written on and copied back.
    if (pSurface->Blt(&rcSurface, frame.pBackBuffer.get(), &rcFrame, DDBLT_WAIT, nullptr) != DD_OK)
        return;
    HDC hDC = nullptr;
    if (pSurface->GetDC(&hDC) != DD_OK)
        return;
    DrawPanelText(hDC, hud.m_font, HUD_TEXT_COLOUR, strText, rcSurface, DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
    pSurface->ReleaseDC(hDC);
    frame.pBackBuffer->Blt(&rcFrame, pSurface, &rcSurface, DDBLT_WAIT, nullptr);
}

void CMainFrame::DrawGamePanels(const RECT& rcArea)
{
    // The control bar was told whose turn it is before it was drawn (DrawWidgets).
    if (!IntroFinished())
        return;
    DrawTurnBanner();
    DrawScorePanels(rcArea);
}

void CMainFrame::DrawScorePanels(const RECT& rcArea)
{
    if ((g_nGameMode & MODE_LIGHT_EDIT) != 0)
    {
        DrawLightLabel();
        return;
    }
    if ((m_dwOptionWord & OPTION_SCORE) == 0 || (g_nGameMode & MODE_PRESENTATION) != 0 || !m_bGameStarted)
        return;
    CGameFlow& flow = *m_pGameFlow;
    if (CPluginGame* pGame = flow.GetPluginGame(); pGame != nullptr)
    {
        DrawPluginScorePanels(*pGame, rcArea);
        return;
    }
    RECT rcPanel{rcArea.right - SCORE_PANEL_WIDTH, rcArea.bottom - SCORE_PANEL_BOTTOM, rcArea.right,
                 rcArea.bottom - SCORE_PANEL_BOTTOM + SCORE_PANEL_HEIGHT};
    if (g_Settings.m_nCompetitionType == 0)
    {
        DrawScorePanel(flow.Current(), true, rcPanel);
        return;
    }
    DrawScorePanel(flow.Player1(), flow.IsPlayer1Current(), rcPanel);
    if ((g_nGameMode & MODE_BITS) == 0)
        return; // an idle game shows only the first player
    rcPanel.top += SCORE_SECOND_PANEL_DOWN;
    rcPanel.bottom += SCORE_SECOND_PANEL_DOWN;
    DrawScorePanel(flow.Player2(), !flow.IsPlayer1Current(), rcPanel);
}

void CMainFrame::DrawScorePanel(const CPlayer& player, bool bCurrent, const RECT& rcPanel)
{
    const int nType = m_pGameFlow->GetGameType();
    CString strLeft;
    CString strRight;
    if (!GetScoreTexts(nType, player.GetPoints(), player.GetGames(), player.GetFouls(), m_pGameFlow->GetMatchGoal(),
                       strLeft, strRight))
        return;
    const int nIcon = GetScoreIconBall(nType, player.GetGroup(), bCurrent, m_pGameFlow->GetTargetBall());
    if (nIcon >= 0)
        DrawBallIcon(bCurrent ? 0 : 1, nIcon, rcPanel.left + SCORE_ICON_OFFSET, rcPanel.top + SCORE_ICON_OFFSET,
                     nIcon == 9 ? STRIPE_ANGLES : NO_TURN, SCORE_ICON_DIAMETER);
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (!dc)
        return;
    CFrameHud& hud = GetHud();
    LOGFONT saved;
    hud.m_font.SaveLogFont(saved);
    hud.m_font.SetHeavy16();
    const RECT rcLeft{rcPanel.left, rcPanel.top, rcPanel.right - SCORE_LEFT_TEXT_SPARE, rcPanel.bottom};
    const RECT rcRight{rcPanel.right - SCORE_RIGHT_TEXT, rcPanel.top, rcPanel.right, rcPanel.bottom};
    DrawPanelText(dc.GetDC(), hud.m_font, HUD_TEXT_COLOUR, strLeft, rcLeft, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    DrawPanelText(dc.GetDC(), hud.m_font, HUD_TEXT_COLOUR, strRight, rcRight, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    hud.m_font.RestoreLogFont(saved);
}

void CMainFrame::DrawPluginScorePanels(CPluginGame& game, const RECT& rcArea)
{
    // The first player's panel at the lower left, the second's in a match at the lower right.
    const int nPanels = g_Settings.m_nCompetitionType != 0 ? 2 : 1;
    CFrameHud& hud = GetHud();
    for (int nPlayer = 0; nPlayer < nPanels; ++nPlayer)
    {
        int nBall = -1;
        if (!PaintPluginScorePanel(game, nPlayer, nBall))
            continue;
        const SIZE size = hud.m_asizePlugin[static_cast<std::size_t>(nPlayer)];
        const LONG x = nPlayer == 0 ? rcArea.left : rcArea.right - size.cx;
        const LONG y = rcArea.bottom - size.cy;
        BlitPanel(hud.m_apSurfaces[HUD_PLUGIN_SCORE1 + nPlayer].get(), x, y, size);
        if (nBall >= 0)
            DrawBallIcon(nPlayer, nBall, x + PLUGIN_ICON_OFFSET, y + size.cy / 2, NO_TURN, PLUGIN_ICON_DIAMETER);
    }
}

bool CMainFrame::PaintPluginScorePanel(CPluginGame& game, int nPlayer, int& nBall)
{
    CFrameHud& hud = GetHud();
    SurfacePtr& pSurface = hud.m_apSurfaces[HUD_PLUGIN_SCORE1 + nPlayer];
    SIZE& size = hud.m_asizePlugin[static_cast<std::size_t>(nPlayer)];
    const CPlayer& player = nPlayer == 0 ? m_pGameFlow->Player1() : m_pGameFlow->Player2();
    LOGFONT saved;
    hud.m_font.SaveLogFont(saved);
    hud.m_font.SetHeavy16();
    // A panel the plug-in finds too small is made again at the size it asks for (within the
    // display's bounds) and painted once more.
    bool bPainted = false;
    for (int nTry = 0; nTry < 2 && !bPainted; ++nTry)
    {
        const bool bNew = pSurface == nullptr;
        if (bNew)
            pSurface = CreatePanelSurface(static_cast<DWORD>(size.cx), static_cast<DWORD>(size.cy));
        SPluginScorePanel panel;
        if (pSurface == nullptr || !CallPluginPainter(game, *pSurface, size, bNew, nPlayer, player, panel))
            break;
        nBall = panel.nBall;
        const SIZE need{std::min(panel.nNeedWidth, PLUGIN_PANEL_MAX.cx),
                        std::min(panel.nNeedHeight, PLUGIN_PANEL_MAX.cy)};
        bPainted = need.cx <= size.cx && need.cy <= size.cy;
        if (!bPainted)
        {
            size = SIZE{std::max(size.cx, need.cx), std::max(size.cy, need.cy)};
            pSurface.reset();
        }
    }
    hud.m_font.RestoreLogFont(saved);
    return bPainted;
}

bool CMainFrame::CallPluginPainter(CPluginGame& game, CDirectDrawSurface& surface, SIZE size, bool bNew, int nPlayer,
                                   const CPlayer& player, SPluginScorePanel& panel)
{
    HDC hDC = nullptr;
    if (surface.GetDC(&hDC) != DD_OK)
        return false;
    if (bNew)
        PatBlt(hDC, 0, 0, size.cx, size.cy, BLACKNESS);
    SPluginCanvas canvas{hDC, GetHud().m_font, size};
    panel.pCanvas = &canvas;
    panel.pfnFill = &FillPluginCanvas;
    panel.pfnDrawText = &DrawPluginCanvasText;
    panel.nWidth = size.cx;
    panel.nHeight = size.cy;
    panel.bRepaint = bNew ? 1 : 0;
    panel.nPlayer = nPlayer;
    panel.bTurn = m_pGameFlow->IsPlayer1Current() == (nPlayer == 0) ? 1 : 0;
    panel.nFouls = player.GetFouls();
    panel.nPoints = player.GetPoints();
    panel.nGames = player.GetGames();
    panel.szName = player.GetNameRef();
    panel.nPanelWidth = HUD_PLUGIN_PANEL_SIZE.cx;
    panel.rcLeft = SPluginRect{0, 0, size.cx - SCORE_LEFT_TEXT_SPARE, size.cy};
    panel.rcRight = SPluginRect{size.cx - SCORE_RIGHT_TEXT, 0, size.cx, size.cy};
    game.PaintScorePanel(&panel);
    surface.ReleaseDC(hDC);
    return true;
}

void CMainFrame::DrawLightLabel()
{
    const CSceneLight* pLamp = g_LightSources.GetCurrent();
    if (pLamp == nullptr || pLamp->m_strName.empty())
        return;
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (!dc)
        return;
    RECT rcView;
    GetPanelRect(rcView);
    const RECT rcLabel{rcView.left + LIGHT_LABEL_LEFT, rcView.bottom - LIGHT_LABEL_HEIGHT, rcView.right, rcView.bottom};
    DrawPanelText(dc.GetDC(), GetHud().m_font, LIGHT_LABEL_COLOUR, pLamp->m_strName.c_str(), rcLabel,
                  DT_LEFT | DT_BOTTOM | DT_SINGLELINE);
}

void CMainFrame::DrawBallLabel()
{
    const bool bCallState = g_pCallShotState != nullptr;
    SBallLabelState state;
    state.bCallState = bCallState;
    state.bOverhead = g_Settings.m_nOverHeadView != 0;
    state.bShotRunning = (g_nGameMode & gmShotRunning) != 0;
    state.bCallShotMode = GetModeField() == modeCallShot;
    state.nGameType = m_pGameFlow->GetGameType();
    state.nCalled = GetCalledBall();
    state.nMarked = bCallState ? g_pCallShotState->GetPickedBall() : -1;
    if (!bCallState && state.bOverhead && !state.bShotRunning)
        state.nHovered = BallUnderCursor();
    const int nBall = GetLabelBall(state);
    CVector3 vBall;
    POINT at;
    if (nBall < 0 || !m_pGameFlow->GetBallScenePosition(nBall, vBall) || !ProjectInFront(vBall, at))
        return;
    CFrameHud& hud = GetHud();
    hud.m_ballLabel.Draw(nBall, at, hud.m_font);
}

int CMainFrame::BallUnderCursor() const
{
    // The ball's radius in the scene's units.
    const float fRadius = SceneBallRadius();
    std::vector<SPickBall> balls;
    for (int n = 0; n < 16; ++n)
        if (CVector3 v; m_pGameFlow->GetBallScenePosition(n, v))
            balls.push_back(SPickBall{n, v, fRadius});
    POINT pt{0, 0};
    GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    RECT rcView;
    GetPanelRect(rcView);
    const SPickBall* pBall = PickAtPoint(balls, static_cast<float>(pt.x), static_cast<float>(pt.y), rcView);
    return pBall != nullptr ? pBall->nId : -1;
}

void CMainFrame::DrawCalledPocket()
{
    const int nPocket = GetCalledPocket();
    const bool bCallState = g_pCallShotState != nullptr;
    if (!ShowsCalledPocket(bCallState, GetModeField() == modeCallShot, bCallState && g_pCallShotState->IsDone(),
                           m_pGameFlow->GetGameType(), nPocket))
        return;
    CBallEngine& engine = m_pGameFlow->Engine();
    if (engine.GetWorldObject(nPocket) == nullptr)
        return;
    // The pocket's mouth at the cloth's height.
    CVector3 vPocket = TableToScene(engine.GetCushionPoint(nPocket));
    vPocket.y = SCENE_BED_HEIGHT;
    POINT at;
    if (!ProjectInFront(vPocket, at))
        return;
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (dc)
        DrawCalledPocketMarker(dc.GetDC(), at);
}

void CMainFrame::DrawWatermark(int)
{
    // The watermark's picture tells the player's trophy too; the trophy itself has a step of its
    // own, so that the balls split around it stay in front of it or behind it.
    ShowTrophyWatermark();
    DrawWatermarkObject();
    if ((m_dwOptionWord & OPTION_HEAD_LINE) != 0)
        DrawHeadString();
}

void CMainFrame::ShowTrophyWatermark()
{
    const int nTrophy = g_Settings.m_nTrophy;
    const char* szImage = nTrophy == TROPHY_SILVER ? "waterweed.bmp"
                          : nTrophy == TROPHY_GOLD ? "waterstars.jpg"
                                                   : WATERMARK_PICTURE;
    CFrameHud& hud = GetHud();
    CSceneObject* pMark = CSceneObject::FindSceneObjectByKind(KIND_WATERMARK);
    if (pMark == nullptr || hud.m_strWatermark == szImage)
        return;
    pMark->SetImage(szImage);
    // The frame being drawn shows the picture already.
    if (m_pFramework != nullptr)
        ReloadTexture(szImage, m_pFramework->GetD3DDevice());
    hud.m_strWatermark = szImage;
}

void CMainFrame::RestoreLamps()
{
    // The lamps lit for this frame get back their settings from before its flicker.
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        if (CSceneLight* pLamp = CLightTable::GetAt(i); pLamp != nullptr && pLamp->m_bOn && CLightTable::GetOnFlag(i))
            pLamp->RestorePrevious();
}

void CMainFrame::DrawHeadString()
{
    // Across the cloth a quarter of the length from the head end, from one long side to the other.
    const CVector3 vLeft = TableToScene(CVector3(0.0f, TABLE_LENGTH_M / 4.0f, 0.0f));
    const CVector3 vRight = TableToScene(CVector3(TABLE_WIDTH_M, TABLE_LENGTH_M / 4.0f, 0.0f));
    CVector3 vA;
    CVector3 vB;
    ProjectToScreen(&vA, &vLeft);
    ProjectToScreen(&vB, &vRight);
    // A point behind the camera has no place on the screen.
    if (!(vA.z > 0.0f && vA.z < 1.0f && vB.z > 0.0f && vB.z < 1.0f))
        return;
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (!dc)
        return;
    const HPEN hPen = CreatePen(PS_SOLID, 1, HEAD_STRING_COLOUR);
    const HGDIOBJ hOld = SelectObject(dc.GetDC(), hPen);
    MoveToEx(dc.GetDC(), static_cast<int>(std::lround(vA.x)), static_cast<int>(std::lround(vA.y)), nullptr);
    LineTo(dc.GetDC(), static_cast<int>(std::lround(vB.x)), static_cast<int>(std::lround(vB.y)));
    SelectObject(dc.GetDC(), hOld);
    DeleteObject(hPen);
}

void CMainFrame::DrawFrameRate()
{
    CFrameHud& hud = GetHud();
    if ((g_nGameMode & MODE_PRESENTATION) != 0)
    {
        CountTimingFrame();
        DrawTimingText();
        return;
    }
    hud.m_bTimingStarted = false; // a later timing run counts from its own start
    if ((g_nGameMode & MODE_BITS) == modeWaiting || (m_dwOptionWord & OPTION_FRAME_RATE) == 0)
        return;
    SurfacePtr& pSurface = hud.m_apSurfaces[HUD_FRAME_RATE];
    if (pSurface == nullptr && !StartFrameRate())
        return;
    if (hud.m_rate.Tick(timeGetTime()))
        PaintFrameRateNumber();
    RECT rcPanel;
    GetPanelRect(rcPanel);
    const LONG x = rcPanel.left + (rcPanel.right - rcPanel.left - HUD_RATE_SIZE.cx) / 2;
    BlitPanel(pSurface.get(), x, rcPanel.top + 2, HUD_RATE_SIZE);
}

bool CMainFrame::StartFrameRate()
{
    CFrameHud& hud = GetHud();
    SurfacePtr& pSurface = hud.m_apSurfaces[HUD_FRAME_RATE];
    pSurface = CreatePanelSurface(HUD_RATE_SIZE.cx, HUD_RATE_SIZE.cy);
    HDC hDC = nullptr;
    if (pSurface == nullptr || pSurface->GetDC(&hDC) != DD_OK)
    {
        pSurface.reset();
        return false;
    }
    PatBlt(hDC, 0, 0, HUD_RATE_SIZE.cx, HUD_RATE_SIZE.cy, BLACKNESS);
    const CString strLabel = LoadResourceString(IDS_FRAME_RATE);
    const HGDIOBJ hOld = SelectObject(hDC, hud.m_font);
    SIZE size{0, 0};
    GetTextExtentPoint32(hDC, strLabel, strLabel.GetLength(), &size);
    SelectObject(hDC, hOld);
    DrawPanelText(hDC, hud.m_font, RATE_COLOUR, strLabel, RECT{0, 0, HUD_RATE_SIZE.cx, HUD_RATE_SIZE.cy},
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    pSurface->ReleaseDC(hDC);
    hud.m_nRateNumberLeft = std::min(size.cx, HUD_RATE_SIZE.cx);
    hud.m_rate.Start(timeGetTime());
    return true;
}

void CMainFrame::PaintFrameRateNumber()
{
    CFrameHud& hud = GetHud();
    CDirectDrawSurface* pSurface = hud.m_apSurfaces[HUD_FRAME_RATE].get();
    HDC hDC = nullptr;
    if (pSurface->GetDC(&hDC) != DD_OK)
        return;
    const RECT rcNumber{hud.m_nRateNumberLeft, 0, HUD_RATE_SIZE.cx, HUD_RATE_SIZE.cy};
    PatBlt(hDC, rcNumber.left, 0, rcNumber.right - rcNumber.left, HUD_RATE_SIZE.cy, BLACKNESS);
    DrawPanelText(hDC, hud.m_font, RATE_COLOUR, hud.m_rate.GetText(), rcNumber, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    pSurface->ReleaseDC(hDC);
}

void CMainFrame::CountTimingFrame()
{
    CFrameHud& hud = GetHud();
    const DWORD dwNow = timeGetTime();
    if (!hud.m_bTimingStarted)
    {
        hud.m_bTimingStarted = true;
        hud.m_dwTimingStart = dwNow;
        hud.m_nTimingFrames = 0;
        return;
    }
    if (++hud.m_nTimingFrames < g_FrameRateStat.GetSampleInterval())
        return;
    // A count that took no measurable time gives no sample.
    if (const DWORD dwElapsed = dwNow - hud.m_dwTimingStart; dwElapsed > 0)
    {
        g_FrameRateStat.AddSample(hud.m_nTimingFrames * 1000.0 / dwElapsed);
        g_FrameRateStat.Format();
    }
    hud.m_nTimingFrames = 0;
    hud.m_dwTimingStart = dwNow;
}

void CMainFrame::DrawTimingText()
{
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (!dc)
        return;
    RECT rcPanel;
    GetPanelRect(rcPanel);
    const CString strText = g_FrameRateStat.GetName();
    DrawPanelText(dc.GetDC(), GetHud().m_font, TIMING_COLOUR, strText, rcPanel, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CMainFrame::DrawTextMessage()
{
    const char* szText = g_TextMessages.GetHeadText();
    if (szText == nullptr || g_IntroSequence.IsArmed())
        return;
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (!dc)
        return;
    RECT rcPanel;
    GetPanelRect(rcPanel);
    PaintTextMessage(dc.GetDC(), GetHud().m_font, rcPanel, szText);
}

void CMainFrame::DrawNotices()
{
    if (g_IntroSequence.IsArmed() || !m_bGameInProgress)
        return;
    // The respot notice is shown from the frame it is first drawn in, and goes after a while.
    const DWORD dwNow = timeGetTime();
    if (g_RespotNotice.nState == RESPOT_PENDING)
    {
        g_RespotNotice.nState = RESPOT_SHOWN;
        g_RespotNotice.dwShownTime = dwNow;
    }
    std::vector<CString> lines;
    if (!m_strModeHint.IsEmpty())
        lines.push_back(m_strModeHint);
    if (g_RespotNotice.nState == RESPOT_SHOWN && dwNow - g_RespotNotice.dwShownTime < RESPOT_NOTICE_MS)
        for (const CString* pText : {&g_RespotNotice.strPocketed, &g_RespotNotice.strText})
            if (!pText->IsEmpty())
                lines.push_back(*pText);
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (lines.empty() || !dc)
        return;
    RECT rcPanel;
    GetPanelRect(rcPanel);
    CPanelFont& font = GetHud().m_font;
    LOGFONT kept;
    font.SaveLogFont(kept);
    font.SetBold12();
    RECT rcLine{rcPanel.left + NOTICE_LEFT, rcPanel.top + NOTICE_TOP, rcPanel.right - NOTICE_LEFT,
                rcPanel.top + NOTICE_TOP + NOTICE_LINE};
    for (const CString& strLine : lines)
    {
        DrawPanelText(dc.GetDC(), font, NOTICE_COLOUR, strLine, rcLine, DT_LEFT | DT_TOP | DT_SINGLELINE);
        rcLine.top += NOTICE_LINE;
        rcLine.bottom += NOTICE_LINE;
    }
    font.RestoreLogFont(kept);
}

void CMainFrame::DrawBallIcon(int nSlot, int nBall, LONG x, LONG y, const float afAngles[3], float fDiameter)
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (nBall < 0 || nBall >= BALL_PAINT_COUNT || frame.pBackBuffer == nullptr)
        return;
    DDSURFACEDESC2 desc{};
    if (frame.pBackBuffer->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK)
        return;
    SBallPose pose;
    pose.nBall = nBall;
    // The sphere's axes: the unit axes turned by the three angles about z, y and x.
    const float cz = std::cos(afAngles[0]), sz = std::sin(afAngles[0]);
    const float cy = std::cos(afAngles[1]), sy = std::sin(afAngles[1]);
    const float cx = std::cos(afAngles[2]), sx = std::sin(afAngles[2]);
    pose.matOrientation = D3DMATRIX{cy * cz,
                                    cy * sz,
                                    -sy,
                                    0,
                                    sx * sy * cz - cx * sz,
                                    sx * sy * sz + cx * cz,
                                    sx * cy,
                                    0,
                                    cx * sy * cz + sx * sz,
                                    cx * sy * sz - sx * cz,
                                    cx * cy,
                                    0,
                                    0,
                                    0,
                                    0,
                                    1};
    pose.vPosition = D3DVECTOR{static_cast<float>(nSlot), 0, 0};
    pose.vScreen = D3DVECTOR{static_cast<float>(x), static_cast<float>(y), 0.5f};
    pose.vLight = D3DVECTOR{-0.4f, -0.5f, 0.77f}; // up and left, towards the viewer (screen z)
    pose.fSize = fDiameter;
    const RECT rcClip{0, 0, static_cast<LONG>(desc.dwWidth), static_cast<LONG>(desc.dwHeight)};
    GetHud().m_iconPainter.DrawBall(desc, rcClip, pose);
    frame.pBackBuffer->Unlock(nullptr);
}

// ---- The predicted paths -----------------------------------------------------------------------

bool CMainFrame::AimingPathsWanted() const
{
    // Modes in which no shot is aimed: ball in hand, the computer's stroke, free placement, the
    // turn's flight, and two flags of the flow.
    constexpr DWORD HIDDEN = 0x800 | 0x80000 | 0x2000 | 0x1000 | 0x40 | 0x800000;
    if (!m_bAimPreviewShown || (g_nGameMode & HIDDEN) != 0)
        return false;
    const bool bPlayer1 = m_pGameFlow->IsPlayer1Current();
    if ((bPlayer1 && g_Settings.m_nBallPath1 == 0) || (!bPlayer1 && g_Settings.m_nBallPath2 == 0))
        return false;
    return IsCameraAboveTable(); // not from below the table
}

void CMainFrame::DrawAimingPaths()
{
    if (!AimingPathsWanted() || !g_BallEngineAux.WaitForPark(0))
        return;
    const auto lock = g_BallEngineAux.AcquireLock();
    if (!g_BallEngineAux.AllBallsStopped())
        return;
    CVector3 vContact;
    if (!DrawPathLines(vContact) || g_Settings.m_nOverHeadView == 0)
        return;
    // Seen from above, the cue ball shows where it will first touch a ball, at its own size there.
    CVector3 vAt, vEdge;
    const CVector3 vEdgeScene = vContact + CVector3(2.0f * SceneBallRadius(), 0.0f, 0.0f);
    ProjectToScreen(&vAt, &vContact);
    ProjectToScreen(&vEdge, &vEdgeScene);
    if (!(vAt.z > 0.0f && vAt.z < 1.0f))
        return;
    const float fDiameter = std::hypot(vEdge.x - vAt.x, vEdge.y - vAt.y);
    DrawBallIcon(0, CueBallNumber(), std::lround(vAt.x), std::lround(vAt.y), NO_TURN, fDiameter);
}

bool CMainFrame::DrawPathLines(CVector3& vContact)
{
    CSurfaceDC dc(GetWidgetFrame().pDevice);
    if (!dc)
        return false;
    const HDC hDC = dc.GetDC();
    RECT rcView;
    GetPanelRect(rcView);
    IntersectClipRect(hDC, rcView.left, rcView.top, rcView.right, rcView.bottom);
    const int nType = m_pGameFlow->GetGameType();
    const CReferee* pReferee = m_pGameFlow->GetReferee();
    const int nCueBall = pReferee != nullptr ? pReferee->GetCueBall() : 0;
    const bool bShort = m_pGameFlow->IsPlayer1Current() ? g_Settings.m_nShortPath1 != 0 : g_Settings.m_nShortPath2 != 0;
    const bool bMarks = PathMarksLit() && g_Settings.m_nShortPath1 == 0;
    const CBall* pFirstHit = bShort ? FirstBallHit(nCueBall) : nullptr;
    // A short path's length is counted from the struck ball's first contact, over both balls.
    double dShortLeft = g_Settings.m_nOverHeadView != 0 ? SHORT_PATH_LIMIT_OVERHEAD : SHORT_PATH_LIMIT;
    std::vector<POINT> points;
    bool bFirstDrawn = false, bContact = false;
    for (int i = 0; i < g_BallEngineAux.GetBallCount(); ++i)
    {
        const CBall& ball = *g_BallEngineAux.GetBallAt(i);
        const int nBall = ball.GetIndex();
        const bool bStruck = nBall == nCueBall;
        if (bShort && !bStruck && &ball != pFirstHit)
            continue;
        const std::size_t nKept = bShort ? ShortPathPointCount(ball.GetTrackKinds(), bStruck) : PATH_MAX_POINTS;
        if (!ProjectPath(ball, nKept, points))
            continue;
        // The first drawn ball's first contact with another ball, where its icon may go.
        if (!bFirstDrawn)
        {
            bFirstDrawn = true;
            if (const std::size_t nAt = FirstContactIndex(ball, points.size()); nAt > 0)
            {
                vContact = TableToScene(ball.GetTrackPoints()[nAt]);
                bContact = true;
            }
        }
        if (bShort)
            dShortLeft -= CapPathLength(points, bStruck ? FirstContactIndex(ball, points.size()) : 0, dShortLeft);
        DrawPath(hDC, nBall, nType, points);
        if (bMarks)
            DrawFilledCircle(hDC, points.back(), PATH_MARK_RADIUS,
                             PathEndColour(nBall, nCueBall, ball.IsPocketed() != FALSE, nType));
    }
    return bContact;
}

bool CMainFrame::PathMarksLit()
{
    CFrameHud& hud = GetHud();
    const DWORD dwNow = timeGetTime();
    if (dwNow - hud.m_dwPathMarksTime >= PATH_BLINK_MS)
    {
        hud.m_bPathMarks = !hud.m_bPathMarks;
        hud.m_dwPathMarksTime = dwNow;
    }
    return hud.m_bPathMarks;
}

void CMainFrame::DrawScene(int nFlags)
{
    SSceneOrderState state;
    state.bSceneHidden = (g_nGameMode & MODE_BITS) == modeWaiting && (g_nGameMode & MODE_LIGHT_EDIT) != 0;
    if (!state.bSceneHidden)
    {
        nFlags = ApplyWideView(nFlags);
        LightSceneObjects();
    }
    state.bSpecular = g_Settings.m_nSpecular != 0;
    state.bSplit = !state.bSceneHidden && IsBallSplitByTrophy();
    if (state.bSplit)
        SplitBallsAroundTrophy(GetHud().m_split);
    state.bPocketBehind = IsPocketBehind(GetCameraHeading(), GetCalledPocket());
    PaintScenePlan(PlanScene(state), nFlags);
    // The lamps' flicker lit this frame only.
    m_sceneAnimation.RestoreLamps();
}

void CMainFrame::PaintScenePlan(const SScenePlan& plan, int nFlags)
{
    CFrameHud& hud = GetHud();
    for (const ESceneStep step : plan.Get())
    {
        if (hud.m_pDrawLog != nullptr)
            hud.m_pDrawLog->push_back(step);
        PaintSceneStep(step, nFlags);
    }
}

void CMainFrame::PaintSceneStep(ESceneStep step, int nFlags)
{
    RECT rcPanel;
    GetPanelRect(rcPanel);
    switch (step)
    {
    case ESceneStep::SpecularPass:
        DrawScenePass(EScenePass::Specular, false);
        break;
    case ESceneStep::Background:
        DrawScenePass(EScenePass::Background, false);
        break;
    case ESceneStep::Foreground:
        DrawScenePass(EScenePass::Foreground, false);
        break;
    case ESceneStep::BallsInside:
        DrawBallGroup(EBallPlace::Inside, nFlags);
        break;
    case ESceneStep::BallsInJaws:
        DrawBallGroup(EBallPlace::Jaws, nFlags);
        break;
    case ESceneStep::PocketedBalls:
        DrawBallGroup(EBallPlace::Off, nFlags);
        break;
    case ESceneStep::BallsBehind:
        DrawBallSet(GetHud().m_split.behind, true, nFlags);
        break;
    case ESceneStep::BallsFront:
        DrawBallSet(GetHud().m_split.front, false, nFlags);
        break;
    case ESceneStep::Trophy:
        DrawTrophy();
        break;
    case ESceneStep::FarSides:
    case ESceneStep::NearSides:
        DrawTableSides(step == ESceneStep::FarSides);
        break;
    case ESceneStep::Effects:
        DrawEffects();
        break;
    case ESceneStep::PocketArrowFar:
    case ESceneStep::PocketArrowNear:
        DrawPocketArrow(nFlags);
        break;
    case ESceneStep::Watermark:
        DrawWatermark(nFlags);
        break;
    case ESceneStep::CalledPocket:
        DrawCalledPocket();
        break;
    case ESceneStep::BallLabel:
        DrawBallLabel();
        break;
    case ESceneStep::AimingPaths:
        DrawAimingPaths();
        break;
    case ESceneStep::PanelWidget:
        DrawPanelWidget();
        break;
    case ESceneStep::Widgets:
        DrawWidgets();
        break;
    case ESceneStep::FrameRate:
        DrawFrameRate();
        break;
    case ESceneStep::GamePanels:
        DrawGamePanels(GetScoreArea());
        break;
    case ESceneStep::TextMessage:
        DrawTextMessage();
        DrawNotices();
        break;
    case ESceneStep::MatchTitle:
        DrawMatchTitle();
        break;
    case ESceneStep::RestoreLights:
        RestoreLamps();
        RestoreObjectColours();
        break;
    }
}

void CMainFrame::DrawPanelWidget()
{
    CWidget* pPanel = CWidget::GetCurrentPanel();
    if (pPanel == nullptr)
        return;
    if (!pPanel->IsIdle())
        pPanel->TickFade();
    if (!pPanel->IsVisible())
        return;
    ClearPanel();
    pPanel->Draw(0);
}

void CMainFrame::DrawWidgets()
{
    SyncControlBar();
    if (g_pausedPanel.IsVisible())
        g_pausedPanel.Draw(0);
    g_controlBar.Draw(0);
    g_topPanel.Draw(0);
}

// ---- The mouse --------------------------------------------------------------------------------

bool CMainFrame::RouteMouseToWidgets() { return RouteMouse(true); }

bool CMainFrame::RouteMouse(bool bRightButtons)
{
    POINT pt{0, 0};
    GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    SWidgetMouse mouse;
    mouse.x = pt.x;
    mouse.y = pt.y;
    mouse.bLeftDown = g_DIMouse.IsLeftDown() != FALSE;
    mouse.bLeftReleased = g_DIMouse.WasLeftReleased() != FALSE;
    mouse.bRightDown = g_DIMouse.IsRightDown() != FALSE;
    mouse.bRightReleased = g_DIMouse.WasRightReleased() != FALSE;
    const bool bHovered = RouteWidgetMouse(mouse, bRightButtons);
    // Over a panel the arrow shows; the mouse area under everything leaves the cursor to the links.
    if (const CWidget* pHovered = CWidget::GetHoveredWidget(); pHovered != nullptr && pHovered != &g_mouseArea)
        SetArrowCursor();
    return bHovered;
}
