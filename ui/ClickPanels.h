// The click panels (a picture with a normal and a highlighted image that sends one panel command
// when clicked: the corner panels, the top panel, the "paused" panel) and the mouse area, an
// invisible widget over the whole screen that turns presses, releases and drags over the 3-D view
// into panel commands.
#pragma once

#include "ui/Widget.h"

// Commands of the mouse area.
inline constexpr int CMD_AREA_LEFT_DRAG = 61;
inline constexpr int CMD_AREA_RIGHT_DOWN = 62;
inline constexpr int CMD_AREA_RIGHT_UP = 63;
inline constexpr int CMD_AREA_RIGHT_DRAG = 64;
inline constexpr int CMD_AREA_LEFT_DOWN = 65;
inline constexpr int CMD_AREA_LEFT_UP = 66;

/// Pixels a click panel at the left or right edge is drawn in from its placed rectangle.
inline constexpr LONG CLICK_PANEL_EDGE_SHIFT = 8;

class CTextWidget : public CWidget
{
public:
    explicit CTextWidget(int nCommand);

    BOOL LoadImages(const CString& strName, const RECT* pRect, int nFlag) override;
    /// Also releases the shared soft-spot texture.
    void ReleaseSurfaces() override;
    BOOL CreateFromNames(const CStringArray& names, const RECT* pRect) override;
    BOOL Create(const RECT* pRect) override;
    void Draw(int nFlag) override;
    /// Shown and hidden at once, without a fade.
    void Show() override;
    void Hide() override;
    void OnLButtonDown(LONG x, LONG y) override;
    void OnLButtonUp(LONG x, LONG y) override;
    void OnMouseMove(LONG x, LONG y) override;
    void OnMouseLeave() override;
    /// Loads the normal and the highlighted image at their own sizes.
    BOOL Build(const CString& strName, const CString& strSecondName, const RECT* pRect);

    CDirectDrawSurface* m_pCurrentImage = nullptr; // surface 1 or 2; not owned
    int m_nHovered = 0;
    CString m_strSecondImageName;
    int m_nCommand;
};

class CPanelWidget : public CWidget
{
public:
    explicit CPanelWidget(int nParameter);

    BOOL LoadImages(const CString& strName, const RECT* pRect, int nFlag) override;
    BOOL CreateFromNames(const CStringArray& names, const RECT* pRect) override;
    BOOL Create(const RECT* pRect) override;
    void Draw(int nFlag) override;
    void Show() override;
    /// Stays hit-testable: the area keeps receiving the mouse.
    void Hide() override;
    void PlaceInRect(int nFlags, RECT rc) override;
    void MoveTo(float x, float y) override;
    void OnLButtonDown(LONG x, LONG y) override;
    void OnLButtonUp(LONG x, LONG y) override;
    void OnRButtonDown(LONG x, LONG y) override;
    void OnRButtonUp(LONG x, LONG y) override;
    void OnMouseMove(LONG x, LONG y) override;
    void OnMouseLeave() override;
    BOOL Build(const CString& strName, const CString& strSecondName, const RECT* pRect);

    int m_nRightDragState = 0;
    int m_nSpare = 0;
    int m_nLeaveWord = 0; // cleared when the mouse leaves the area
    /// The armed state: the main frame arms the area when a left press takes the power control,
    /// and its left drags then aim.
    void SetArmed(int nArmed) { m_nArmed = nArmed; }
    int IsArmed() const { return m_nArmed; }

    int m_nArmed = 0;
    int m_nRightDragActive = 0; // set by the main frame when a right press starts a drag
    CString m_strName;          // second name given at creation (not drawn)
    int m_nParameter;
};
