#include "platform/dx/SurfacePng.h"

#include <cstdio>
#include <png.h>
#include <vector>

namespace
{
struct SPngWrite
{
    png_structp pPng = nullptr;
    png_infop pInfo = nullptr;
    ~SPngWrite() { png_destroy_write_struct(&pPng, &pInfo); }
};

bool WriteRows(FILE* pFile, const CDirectDrawSurface& surface)
{
    SPngWrite w;
    w.pPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (w.pPng == nullptr)
        return false;
    w.pInfo = png_create_info_struct(w.pPng);
    if (w.pInfo == nullptr)
        return false;
    const DWORD dwWidth = surface.GetWidth(), dwHeight = surface.GetHeight();
    std::vector<png_byte> aRow(static_cast<size_t>(dwWidth) * 3);
    // libpng reports errors by jumping back here; nothing below owns memory that the jump would skip.
    if (setjmp(png_jmpbuf(w.pPng)))
        return false;
    png_init_io(w.pPng, pFile);
    png_set_IHDR(w.pPng, w.pInfo, dwWidth, dwHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(w.pPng, w.pInfo);
    for (DWORD y = 0; y < dwHeight; ++y)
    {
        for (DWORD x = 0; x < dwWidth; ++x)
        {
            const DWORD c = surface.GetPixelXrgb(x, y);
            aRow[x * 3 + 0] = static_cast<png_byte>(c >> 16);
            aRow[x * 3 + 1] = static_cast<png_byte>(c >> 8);
            aRow[x * 3 + 2] = static_cast<png_byte>(c);
        }
        png_write_row(w.pPng, aRow.data());
    }
    png_write_end(w.pPng, nullptr);
    return true;
}
} // namespace

bool SaveSurfaceToPng(const CDirectDrawSurface& surface, const std::string& strPath)
{
    FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (pFile == nullptr)
        return false;
    const bool bOk = WriteRows(pFile, surface);
    const bool bClosed = std::fclose(pFile) == 0;
    if (!bOk || !bClosed)
    {
        std::remove(strPath.c_str());
        return false;
    }
    return true;
}
