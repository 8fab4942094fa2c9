#include "platform/win32/Thread.h"

#include "platform/win32/ExceptionFilter.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Priority.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace
{
// What the thread and its handle share: the thread may outlive the handle and the other way round.
struct SThreadShared
{
    std::mutex mutex;
    std::condition_variable cv;
    DWORD nSuspendCount = 0;         // guarded by mutex; the thread starts when it reaches 0
    bool bAbandoned = false;         // guarded by mutex; the handle was closed before the start
    bool bFinished = false;          // guarded by mutex
    DWORD dwExitCode = STILL_ACTIVE; // guarded by mutex
    std::atomic<int> nRequestedPriority{THREAD_PRIORITY_NORMAL};
    int nAppliedPriority = THREAD_PRIORITY_NORMAL; // touched by the thread only
    DWORD dwThreadId = 0;                          // set before the thread starts
};

std::atomic<DWORD> s_nNextThreadId{1};
// The shared state of the thread that runs here; null on threads not made by CreateThread.
thread_local SThreadShared* t_pShared = nullptr;
// The calling thread's id; 0 until asked for on a thread CreateThread did not make.
thread_local DWORD t_dwThreadId = 0;

void ThreadMain(const std::shared_ptr<SThreadShared>& pShared, LPTHREAD_START_ROUTINE pProc, void* pParam)
{
    {
        std::unique_lock lock(pShared->mutex);
        pShared->cv.wait(lock, [&] { return pShared->nSuspendCount == 0 || pShared->bAbandoned; });
        if (pShared->nSuspendCount != 0)
        {
            pShared->bFinished = true;
            pShared->dwExitCode = 0;
            EndThreadMessageQueue(pShared->dwThreadId);
            return;
        }
    }
    t_pShared = pShared.get();
    t_dwThreadId = pShared->dwThreadId;
    ApplyRequestedThreadPriority();
    const DWORD dwExit = pProc(pParam);
    EndThreadMessageQueue(pShared->dwThreadId);
    std::lock_guard lock(pShared->mutex);
    pShared->bFinished = true;
    pShared->dwExitCode = dwExit;
    pShared->cv.notify_all();
}

class CThreadObject final : public CKernelObject
{
public:
    CThreadObject(LPTHREAD_START_ROUTINE pProc, void* pParam, bool bSuspended)
        : m_pShared(std::make_shared<SThreadShared>())
    {
        m_pShared->nSuspendCount = bSuspended ? 1 : 0;
        m_pShared->dwThreadId = s_nNextThreadId.fetch_add(1);
        // Messages posted to the thread before it runs wait for it.
        PrepareThreadMessageQueue(m_pShared->dwThreadId);
        m_pShared->nRequestedPriority = GetThreadPriority(GetCurrentThread());
        m_thread = StartGuardedThread([pShared = m_pShared, pProc, pParam] { ThreadMain(pShared, pProc, pParam); });
    }

    ~CThreadObject() override
    {
        bool bFinished = false;
        {
            std::lock_guard lock(m_pShared->mutex);
            m_pShared->bAbandoned = true;
            bFinished = m_pShared->bFinished || m_pShared->nSuspendCount != 0;
        }
        m_pShared->cv.notify_all();
        // A thread that never started ends at once; one that ended is only collected. A thread
        // still running keeps its shared state and finishes on its own.
        if (bFinished && m_thread.get_id() != std::this_thread::get_id())
            m_thread.join();
        else
            m_thread.detach();
    }

    CThreadObject(const CThreadObject&) = delete;
    CThreadObject& operator=(const CThreadObject&) = delete;

    DWORD Wait(DWORD dwMs) override
    {
        std::unique_lock lock(m_pShared->mutex);
        const auto finished = [this] { return m_pShared->bFinished; };
        if (dwMs == INFINITE)
            m_pShared->cv.wait(lock, finished);
        else if (!m_pShared->cv.wait_for(lock, std::chrono::milliseconds(dwMs), finished))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }

    DWORD Resume()
    {
        DWORD nBefore = 0;
        {
            std::lock_guard lock(m_pShared->mutex);
            nBefore = m_pShared->nSuspendCount;
            if (nBefore > 0)
                --m_pShared->nSuspendCount;
        }
        m_pShared->cv.notify_all();
        return nBefore;
    }

    DWORD GetExitCode()
    {
        std::lock_guard lock(m_pShared->mutex);
        return m_pShared->dwExitCode;
    }

    SThreadShared& Shared() { return *m_pShared; }
    DWORD Id() const { return m_pShared->dwThreadId; }

private:
    std::shared_ptr<SThreadShared> m_pShared;
    std::thread m_thread;
};
} // namespace

HANDLE CreateThread(void*, std::size_t, LPTHREAD_START_ROUTINE pProc, void* pParam, DWORD dwFlags, DWORD* pThreadId)
{
    if (pProc == nullptr)
        return nullptr;
    auto* pThread = new CThreadObject(pProc, pParam, (dwFlags & CREATE_SUSPENDED) != 0);
    if (pThreadId != nullptr)
        *pThreadId = pThread->Id();
    return pThread;
}

DWORD GetCurrentThreadId()
{
    if (t_dwThreadId == 0)
        t_dwThreadId = s_nNextThreadId.fetch_add(1);
    return t_dwThreadId;
}

DWORD ResumeThread(HANDLE hThread)
{
    auto* pThread = dynamic_cast<CThreadObject*>(hThread);
    return pThread == nullptr ? THREAD_ERROR_COUNT : pThread->Resume();
}

BOOL GetExitCodeThread(HANDLE hThread, DWORD* pdwExitCode)
{
    auto* pThread = dynamic_cast<CThreadObject*>(hThread);
    if (pThread == nullptr || pdwExitCode == nullptr)
        return FALSE;
    *pdwExitCode = pThread->GetExitCode();
    return TRUE;
}

BOOL RequestThreadPriority(HANDLE hThread, int nPriority)
{
    auto* pThread = dynamic_cast<CThreadObject*>(hThread);
    if (pThread == nullptr)
        return FALSE;
    pThread->Shared().nRequestedPriority.store(nPriority);
    return TRUE;
}

int GetRequestedThreadPriority(HANDLE hThread)
{
    auto* pThread = dynamic_cast<CThreadObject*>(hThread);
    return pThread == nullptr ? THREAD_PRIORITY_ERROR_RETURN : pThread->Shared().nRequestedPriority.load();
}

void ApplyRequestedThreadPriority()
{
    if (t_pShared == nullptr)
        return;
    const int nRequested = t_pShared->nRequestedPriority.load();
    if (nRequested == t_pShared->nAppliedPriority)
        return;
    // Refused raises leave the thread as it is; the request stays for the next attempt.
    if (SetThreadPriority(GetCurrentThread(), nRequested))
        t_pShared->nAppliedPriority = nRequested;
}
