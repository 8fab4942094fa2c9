#include "platform/win32/ExceptionFilter.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace
{
struct SFatalSignal
{
    int nSignal;
    DWORD dwCode;
    const char* szDescription;
};
constexpr SFatalSignal s_aSignals[] = {
    {SIGSEGV, EXCEPTION_ACCESS_VIOLATION, "SIGSEGV (access violation)"},
    {SIGBUS, EXCEPTION_IN_PAGE_ERROR, "SIGBUS (bus error)"},
    {SIGFPE, EXCEPTION_INT_DIVIDE_BY_ZERO, "SIGFPE (arithmetic error)"},
    {SIGILL, EXCEPTION_ILLEGAL_INSTRUCTION, "SIGILL (illegal instruction)"},
    {SIGABRT, EXCEPTION_ABORT, "SIGABRT (abort)"},
};
constexpr int SIGNAL_COUNT = static_cast<int>(std::size(s_aSignals));

std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> s_pfnFilter{nullptr};

// Installed handlers and what they replaced; changed under s_mutex only.
std::mutex s_mutex;
bool s_bInstalled = false;
struct sigaction s_aOldActions[SIGNAL_COUNT];
std::terminate_handler s_pfnOldTerminate = nullptr;

// Set by the first failure; it alone is reported.
std::atomic<bool> s_bFailing{false};

// The process ends here when the filter takes the exception.
[[noreturn]] void EndProcess(int nSignal) { ::_exit(128 + nSignal); }

// A later failure of another thread waits, unreported, for the first one to end the process.
void WaitIfAnotherThreadFails()
{
    if (s_bFailing.exchange(true))
        for (;;)
            ::pause();
}

// A stack for the signal handler, mapped for one thread and given back when it ends (the stack
// in use before comes back).
class CSignalStack
{
public:
    CSignalStack()
    {
        void* p = ::mmap(nullptr, SIZE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (p == MAP_FAILED)
            return;
        stack_t stack{};
        stack.ss_sp = p;
        stack.ss_size = SIZE;
        if (::sigaltstack(&stack, &m_previous) != 0)
        {
            ::munmap(p, SIZE);
            return;
        }
        m_p = p;
    }
    ~CSignalStack()
    {
        if (m_p == nullptr)
            return;
        ::sigaltstack(&m_previous, nullptr);
        ::munmap(m_p, SIZE);
    }
    CSignalStack(const CSignalStack&) = delete;
    CSignalStack& operator=(const CSignalStack&) = delete;

private:
    static constexpr std::size_t SIZE = 64 * 1024;
    void* m_p = nullptr;
    stack_t m_previous{};
};

void OnFatalSignal(int nSignal, siginfo_t* pInfo, void* /*pContext*/)
{
    WaitIfAnotherThreadFails();
    const SFatalSignal* pSignal = &s_aSignals[0];
    for (const SFatalSignal& s : s_aSignals)
        if (s.nSignal == nSignal)
            pSignal = &s;
    EXCEPTION_RECORD record;
    record.ExceptionCode = pSignal->dwCode;
    record.ExceptionAddress = pInfo != nullptr ? pInfo->si_addr : nullptr;
    record.szDescription = pSignal->szDescription;
    EXCEPTION_POINTERS pointers{&record, nullptr};
    const LPTOP_LEVEL_EXCEPTION_FILTER pfnFilter = s_pfnFilter.load();
    if (pfnFilter != nullptr && pfnFilter(&pointers) == EXCEPTION_EXECUTE_HANDLER)
        EndProcess(nSignal);
    // Not taken: the default action, once this handler returns (the signal is blocked until
    // then). Continuing would only run into the same fault again, so that answer is not kept.
    struct sigaction dfl
    {
    };
    dfl.sa_handler = SIG_DFL;
    ::sigaction(nSignal, &dfl, nullptr);
    ::raise(nSignal);
}

std::string DescribeCurrentException()
{
    const std::exception_ptr pException = std::current_exception();
    if (!pException)
        return "std::terminate called without an exception";
    try
    {
        std::rethrow_exception(pException);
    }
    catch (const std::exception& e)
    {
        return std::string("uncaught C++ exception: ") + e.what();
    }
    catch (...)
    {
        return "uncaught C++ exception of unknown type";
    }
}

void OnTerminate()
{
    WaitIfAnotherThreadFails();
    const std::string text = DescribeCurrentException();
    EXCEPTION_RECORD record;
    record.ExceptionCode = EXCEPTION_CPP;
    record.szDescription = text.c_str();
    EXCEPTION_POINTERS pointers{&record, nullptr};
    const LPTOP_LEVEL_EXCEPTION_FILTER pfnFilter = s_pfnFilter.load();
    if (pfnFilter != nullptr && pfnFilter(&pointers) == EXCEPTION_EXECUTE_HANDLER)
        EndProcess(SIGABRT);
    std::abort();
}

void Install()
{
    struct sigaction action
    {
    };
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < SIGNAL_COUNT; ++i)
        ::sigaction(s_aSignals[i].nSignal, &action, &s_aOldActions[i]);
    s_pfnOldTerminate = std::set_terminate(OnTerminate);
    s_bInstalled = true;
}

void Uninstall()
{
    for (int i = 0; i < SIGNAL_COUNT; ++i)
        ::sigaction(s_aSignals[i].nSignal, &s_aOldActions[i], nullptr);
    std::set_terminate(s_pfnOldTerminate);
    s_bInstalled = false;
}
} // namespace

LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER pfnFilter)
{
    std::lock_guard lock(s_mutex);
    const LPTOP_LEVEL_EXCEPTION_FILTER pfnOld = s_pfnFilter.exchange(pfnFilter);
    if (pfnFilter != nullptr)
        InstallFatalSignalStack();
    if (pfnFilter != nullptr && !s_bInstalled)
        Install();
    else if (pfnFilter == nullptr && s_bInstalled)
        Uninstall();
    return pfnOld;
}

void WriteFatalText(const char* szText)
{
    if (szText != nullptr)
        (void)!::write(STDERR_FILENO, szText, std::strlen(szText));
}

void InstallFatalSignalStack() { thread_local const CSignalStack t_stack; }
