// GDI: memory bitmaps, device contexts over bitmaps and memory surfaces, pens, brushes, lines,
// ellipses, fills, blits, and text through FreeType with GDI's font description and height rules.
//
// A bitmap made here keeps its pixels in memory as 24-bit rows, top row first, blue-green-red,
// each row padded to a multiple of 4 bytes: the form the program's pictures are converted to.
//
// Every face name maps to Liberation Sans (metric-compatible with Arial): weight 600 and up takes
// its bold face, lfItalic its italic face. Glyphs are rasterised once per face and pixel size and
// kept; drawing text allocates nothing. Text is UTF-8; a byte that does not decode is drawn as
// the replacement character.
//
// Objects and device contexts may be made and deleted on any thread; one device context is used
// by one thread at a time. An object selected into a device context is not freed by DeleteObject
// until the last context lets it go.
#pragma once

#include "platform/win32/WinTypes.h"

struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HPEN__;
using HPEN = HPEN__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;
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
/// A black bitmap of the given size (1..MAX_BITMAP_SIDE); null otherwise.
HBITMAP CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight);
/// Deletes a bitmap, pen, brush or font; FALSE for a handle that is not a live object. Stock
/// objects stay. An object still selected into a device context goes when the last one lets it go.
BOOL DeleteObject(HGDIOBJ hObject);
/// Fills a BITMAP (bitmap), LOGPEN (pen), LOGBRUSH (brush) or LOGFONT (font, 60 bytes) for a
/// handle; returns the bytes written, 0 on failure or when nSize is too small.
int GetObject(HGDIOBJ hObject, int nSize, LPVOID pObject);
/// Copies up to nCount bytes of the bitmap's rows (as described above); returns the bytes copied.
LONG GetBitmapBits(HBITMAP hBitmap, LONG nCount, LPVOID pBits);

// ---------------------------------------------------------------------------------------------
// Device contexts

/// Pixel layouts a device context draws on directly.
enum class EGdiPixelFormat
{
    Xrgb32, // 32-bit 0xAARRGGBB words; drawing writes alpha 0xFF
    Rgb565, // 16-bit 5-6-5 words
    Bgr24,  // blue, green, red bytes
};

/// Rows of pixels, top row first, that a device context draws on (a memory surface's).
struct SGdiPixels
{
    BYTE* pBits = nullptr;
    LONG nWidth = 0;
    LONG nHeight = 0;
    LONG nPitch = 0; // bytes from one row to the next
    EGdiPixelFormat eFormat = EGdiPixelFormat::Xrgb32;
};

/// A device context drawing straight on the given pixels, which must outlive it; DeleteDC ends it.
/// Memory surfaces hand these out from their GetDC.
HDC CreatePixelsDC(const SGdiPixels& pixels);
/// A memory device context; it draws on the bitmap selected into it (nothing until one is).
HDC CreateCompatibleDC(HDC hDC);
/// Ends a device context made by CreateCompatibleDC or CreatePixelsDC, letting its objects go.
BOOL DeleteDC(HDC hDC);

/// Selects a bitmap (memory contexts only; a bitmap is selected into one context at a time), pen,
/// brush or font; returns the object it replaces, null on failure.
HGDIOBJ SelectObject(HDC hDC, HGDIOBJ hObject);

inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEFAULT_GUI_FONT = 17;
/// A stock object (never deleted); null for an unknown index. A new context holds the black pen,
/// the white brush and the system font.
HGDIOBJ GetStockObject(int nIndex);

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
/// The classic grey theme's colours; black for an index this layer does not know.
COLORREF GetSysColor(int nIndex);
/// A stock solid brush of a system colour.
HBRUSH GetSysColorBrush(int nIndex);

/// Clip rectangle: drawing stays inside it and inside the pixels. IntersectClipRect takes logical
/// coordinates and keeps the result in device coordinates (a later origin change does not move it).
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int ERROR_REGION = 0;
int IntersectClipRect(HDC hDC, int nLeft, int nTop, int nRight, int nBottom);
/// Removes the clip rectangle (the region argument must be null: this layer has no regions).
int SelectClipRgn(HDC hDC, void* hRgn);
/// The visible rectangle in logical coordinates.
int GetClipBox(HDC hDC, RECT* pRect);
/// Logical (0, 0) lies at the given device point.
BOOL SetViewportOrgEx(HDC hDC, int x, int y, POINT* pOld);
BOOL GetViewportOrgEx(HDC hDC, POINT* pOrigin);
/// Saves the context's objects, colours, modes, origin, clip and position; RestoreDC(-1) takes the
/// last saved state back, RestoreDC(n) the one SaveDC numbered n.
int SaveDC(HDC hDC);
BOOL RestoreDC(HDC hDC, int nSavedDC);

