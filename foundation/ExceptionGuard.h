// The unhandled-exception guard: while one lives, a crash anywhere in the process (a fatal
// signal in any thread, or an exception nothing catches) ends the process at once with one
// line on standard error naming what happened and a non-zero status, instead of a core dump
// or a hang. Guards nest; the most recent one is on top of a global stack.
#pragma once

#include "platform/win32/ExceptionFilter.h"

class CExceptionGuard
{
public:
    /// Pushes the guard and sets the guard filter as the process's filter.
    CExceptionGuard();
    /// Takes the guard off the stack wherever it sits; the filter that was set before the
    /// guard comes back once no guard made after it is left.
    virtual ~CExceptionGuard();
    CExceptionGuard(const CExceptionGuard&) = delete;
    CExceptionGuard& operator=(const CExceptionGuard&) = delete;

    /// Writes "Unhandled exception 0x…: <what>" and takes every exception.
    static LONG GuardFilter(EXCEPTION_POINTERS* pPointers);

    /// The number of guards alive, and the top one (null when none). Main thread.
    static int GetGuardCount();
    static const CExceptionGuard* GetTopGuard();

private:
    /// The filter in force before this guard (for the guard above it, after it is gone).
    LPTOP_LEVEL_EXCEPTION_FILTER m_pfnPrevious = nullptr;
};
