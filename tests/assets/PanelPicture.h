// The in-game panels' pictures as the game's libraries hold them, and the frames the running
// program writes as PNG, read pixel by pixel: a test compares what the window shows at a place of
// the control bar with the picture that belongs there.
#pragma once

#include "tests/assets/GameFiles.h"

#include "foundation/BmpFile.h"
#include "foundation/PngLoader.h"
#include "platform/win32/MenuBar.h"
#include "ui/ControlBar.h"
#include "ui/Widget.h"

#include <cstdlib>
#include <string>
#include <vector>

/// A picture's pixels as 0x00RRGGBB, rows top first.
struct SPicture
{
    UINT nWidth = 0, nHeight = 0;
    std::vector<BYTE> rgb;

    DWORD At(LONG x, LONG y) const
    {
        const BYTE* p = &rgb[(static_cast<std::size_t>(y) * nWidth + static_cast<std::size_t>(x)) * 3];
        return DWORD{p[0]} << 16 | DWORD{p[1]} << 8 | p[2];
    }
};

/// A bitmap of the artwork libraries by name; empty when none holds it.
inline SPicture LoadPanelPicture(const char* szName)
{
    SPicture picture;
    const auto bmp = FindFirst(ArtworkLibraries(), szName, RT_BITMAP);
    if (bmp)
        picture.rgb = CBmpFile().ReadBmpMemory(*bmp, picture.nWidth, picture.nHeight);
    return picture;
}

/// Names of the bar's items, by their index in the bar.
inline const char* BarItem(EBarItem e) { return CONTROL_BAR_PICTURES[4 + e]; }

/// Drawn with the widgets' colour key, a pixel this dark in every channel does not show.
inline bool IsClear(DWORD rgb)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (((rgb >> shift) & 0xFF) > (WIDGET_KEY_HIGH & 0xFF))
            return false;
    return true;
}

inline int Channel(DWORD rgb, int nShift) { return static_cast<int>((rgb >> nShift) & 0xFF); }

inline bool Near(DWORD a, DWORD b, int nTolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > nTolerance)
            return false;
    return true;
}

/// The sum of the channels' differences of two colours.
inline int Distance(DWORD a, DWORD b)
{
    int nSum = 0;
    for (int shift = 0; shift < 24; shift += 8)
        nSum += std::abs(Channel(a, shift) - Channel(b, shift));
    return nSum;
}

/// A frame the program wrote in a window: the menu bar's band, then the view, with the control
/// bar's place in it (bottom centre).
class CShownFrame
{
public:
    /// False when the file cannot be read.
    bool Load(const std::string& strPng)
    {
        BYTE bAlpha = 0;
        m_pixels.clear();
        return LoadPngImage(strPng.c_str(), 0, m_pixels, m_nWidth, m_nHeight, bAlpha) == TRUE;
    }
    DWORD At(LONG x, LONG y) const { return m_pixels[static_cast<std::size_t>(y) * m_nWidth + x] >> 8; }
    /// A pixel of the bar, by its place in the bar's picture.
    DWORD OnBar(LONG x, LONG y) const { return At(BarLeft() + x, BarTop() + y); }
    LONG BarLeft() const { return (static_cast<LONG>(m_nWidth) - BAR_PICTURE_SIZE.cx) / 2; }
    LONG BarTop() const { return static_cast<LONG>(m_nHeight) - BAR_PICTURE_SIZE.cy; }
    /// The share (0 to 1) of the picture's pixels, laid with its corner at (x, y) of the frame,
    /// that the frame shows as the picture has them; its clear pixels are left out.
    double Shows(const SPicture& picture, LONG x, LONG y, int nTolerance = 12) const
    {
        int nShown = 0, nCounted = 0;
        for (LONG py = 0; py < static_cast<LONG>(picture.nHeight); ++py)
            for (LONG px = 0; px < static_cast<LONG>(picture.nWidth); ++px)
            {
                const DWORD rgb = picture.At(px, py);
                const LONG fx = x + px, fy = y + py;
                if (IsClear(rgb) || fx < 0 || fy < 0 || fx >= static_cast<LONG>(m_nWidth) ||
                    fy >= static_cast<LONG>(m_nHeight))
                    continue;
                ++nCounted;
                nShown += Near(At(fx, fy), rgb, nTolerance) ? 1 : 0;
            }
        return nCounted > 0 ? static_cast<double>(nShown) / nCounted : 0.0;
    }
    /// Of the pixels where two pictures of one place differ, the share the frame shows nearer to
    /// the first: 1 when the frame holds the first picture there, 0 when it holds the second.
    double ShowsRather(const SPicture& first, const SPicture& second, LONG x, LONG y) const
    {
        int nFirst = 0, nCounted = 0;
        for (LONG py = 0; py < static_cast<LONG>(first.nHeight); ++py)
            for (LONG px = 0; px < static_cast<LONG>(first.nWidth); ++px)
            {
                const DWORD a = first.At(px, py), b = second.At(px, py);
                if (Near(a, b, 40))
                    continue;
                ++nCounted;
                nFirst += Distance(At(x + px, y + py), a) < Distance(At(x + px, y + py), b) ? 1 : 0;
            }
        return nCounted > 0 ? static_cast<double>(nFirst) / nCounted : 0.0;
    }
    /// The same with the corner at (x, y) of the bar.
    double ShowsOnBar(const SPicture& picture, LONG x, LONG y, int nTolerance = 12) const
    {
        return Shows(picture, BarLeft() + x, BarTop() + y, nTolerance);
    }
    /// The same with the corner at (x, y) of the bar.
    double ShowsRatherOnBar(const SPicture& first, const SPicture& second, LONG x, LONG y) const
    {
        return ShowsRather(first, second, BarLeft() + x, BarTop() + y);
    }
    UINT Width() const { return m_nWidth; }
    /// The view's first row and its height, below the menu bar's band.
    LONG ViewTop() const { return MENU_BAR_HEIGHT; }
    LONG ViewHeight() const { return static_cast<LONG>(m_nHeight) - MENU_BAR_HEIGHT; }

private:
    std::vector<DWORD> m_pixels;
    UINT m_nWidth = 0, m_nHeight = 0;
};