// ---------------------------------------------------------------------------------------------
// Pens, brushes and drawing

inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1; // 18 pixels on, 6 off
inline constexpr int PS_DOT = 2;  // 3 pixels on, 3 off
inline constexpr int PS_NULL = 5;
inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_HOLLOW = BS_NULL;

struct LOGPEN
{
    UINT lopnStyle = PS_SOLID;
    POINT lopnWidth; // x: width in pixels
    COLORREF lopnColor = 0;
};

struct LOGBRUSH
{
    UINT lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    std::uintptr_t lbHatch = 0;
};

/// A pen; widths above 1 draw solid whatever the style (as GDI does). Null for an unknown style.
HPEN CreatePen(int nStyle, int nWidth, COLORREF crColor);
HBRUSH CreateSolidBrush(COLORREF crColor);
HBRUSH CreateBrushIndirect(const LOGBRUSH* pLogBrush);

/// Lines go from the current position to the end point, end point excluded; a dotted pen's
/// pattern runs on across the lines of one path.
BOOL MoveToEx(HDC hDC, int x, int y, POINT* pOld);
BOOL LineTo(HDC hDC, int x, int y);
BOOL Polyline(HDC hDC, const POINT* pPoints, int nCount);
/// Shapes within the box [left, right) x [top, bottom): outline in the pen, inside in the brush.
BOOL Ellipse(HDC hDC, int nLeft, int nTop, int nRight, int nBottom);
BOOL Rectangle(HDC hDC, int nLeft, int nTop, int nRight, int nBottom);
/// Fills [left, right) x [top, bottom) with the brush (the selected one is not used).
int FillRect(HDC hDC, const RECT* pRect, HBRUSH hBrush);
/// Draws a one-pixel border just inside the rectangle in the brush's colour.
int FrameRect(HDC hDC, const RECT* pRect, HBRUSH hBrush);
COLORREF SetPixel(HDC hDC, int x, int y, COLORREF crColor);
/// CLR_INVALID outside the pixels or the clip rectangle.
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
COLORREF GetPixel(HDC hDC, int x, int y);

inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD PATCOPY = 0x00F00021;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;
/// PATCOPY fills with the selected brush; BLACKNESS and WHITENESS fill black and white.
BOOL PatBlt(HDC hDC, int x, int y, int nWidth, int nHeight, DWORD dwRop);
/// Copies pixels between contexts of any formats (SRCCOPY; BLACKNESS, WHITENESS and PATCOPY ignore
/// the source). Source pixels outside the source's pixels are not copied.
BOOL BitBlt(HDC hDest, int x, int y, int nWidth, int nHeight, HDC hSrc, int xSrc, int ySrc, DWORD dwRop);
/// As BitBlt, scaling with the nearest pixel; a negative width or height mirrors.
BOOL StretchBlt(HDC hDest, int x, int y, int nWidth, int nHeight, HDC hSrc, int xSrc, int ySrc, int nSrcWidth,
                int nSrcHeight, DWORD dwRop);
inline constexpr int BLACKONWHITE = 1;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;
/// Kept for the callers; stretching is always nearest-pixel.
int SetStretchBltMode(HDC hDC, int nMode);
/// Stretches the source rectangle of a device-independent bitmap (uncompressed 16-bit 5-5-5 or 24-bit
/// rows padded to 4 bytes, either row order; source y counts from the picture's top) onto the
/// destination, as StretchBlt does. Returns the source rows used, 0 for another format, a rectangle
/// outside the picture or a raster operation other than SRCCOPY.
int StretchDIBits(HDC hDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc, int ySrc, int nSrcWidth,
                  int nSrcHeight, const void* pBits, const BITMAPINFO* pInfo, UINT nUsage, DWORD dwRop);

// ---------------------------------------------------------------------------------------------
// Fonts and text

inline constexpr int LF_FACESIZE = 32;
inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_SEMIBOLD = 600;
inline constexpr LONG FW_BOLD = 700;
inline constexpr LONG FW_HEAVY = 900;
inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE RUSSIAN_CHARSET = 204;
inline constexpr BYTE OUT_DEFAULT_PRECIS = 0;
inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE ANTIALIASED_QUALITY = 4;
inline constexpr BYTE DEFAULT_PITCH = 0;
inline constexpr BYTE VARIABLE_PITCH = 2;

