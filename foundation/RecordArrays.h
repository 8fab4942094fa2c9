// Growable arrays of fixed-size records copied by value (the ball engines' motion and state
// records), and the table of ball-state records indexed by ball number.
#pragma once

#include "foundation/Vector3.h"
#include "platform/mfc/Arrays.h"

#include <array>
#include <cstdint>

template <class TRecord> class CRecordArray : public CArray<TRecord>
{
public:
    /// Copies record i to out; false, with out unchanged, when there is no record i.
    bool GetRecord(int i, TRecord& out) const
    {
        if (i < 0 || i >= this->GetSize())
            return false;
        out = this->GetAt(i);
        return true;
    }
    /// Address of record i; null when there is no record i.
    TRecord* GetRecordPtr(int i) { return i >= 0 && i < this->GetSize() ? this->GetData() + i : nullptr; }
    const TRecord* GetRecordPtr(int i) const { return i >= 0 && i < this->GetSize() ? this->GetData() + i : nullptr; }
};

/// Ten 32-bit words of a ball's state: its number, position, and the two orientation vectors.
struct SBallStateRecord
{
    std::int32_t nNumber = 0;
    CVector3 vPos;
    CVector3 vOrZ;
    CVector3 vOrY;
};

static_assert(sizeof(SBallStateRecord) == 10 * 4, "a ball-state record is ten 32-bit words");

/// One ball-state record per ball number, each stored in the slot its own number names.
class CRecordTable
{
public:
    static constexpr int SLOTS = 16;

    /// Copies record into slot record.nNumber; a number outside the table is ignored.
    void Put(const SBallStateRecord& record);
    /// The record in slot i; null outside the table.
    const SBallStateRecord* Get(int i) const;

private:
    std::array<SBallStateRecord, SLOTS> m_Slots{};
};
