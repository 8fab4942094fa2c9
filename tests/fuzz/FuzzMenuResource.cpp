// Menu resources read from any bytes, as LoadMenu reads them. Property: a menu read encodes to
// bytes that read back as the same menu.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/Menus.h"
#include "tools/respack/MenuSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::vector<SMenuItem> items;
    std::string strError;
    if (!DecodeMenu(std::span<const BYTE>(pData, nSize), items, strError))
    {
        FuzzCheck(!strError.empty(), "a menu refused without a reason");
        return 0;
    }
    std::vector<SMenuItem> again;
    FuzzCheck(DecodeMenu(EncodeMenu(items), again, strError) && again == items, "a menu read does not read back");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    const std::vector<BYTE> source = FuzzSourceFile("assets/VornRes/Main.menu");
    std::vector<BYTE> data;
    std::string strError;
    FuzzCheck(CompileMenuSource(std::string(source.begin(), source.end()), data, strError),
              "the game's menu does not compile");
    return {data, EncodeMenu({SMenuItem{MF_SEPARATOR, 0, "", {}}, SMenuItem{0, 7, "Only", {}}})};
}
