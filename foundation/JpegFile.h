// JPEG pictures decoded into plain 24-bit RGB buffers, and the buffer operations that turn such
// a buffer into the shape device-independent bitmaps and textures want.
//
// An RGB buffer holds width x height x 3 bytes: rows packed without padding, top row first, each
// pixel red, green, blue. An empty buffer stands for "no picture".
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <vector>

class JpegFile
{
public:
    /// Decodes a JPEG file (Windows path text). A missing file gives an empty buffer silently; a
    /// damaged stream shows libjpeg's message in the error box and gives an empty buffer.
    static std::vector<BYTE> Read(LPCSTR szPath, UINT& nWidth, UINT& nHeight);
    /// Decodes a JPEG held in memory; never reads outside [pData, pData + nSize).
    static std::vector<BYTE> ReadMemory(const BYTE* pData, std::size_t nSize, UINT& nWidth, UINT& nHeight);

    /// Swaps the first and third byte of every pixel in place.
    static void SwapRedBlue(BYTE* pBuffer, UINT nWidth, UINT nHeight);
    /// A copy whose rows are padded with zero bytes to ((width x 24 + 31) >> 3) & ~3 bytes, the
    /// padded row size in nRowSize; empty when the input is null.
    static std::vector<BYTE> MakeDwordAlignedBuffer(const BYTE* pBuffer, UINT nWidth, UINT nHeight, UINT& nRowSize);
    /// Swaps rows top to bottom in place; FALSE when the buffer is null.
    static BOOL FlipImageVertically(BYTE* pBuffer, UINT nRowSize, UINT nRows);
};
