// Process priority classes and thread priorities, best effort on Linux.
//
// Linux has one scheduling knob a normal program may use, the nice value of a thread. The
// stand-in keeps the class and the thread priority the program asked for and gives the calling
// thread the nice value of their sum, measured from the nice value the thread had when it first
// came here (its base). Raising priority above the base needs privilege (CAP_SYS_NICE or
// RLIMIT_NICE); without it the call fails and nothing changes, as a refused call does on Windows.
// Lowering priority is always allowed; returning from a lowered priority to the base needs the
// same privilege, so without it a lowered thread stays lowered. Real-time scheduling
// (SCHED_FIFO) is never used: a runaway step must not freeze the desktop.
// The class applies to the thread that sets it; the game raises priority only around a
// synchronous step on that same thread.
#pragma once

#include "platform/win32/Sync.h"
#include "platform/win32/WinTypes.h"

inline constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
inline constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x4000;
inline constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
inline constexpr DWORD ABOVE_NORMAL_PRIORITY_CLASS = 0x8000;
inline constexpr DWORD HIGH_PRIORITY_CLASS = 0x80;
inline constexpr DWORD REALTIME_PRIORITY_CLASS = 0x100;

inline constexpr int THREAD_PRIORITY_IDLE = -15;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
inline constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

/// Pseudo handles of the current process and thread; they are never closed.
HANDLE GetCurrentProcess();
HANDLE GetCurrentThread();

/// The class last set from this thread (NORMAL_PRIORITY_CLASS at first); 0 for another handle.
DWORD GetPriorityClass(HANDLE hProcess);
/// FALSE when the class is unknown, the handle is not the current process, or the system refuses.
BOOL SetPriorityClass(HANDLE hProcess, DWORD dwClass);
/// The calling thread's priority (THREAD_PRIORITY_NORMAL at first); for a thread's handle the
/// priority last asked for it (Thread.h); THREAD_PRIORITY_ERROR_RETURN for any other handle.
int GetThreadPriority(HANDLE hThread);
/// FALSE when the priority is unknown, the handle is neither the current thread nor a thread's
/// handle, or the system refuses. For a thread's handle the request is remembered and the thread
/// takes it on itself when it can (Thread.h).
BOOL SetThreadPriority(HANDLE hThread, int nPriority);

/// Test seam: refuse any request that would put the calling thread more than nSteps nice steps
/// above its base, as an unprivileged system would; a negative value lifts the limit.
void SetPriorityRaiseLimitForTest(int nSteps);
/// The calling thread's nice value (for tests).
int GetThreadNiceValue();
