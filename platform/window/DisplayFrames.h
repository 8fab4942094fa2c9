// Inside the window layer: how a window's output hands a finished frame to the display thread.
#pragma once

#include "platform/dx/FrameConvert.h"
#include "platform/win32/WinTypes.h"

/// A frame as its owner hands it over: the surface's raw pixels, converted into a nWidth x nHeight frame with the
/// picture in rcDest by the display thread.
struct SHandedFrame
{
    CFrameSnapshot snapshot;
    int nWidth = 0;
    int nHeight = 0;
    RECT rcDest{};
};

/// Takes the frame (swapping in an old one whose storage can be reused) for the display thread to convert and
/// show; a frame not yet shown is replaced. Any thread.
void HandFrameToDisplay(HWND hWnd, SHandedFrame& frame);
/// Whether the window shows its frames full screen.
bool IsWindowFullScreen(HWND hWnd);
