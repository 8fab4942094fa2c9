// Cursor files (.cur) read from any bytes, as a library's cursors are loaded. Properties: a cursor
// read has a picture of its size and its hot spot inside it.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/Cursor.h"
#include "tools/texgen/UiPictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    SCursorImage image;
    if (!ParseCursorFile(std::span<const BYTE>(pData, nSize), image))
        return 0;
    FuzzCheck(image.nWidth > 0 && image.nHeight > 0 &&
                  image.aPixels.size() ==
                      static_cast<std::size_t>(image.nWidth) * static_cast<std::size_t>(image.nHeight),
              "a cursor's picture is not of its size");
    FuzzCheck(image.nHotX >= 0 && image.nHotX < image.nWidth && image.nHotY >= 0 && image.nHotY < image.nHeight,
              "a cursor's hot spot lies outside its picture");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    std::vector<std::vector<BYTE>> seeds;
    for (const SNamedFile& file : MakeCursorsAndIcon())
    {
        SCursorImage image;
        if (!file.strName.ends_with(".cur"))
            continue;
        seeds.emplace_back(file.bytes.begin(), file.bytes.end());
        FuzzCheck(ParseCursorFile(seeds.back(), image), "a cursor the art makes is refused");
    }
    FuzzCheck(!seeds.empty(), "the art makes no cursor");
    return seeds;
}
