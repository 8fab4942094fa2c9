#include "platform/win32/Messages.h"

#include "platform/win32/Clock.h"
#include "platform/win32/Sync.h"
#include "platform/win32/WindowRendezvous.h"
#include "platform/win32/WindowTable.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace
{
class CMessageQueue;

/// A message sent from another thread, and where its answer goes.
struct SSentMessage
{
    HWND hWnd = nullptr;
    UINT uMsg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::shared_ptr<CMessageQueue> pReplyTo;
    LRESULT lResult = 0; // guarded by pReplyTo's mutex
    bool bDone = false;  // guarded by pReplyTo's mutex
};

struct STimer
{
    HWND hWnd = nullptr;
    UINT_PTR nId = 0;
    DWORD dwIntervalMs = 0;
    DWORD dwDueMs = 0;
    TIMERPROC pProc = nullptr;
};

bool InRange(UINT uMsg, UINT uMin, UINT uMax) { return (uMin == 0 && uMax == 0) || (uMsg >= uMin && uMsg <= uMax); }

bool WindowPasses(HWND hMsgWnd, HWND hFilter)
{
    if (hFilter == nullptr)
        return true;
    if (hFilter == HWND_THREAD_ONLY)
        return hMsgWnd == nullptr;
    return hMsgWnd == hFilter;
}

/// Signed distance in the wrapping millisecond clock: positive when a is later than b.
int MsDiff(DWORD a, DWORD b) { return static_cast<int>(a - b); }

class CMessageQueue
{
public:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<MSG> m_aPosted;                         // guarded by m_mutex
    std::deque<std::shared_ptr<SSentMessage>> m_aSent; // guarded by m_mutex
    std::vector<STimer> m_aTimers;                     // guarded by m_mutex
    std::vector<HWND> m_aPaint;                        // guarded by m_mutex
    bool m_bQuit = false;                              // guarded by m_mutex
    int m_nQuitCode = 0;                               // guarded by m_mutex
    bool m_bEnded = false;                             // guarded by m_mutex

    /// Runs every message sent to this thread; the lock is let go while a procedure runs.
    void ServeSent(std::unique_lock<std::mutex>& lock)
    {
        while (!m_aSent.empty())
        {
            const std::shared_ptr<SSentMessage> pSent = m_aSent.front();
            m_aSent.pop_front();
            lock.unlock();
            const LRESULT lResult = IsWindow(pSent->hWnd) ? CallWindowProc(GetWindowProc(pSent->hWnd), pSent->hWnd,
                                                                           pSent->uMsg, pSent->wParam, pSent->lParam)
                                                          : 0;
            Reply(*pSent, lResult);
            lock.lock();
        }
    }

    static void Reply(SSentMessage& sent, LRESULT lResult)
    {
        CMessageQueue& replyTo = *sent.pReplyTo;
        std::lock_guard lock(replyTo.m_mutex);
        sent.lResult = lResult;
        sent.bDone = true;
        replyTo.m_cv.notify_all();
    }

    bool TakePosted(MSG* pMsg, HWND hWnd, UINT uMin, UINT uMax, bool bRemove)
    {
        for (auto it = m_aPosted.begin(); it != m_aPosted.end();)
        {
            if (it->hwnd != nullptr && !IsWindow(it->hwnd))
            {
                it = m_aPosted.erase(it); // its window died while it waited
                continue;
            }
            if (WindowPasses(it->hwnd, hWnd) && InRange(it->message, uMin, uMax))
            {
                *pMsg = *it;
                if (bRemove)
                    m_aPosted.erase(it);
                return true;
            }
            ++it;
        }
        return false;
    }

    bool TakeQuit(MSG* pMsg, UINT uMin, UINT uMax, bool bRemove)
    {
        if (!m_bQuit || !InRange(WM_QUIT, uMin, uMax))
            return false;
        *pMsg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_nQuitCode), 0, timeGetTime(), {}};
        if (bRemove)
            m_bQuit = false;
        return true;
    }

    bool TakePaint(MSG* pMsg, HWND hWnd, UINT uMin, UINT uMax, bool bRemove)
    {
        std::erase_if(m_aPaint, [](HWND h) { return !IsWindow(h); });
        for (auto it = m_aPaint.begin(); it != m_aPaint.end(); ++it)
            if (WindowPasses(*it, hWnd) && InRange(WM_PAINT, uMin, uMax))
            {
                *pMsg = MSG{*it, WM_PAINT, 0, 0, timeGetTime(), {}};
                if (bRemove)
                    m_aPaint.erase(it);
                return true;
            }
        return false;
    }

    /// A due timer gives one WM_TIMER however many periods have passed; its next one is a period later.
    bool TakeTimer(MSG* pMsg, HWND hWnd, UINT uMin, UINT uMax, bool bRemove)
    {
        const DWORD dwNow = timeGetTime();
        for (STimer& timer : m_aTimers)
            if (MsDiff(dwNow, timer.dwDueMs) >= 0 && WindowPasses(timer.hWnd, hWnd) && InRange(WM_TIMER, uMin, uMax))
            {
                *pMsg = MSG{timer.hWnd, WM_TIMER, timer.nId, reinterpret_cast<LPARAM>(timer.pProc), dwNow, {}};
                if (bRemove)
                    timer.dwDueMs = dwNow + timer.dwIntervalMs;
                return true;
            }
        return false;
    }

    bool Peek(std::unique_lock<std::mutex>& lock, MSG* pMsg, HWND hWnd, UINT uMin, UINT uMax, bool bRemove)
    {
        ServeSent(lock);
        return TakePosted(pMsg, hWnd, uMin, uMax, bRemove) || TakeQuit(pMsg, uMin, uMax, bRemove) ||
               TakePaint(pMsg, hWnd, uMin, uMax, bRemove) || TakeTimer(pMsg, hWnd, uMin, uMax, bRemove);
    }

    /// Waits for anything new, at most until the next timer falls due or the deadline.
    void WaitForChange(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline)
    {
        if (!m_aSent.empty())
            return;
        const DWORD dwNow = timeGetTime();
        for (const STimer& timer : m_aTimers)
            deadline = std::min(deadline, std::chrono::steady_clock::now() +
                                              std::chrono::milliseconds(std::max(0, MsDiff(timer.dwDueMs, dwNow))));
        m_cv.wait_until(lock, deadline);
    }
};

