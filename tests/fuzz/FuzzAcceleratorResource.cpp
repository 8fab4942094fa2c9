// Accelerator tables read from any bytes, as LoadAccelerators reads them. Properties: no key or
// command of a table read is 0, and the table encodes to bytes that read back as the same table.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/Accelerators.h"
#include "tools/respack/MenuSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::vector<ACCEL> table;
    std::string strError;
    if (!DecodeAcceleratorTable(std::span<const BYTE>(pData, nSize), table, strError))
    {
        FuzzCheck(!strError.empty(), "a table refused without a reason");
        return 0;
    }
    std::vector<ACCEL> again;
    FuzzCheck(DecodeAcceleratorTable(EncodeAcceleratorTable(table), again, strError) && again == table,
              "a table read does not read back");
    for (const ACCEL& accel : table)
        FuzzCheck(accel.key != 0 && accel.cmd != 0, "a key or command of 0 was read");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    const std::vector<BYTE> source = FuzzSourceFile("assets/VornRes/Main.accel");
    std::vector<BYTE> data;
    std::string strError;
    FuzzCheck(CompileAcceleratorSource(std::string(source.begin(), source.end()), data, strError),
              "the game's accelerators do not compile");
    return {data};
}
