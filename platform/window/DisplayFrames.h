// Inside the window layer: how a window's output hands a finished frame to the display thread.
#pragma once

#include "platform/win32/WinTypes.h"

#include <vector>

/// A frame as its owner hands it over: the picture converted to 0x00RRGGBB rows at its own size, shown in a
/// nWidth x nHeight frame with the picture in rcDest (scaled by the display thread when the sizes differ).
struct SHandedFrame
{
    std::vector<DWORD> aPixels;
    int nPictureWidth = 0;
    int nPictureHeight = 0;
    int nWidth = 0;
    int nHeight = 0;
    RECT rcDest{};
};

/// Takes the frame (swapping in an old one whose storage can be reused) for the display thread to show; a frame
/// not yet shown is replaced. Any thread.
void HandFrameToDisplay(HWND hWnd, SHandedFrame& frame);
/// Whether the window shows its frames full screen.
bool IsWindowFullScreen(HWND hWnd);
