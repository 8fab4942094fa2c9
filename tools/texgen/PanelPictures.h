// The in-game panels' pictures: the control bar (its background, mask and items, the pop-up menu's
// rows among them), the click panels, the top, paused and main panels. Dark glass with a brass trim
// and off-white text. Pixels no brighter than the widgets' colour key (0x282828) in every channel
// are not drawn, so the glass stays above it and what should not show is black.
#pragma once

#include "tools/texgen/SurfaceTextures.h"

#include <cstdint>
#include <vector>

/// Every panel picture, each to be written as a 24-bit bitmap under its name.
std::vector<SNamedPicture> MakePanelPictures();
/// "BottomMenuMask.bmp": the control bar's 8-bit mask, the two player lamps at indices 1 and 2 over
/// the lamps' place, 0 elsewhere.
std::vector<std::uint8_t> MakeControlBarMask();
