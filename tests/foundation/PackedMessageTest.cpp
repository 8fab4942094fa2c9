#include "foundation/PackedMessage.h"

#include "foundation/DialogResultMask.h"

#include <gtest/gtest.h>

namespace
{
TEST(PackedMessageTest, WordsLittleEndianThenBytesThenTheTextWithItsZero)
{
    CPackedMessage message;
    EXPECT_TRUE(message.GetPacked().empty());
    message.m_dwFirst = 0x04030201;
    message.m_dwSecond = 0x08070605;
    message.m_abBytes = {9, 10, 11};
    message.m_strText = "ab";
    const std::vector<BYTE> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 'a', 'b', 0};
    EXPECT_EQ(expected, message.Pack());
    EXPECT_EQ(12u + 2u, message.GetPacked().size());
    message.m_strText = "";
    EXPECT_EQ(12u, message.Pack().size()) << "packing again replaces the old form";
}

TEST(DialogResultMaskTest, EachQueryReadsItsOwnBit)
{
    int (*const aQueries[])() = {&IsDialogOkBit0, &IsDialogOkBit1,  &IsDialogOkBit2, &IsGameChosenOk, &IsOpponentDlgOk,
                                 &IsDialogOkBit5, &IsGameTypeDlgOk, &IsStartDlgOk,   &IsDialogOkBit8};
    for (int nBit = 0; nBit < 9; ++nBit)
    {
        SCOPED_TRACE(nBit);
        ClearDialogOkMask();
        SetDialogOkBit(DWORD{1} << nBit);
        for (int nQuery = 0; nQuery < 9; ++nQuery)
            EXPECT_EQ(nQuery == nBit ? 1 : 0, aQueries[nQuery]());
    }
    ClearDialogOkMask();
    EXPECT_EQ(0u, g_nDialogOkMask);
}
} // namespace
