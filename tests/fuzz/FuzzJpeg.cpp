// JPEG pictures decoded from any bytes. Property: a picture decoded has three bytes per pixel of
// its size.
#include "fixtures/ImageFixtures.h"
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/ErrorBox.h"
#include "foundation/JpegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    static const bool s_bQuiet = []
    {
        SetErrorBoxHandler([](const char*) {});
        return true;
    }();
    (void)s_bQuiet;
    UINT nWidth = 0, nHeight = 0;
    const std::vector<BYTE> rgb = JpegFile::ReadMemory(pData, nSize, nWidth, nHeight);
    FuzzCheck(rgb.size() == std::size_t{nWidth} * nHeight * 3, "the pixels do not match the picture's size");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {EncodeJpeg(16, 12, 3, MakeGradientRgb(16, 12), 75), EncodeJpeg(9, 7, 1, std::vector<BYTE>(63, 128), 90)};
}
