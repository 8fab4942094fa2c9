// Button masks: 8-bit pictures laid out like a widget's image, each button painted in its own
// palette index. They are read, scaled and scanned by index, never by colour, so that scaling
// cannot blend two buttons' indices into a third.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <span>
#include <vector>

/// Indices 1 to this - 1 name buttons; 0 and this and above are background.
inline constexpr int MASK_INDEX_LIMIT = 200;

/// Palette indices of a mask, rows top first.
struct SMaskImage
{
    LONG nWidth = 0;
    LONG nHeight = 0;
    std::vector<BYTE> indices;
    BYTE At(LONG x, LONG y) const
    {
        return indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(nWidth) + static_cast<std::size_t>(x)];
    }
};

/// Reads an uncompressed 8-bit bitmap, a whole file or a packed one (header, palette, rows);
/// false for anything else or for bytes that end early.
bool ReadMaskBitmap(std::span<const BYTE> bytes, SMaskImage& out);
/// A mask from the artwork libraries (a bitmap resource of that name, the first library holding
/// it winning); false when none holds a readable one.
bool LoadMaskResource(const CString& strName, SMaskImage& out);
/// The mask at another size, each pixel taking the index of the nearest one.
SMaskImage ScaleMask(const SMaskImage& mask, LONG nWidth, LONG nHeight);

/// Where an index lies: the first pixel found (rows top to bottom, left to right) sets left and
/// top; later ones lower left, raise right to their x and set bottom to their y. Right and bottom
/// are the last pixel's coordinates, so a single pixel, row or column gives an empty box.
struct SMaskBox
{
    bool bTouched = false;
    RECT rc;
};
std::array<SMaskBox, MASK_INDEX_LIMIT> ScanMask(const SMaskImage& mask);
