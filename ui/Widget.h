// The in-game widgets: panels, buttons and bars drawn over the 3-D view with DirectDraw. Every
// widget is on one doubly linked list, which routes the mouse, hit-tests and rebuilds them all
// after the display changes. A widget tells the game what the user did by posting the main
// window a panel command (WM_USER + 5), never by calling game code.
#pragma once

#include "platform/dx/Device.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Messages.h"

#include <memory>
#include <vector>

class CHotSpot;

/// The main window's private message that carries a panel command: wParam 0x10000 + code.
inline constexpr UINT WM_PANEL_COMMAND = WM_USER + 5;
inline constexpr WPARAM PANEL_COMMAND_BASE = 0x10000;

// Placement flags of PlaceInRect: one per axis; an axis without a flag stays at 0.
inline constexpr int PLACE_LEFT = 1;
inline constexpr int PLACE_HCENTRE = 2;
inline constexpr int PLACE_RIGHT = 4;
inline constexpr int PLACE_TOP = 16;
inline constexpr int PLACE_VCENTRE = 32;
inline constexpr int PLACE_BOTTOM = 64;

/// Pixels at or below this in every channel are transparent in a widget's images.
inline constexpr DWORD WIDGET_KEY_HIGH = 0x282828;

/// Posts a panel command to the main window (to the caller's own queue when there is none).
void PostPanelCommand(int nCode, LPARAM lParam);
/// The system arrow becomes the cursor, in the cursor manager and as the window's.
void SetArrowCursor();

/// What widgets load their images for and draw on: the render framework's device and back
/// buffer, or those a test sets.
struct SWidgetFrame
{
    CDirect3DDevice* pDevice = nullptr;
    SurfacePtr pBackBuffer;
};
SWidgetFrame GetWidgetFrame();
/// Test seam: while set, GetWidgetFrame answers this frame. Main thread.
void SetWidgetFrame(const SWidgetFrame* pFrame);

/// A colour-keyed copy of a texture of the texture manager in the back buffer's format, at its own
/// size or scaled down to nWidth keeping its aspect; null when anything fails.
SurfacePtr MakeWidgetSurface(const CString& strName, DWORD nWidth, DWORD nHeight);

/// The mouse as the main frame's handler sees it in one frame (client coordinates).
struct SWidgetMouse
{
    LONG x = 0;
    LONG y = 0;
    bool bLeftDown = false;     // held now
    bool bLeftReleased = false; // a release is among this frame's buffered events
    bool bRightDown = false;
    bool bRightReleased = false;
};

/// Fade states.
inline constexpr int FADE_NONE = 0;
inline constexpr int FADE_SHOWING = 1;
inline constexpr int FADE_HIDING = 2;

class CWidget
{
public:
    /// Appends the widget at the tail of the widget list.
    CWidget(int nTypeCode, int nFlag);
    /// Unlinks the widget; its hot spots and surfaces go with it.
    virtual ~CWidget();
    CWidget(const CWidget&) = delete;
    CWidget& operator=(const CWidget&) = delete;

    virtual BOOL LoadImages(const CString& strName, const RECT* pRect, int nFlag);
    /// Clears every hot spot's hover and releases the three surfaces.
    virtual void ReleaseSurfaces();
    /// Releases the surfaces and creates the widget again for the rectangle (the stored layout
    /// rectangle when null).
    virtual BOOL Rebuild(const RECT* pRect, int nFlag);
    virtual BOOL CreateFromNames(const CStringArray& names, const RECT* pRect);
    virtual BOOL Create(const RECT* pRect);
    /// Loads the main image again and places the widget as it was.
    virtual void Restore();
    virtual void Draw(int nFlag);
    virtual void Show();
    virtual void Hide();
    /// Ends a fade whose time is up.
    virtual void TickFade();
    virtual BOOL IsIdle() const { return m_nIdle; }
    virtual BOOL IsVisible() const { return m_nVisible; }
    virtual BOOL IsLoaded() const { return m_nLoaded; }
    virtual void ResetFadeState() { m_nFadeState = FADE_NONE; }
    virtual BOOL HitTest(LONG x, LONG y) const;
    virtual BOOL IsShowing() const { return m_nFadeState == FADE_SHOWING; }
    virtual BOOL IsHiding() const { return m_nFadeState == FADE_HIDING; }
    /// Places the widget's main image in the rectangle by the flags; a centred image wider or taller
    /// than the rectangle starts before it.
    virtual void PlaceInRect(int nFlags, RECT rc);
    virtual void MoveTo(float x, float y);
    CHotSpot* FindHotSpot(int nIndex) const;
    /// MakeWidgetSurface, then the widget takes the surface's format and size as its rectangle.
    virtual SurfacePtr LoadTextureSurface(const CString& strName, DWORD nWidth, DWORD nHeight);
    virtual void OnLButtonDown(LONG x, LONG y);
    virtual void OnLButtonUp(LONG x, LONG y);
    virtual void OnRButtonDown(LONG x, LONG y);
    virtual void OnRButtonUp(LONG x, LONG y);
    virtual void OnMouseMove(LONG x, LONG y);
    virtual void SetPixelFormat(const DDPIXELFORMAT& ddpf);
    RECT* GetRect(RECT* pRect) const;
    virtual void OnMouseLeave();
    /// Kept for its callers; does nothing.
    void EmptyMethod1() {}

