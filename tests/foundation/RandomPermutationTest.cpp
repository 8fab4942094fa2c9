#include "foundation/RandomPermutation.h"

#include "platform/win32/CrtRandom.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace
{
std::vector<DWORD> Values(const CDWordArray& a) { return std::vector<DWORD>(a.begin(), a.end()); }

bool IsPermutation(std::vector<DWORD> v)
{
    std::sort(v.begin(), v.end());
    for (std::size_t i = 0; i < v.size(); ++i)
        if (v[i] != i)
            return false;
    return true;
}
} // namespace

TEST(RandomPermutationTest, AppendsEveryNumberOnce)
{
    CDWordArray order;
    order.Add(99);
    ASSERT_EQ(1, MakeRandomPermutation(40, order, 17));
    ASSERT_EQ(41, order.GetSize());
    EXPECT_EQ(99u, order[0]) << "the array is not emptied first";
    std::vector<DWORD> drawn = Values(order);
    drawn.erase(drawn.begin());
    EXPECT_TRUE(IsPermutation(drawn));
    std::vector<DWORD> sorted(drawn);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_NE(sorted, drawn) << "40 numbers should not come out in order";
}

TEST(RandomPermutationTest, SeedFixesTheOrderAndZeroKeepsTheGeneratorGoing)
{
    CDWordArray a, b, c;
    MakeRandomPermutation(20, a, 4242);
    MakeRandomPermutation(20, b, 4242);
    EXPECT_EQ(Values(a), Values(b));

    CrtSrand(4242);
    MakeRandomPermutation(20, c, 0);
    EXPECT_EQ(Values(a), Values(c)) << "seed 0 does not reseed";
}

TEST(RandomPermutationTest, RefusesSizesItCannotDraw)
{
    for (int n : {0, -3, MAX_PERMUTATION_SIZE + 1})
    {
        SCOPED_TRACE(n);
        CDWordArray order;
        order.Add(5);
        EXPECT_EQ(0, MakeRandomPermutation(n, order, 1));
        EXPECT_EQ(1, order.GetSize());
    }
    // The largest size the generator can fill still finishes.
    CDWordArray all;
    ASSERT_EQ(1, MakeRandomPermutation(MAX_PERMUTATION_SIZE, all, 3));
    EXPECT_TRUE(IsPermutation(Values(all)));
}
