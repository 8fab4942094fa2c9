// Text on the art generators' pictures, drawn by the stand-in's GDI (FreeType, Liberation Sans:
// "Arial" maps to it) on a memory device context and blended onto the picture by its coverage.
#pragma once

#include "tools/art/ArtImage.h"

#include <string>

struct SArtTextStyle
{
    int nEmPixels = 12; // character height
    bool bBold = false;
    SArtColor color{1, 1, 1, 1};
    bool bCentered = true; // centred in the box both ways, else left and top
};

/// The coverage (0 to 1, in every channel; alpha 1) of the text laid out in a box of the given
/// size.
CArtImage TextCoverage(const std::string& strText, int nWidth, int nHeight, const SArtTextStyle& style);
/// Blends the text in the given colour onto the picture, laid out in the box at (x, y).
void DrawArtText(CArtImage& image, const std::string& strText, int x, int y, int nWidth, int nHeight,
                 const SArtTextStyle& style);
