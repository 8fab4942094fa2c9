// Turning a surface's pixels into the 0x00RRGGBB rows a display takes: row by row in bulk when the sizes match,
// scaled to the nearest pixel into a rectangle otherwise. The presenter calls this for every shown frame.
#pragma once

#include "platform/dx/Surface.h"

/// Where a frame of fw x fh pixels lands in an output of w x h when its shape is kept: centred, as large as fits
/// (bars above and below or left and right).
RECT FitFrame(int fw, int fh, int w, int h);

/// Fills a w x h buffer (rows of w pixels) with the rectangle rcSource of the surface, drawn into rcDest of the
/// buffer; parts of rcSource outside the surface and the buffer around rcDest are black. The top byte of each
/// written pixel is unspecified.
void ConvertFrame(const CDirectDrawSurface& surface, const RECT& rcSource, DWORD* pDst, int w, int h,
                  const RECT& rcDest);
