#include "foundation/ExceptionGuard.h"

#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <sys/mman.h>
#include <thread>

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