std::mutex s_registryMutex;
std::unordered_map<DWORD, std::shared_ptr<CMessageQueue>> s_queues; // guarded by s_registryMutex

std::shared_ptr<CMessageQueue> FindQueue(DWORD dwThreadId)
{
    std::lock_guard lock(s_registryMutex);
    const auto it = s_queues.find(dwThreadId);
    return it == s_queues.end() ? nullptr : it->second;
}

/// The calling thread's queue, made on first use and ended with the thread.
class CQueueHolder
{
public:
    ~CQueueHolder()
    {
        if (m_pQueue != nullptr)
            EndThreadMessageQueue(m_dwThreadId);
    }
    const std::shared_ptr<CMessageQueue>& Get()
    {
        if (m_pQueue == nullptr)
        {
            m_dwThreadId = GetCurrentThreadId();
            std::lock_guard lock(s_registryMutex);
            auto& pQueue = s_queues[m_dwThreadId];
            if (pQueue == nullptr)
                pQueue = std::make_shared<CMessageQueue>();
            m_pQueue = pQueue;
        }
        return m_pQueue;
    }

private:
    DWORD m_dwThreadId = 0;
    std::shared_ptr<CMessageQueue> m_pQueue;
};
thread_local CQueueHolder t_queue;

const std::shared_ptr<CMessageQueue>& OwnQueue() { return t_queue.Get(); }

BOOL PostTo(CMessageQueue& queue, const MSG& msg)
{
    std::lock_guard lock(queue.m_mutex);
    if (queue.m_bEnded)
        return FALSE;
    queue.m_aPosted.push_back(msg);
    queue.m_cv.notify_all();
    return TRUE;
}

std::shared_ptr<CMessageQueue> QueueOfWindow(HWND hWnd)
{
    const DWORD dwOwner = GetWindowThreadProcessId(hWnd, nullptr);
    if (dwOwner == 0)
        return nullptr;
    return dwOwner == GetCurrentThreadId() ? OwnQueue() : FindQueue(dwOwner);
}
} // namespace

