// Table-set lists ("TABLES.SET") read from any bytes. Properties: every entry kept has its key,
// begun by a line feed; the selection names an entry whenever there is one; a table part's mesh
// is one of its entry's fields.
#include "tests/fuzz/FuzzTarget.h"

#include "gameflow/TableSets.h"

#include <climits>

namespace
{
constexpr int TABLE_PART_KINDS[] = {0x1000040, 0x4000040, 0x8000040, 0x10000040, 0x20000040, 0x2000040};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CTableSetList list;
    list.ReadText("Imagery1.dll", reinterpret_cast<const char*>(pData), nSize);
    for (int i = 0; i < list.GetCount(); ++i)
    {
        const CTableSetEntry& entry = list.GetAt(i);
        FuzzCheck(!entry.m_astrField[1].IsEmpty() && entry.m_astrField[1][0] == '\n', "an entry without its key");
        for (int nKind : TABLE_PART_KINDS)
            FuzzCheck(&entry.GetMeshForKind(nKind) >= &entry.m_astrField[3] &&
                          &entry.GetMeshForKind(nKind) <= &entry.m_astrField[8],
                      "a table part's mesh is not a mesh field");
    }
    for (int nNumber : {INT_MIN, -1, 0, 1, list.GetCount() - 1, list.GetCount(), INT_MAX})
    {
        const int nSelected = list.Select(nNumber);
        FuzzCheck(list.GetCount() == 0 ? nSelected == -1 && list.GetSelected() == nullptr
                                       : list.GetSelected() == &list.GetAt(nSelected),
                  "the selection names no entry");
    }
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {FuzzSourceFile("assets/Imagery1/TABLES.SET"),
            FuzzBytes("/ comment\r\n2; Oak ;Maker,Bed.x,A.x,B.x,C.x,D.x,Mark.x, extra one, extra two;\r\n"
                      ",,\n3,K\n\0after the end")};
}
