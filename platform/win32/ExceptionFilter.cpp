#include "platform/win32/ExceptionFilter.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
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

// The process ends here when the filter takes the exception.
[[noreturn]] void EndProcess(int nSignal) { ::_exit(128 + nSignal); }

void OnFatalSignal(int nSignal, siginfo_t* pInfo, void* /*pContext*/)
{
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
    action.sa_flags = SA_SIGINFO;
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
