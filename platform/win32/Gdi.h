// The part of GDI that turns pictures into bitmaps: device-independent bitmap headers, memory
// bitmaps behind HBITMAP handles, and the screen's device context.
//
// A bitmap made here keeps its pixels in memory as 24-bit rows, top row first, blue-green-red,
// each row padded to a multiple of 4 bytes: the form the program's pictures are converted to.
#pragma once

#include "platform/win32/WinTypes.h"

struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
using HGDIOBJ = void*;

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_RLE8 = 1;
inline constexpr DWORD BI_RLE4 = 2;
inline constexpr DWORD BI_BITFIELDS = 3;
inline constexpr DWORD CBM_INIT = 4;
inline constexpr UINT DIB_RGB_COLORS = 0;

/// Largest bitmap side accepted, in pixels: far above any picture of the game, far below sizes
/// whose byte counts could overflow.
inline constexpr LONG MAX_BITMAP_SIDE = 16384;

struct BITMAPINFOHEADER
{
    DWORD biSize = 0;
    LONG biWidth = 0;
    LONG biHeight = 0; // negative: rows top first
    WORD biPlanes = 0;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
/// Bytes of the header in a file or a packed DIB, field by field.
inline constexpr DWORD BITMAPINFOHEADER_SIZE = 4 + 4 + 4 + 2 + 2 + 4 + 4 + 4 + 4 + 4 + 4;
static_assert(BITMAPINFOHEADER_SIZE == 40);

struct RGBQUAD
{
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

struct BITMAPINFO
{
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

/// What GetObject tells of a bitmap.
struct BITMAP
{
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    LPVOID bmBits = nullptr;
};

/// The screen's device context (hWnd null) or a window's; this layer draws nothing through it.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

/// A memory bitmap from a device-independent one. Takes 24-bit uncompressed pixels with either row
/// order; with CBM_INIT the pixels are copied in, else the bitmap starts black. Null (and
/// GetLastError) for other formats or sizes outside 1..MAX_BITMAP_SIDE.
HBITMAP CreateDIBitmap(HDC hDC, const BITMAPINFOHEADER* pHeader, DWORD dwInit, const void* pBits,
                       const BITMAPINFO* pInfo, UINT nUsage);
/// Deletes a bitmap; FALSE for a handle that is not a live bitmap.
BOOL DeleteObject(HGDIOBJ hObject);
/// Fills a BITMAP for a bitmap handle; returns the bytes written, 0 on failure.
int GetObject(HGDIOBJ hObject, int nSize, LPVOID pObject);
/// Copies up to nCount bytes of the bitmap's rows (as described above); returns the bytes copied.
LONG GetBitmapBits(HBITMAP hBitmap, LONG nCount, LPVOID pBits);
