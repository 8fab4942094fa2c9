// PNG pictures decoded from any bytes. Property: a picture decoded has one word per pixel of
// its size.
#include "fixtures/ImageFixtures.h"
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/PngLoader.h"

#include <png.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0; // a size of 0 names a file instead
    std::vector<DWORD> pixels;
    UINT nWidth = 0, nHeight = 0;
    BYTE bHasAlpha = 0;
    LoadPngImage(pData, nSize, pixels, nWidth, nHeight, bHasAlpha);
    FuzzCheck(pixels.size() == std::size_t{nWidth} * nHeight, "the pixels do not match the picture's size");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    SPngDesc rgb;
    rgb.nWidth = 4;
    rgb.nHeight = 3;
    rgb.nColorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (unsigned i = 0; i < 12 * 4; ++i)
        rgb.samples.push_back(i * 5);
    SPngDesc palette;
    palette.nWidth = 5;
    palette.nHeight = 2;
    palette.nColorType = PNG_COLOR_TYPE_PALETTE;
    palette.nBitDepth = 4;
    palette.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0};
    palette.transparency = {0, 255, 128};
    palette.samples = {0, 1, 2, 1, 0, 2, 2, 1, 0, 0};
    palette.bInterlaced = true;
    return {EncodePng(rgb), EncodePng(palette)};
}
