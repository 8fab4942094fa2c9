#include "foundation/RecordArrays.h"

void CRecordTable::Put(const SBallStateRecord& record)
{
    // The slot comes from the record itself; a bad number must not write past the table.
    if (record.nNumber < 0 || record.nNumber >= SLOTS)
        return;
    m_Slots[static_cast<std::size_t>(record.nNumber)] = record;
}

const SBallStateRecord* CRecordTable::Get(int i) const
{
    return i >= 0 && i < SLOTS ? &m_Slots[static_cast<std::size_t>(i)] : nullptr;
}
