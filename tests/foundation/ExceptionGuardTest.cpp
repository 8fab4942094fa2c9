#include "foundation/ExceptionGuard.h"

#include "platform/dx/WorkerPool.h"
#include "platform/win32/ExceptionFilter.h"
#include "platform/win32/Sync.h"
#include "platform/win32/Thread.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
// A real access violation: a write to a page that allows no access.
void WriteToForbiddenPage()
{
    void* p = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(p) = 1;
}

void RunInWorker(void (*pfn)())
{
    std::thread worker(pfn);
    worker.join();
}

// Recursion without end: each call keeps a frame the compiler cannot fold away.
volatile bool s_bStopRecursion = false;
int OverflowTheStack(volatile char* pCaller)
{
    volatile char ab[512];
    ab[0] = static_cast<char>(pCaller != nullptr ? pCaller[0] + 1 : 0);
    if (s_bStopRecursion)
        return ab[0];
    return OverflowTheStack(ab) + ab[1];
}

// Runs pfn on a thread the program's own way (CreateThread) and waits for it.
void RunInProgramThread(void (*pfn)())
{
    const HANDLE hThread = CreateThread(
        nullptr, 0,
        [](void* pParam) -> DWORD
        {
            reinterpret_cast<void (*)()>(pParam)();
            return 0;
        },
        reinterpret_cast<void*>(pfn), 0, nullptr);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
}

// Exactly one whole line, and nothing else, on standard error.
const char* const ONE_SEGV_LINE = "^Unhandled exception 0xC0000005: SIGSEGV \\(access violation\\)\n$";

class ExceptionGuardDeathTest : public ::testing::Test
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};
} // namespace

TEST_F(ExceptionGuardDeathTest, ACrashInAWorkerThreadEndsTheProcessWithOneLine)
{
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            RunInWorker([] { ::raise(SIGSEGV); });
        },
        ::testing::ExitedWithCode(128 + SIGSEGV), "Unhandled exception 0xC0000005: SIGSEGV \\(access violation\\)");
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            RunInWorker(WriteToForbiddenPage);
        },
        ::testing::ExitedWithCode(128 + SIGSEGV), "SIGSEGV");
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            RunInWorker([] { ::raise(SIGFPE); });
        },
        ::testing::ExitedWithCode(128 + SIGFPE), "SIGFPE");
}

TEST_F(ExceptionGuardDeathTest, AnUncaughtExceptionIsNamed)
{
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            RunInWorker([] { throw std::runtime_error("table leg broke"); });
        },
        ::testing::ExitedWithCode(128 + SIGABRT), "0xE06D7363: uncaught C\\+\\+ exception: table leg broke");
}

TEST(ExceptionGuardTest, GuardsNestAndRestoreTheFilterBeforeThem)
{
    const auto pfnOwn = [](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_CONTINUE_SEARCH; };
    const LPTOP_LEVEL_EXCEPTION_FILTER pfnBefore = SetUnhandledExceptionFilter(pfnOwn);
    {
        std::optional<CExceptionGuard> outer(std::in_place);
        std::optional<CExceptionGuard> inner(std::in_place);
        EXPECT_EQ(2, CExceptionGuard::GetGuardCount());
        EXPECT_EQ(&*inner, CExceptionGuard::GetTopGuard());

        outer.reset(); // not on top: taken out, the inner guard keeps the filter
        EXPECT_EQ(1, CExceptionGuard::GetGuardCount());
        EXPECT_EQ(&*inner, CExceptionGuard::GetTopGuard());
        EXPECT_EQ(&CExceptionGuard::GuardFilter, SetUnhandledExceptionFilter(&CExceptionGuard::GuardFilter));

        inner.reset(); // the last one: the filter from before the outer guard comes back
        EXPECT_EQ(0, CExceptionGuard::GetGuardCount());
        EXPECT_EQ(nullptr, CExceptionGuard::GetTopGuard());
    }
    EXPECT_EQ(+pfnOwn, SetUnhandledExceptionFilter(pfnBefore));
}

TEST_F(ExceptionGuardDeathTest, AStackOverflowInAnyThreadIsReported)
{
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            OverflowTheStack(nullptr);
        },
        ::testing::ExitedWithCode(128 + SIGSEGV), ONE_SEGV_LINE);
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            RunInProgramThread([] { OverflowTheStack(nullptr); });
        },
        ::testing::ExitedWithCode(128 + SIGSEGV), ONE_SEGV_LINE);
}

TEST_F(ExceptionGuardDeathTest, AStackOverflowOnTheRenderersDrawingThreadsIsReported)
{
    // The drawing threads share out the rows of a frame; the one that is not the caller overflows
    // while the caller waits.
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            const std::thread::id caller = std::this_thread::get_id();
            CWorkerPool pool(2);
            pool.Run(2,
                     [caller](int)
                     {
                         if (std::this_thread::get_id() != caller)
                             OverflowTheStack(nullptr);
                         for (;;)
                             ::pause();
                     });
        },
        ::testing::ExitedWithCode(128 + SIGSEGV), ONE_SEGV_LINE);
    // Every other thread the program starts is made the same guarded way.
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            StartGuardedThread([] { OverflowTheStack(nullptr); }).join();
        },
        ::testing::ExitedWithCode(128 + SIGSEGV), ONE_SEGV_LINE);
}

TEST_F(ExceptionGuardDeathTest, ThreadsCrashingTogetherGiveOneWholeLine)
{
    EXPECT_EXIT(
        {
            CExceptionGuard guard;
            static std::atomic<int> s_nReady{0};
            const auto Crash = []
            {
                ++s_nReady;
                while (s_nReady.load() < 4)
                {
                }
                WriteToForbiddenPage();
            };
            std::vector<std::thread> threads;
            for (int i = 0; i < 4; ++i)
                threads.emplace_back(Crash);
            for (std::thread& thread : threads)
                thread.join();
        },
        ::testing::ExitedWithCode(128 + SIGSEGV), ONE_SEGV_LINE);
}
