#include "ui/WindowPlacement.h"

#include "platform/win32/Desktop.h"

#include <algorithm>

void FitWindowRectToDesktop(RECT* pRect)
{
    const RECT rcDesktop = GetDesktopWindowRect();
    RECT& rc = *pRect;
    if (rc.left > rc.right)
        std::swap(rc.left, rc.right);
    if (rc.top > rc.bottom)
        std::swap(rc.top, rc.bottom);
    if (rc.right - rc.left > rcDesktop.right - rcDesktop.left)
        rc.right = rc.left + 640;
    if (rc.bottom - rc.top > rcDesktop.bottom - rcDesktop.top)
        rc.bottom = rc.top + 480;
    const LONG nWidth = rc.right - rc.left;
    const LONG nHeight = rc.bottom - rc.top;
    if (rc.left < 0)
        rc = RECT{0, rc.top, nWidth, rc.bottom};
    if (rc.top < 0)
        rc = RECT{rc.left, 0, rc.right, nHeight};
    if (rc.left > rcDesktop.right)
        rc = RECT{0, rc.top, nWidth, rc.bottom};
    if (rc.top > rcDesktop.bottom)
        rc = RECT{rc.left, 0, rc.right, nHeight};
    rc.right = std::min(rc.right, rcDesktop.right);
    rc.bottom = std::min(rc.bottom, rcDesktop.bottom);
}

RECT CalcBannerRectTopRight(const RECT& rc)
{
    const LONG nWidth = rc.right - rc.left;
    const LONG nHeight = rc.bottom - rc.top;
    const LONG nRight = rc.right - nWidth / 20;
    const LONG nTop = rc.top + nWidth / 20;
    return RECT{nRight - nWidth / 2, nTop, nRight, nTop + nHeight / 5};
}
