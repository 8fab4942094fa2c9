// LoadImage for bitmaps: a bitmap resource of a library (named, type RT_BITMAP) or a bitmap file,
// decoded by the program's own BMP reader into a memory bitmap.
#pragma once

#include "platform/win32/Gdi.h"
#include "platform/win32/WinTypes.h"

inline constexpr UINT IMAGE_BITMAP = 0;
inline constexpr UINT LR_LOADFROMFILE = 0x10;
inline constexpr UINT LR_CREATEDIBSECTION = 0x2000;

/// A bitmap (the only image kind the game loads). With LR_LOADFROMFILE szName is a file (Windows path text) and
/// hInstance is not used; otherwise szName names a bitmap resource of hInstance, stored either as a whole bitmap file
/// or as a packed bitmap (header, colour table, pixels). Only IMAGE_BITMAP; cx and cy must be 0 (the picture's own
/// size). Null, with the reason in the debug log, when it is missing or does not decode.
HBITMAP LoadImage(HINSTANCE hInstance, LPCSTR szName, UINT uType, int cx, int cy, UINT fuLoad);