BOOL PostMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Another process's window takes only a request to close.
    if (IsRemoteWindow(hWnd))
        return uMsg == WM_CLOSE ? CloseRemoteWindow(hWnd) : FALSE;
    const MSG msg{hWnd, uMsg, wParam, lParam, timeGetTime(), {}};
    if (hWnd == nullptr)
        return PostTo(*OwnQueue(), msg);
    const std::shared_ptr<CMessageQueue> pQueue = QueueOfWindow(hWnd);
    return pQueue != nullptr && PostTo(*pQueue, msg);
}

BOOL PostThreadMessage(DWORD dwThreadId, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const std::shared_ptr<CMessageQueue> pQueue =
        dwThreadId == GetCurrentThreadId() ? OwnQueue() : FindQueue(dwThreadId);
    return pQueue != nullptr && PostTo(*pQueue, MSG{nullptr, uMsg, wParam, lParam, timeGetTime(), {}});
}

LRESULT SendMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const DWORD dwOwner = GetWindowThreadProcessId(hWnd, nullptr);
    if (dwOwner == 0)
        return 0;
    if (dwOwner == GetCurrentThreadId())
        return CallWindowProc(GetWindowProc(hWnd), hWnd, uMsg, wParam, lParam);
    const std::shared_ptr<CMessageQueue> pTarget = FindQueue(dwOwner);
    if (pTarget == nullptr)
        return 0;
    const std::shared_ptr<CMessageQueue>& pOwn = OwnQueue();
    auto pSent = std::make_shared<SSentMessage>(SSentMessage{hWnd, uMsg, wParam, lParam, pOwn, 0, false});
    {
        std::lock_guard lock(pTarget->m_mutex);
        if (pTarget->m_bEnded)
            return 0;
        pTarget->m_aSent.push_back(pSent);
        pTarget->m_cv.notify_all();
    }
    // While waiting, serve what other threads send here: the target may be sending back to us.
    std::unique_lock lock(pOwn->m_mutex);
    while (!pSent->bDone)
    {
        pOwn->ServeSent(lock);
        if (!pSent->bDone)
            pOwn->m_cv.wait(lock, [&] { return pSent->bDone || !pOwn->m_aSent.empty(); });
    }
    return pSent->lResult;
}

void PostQuitMessage(int nExitCode)
{
    CMessageQueue& queue = *OwnQueue();
    std::lock_guard lock(queue.m_mutex);
    if (!queue.m_bQuit)
        queue.m_nQuitCode = nExitCode;
    queue.m_bQuit = true;
    queue.m_cv.notify_all();
}

