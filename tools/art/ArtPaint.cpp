#include "tools/art/ArtPaint.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace
{
/// Coverage of a pixel whose centre lies dDistance inside an edge (negative: outside).
float Coverage(double dDistance) { return static_cast<float>(std::clamp(dDistance + 0.5, 0.0, 1.0)); }

/// Blends color over every pixel of the box by the coverage that inside(x, y) gives for the
/// pixel's centre, inside returning the signed distance to the shape's edge.
void FillShape(CArtImage& image, double x0, double y0, double x1, double y1, const SArtColor& color,
               const std::function<double(double, double)>& inside)
{
    const int nx0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    const int ny0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    const int nx1 = std::min(image.Width(), static_cast<int>(std::ceil(x1)) + 1);
    const int ny1 = std::min(image.Height(), static_cast<int>(std::ceil(y1)) + 1);
    for (int y = ny0; y < ny1; ++y)
    {
        for (int x = nx0; x < nx1; ++x)
        {
            const float fCoverage = Coverage(inside(x + 0.5, y + 0.5));
            if (fCoverage > 0.0f)
                image.Blend(x, y, color, fCoverage);
        }
    }
}

/// Signed distance inside a rounded rectangle (positive inside).
double RoundRectInside(double x, double y, double x0, double y0, double x1, double y1, double r)
{
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const double hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
    const double qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const double dOutside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0);
    return r - dOutside;
}
} // namespace

void FillVerticalGradient(CArtImage& image, const SArtColor& top, const SArtColor& bottom)
{
    for (int y = 0; y < image.Height(); ++y)
    {
        const SArtColor c = top.Mix(bottom, image.Height() > 1 ? static_cast<float>(y) / (image.Height() - 1) : 0.0f);
        for (int x = 0; x < image.Width(); ++x)
            image.At(x, y) = c;
    }
}

void FillDisc(CArtImage& image, double cx, double cy, double dRadius, const SArtColor& color)
{
    FillShape(image, cx - dRadius, cy - dRadius, cx + dRadius, cy + dRadius, color,
              [&](double x, double y) { return dRadius - std::hypot(x - cx, y - cy); });
}

void FillRing(CArtImage& image, double cx, double cy, double dInner, double dOuter, const SArtColor& color)
{
    FillShape(image, cx - dOuter, cy - dOuter, cx + dOuter, cy + dOuter, color,
              [&](double x, double y)
              {
                  const double d = std::hypot(x - cx, y - cy);
                  return std::min(dOuter - d, d - dInner);
              });
}

void FillRoundRect(CArtImage& image, double x0, double y0, double x1, double y1, double dRadius, const SArtColor& color)
{
    FillShape(image, x0, y0, x1, y1, color,
              [&](double x, double y) { return RoundRectInside(x, y, x0, y0, x1, y1, dRadius); });
}

void StrokeRoundRect(CArtImage& image, double x0, double y0, double x1, double y1, double dRadius, double dWidth,
                     const SArtColor& color)
{
    FillShape(image, x0, y0, x1, y1, color,
              [&](double x, double y)
              {
                  const double d = RoundRectInside(x, y, x0, y0, x1, y1, dRadius);
                  return std::min(d, dWidth - d);
              });
}

void FillPolygon(CArtImage& image, const double (*aCorners)[2], int nCorners, const SArtColor& color)
{
    double x0 = aCorners[0][0], x1 = x0, y0 = aCorners[0][1], y1 = y0;
    double dArea = 0.0;
    for (int i = 0; i < nCorners; ++i)
    {
        const int j = (i + 1) % nCorners;
        x0 = std::min(x0, aCorners[i][0]);
        x1 = std::max(x1, aCorners[i][0]);
        y0 = std::min(y0, aCorners[i][1]);
        y1 = std::max(y1, aCorners[i][1]);
        dArea += aCorners[i][0] * aCorners[j][1] - aCorners[j][0] * aCorners[i][1];
    }
    const double dTurn = dArea < 0.0 ? -1.0 : 1.0;
    FillShape(image, x0, y0, x1, y1, color,
              [&](double x, double y)
              {
                  // The distance inside a convex polygon is the least distance inside any of its edges.
                  double dInside = 1e9;
                  for (int i = 0; i < nCorners; ++i)
                  {
                      const int j = (i + 1) % nCorners;
                      const double ex = aCorners[j][0] - aCorners[i][0], ey = aCorners[j][1] - aCorners[i][1];
                      const double dLength = std::hypot(ex, ey);
                      if (dLength <= 0.0)
                          continue;
                      const double dCross = ex * (y - aCorners[i][1]) - ey * (x - aCorners[i][0]);
                      dInside = std::min(dInside, dTurn * dCross / dLength);
                  }
                  return dInside;
              });
}
