// Raises the priority of the process and of the calling thread for the guard's lifetime, as far
// as the system allows, and puts back whatever it managed to change.
#pragma once

#include "platform/win32/Sync.h"
#include "platform/win32/WinTypes.h"

class CPriorityGuard
{
public:
    /// Saves the current class and thread priority, then asks for dwPriorityClass and
    /// nThreadPriority. Each request that the system refuses is noted and later left alone.
    CPriorityGuard(int nThreadPriority, DWORD dwPriorityClass);
    virtual ~CPriorityGuard() { Restore(); }
    CPriorityGuard(const CPriorityGuard&) = delete;
    CPriorityGuard& operator=(const CPriorityGuard&) = delete;

    /// Sets back what was changed; a second call does nothing.
    void Restore();

    /// Whether the class and the thread priority were raised (and not yet restored).
    bool IsClassChanged() const { return m_bClassChanged != 0; }
    bool IsPriorityChanged() const { return m_bPriorityChanged != 0; }

private:
    HANDLE m_hProcess;
    HANDLE m_hThread;
    DWORD m_dwSavedClass;
    int m_nSavedPriority;
    int m_bClassChanged;
    int m_bPriorityChanged;
};
