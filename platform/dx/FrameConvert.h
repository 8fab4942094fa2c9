// Turning a surface's pixels into the 0x00RRGGBB rows a display takes: row by row in bulk when the sizes match,
// scaled to the nearest pixel into a rectangle otherwise. The presenter converts every shown frame at its own size
// on the thread that drew it, its rows shared by a pool of threads, and the display thread scales that copy only
// when the output is of another size.
#pragma once

#include "platform/dx/Surface.h"

class CWorkerPool;

/// Where a frame of fw x fh pixels lands in an output of w x h when its shape is kept: centred, as large as fits
/// (bars above and below or left and right).
RECT FitFrame(int fw, int fh, int w, int h);

/// Fills a w x h buffer (rows of w pixels) with the rectangle rcSource of the surface, drawn into rcDest of the
/// buffer; parts of rcSource outside the surface and the buffer around rcDest are black. The top byte of each
/// written pixel is unspecified. With a pool, its threads share the rows; the pixels are the same.
void ConvertFrame(const CDirectDrawSurface& surface, const RECT& rcSource, DWORD* pDst, int w, int h,
                  const RECT& rcDest, CWorkerPool* pPool = nullptr);
/// The same from the sw x sh pixels of a frame ConvertFrame made (the whole of it the source).
void ScaleFrame(const DWORD* pSrc, int sw, int sh, DWORD* pDst, int w, int h, const RECT& rcDest);
