#include "platform/win32/Priority.h"

#include "platform/win32/Thread.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
// A handle that only names something; waiting on it returns at once.
class CPseudoHandle : public CKernelObject
{
};

CPseudoHandle s_currentProcess;
CPseudoHandle s_currentThread;

// The nice range of Linux.
constexpr int NICE_MIN = -20;
constexpr int NICE_MAX = 19;

// Nice steps of each class and thread priority relative to normal (negative = more priority).
struct SClassNice
{
    DWORD dwClass;
    int nNice;
};
constexpr SClassNice CLASS_NICE[] = {
    {IDLE_PRIORITY_CLASS, 10},         {BELOW_NORMAL_PRIORITY_CLASS, 5}, {NORMAL_PRIORITY_CLASS, 0},
    {ABOVE_NORMAL_PRIORITY_CLASS, -3}, {HIGH_PRIORITY_CLASS, -5},        {REALTIME_PRIORITY_CLASS, -10},
};
struct SThreadNice
{
    int nPriority;
    int nNice;
};
constexpr SThreadNice THREAD_NICE[] = {
    {THREAD_PRIORITY_IDLE, 10},           {THREAD_PRIORITY_LOWEST, 4},        {THREAD_PRIORITY_BELOW_NORMAL, 2},
    {THREAD_PRIORITY_NORMAL, 0},          {THREAD_PRIORITY_ABOVE_NORMAL, -2}, {THREAD_PRIORITY_HIGHEST, -4},
    {THREAD_PRIORITY_TIME_CRITICAL, -10},
};

std::optional<int> ClassNice(DWORD dwClass)
{
    for (const SClassNice& c : CLASS_NICE)
        if (c.dwClass == dwClass)
            return c.nNice;
    return std::nullopt;
}

std::optional<int> ThreadNice(int nPriority)
{
    for (const SThreadNice& t : THREAD_NICE)
        if (t.nPriority == nPriority)
            return t.nNice;
    return std::nullopt;
}

// Per thread: the nice value it started from and what the program asked for.
struct SThreadState
{
    int nBaseNice = 0;
    DWORD dwClass = NORMAL_PRIORITY_CLASS;
    int nPriority = THREAD_PRIORITY_NORMAL;
    // The highest nice value the system refused to this thread: any value at or below it needs the
    // same privilege, so it is refused without asking again (the frame tick asks every frame).
    int nRefusedNice = NICE_MIN - 1;
};

thread_local std::optional<SThreadState> t_state;
std::atomic<int> s_nRaiseLimitForTest{-1};

SThreadState& State()
{
    if (!t_state)
        t_state = SThreadState{GetThreadNiceValue(), NORMAL_PRIORITY_CLASS, THREAD_PRIORITY_NORMAL, NICE_MIN - 1};
    return *t_state;
}

// Gives the calling thread the nice value of dwClass and nPriority; false when refused.
bool Apply(DWORD dwClass, int nPriority)
{
    SThreadState& state = State();
    const int nSteps = *ClassNice(dwClass) + *ThreadNice(nPriority);
    const int nLimit = s_nRaiseLimitForTest.load(std::memory_order_relaxed);
    if (nLimit >= 0 && nSteps < -nLimit)
        return false;
    const int nNice = std::clamp(state.nBaseNice + nSteps, NICE_MIN, NICE_MAX);
    if (nNice <= state.nRefusedNice)
        return false;
    // PRIO_PROCESS with 0 addresses the calling thread on Linux.
    if (setpriority(PRIO_PROCESS, 0, nNice) != 0)
    {
        state.nRefusedNice = nNice;
        return false;
    }
    state.dwClass = dwClass;
    state.nPriority = nPriority;
    return true;
}
} // namespace

HANDLE GetCurrentProcess() { return &s_currentProcess; }

HANDLE GetCurrentThread() { return &s_currentThread; }

DWORD GetPriorityClass(HANDLE hProcess) { return hProcess == &s_currentProcess ? State().dwClass : 0; }

BOOL SetPriorityClass(HANDLE hProcess, DWORD dwClass)
{
    if (hProcess != &s_currentProcess || !ClassNice(dwClass))
        return FALSE;
    return Apply(dwClass, State().nPriority) ? TRUE : FALSE;
}

int GetThreadPriority(HANDLE hThread)
{
    if (hThread != &s_currentThread)
        return GetRequestedThreadPriority(hThread);
    return State().nPriority;
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority)
{
    if (!ThreadNice(nPriority))
        return FALSE;
    // Another thread takes the priority on itself when it next can (Thread.h).
    if (hThread != &s_currentThread)
        return RequestThreadPriority(hThread, nPriority);
    return Apply(State().dwClass, nPriority) ? TRUE : FALSE;
}

void SetPriorityRaiseLimitForTest(int nSteps) { s_nRaiseLimitForTest.store(nSteps, std::memory_order_relaxed); }

int GetThreadNiceValue()
{
    // getpriority may legitimately return -1, so errno tells a failure apart.
    errno = 0;
    const int nNice = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? nNice : 0;
}
