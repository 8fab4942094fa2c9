#include "platform/win32/Sync.h"

#include "platform/win32/Clock.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(SyncTest, CriticalSectionIsReentrantForItsOwner)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);
    std::atomic<bool> bOtherGotIn{true};
    std::thread([&] { bOtherGotIn = TryEnterCriticalSection(&cs) != FALSE; }).join();
    EXPECT_FALSE(bOtherGotIn);
    LeaveCriticalSection(&cs);
    std::thread([&] { bOtherGotIn = TryEnterCriticalSection(&cs) != FALSE; }).join();
    EXPECT_FALSE(bOtherGotIn) << "one Leave after two Enters must still hold the lock";
    LeaveCriticalSection(&cs);
    std::thread(
        [&]
        {
            bOtherGotIn = TryEnterCriticalSection(&cs) != FALSE;
            if (bOtherGotIn)
                LeaveCriticalSection(&cs);
        })
        .join();
    EXPECT_TRUE(bOtherGotIn);
    DeleteCriticalSection(&cs);
}

TEST(SyncTest, AutoResetEventReleasesOneWaitAndManualResetStaysSignalled)
{
    CHandle autoEvent(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(autoEvent.Get(), 0));
    SetEvent(autoEvent.Get());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(autoEvent.Get(), 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(autoEvent.Get(), 0));

    CHandle manualEvent(CreateEvent(nullptr, TRUE, TRUE, nullptr));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(manualEvent.Get(), 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(manualEvent.Get(), 0));
    ResetEvent(manualEvent.Get());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(manualEvent.Get(), 1));
}

TEST(SyncTest, EventSetByAnotherThreadWakesAnInfiniteWait)
{
    CHandle event(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    std::thread setter([&] { SetEvent(event.Get()); });
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event.Get(), INFINITE));
    setter.join();
}

TEST(SyncTest, NullHandlesFailInsteadOfCrashing)
{
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(nullptr, 0));
    EXPECT_EQ(FALSE, SetEvent(nullptr));
    EXPECT_EQ(FALSE, CloseHandle(nullptr));
}

TEST(ClockTest, TestClockIsSetAndAdvancedByTests)
{
    {
        CTestClockScope clock(1000);
        EXPECT_EQ(1000u, timeGetTime());
        clock.Advance(16);
        EXPECT_EQ(1016u, timeGetTime());
    }
    const DWORD a = timeGetTime();
    const DWORD b = timeGetTime();
    EXPECT_LE(a, b) << "the real clock never runs backwards";
}
