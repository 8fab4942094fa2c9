#include "foundation/RecordArrays.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace
{
struct SMotion
{
    std::int32_t anWords[5] = {};
};
static_assert(sizeof(SMotion) == 20);

SMotion Motion(int nFirst)
{
    SMotion m;
    m.anWords[0] = nFirst;
    return m;
}
} // namespace

TEST(RecordArraysTest, RecordsAreCopiedInAndOutByIndex)
{
    CRecordArray<SMotion> records;
    EXPECT_EQ(0, records.Add(Motion(1)));
    EXPECT_EQ(1, records.Add(Motion(2)));
    records.SetAtGrow(4, Motion(5));
    ASSERT_EQ(5, records.GetSize());
    EXPECT_EQ(0, records.GetRecordPtr(3)->anWords[0]) << "slots passed over are empty records";
    EXPECT_EQ(records.GetData() + 4, records.GetRecordPtr(4));

    SMotion out = Motion(77);
    ASSERT_TRUE(records.GetRecord(1, out));
    EXPECT_EQ(2, out.anWords[0]);
    out = Motion(77);
    EXPECT_FALSE(records.GetRecord(5, out));
    EXPECT_FALSE(records.GetRecord(-1, out));
    EXPECT_EQ(77, out.anWords[0]);
    EXPECT_EQ(nullptr, records.GetRecordPtr(5));

    records.RemoveAll();
    EXPECT_EQ(0, records.GetSize());
}

TEST(RecordArraysTest, RecordTablePutsEachRecordInTheSlotItNames)
{
    CRecordTable table;
    SBallStateRecord ball;
    ball.nNumber = 9;
    ball.vPos.SetVec3(0.5f, 1.0f, 0.028448f);
    table.Put(ball);
    EXPECT_EQ(0.5f, table.Get(9)->vPos.x);
    EXPECT_EQ(9, table.Get(9)->nNumber);

    // Numbers outside the table are ignored instead of writing past it.
    for (int n : {16, -1, 1000})
    {
        SCOPED_TRACE(n);
        SBallStateRecord bad;
        bad.nNumber = n;
        bad.vPos.SetVec3(7, 7, 7);
        table.Put(bad);
        EXPECT_EQ(nullptr, table.Get(n));
    }
    for (int i = 0; i < CRecordTable::SLOTS; ++i)
        EXPECT_NE(7.0f, table.Get(i)->vPos.x) << "slot " << i;
}
