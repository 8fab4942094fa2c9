#include "foundation/PngLoader.h"

#include "foundation/ImageLimits.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Paths.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <png.h>
#include <string>

namespace
{
// One decode's state. It lives in the caller's frame, so everything the decode changes after its
// setjmp is in memory the longjmp does not touch.
struct SPngDecode
{
    std::FILE* pFile = nullptr;
    const BYTE* pData = nullptr; // memory input: the data, its size and the read position
    std::size_t nSize = 0;
    std::size_t nPos = 0;
    std::vector<BYTE> pixels; // blue, green, red[, alpha] per pixel, rows top first
    std::vector<png_bytep> rows;
    UINT nWidth = 0;
    UINT nHeight = 0;
    int nChannels = 0;
    std::string strError;
};

void OnPngError(png_structp pPng, png_const_charp szMessage)
{
    static_cast<SPngDecode*>(png_get_error_ptr(pPng))->strError = szMessage;
    png_longjmp(pPng, 1);
}

void OnPngWarning(png_structp /*pPng*/, png_const_charp szMessage)
{
    OutputDebugString(("PNG warning: " + std::string(szMessage) + "\n").c_str());
}

// The memory input: hands libpng the next bytes, and stops at the end of the data.
void ReadPngMemory(png_structp pPng, png_bytep pOut, png_size_t nCount)
{
    auto* pDecode = static_cast<SPngDecode*>(png_get_io_ptr(pPng));
    if (nCount > pDecode->nSize - pDecode->nPos)
        png_error(pPng, "PNG data ends early");
    std::memcpy(pOut, pDecode->pData + pDecode->nPos, nCount);
    pDecode->nPos += nCount;
}

// Sets the transforms that bring every colour type and depth to 8-bit blue, green, red and
// maybe alpha: 16-bit cut to 8, palettes and low-depth grey expanded, transparency chunks
// made alpha, grey made colour.
void SetTransforms(png_structp pPng)
{
    png_set_strip_16(pPng);
    png_set_expand(pPng);
    png_set_gray_to_rgb(pPng);
    png_set_bgr(pPng);
    png_set_interlace_handling(pPng);
}

bool Allocate(SPngDecode& d, std::size_t nRowBytes)
{
    try
    {
        d.pixels.assign(nRowBytes * d.nHeight, 0);
        d.rows.resize(d.nHeight);
        return true;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
}

// The whole decode; it holds the only setjmp, and libpng's errors land here.
bool Decode(SPngDecode& d)
{
    png_structp pPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, OnPngError, OnPngWarning);
    png_infop pInfo = pPng != nullptr ? png_create_info_struct(pPng) : nullptr;
    if (pInfo == nullptr)
    {
        png_destroy_read_struct(&pPng, nullptr, nullptr);
        d.strError = "cannot create the PNG reader";
        return false;
    }
    if (setjmp(png_jmpbuf(pPng)) != 0)
    {
        png_destroy_read_struct(&pPng, &pInfo, nullptr);
        return false;
    }
    if (d.pFile != nullptr)
        png_init_io(pPng, d.pFile);
    else
        png_set_read_fn(pPng, &d, ReadPngMemory);
    png_set_user_limits(pPng, MAX_IMAGE_SIDE, MAX_IMAGE_SIDE);
    png_read_info(pPng, pInfo);
    d.nWidth = png_get_image_width(pPng, pInfo);
    d.nHeight = png_get_image_height(pPng, pInfo);
    if (!ImageSizeAllowed(d.nWidth, d.nHeight))
        png_error(pPng, "picture too large");
    SetTransforms(pPng);
    png_read_update_info(pPng, pInfo);
    d.nChannels = png_get_channels(pPng, pInfo);
    const std::size_t nRowBytes = png_get_rowbytes(pPng, pInfo);
    if ((d.nChannels != 3 && d.nChannels != 4) || nRowBytes != std::size_t{d.nWidth} * d.nChannels)
        png_error(pPng, "unexpected pixel layout after the transforms");
    if (!Allocate(d, nRowBytes))
        png_error(pPng, "out of memory"); // outside any catch block: a longjmp must not leave one
    for (UINT y = 0; y < d.nHeight; ++y)
        d.rows[y] = d.pixels.data() + y * nRowBytes;
    png_read_image(pPng, d.rows.data());
    png_read_end(pPng, nullptr);
    png_destroy_read_struct(&pPng, &pInfo, nullptr);
    return true;
}

// Bytes blue, green, red[, alpha] to words red << 24 | green << 16 | blue << 8 | alpha.
void ConvertPixels(const SPngDecode& d, std::vector<DWORD>& buffer)
{
    const std::size_t nCount = std::size_t{d.nWidth} * d.nHeight;
    const auto nChannels = static_cast<std::size_t>(d.nChannels);
    buffer.resize(nCount);
    for (std::size_t i = 0; i < nCount; ++i)
    {
        const BYTE* p = &d.pixels[i * nChannels];
        const DWORD dwAlpha = nChannels == 4 ? p[3] : 0xFFu;
        buffer[i] = (DWORD{p[2]} << 24) | (DWORD{p[1]} << 16) | (DWORD{p[0]} << 8) | dwAlpha;
    }
}
} // namespace

BOOL LoadPngImage(const void* pSource, std::size_t nDataSize, std::vector<DWORD>& buffer, UINT& nWidth, UINT& nHeight,
                  BYTE& bHasAlpha)
{
    buffer.clear();
    nWidth = nHeight = 0;
    bHasAlpha = 0;
    if (pSource == nullptr)
        return FALSE;
    SPngDecode d;
    if (nDataSize == 0)
    {
        d.pFile = OpenRegularFile(ResolvePath(static_cast<const char*>(pSource)));
        if (d.pFile == nullptr)
            return FALSE;
    }
    else
    {
        d.pData = static_cast<const BYTE*>(pSource);
        d.nSize = nDataSize;
    }
    const bool bDecoded = Decode(d);
    if (d.pFile != nullptr)
        std::fclose(d.pFile);
    if (!bDecoded)
    {
        OutputDebugString(("LoadPngImage: " + d.strError + "\n").c_str());
        return FALSE;
    }
    ConvertPixels(d, buffer);
    nWidth = d.nWidth;
    nHeight = d.nHeight;
    bHasAlpha = d.nChannels == 4 ? 1 : 0;
    return TRUE;
}
