// Placing windows and banners: the main window's rectangle fitted to the desktop, and the
// rectangle of a banner in the top-right corner of an area.
#pragma once

#include "platform/win32/WinTypes.h"

/// Fits a window rectangle to the desktop: a size larger than the desktop falls back to 640 by 480
/// (per side), a corner left of or above the desktop moves in, one beyond its right or bottom edge
/// goes to 0 keeping the size, and the right and bottom edges are clipped to the desktop.
void FitWindowRectToDesktop(RECT* pRect);
/// A banner in the top-right corner of rc: half its width wide, a fifth of its height high, a
/// twentieth of its width in from the right and down from the top.
RECT CalcBannerRectTopRight(const RECT& rc);