/// A font's description: 60 bytes, the layout GetObject copies. lfHeight < 0 is the character
/// height (em size) in pixels, > 0 the cell height (Windows ascent plus descent), 0 a default cell
/// of 16 pixels. Width, escapement, orientation, character set, precisions, quality and pitch are
/// kept but not used: text is always upright, anti-aliased and of the face's own widths.
struct LOGFONT
{
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT is copied as 60 bytes");
using LOGFONTA = LOGFONT;

struct TEXTMETRIC
{
    LONG tmHeight = 0; // ascent + descent: the line height DrawText steps by
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0; // tmHeight minus the em size
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 96;
    LONG tmDigitizedAspectY = 96;
    char tmFirstChar = 0x20;
    char tmLastChar = static_cast<char>(0xFF);
    char tmDefaultChar = '?';
    char tmBreakChar = ' ';
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};

/// A font from its description; null (and GetLastError) when no face file can be opened.
HFONT CreateFontIndirect(const LOGFONT* pLogFont);
HFONT CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, DWORD bItalic,
                 DWORD bUnderline, DWORD bStrikeOut, DWORD nCharSet, DWORD nOutPrecision, DWORD nClipPrecision,
                 DWORD nQuality, DWORD nPitchAndFamily, LPCSTR szFaceName);

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
/// Text colour (black at first), background colour (white) and mode (OPAQUE); each returns the
/// old value (0 from SetBkMode on failure, CLR_INVALID from the colours).
COLORREF SetTextColor(HDC hDC, COLORREF crColor);
COLORREF GetTextColor(HDC hDC);
COLORREF SetBkColor(HDC hDC, COLORREF crColor);
COLORREF GetBkColor(HDC hDC);
int SetBkMode(HDC hDC, int nMode);
int GetBkMode(HDC hDC);

BOOL GetTextMetrics(HDC hDC, TEXTMETRIC* pMetrics);
/// Width of the text's advances and the font's cell height; nCount -1 measures to the terminator.
BOOL GetTextExtentPoint32(HDC hDC, LPCSTR szText, int nCount, SIZE* pSize);
/// Draws one line with its cell's top-left corner at (x, y).
BOOL TextOut(HDC hDC, int x, int y, LPCSTR szText, int nCount);

inline constexpr UINT DT_TOP = 0x0;
inline constexpr UINT DT_LEFT = 0x0;
inline constexpr UINT DT_CENTER = 0x1;
inline constexpr UINT DT_RIGHT = 0x2;
inline constexpr UINT DT_VCENTER = 0x4;
inline constexpr UINT DT_BOTTOM = 0x8;
inline constexpr UINT DT_WORDBREAK = 0x10;
inline constexpr UINT DT_SINGLELINE = 0x20;
inline constexpr UINT DT_EXPANDTABS = 0x40;
inline constexpr UINT DT_NOCLIP = 0x100;
inline constexpr UINT DT_CALCRECT = 0x400;
inline constexpr UINT DT_NOPREFIX = 0x800;
inline constexpr UINT DT_PATH_ELLIPSIS = 0x4000;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;
inline constexpr UINT DT_MODIFYSTRING = 0x10000;
inline constexpr UINT DT_HIDEPREFIX = 0x100000;

/// Draws text in a rectangle, as GDI does:
/// - lines end at "\n" or "\r\n" and, with DT_WORDBREAK, before a word that would pass the right
///   edge (a word wider than the rectangle keeps its line); DT_SINGLELINE keeps one line;
/// - DT_CENTER and DT_RIGHT place each line; DT_VCENTER and DT_BOTTOM act only with DT_SINGLELINE;
/// - "&x" underlines x and "&&" draws "&" unless DT_NOPREFIX (DT_HIDEPREFIX drops the underline);
/// - DT_CALCRECT draws nothing: it keeps left and top and sets right and bottom to the text's
///   extent (the widest line, the lines' count times the cell height);
/// - without DT_NOCLIP the text is clipped to the rectangle;
/// - DT_END_ELLIPSIS and DT_PATH_ELLIPSIS (single line) shorten a line wider than the rectangle
///   with "...", the latter keeping the text after the last path separator; DT_MODIFYSTRING with
///   the writable overload also writes the shortened text back (the buffer needs room for the
///   text plus 4 characters).
/// Returns the text's height (with DT_VCENTER or DT_BOTTOM, its bottom's offset from the top).
int DrawText(HDC hDC, LPCSTR szText, int nCount, RECT* pRect, UINT nFormat);
int DrawText(HDC hDC, LPSTR szText, int nCount, RECT* pRect, UINT nFormat);
