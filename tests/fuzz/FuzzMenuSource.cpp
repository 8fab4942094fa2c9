// Menu sources compiled by respack from any text. Property: what the compiler accepts, the game
// loads: the resource decodes, and encodes again to the same bytes.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/Menus.h"
#include "tools/respack/MenuSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::vector<BYTE> data;
    std::string strError;
    if (!CompileMenuSource(FuzzText(pData, nSize), data, strError))
    {
        FuzzCheck(strError.starts_with("line ") || !strError.empty(), "a source refused without a reason");
        return 0;
    }
    std::vector<SMenuItem> items;
    FuzzCheck(DecodeMenu(data, items, strError), "a compiled menu does not load");
    FuzzCheck(EncodeMenu(items) == data, "a compiled menu loads as another");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {FuzzSourceFile("assets/VornRes/Main.menu"),
            FuzzBytes("popup \"a\"\n  popup \"b\\tc\"\n    item 1 \"x\" # note\n    separator\n  end\nend\n"
                      "item 65535 \"top\"\n")};
}
