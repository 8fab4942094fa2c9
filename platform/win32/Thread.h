// Threads as the game creates them: a procedure and a parameter, optionally created suspended and
// started by ResumeThread; waiting on the handle waits for the thread's end.
//
// A thread object lives until its handle is closed. Closing the handle of a thread that was never
// started ends it without running its procedure; closing the handle of a running thread lets it
// run on by itself, so whoever owns what the procedure touches stops and waits for it first.
//
// Priorities of other threads are best effort: SetThreadPriority on a thread's handle is accepted
// and remembered, GetThreadPriority returns the remembered value, and the thread takes it on itself
// when it starts and whenever it calls ApplyRequestedThreadPriority (Linux lets a thread change
// only its own nice value without privilege, and even that only downwards from its base).
#pragma once

#include "platform/win32/Sync.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>

using LPTHREAD_START_ROUTINE = DWORD (*)(void* pParam);

inline constexpr DWORD CREATE_SUSPENDED = 0x4;
/// The exit code of a thread that has not ended.
inline constexpr DWORD STILL_ACTIVE = 259;
/// What ResumeThread returns for a handle that is not a thread.
inline constexpr DWORD THREAD_ERROR_COUNT = 0xFFFFFFFFu;

/// Starts pProc(pParam) on a new thread, or prepares it suspended (suspend count 1) with
/// CREATE_SUSPENDED. The stack size and security are not used. The thread starts with the
/// priority of the calling thread. pThreadId, when given, receives a process-unique id.
HANDLE CreateThread(void* pSecurity, std::size_t nStackSize, LPTHREAD_START_ROUTINE pProc, void* pParam, DWORD dwFlags,
                    DWORD* pThreadId);

/// Lowers the suspend count of a thread created suspended; at 0 the thread starts. Returns the
/// count before the call (0 for a thread that runs), THREAD_ERROR_COUNT for a handle that is not
/// a thread.
DWORD ResumeThread(HANDLE hThread);

/// The thread's exit code, STILL_ACTIVE while it has not ended; FALSE for a handle that is not a
/// thread.
BOOL GetExitCodeThread(HANDLE hThread, DWORD* pdwExitCode);

/// Calls that the priority functions forward for a thread's handle (see Priority.h).
BOOL RequestThreadPriority(HANDLE hThread, int nPriority);
/// THREAD_PRIORITY_ERROR_RETURN for a handle that is not a thread.
int GetRequestedThreadPriority(HANDLE hThread);

/// On a thread made by CreateThread: takes on the priority last requested for it, as far as the
/// system allows. Elsewhere it does nothing.
void ApplyRequestedThreadPriority();
