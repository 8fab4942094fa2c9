// TGA pictures read from any bytes. Property: a picture read has one pixel per place of its size.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/TgaFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    STgaImage image;
    std::string strError;
    if (ReadTga(std::span<const BYTE>(pData, nSize), image, strError))
        FuzzCheck(image.aPixels.size() == std::size_t{image.dwWidth} * image.dwHeight,
                  "the pixels do not match the picture's size");
    else
        FuzzCheck(!strError.empty() && image.aPixels.empty(), "a refused picture without a reason, or with pixels");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    // 2 x 2 at 32 bits, uncompressed and run-length; 1 x 1 at 24 bits with an identifier.
    std::vector<BYTE> raw = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8};
    for (int i = 0; i < 4; ++i)
        raw.insert(raw.end(), {0, 0, 255, static_cast<BYTE>(i * 80)});
    std::vector<BYTE> rle = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 0x28};
    rle.insert(rle.end(), {0x82, 1, 2, 3, 4, 0x00, 5, 6, 7, 8});
    std::vector<BYTE> id = {2, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 'h', 'i', 9, 8, 7};
    return {raw, rle, id};
}
