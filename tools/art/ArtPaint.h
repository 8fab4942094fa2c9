// Anti-aliased shapes and fills for the art generators. Coordinates are in pixels, with pixel
// (x, y) covering [x, x + 1) x [y, y + 1); a shape's coverage of a pixel is estimated from the
// signed distance of the pixel's centre to its edge.
#pragma once

#include "tools/art/ArtImage.h"

/// Fills the whole picture with a vertical gradient from top to bottom.
void FillVerticalGradient(CArtImage& image, const SArtColor& top, const SArtColor& bottom);
/// A filled disc.
void FillDisc(CArtImage& image, double cx, double cy, double dRadius, const SArtColor& color);
/// A ring between two radii.
void FillRing(CArtImage& image, double cx, double cy, double dInner, double dOuter, const SArtColor& color);
/// A filled rectangle with rounded corners, [x0, x1) x [y0, y1).
void FillRoundRect(CArtImage& image, double x0, double y0, double x1, double y1, double dRadius,
                   const SArtColor& color);
/// A frame dWidth wide along the inside of a rounded rectangle.
void StrokeRoundRect(CArtImage& image, double x0, double y0, double x1, double y1, double dRadius, double dWidth,
                     const SArtColor& color);
/// A filled convex polygon given by its corners in order (either turn).
void FillPolygon(CArtImage& image, const double (*aCorners)[2], int nCorners, const SArtColor& color);
