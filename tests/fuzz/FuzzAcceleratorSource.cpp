// Accelerator sources compiled by respack from any text. Property: what the compiler accepts, the
// game loads: the table decodes, and encodes again to the same bytes.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/Accelerators.h"
#include "tools/respack/MenuSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::vector<BYTE> data;
    std::string strError;
    if (!CompileAcceleratorSource(FuzzText(pData, nSize), data, strError))
    {
        FuzzCheck(!strError.empty(), "a source refused without a reason");
        return 0;
    }
    std::vector<ACCEL> table;
    FuzzCheck(DecodeAcceleratorTable(data, table, strError), "a compiled table does not load");
    FuzzCheck(EncodeAcceleratorTable(table) == data, "a compiled table loads as another");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {FuzzSourceFile("assets/VornRes/Main.accel"),
            FuzzBytes("Shift+Ctrl+Alt+F12 65535\r\nPause 1 # note\nz 2\nPageDown 3\n")};
}
