#include "platform/win32/Clock.h"

#include <atomic>
#include <chrono>

namespace
{
// Read by every thread that asks the time; written only by tests.
std::atomic<bool> s_bTestClock{false};
std::atomic<DWORD> s_dwTestNowMs{0};
} // namespace

DWORD timeGetTime()
{
    if (s_bTestClock.load(std::memory_order_acquire))
        return s_dwTestNowMs.load(std::memory_order_acquire);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SetTestClock(bool bOn, DWORD dwStartMs)
{
    s_dwTestNowMs.store(dwStartMs, std::memory_order_release);
    s_bTestClock.store(bOn, std::memory_order_release);
}

void AdvanceTestClock(DWORD dwMs) { s_dwTestNowMs.fetch_add(dwMs, std::memory_order_acq_rel); }
