#include "platform/win32/Sync.h"

#include <chrono>
#include <condition_variable>
#include <thread>

void InitializeCriticalSection(CRITICAL_SECTION* pcs) { pcs->pMutex = std::make_unique<std::recursive_mutex>(); }

void DeleteCriticalSection(CRITICAL_SECTION* pcs) { pcs->pMutex.reset(); }

void EnterCriticalSection(CRITICAL_SECTION* pcs) { pcs->pMutex->lock(); }

BOOL TryEnterCriticalSection(CRITICAL_SECTION* pcs) { return pcs->pMutex->try_lock() ? TRUE : FALSE; }

void LeaveCriticalSection(CRITICAL_SECTION* pcs) { pcs->pMutex->unlock(); }

DWORD CKernelObject::Wait(DWORD) { return WAIT_FAILED; }

namespace
{
class CEvent final : public CKernelObject
{
public:
    CEvent(bool bManualReset, bool bSignalled) : m_bManualReset(bManualReset), m_bSignalled(bSignalled) {}

    void Set()
    {
        {
            std::lock_guard lock(m_mutex);
            m_bSignalled = true;
        }
        m_cv.notify_all();
    }

    void Reset()
    {
        std::lock_guard lock(m_mutex);
        m_bSignalled = false;
    }

    DWORD Wait(DWORD dwMs) override
    {
        std::unique_lock lock(m_mutex);
        const auto signalled = [this] { return m_bSignalled; };
        if (dwMs == INFINITE)
            m_cv.wait(lock, signalled);
        else if (!m_cv.wait_for(lock, std::chrono::milliseconds(dwMs), signalled))
            return WAIT_TIMEOUT;
        // An auto-reset event releases one waiter and falls back to non-signalled.
        if (!m_bManualReset)
            m_bSignalled = false;
        return WAIT_OBJECT_0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    const bool m_bManualReset;
    bool m_bSignalled;
};
} // namespace

HANDLE CreateEvent(void*, BOOL bManualReset, BOOL bInitialState, LPCSTR)
{
    return new CEvent(bManualReset != FALSE, bInitialState != FALSE);
}

BOOL SetEvent(HANDLE hEvent)
{
    auto* pEvent = dynamic_cast<CEvent*>(hEvent);
    if (pEvent == nullptr)
        return FALSE;
    pEvent->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent)
{
    auto* pEvent = dynamic_cast<CEvent*>(hEvent);
    if (pEvent == nullptr)
        return FALSE;
    pEvent->Reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD dwMs) { return h == nullptr ? WAIT_FAILED : h->Wait(dwMs); }

BOOL CloseHandle(HANDLE h)
{
    if (h == nullptr)
        return FALSE;
    delete h;
    return TRUE;
}

CHandle& CHandle::operator=(CHandle&& other) noexcept
{
    if (this != &other)
    {
        Reset(other.m_h);
        other.m_h = nullptr;
    }
    return *this;
}

void CHandle::Reset(HANDLE h)
{
    if (m_h != nullptr)
        CloseHandle(m_h);
    m_h = h;
}

void Sleep(DWORD dwMs) { std::this_thread::sleep_for(std::chrono::milliseconds(dwMs)); }