BOOL PeekMessage(MSG* pMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    if (pMsg == nullptr)
        return FALSE;
    CMessageQueue& queue = *OwnQueue();
    std::unique_lock lock(queue.m_mutex);
    return queue.Peek(lock, pMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessage(MSG* pMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (pMsg == nullptr)
        return -1;
    CMessageQueue& queue = *OwnQueue();
    std::unique_lock lock(queue.m_mutex);
    while (!queue.Peek(lock, pMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true))
        queue.WaitForChange(lock, std::chrono::steady_clock::time_point::max());
    return pMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* pMsg) { return pMsg != nullptr && pMsg->message == WM_KEYDOWN ? TRUE : FALSE; }

LRESULT DispatchMessage(const MSG* pMsg)
{
    if (pMsg == nullptr)
        return 0;
    if (pMsg->message == WM_TIMER && pMsg->lParam != 0)
    {
        reinterpret_cast<TIMERPROC>(pMsg->lParam)(pMsg->hwnd, WM_TIMER, pMsg->wParam, pMsg->time);
        return 0;
    }
    if (pMsg->hwnd == nullptr || !IsWindow(pMsg->hwnd))
        return 0;
    return CallWindowProc(GetWindowProc(pMsg->hwnd), pMsg->hwnd, pMsg->message, pMsg->wParam, pMsg->lParam);
}

BOOL WaitMessageTimeout(DWORD dwMs)
{
    CMessageQueue& queue = *OwnQueue();
    const auto deadline = dwMs == INFINITE ? std::chrono::steady_clock::time_point::max()
                                           : std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMs);
    std::unique_lock lock(queue.m_mutex);
    for (;;)
    {
        MSG msg;
        if (queue.Peek(lock, &msg, nullptr, 0, 0, false))
            return TRUE;
        if (std::chrono::steady_clock::now() >= deadline)
            return FALSE;
        queue.WaitForChange(lock, deadline);
    }
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIdEvent, UINT uElapse, TIMERPROC pTimerFunc)
{
    static std::atomic<UINT_PTR> s_nNextThreadTimer{0x7F00};
    std::shared_ptr<CMessageQueue> pQueue = hWnd == nullptr ? OwnQueue() : QueueOfWindow(hWnd);
    if (pQueue == nullptr)
        return 0;
    const UINT_PTR nId = hWnd == nullptr ? s_nNextThreadTimer.fetch_add(1) : nIdEvent;
    std::lock_guard lock(pQueue->m_mutex);
    std::erase_if(pQueue->m_aTimers, [&](const STimer& t) { return t.hWnd == hWnd && t.nId == nId; });
    pQueue->m_aTimers.push_back(STimer{hWnd, nId, uElapse, timeGetTime() + uElapse, pTimerFunc});
    pQueue->m_cv.notify_all();
    return nId;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIdEvent)
{
    std::shared_ptr<CMessageQueue> pQueue = hWnd == nullptr ? OwnQueue() : QueueOfWindow(hWnd);
    if (pQueue == nullptr)
        return FALSE;
    std::lock_guard lock(pQueue->m_mutex);
    return std::erase_if(pQueue->m_aTimers, [&](const STimer& t) { return t.hWnd == hWnd && t.nId == uIdEvent; }) > 0
               ? TRUE
               : FALSE;
}

BOOL InvalidateRect(HWND hWnd, const RECT*, BOOL)
{
    std::shared_ptr<CMessageQueue> pQueue = QueueOfWindow(hWnd);
    if (pQueue == nullptr)
        return FALSE;
    std::lock_guard lock(pQueue->m_mutex);
    if (std::find(pQueue->m_aPaint.begin(), pQueue->m_aPaint.end(), hWnd) == pQueue->m_aPaint.end())
        pQueue->m_aPaint.push_back(hWnd);
    pQueue->m_cv.notify_all();
    return TRUE;
}

BOOL RedrawWindow(HWND hWnd, const RECT* pRect, HRGN, UINT uFlags)
{
    std::shared_ptr<CMessageQueue> pQueue = QueueOfWindow(hWnd);
    if (pQueue == nullptr)
        return FALSE;
    if ((uFlags & RDW_INVALIDATE) != 0)
        InvalidateRect(hWnd, pRect, (uFlags & RDW_ERASE) != 0 ? TRUE : FALSE);
    if ((uFlags & RDW_UPDATENOW) == 0)
        return TRUE;
    bool bMarked = false;
    {
        std::lock_guard lock(pQueue->m_mutex);
        bMarked = std::erase(pQueue->m_aPaint, hWnd) > 0;
    }
    if (bMarked)
        SendMessage(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

void ForgetWindowMessages(HWND hWnd)
{
    CMessageQueue& queue = *OwnQueue();
    std::lock_guard lock(queue.m_mutex);
    std::erase_if(queue.m_aPosted, [&](const MSG& msg) { return msg.hwnd == hWnd; });
    std::erase_if(queue.m_aTimers, [&](const STimer& t) { return t.hWnd == hWnd; });
    std::erase(queue.m_aPaint, hWnd);
}

void EndThreadMessageQueue(DWORD dwThreadId)
{
    std::shared_ptr<CMessageQueue> pQueue;
    {
        std::lock_guard lock(s_registryMutex);
        const auto it = s_queues.find(dwThreadId);
        if (it == s_queues.end())
            return;
        pQueue = it->second;
        s_queues.erase(it);
    }
    std::deque<std::shared_ptr<SSentMessage>> aUnanswered;
    {
        std::lock_guard lock(pQueue->m_mutex);
        pQueue->m_bEnded = true;
        aUnanswered.swap(pQueue->m_aSent);
    }
    for (const auto& pSent : aUnanswered)
        CMessageQueue::Reply(*pSent, 0);
}

void PrepareThreadMessageQueue(DWORD dwThreadId)
{
    std::lock_guard lock(s_registryMutex);
    auto& pQueue = s_queues[dwThreadId];
    if (pQueue == nullptr)
        pQueue = std::make_shared<CMessageQueue>();
}

void EnsureThreadMessageQueue() { OwnQueue(); }
