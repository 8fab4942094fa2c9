// Widget masks (8-bit bitmaps, whole files or packed) read from any bytes, then scaled to a
// widget's size and scanned for its buttons, as the panel loader does. Properties: a mask read has
// an index for each pixel; every box that makes a button lies inside the scaled mask.
#include "tests/fuzz/FuzzTarget.h"

#include "tools/texgen/PanelPictures.h"
#include "ui/WidgetMask.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    SMaskImage mask;
    if (!ReadMaskBitmap(std::span<const BYTE>(pData, nSize), mask))
        return 0;
    FuzzCheck(mask.nWidth > 0 && mask.nHeight > 0 &&
                  mask.indices.size() == static_cast<std::size_t>(mask.nWidth) * static_cast<std::size_t>(mask.nHeight),
              "a mask is not of its size");
    // The size the mask is scaled to comes from the input too: any widget's size.
    const LONG nWidth = 1 + pData[nSize - 1] % 97;
    const LONG nHeight = 1 + pData[nSize - 2] % 61;
    const SMaskImage scaled = ScaleMask(mask, nWidth, nHeight);
    FuzzCheck(scaled.nWidth == nWidth && scaled.nHeight == nHeight, "a mask scaled to another size");
    // A box that is empty makes no button (a single pixel, row or column gives one).
    for (const SMaskBox& box : ScanMask(scaled))
        FuzzCheck(!box.bTouched || box.rc.right <= box.rc.left || box.rc.bottom <= box.rc.top ||
                      (box.rc.left >= 0 && box.rc.right < nWidth && box.rc.top >= 0 && box.rc.bottom < nHeight),
                  "a button's box lies outside its mask");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    const std::vector<std::uint8_t> file = MakeControlBarMask();
    SMaskImage mask;
    FuzzCheck(ReadMaskBitmap(file, mask), "the mask the art makes is refused");
    // The same mask packed, as a bitmap resource holds it: without the file's 14-byte header.
    return {std::vector<BYTE>(file.begin(), file.end()), std::vector<BYTE>(file.begin() + 14, file.end())};
}
