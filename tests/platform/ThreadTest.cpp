#include "platform/win32/Thread.h"

#include "platform/win32/Priority.h"

#include <atomic>
#include <gtest/gtest.h>

namespace
{
struct SProbe
{
    std::atomic<int> nRuns{0};
    std::atomic<int> nPriorityInside{THREAD_PRIORITY_ERROR_RETURN};
    HANDLE hGate = CreateEvent(nullptr, TRUE, FALSE, nullptr); // the procedure waits for it
    ~SProbe() { CloseHandle(hGate); }
};

DWORD ProbeProc(void* pParam)
{
    auto* pProbe = static_cast<SProbe*>(pParam);
    pProbe->nPriorityInside = GetThreadPriority(GetCurrentThread());
    ++pProbe->nRuns;
    WaitForSingleObject(pProbe->hGate, INFINITE);
    return 1997;
}
} // namespace

TEST(ThreadTest, SuspendedThreadStartsOnResumeAndIsWaitedFor)
{
    SProbe probe;
    SetEvent(probe.hGate);
    DWORD dwId = 0;
    CHandle thread(CreateThread(nullptr, 0, ProbeProc, &probe, CREATE_SUSPENDED, &dwId));
    ASSERT_NE(nullptr, thread.Get());
    EXPECT_NE(0u, dwId);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread.Get(), 20));
    EXPECT_EQ(0, probe.nRuns.load()) << "a suspended thread must not run";
    DWORD dwExit = 0;
    EXPECT_TRUE(GetExitCodeThread(thread.Get(), &dwExit));
    EXPECT_EQ(STILL_ACTIVE, dwExit);

    EXPECT_EQ(1u, ResumeThread(thread.Get()));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), INFINITE));
    EXPECT_EQ(1, probe.nRuns.load());
    EXPECT_EQ(0u, ResumeThread(thread.Get())) << "resuming a thread that runs or ended changes nothing";
    EXPECT_TRUE(GetExitCodeThread(thread.Get(), &dwExit));
    EXPECT_EQ(1997u, dwExit);
}

TEST(ThreadTest, RunningThreadIsStillActiveUntilItReturns)
{
    SProbe probe;
    CHandle thread(CreateThread(nullptr, 0, ProbeProc, &probe, 0, nullptr));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread.Get(), 10));
    DWORD dwExit = 0;
    EXPECT_TRUE(GetExitCodeThread(thread.Get(), &dwExit));
    EXPECT_EQ(STILL_ACTIVE, dwExit);
    SetEvent(probe.hGate);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), INFINITE));
    EXPECT_EQ(1, probe.nRuns.load());
}

TEST(ThreadTest, ClosingANeverStartedThreadEndsItWithoutRunningIt)
{
    SProbe probe;
    CloseHandle(CreateThread(nullptr, 0, ProbeProc, &probe, CREATE_SUSPENDED, nullptr));
    EXPECT_EQ(0, probe.nRuns.load());
}

TEST(ThreadTest, PriorityAskedForAThreadIsTakenOnAtItsStart)
{
    SProbe probe;
    SetEvent(probe.hGate);
    CHandle thread(CreateThread(nullptr, 0, ProbeProc, &probe, CREATE_SUSPENDED, nullptr));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(thread.Get())) << "the creator's priority";
    // Lowering is always allowed, so the thread really takes it on.
    EXPECT_TRUE(SetThreadPriority(thread.Get(), THREAD_PRIORITY_LOWEST));
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(thread.Get()));
    EXPECT_FALSE(SetThreadPriority(thread.Get(), 7)) << "not a priority";
    ResumeThread(thread.Get());
    WaitForSingleObject(thread.Get(), INFINITE);
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, probe.nPriorityInside.load());
}

TEST(ThreadTest, OtherHandlesAreNotThreads)
{
    CHandle event(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(THREAD_ERROR_COUNT, ResumeThread(event.Get()));
    EXPECT_EQ(THREAD_ERROR_COUNT, ResumeThread(nullptr));
    DWORD dwExit = 0;
    EXPECT_FALSE(GetExitCodeThread(event.Get(), &dwExit));
    EXPECT_FALSE(SetThreadPriority(event.Get(), THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, GetThreadPriority(event.Get()));
    EXPECT_EQ(nullptr, CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr));
}
