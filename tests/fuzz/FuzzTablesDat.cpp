// The disc table's checker over any bytes: it must answer without reading outside them.
#include "tests/fuzz/FuzzTarget.h"

#include "simulation/DiscTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    IsTablesDataValid(std::span<const BYTE>(pData, nSize));
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    const std::string table = BuildTablesData();
    FuzzCheck(IsTablesDataValid(std::span<const BYTE>(reinterpret_cast<const BYTE*>(table.data()), table.size())) ==
                  TRUE,
              "the disc table built is not valid");
    return {FuzzBytes(table)};
}
