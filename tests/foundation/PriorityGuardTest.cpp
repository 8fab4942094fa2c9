#include "foundation/PriorityGuard.h"

#include "platform/win32/Priority.h"

#include <gtest/gtest.h>

namespace
{
// Limits how far the system lets the test thread raise its priority, and lifts it at the end.
class CRaiseLimitScope
{
public:
    explicit CRaiseLimitScope(int nSteps) { SetPriorityRaiseLimitForTest(nSteps); }
    ~CRaiseLimitScope() { SetPriorityRaiseLimitForTest(-1); }
    CRaiseLimitScope(const CRaiseLimitScope&) = delete;
    CRaiseLimitScope& operator=(const CRaiseLimitScope&) = delete;
};

DWORD CurrentClass() { return GetPriorityClass(GetCurrentProcess()); }
int CurrentPriority() { return GetThreadPriority(GetCurrentThread()); }
} // namespace

TEST(PriorityGuardTest, EachRefusedPartIsLeftAloneAndTheOtherRestored)
{
    struct SCase
    {
        const char* szName;
        int nRaiseLimit; // nice steps the system allows
        int nThreadPriority;
        DWORD dwClass;
        bool bClassChanged, bPriorityChanged;
    };
    const SCase cases[] = {
        // Real time is 10 steps, time critical 10 more.
        {"class granted, thread refused", 10, THREAD_PRIORITY_TIME_CRITICAL, REALTIME_PRIORITY_CLASS, true, false},
        {"class refused, thread granted", 5, THREAD_PRIORITY_ABOVE_NORMAL, REALTIME_PRIORITY_CLASS, false, true},
        {"both refused", 0, THREAD_PRIORITY_TIME_CRITICAL, REALTIME_PRIORITY_CLASS, false, false},
        // Lowering priority never needs privilege.
        {"both lowered", 0, THREAD_PRIORITY_LOWEST, IDLE_PRIORITY_CLASS, true, true},
    };
    const int nBaseNice = GetThreadNiceValue();
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CRaiseLimitScope limit(c.nRaiseLimit);
        {
            CPriorityGuard guard(c.nThreadPriority, c.dwClass);
            EXPECT_EQ(c.bClassChanged, guard.IsClassChanged());
            EXPECT_EQ(c.bPriorityChanged, guard.IsPriorityChanged());
            EXPECT_EQ(c.bClassChanged ? c.dwClass : NORMAL_PRIORITY_CLASS, CurrentClass());
            EXPECT_EQ(c.bPriorityChanged ? c.nThreadPriority : THREAD_PRIORITY_NORMAL, CurrentPriority());
        }
        EXPECT_EQ(NORMAL_PRIORITY_CLASS, CurrentClass());
        EXPECT_EQ(THREAD_PRIORITY_NORMAL, CurrentPriority());
        EXPECT_EQ(nBaseNice, GetThreadNiceValue());
    }
}

TEST(PriorityGuardTest, RestoreTwiceChangesNothingMore)
{
    CRaiseLimitScope limit(0);
    CPriorityGuard guard(THREAD_PRIORITY_LOWEST, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, CurrentPriority());
    guard.Restore();
    EXPECT_FALSE(guard.IsPriorityChanged());
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, CurrentPriority());
    // Something else lowers the thread afterwards; the guard's end must not undo that.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    guard.Restore();
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, CurrentPriority());
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}
