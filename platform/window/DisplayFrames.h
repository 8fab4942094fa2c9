// Inside the window layer: how a window's output hands a finished frame to the display thread.
#pragma once

#include "platform/win32/WinTypes.h"

#include <vector>

/// Takes the frame's 0x00RRGGBB pixels (swapping in an old buffer to reuse) for the display thread
/// to show; a frame not yet shown is replaced. Any thread.
void HandFrameToDisplay(HWND hWnd, std::vector<DWORD>& aPixels, int nWidth, int nHeight);
/// Whether the window shows its frames full screen.
bool IsWindowFullScreen(HWND hWnd);
