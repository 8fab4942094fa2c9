// Turning a surface's pixels into the 0x00RRGGBB rows a display takes: row by row in bulk when the sizes match,
// scaled to the nearest pixel into a rectangle otherwise. The presenter calls this for every shown frame; so that
// the drawing thread does not wait for it, the presenter copies the frame's raw rows (CFrameSnapshot) and the
// display thread converts the copy.
#pragma once

#include "platform/dx/Surface.h"

#include <vector>

/// Where a frame of fw x fh pixels lands in an output of w x h when its shape is kept: centred, as large as fits
/// (bars above and below or left and right).
RECT FitFrame(int fw, int fh, int w, int h);

/// Fills a w x h buffer (rows of w pixels) with the rectangle rcSource of the surface, drawn into rcDest of the
/// buffer; parts of rcSource outside the surface and the buffer around rcDest are black. The top byte of each
/// written pixel is unspecified.
void ConvertFrame(const CDirectDrawSurface& surface, const RECT& rcSource, DWORD* pDst, int w, int h,
                  const RECT& rcDest);

/// The raw pixels of a rectangle of a surface, copied row by row in the surface's own format.
class CFrameSnapshot
{
public:
    /// Copies the part of rcSource that lies on the surface; the storage is kept from frame to frame.
    void Take(const CDirectDrawSurface& surface, const RECT& rcSource);
    /// What ConvertFrame made of the surface and rectangle when they were taken.
    void Convert(DWORD* pDst, int w, int h, const RECT& rcDest) const;

private:
    CPixelLayout m_layout;
    RECT m_rcSource{};   // the rectangle asked for, in the surface's pixels
    RECT m_rcCopied{};   // its part on the surface: the rows held
    size_t m_nPitch = 0; // bytes per held row
    std::vector<BYTE> m_aBytes;
};
