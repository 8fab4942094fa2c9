// The process's unhandled-exception filter over Linux's fatal signals and std::terminate.
//
// While a filter is set, a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) in any thread,
// or an exception that no code catches, is handed to the filter as an exception record. When the
// filter answers EXCEPTION_EXECUTE_HANDLER the process ends at once with status 128 + signal
// (SIGABRT's for an uncaught exception); any other answer lets the signal take its default
// course. Setting the filter to null puts the system's handling back.
//
// Only the first failure is handed to the filter: a thread that fails while another one's is
// handled waits for the process to end. The handler runs on a stack of its own, so that a
// thread whose stack overflowed can still be reported.
#pragma once

#include "platform/win32/WinTypes.h"

#include <thread>

inline constexpr DWORD EXCEPTION_ACCESS_VIOLATION = 0xC0000005u;
inline constexpr DWORD EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001Du;
inline constexpr DWORD EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094u;
inline constexpr DWORD EXCEPTION_IN_PAGE_ERROR = 0xC0000006u;
/// A C++ exception that nothing caught.
inline constexpr DWORD EXCEPTION_CPP = 0xE06D7363u;
/// The process aborted itself (abort(), a failed check).
inline constexpr DWORD EXCEPTION_ABORT = 0x40000015u;

inline constexpr LONG EXCEPTION_EXECUTE_HANDLER = 1;
inline constexpr LONG EXCEPTION_CONTINUE_SEARCH = 0;
inline constexpr LONG EXCEPTION_CONTINUE_EXECUTION = -1;

struct EXCEPTION_RECORD
{
    DWORD ExceptionCode = 0;
    DWORD ExceptionFlags = 0;
    void* ExceptionAddress = nullptr;
    /// What happened, in words ("SIGSEGV (access violation)", or the exception's message).
    const char* szDescription = "";
};

struct EXCEPTION_POINTERS
{
    EXCEPTION_RECORD* ExceptionRecord = nullptr;
    void* ContextRecord = nullptr;
};

/// Runs on the thread that failed, inside a signal handler: it may only use async-signal-safe
/// calls (WriteFatalText, no allocation, no locks).
using LPTOP_LEVEL_EXCEPTION_FILTER = LONG (*)(EXCEPTION_POINTERS*);

/// Sets the filter (null: the system's handling) and returns the one set before.
LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER pfnFilter);

/// Writes text to standard error with one system call; safe inside a signal handler.
void WriteFatalText(const char* szText);

/// Gives the calling thread a stack of its own for the fatal-signal handler, kept until the
/// thread ends; calling it again does nothing. Without it a stack overflow on that thread dies
/// with no report: the handler has no stack to run on.
void InstallFatalSignalStack();

/// Starts a std::thread whose first act is InstallFatalSignalStack. Every thread the program
/// starts is made through it (CreateThread included); a thread a library starts and calls back on
/// (the audio device's) calls InstallFatalSignalStack in its callback.
template <class F> std::thread StartGuardedThread(F&& fnBody)
{
    return std::thread(
        [fnBody = std::forward<F>(fnBody)]() mutable
        {
            InstallFatalSignalStack();
            fnBody();
        });
}
