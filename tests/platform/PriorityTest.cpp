#include "platform/win32/Priority.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{
void LowerThenReturnToNormal()
{
    const int nBase = GetThreadNiceValue();
    ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST));
    EXPECT_TRUE(nBase == 19 || GetThreadNiceValue() > nBase) << "nice stays " << nBase;
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(GetCurrentThread()));
    // Without privilege Linux lets no thread lower its nice value again, so the way back may be
    // refused; it is then reported honestly and the thread keeps the lower priority.
    if (SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL))
        EXPECT_EQ(nBase, GetThreadNiceValue());
    else
        EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(GetCurrentThread()));
}

void RaiseIfAllowed()
{
    const int nBase = GetThreadNiceValue();
    if (SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST))
    {
        // Privileged: the raise took effect and normal gives it back.
        EXPECT_LT(GetThreadNiceValue(), nBase);
        EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL));
    }
    else
    {
        EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(GetCurrentThread()));
        // A refused raise stays refused when asked again, and so does a larger one.
        EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
        EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL));
    }
    EXPECT_EQ(nBase, GetThreadNiceValue());
}
} // namespace

TEST(PriorityTest, UnknownValuesAndForeignHandlesAreRefused)
{
    EXPECT_FALSE(SetPriorityClass(GetCurrentProcess(), 0x12345));
    EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), 7));
    EXPECT_FALSE(SetPriorityClass(GetCurrentThread(), NORMAL_PRIORITY_CLASS));
    EXPECT_FALSE(SetThreadPriority(GetCurrentProcess(), THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(0u, GetPriorityClass(GetCurrentThread()));
    EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, GetThreadPriority(GetCurrentProcess()));
    EXPECT_EQ(NORMAL_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess()));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(GetCurrentThread()));
}

// Each runs on a fresh thread, so that its base is known and nothing else shares it.
TEST(PriorityTest, LoweringMovesTheNiceValueAndNormalReturnsToTheBase) { std::thread(LowerThenReturnToNormal).join(); }

TEST(PriorityTest, RaisingIsGrantedOrRefusedWithoutChangingAnything) { std::thread(RaiseIfAllowed).join(); }
