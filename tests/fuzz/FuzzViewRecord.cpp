// View blocks read from any bytes. Property: a block read and written again reads back to the
// same bytes.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/ViewRecord.h"

namespace
{
std::vector<BYTE> Written(const CViewRecord& view)
{
    CByteWriter writer;
    WriteViewBlock(writer, view);
    return writer.Take();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CByteReader in(std::span<const BYTE>(pData, nSize));
    CViewRecord view;
    if (!ReadViewBlock(in, view))
        return 0;
    const std::vector<BYTE> bytes = Written(view);
    CByteReader again(bytes);
    CViewRecord viewAgain;
    FuzzCheck(ReadViewBlock(again, viewAgain) && Written(viewAgain) == bytes, "a view block read again differs");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    CViewRecord view;
    view.Set(10.5f, 20.25f, 3.0f, 0.5f, 0.25f, -1.0f, 0.125f, -0.5f, 45.0f, 90.0f, 7.75f);
    return {Written(view), Written(CViewRecord())};
}
