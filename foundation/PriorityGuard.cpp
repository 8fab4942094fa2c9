#include "foundation/PriorityGuard.h"

#include "platform/win32/Priority.h"

CPriorityGuard::CPriorityGuard(int nThreadPriority, DWORD dwPriorityClass)
    : m_hProcess(GetCurrentProcess()), m_hThread(GetCurrentThread()), m_dwSavedClass(GetPriorityClass(m_hProcess)),
      m_nSavedPriority(GetThreadPriority(m_hThread)), m_bClassChanged(1), m_bPriorityChanged(1)
{
    // Without privilege the system refuses to raise priority; the guard then just runs at the
    // normal priority and leaves that part alone when it ends.
    if (!SetPriorityClass(m_hProcess, dwPriorityClass))
        m_bClassChanged = 0;
    if (!SetThreadPriority(m_hThread, nThreadPriority))
        m_bPriorityChanged = 0;
}

void CPriorityGuard::Restore()
{
    if (m_bClassChanged)
    {
        SetPriorityClass(m_hProcess, m_dwSavedClass);
        m_bClassChanged = 0;
    }
    if (m_bPriorityChanged)
    {
        SetThreadPriority(m_hThread, m_nSavedPriority);
        m_bPriorityChanged = 0;
    }
}