    /// Rebuilds every widget; the AND of the results (1 for no widgets).
    static BOOL BroadcastToAll(const RECT* pRect, int nFlag);
    static CWidget* GetFirst() { return s_pHead; }
    CWidget* GetNext() const { return m_pNext; }

    static void SetHoveredWidget(CWidget* pWidget) { s_pHovered = pWidget; }
    /// Tells the hovered widget the mouse left, then hovers the new one (or none).
    static void ChangeHoveredWidget(CWidget* pWidget);
    static CWidget* GetHoveredWidget() { return s_pHovered; }
    static bool IsHoveredWidget(const CWidget* pWidget) { return s_pHovered == pWidget; }
    /// The panel widget the heads-up display draws and ticks each frame, or null.
    static CWidget* GetCurrentPanel() { return s_pCurrentPanel; }
    static void SetCurrentPanel(CWidget* pWidget) { s_pCurrentPanel = pWidget; }

    /// The pop-up menu's open flag of the control bar (the main frame closes it before dialogs).
    static void ClearMenuOpen() { s_bMenuOpen = FALSE; }
    static void SetMenuOpen(BOOL bOpen) { s_bMenuOpen = bOpen; }
    static BOOL IsMenuOpen() { return s_bMenuOpen; }

    // Fields, in the order the widgets keep them.
    BYTE m_bPressed = 0;       // a press was handled; cleared by the release routing
    DWORD m_dwTooltipTime = 0; // ms a tooltip stays after the cursor entered its button
    SurfacePtr m_pSurface1;    // main image
    SurfacePtr m_pSurface2;    // second image
    SurfacePtr m_pSurface3;    // third image
    RECT m_rcLayout;           // the client area the widget was last built for
    RECT m_rcScreen;           // where it is drawn and hit-tested, client coordinates
    int m_nIdle = 1;           // no fade running
    int m_nVisible = 0;        // shown or fading out
    int m_nLoaded = 0;         // main surface made
    int m_nFadeState = FADE_NONE;
    DWORD m_dwFadeStart = 0; // ms of the running fade
    DWORD m_dwFadeEnd = 0;
    DWORD m_dwShowDuration = 0; // ms
    DWORD m_dwHideDuration = 0; // ms
    int m_nTypeCode;
    int m_nFlag;
    CString m_strImageName; // texture name of the main image
    int m_nPlacement = PLACE_BOTTOM | PLACE_LEFT;
    std::vector<std::unique_ptr<CHotSpot>> m_aHotSpots;

protected:
    /// Blits a surface onto the back buffer at a client point with its colour key.
    static void BlitToFrame(CDirectDrawSurface* pSurface, LONG x, LONG y, const RECT* pSource = nullptr);

private:
    CWidget* m_pNext = nullptr;
    CWidget* m_pPrev = nullptr;

    // The widget layer's globals: main thread only; tests build widgets of their own, which join
    // and leave the list with their lives.
    static CWidget* s_pHead;
    static CWidget* s_pHovered;
    static CWidget* s_pCurrentPanel;
    static BOOL s_bMenuOpen;
};

/// Releases the surfaces of every widget of the global list, in list order: the device's teardown
/// calls it before the device goes.
void ReleaseGlobalList();

/// Routes one frame's mouse to the widgets: the hover widget, releases to pressed widgets, right
/// buttons (when bRightButtons), then presses and moves to the widgets under the cursor. True
/// when a widget is under the cursor: the game's own mouse handling skips the frame.
bool RouteWidgetMouse(const SWidgetMouse& mouse, bool bRightButtons);
