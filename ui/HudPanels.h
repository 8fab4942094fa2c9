// Painters of the heads-up display that need nothing of the game state but what they are given:
// panel surfaces, the ball-number label and the called-pocket marker.
#pragma once

#include "platform/dx/Surface.h"

class CPanelFont;

/// Size of the ball-number label's surface, pixels.
inline constexpr DWORD BALL_LABEL_WIDTH = 50;
inline constexpr DWORD BALL_LABEL_HEIGHT = 20;
inline constexpr COLORREF HUD_TEXT_COLOUR = RGB(235, 235, 133);
inline constexpr COLORREF BALL_LABEL_SHADOW = RGB(0, 8, 0);

/// A surface for a HUD panel in the render target's format, black being transparent; null when
/// there is no render target or no memory.
SurfacePtr CreatePanelSurface(DWORD nWidth, DWORD nHeight);

/// The label of a ball's number over the view: " %2d " in the heavy preset with a dark shadow one
/// pixel down and right, copied with its colour key to a point of the frame.
class CBallLabel
{
public:
    /// Nothing for a negative number. The font comes back as it was.
    void Draw(int nBall, POINT at, CPanelFont& font);
    /// Paints the label into its surface (made on first use); false when that cannot be had.
    bool Paint(int nBall, CPanelFont& font);
    const SurfacePtr& GetSurface() const { return m_pSurface; }
    void Release() { m_pSurface.reset(); }

private:
    SurfacePtr m_pSurface;
};

/// A filled circle of a colour around a point.
void DrawFilledCircle(HDC hDC, POINT at, int nRadius, COLORREF colour);
/// The called pocket's marker: a green filled circle of radius 2 around a point.
void DrawCalledPocketMarker(HDC hDC, POINT at);
