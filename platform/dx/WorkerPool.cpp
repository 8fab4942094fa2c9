#include "platform/dx/WorkerPool.h"

#include "platform/win32/ExceptionFilter.h"

#include <algorithm>
#include <sched.h>

CWorkerPool::CWorkerPool(int nThreads) : m_aShares(static_cast<size_t>(std::max(1, nThreads)))
{
    for (int i = 1; i < nThreads; ++i)
        m_aThreads.push_back(StartGuardedThread([this, i] { WorkerMain(i); }));
}

int CWorkerPool::UsableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    const int nAllowed = sched_getaffinity(0, sizeof(set), &set) == 0 ? CPU_COUNT(&set) : 0;
    const int nCores = nAllowed > 0 ? nAllowed : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(nCores, 1, 64);
}

CWorkerPool::~CWorkerPool()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cvWork.notify_all();
    for (std::thread& t : m_aThreads)
        t.join();
}

void CWorkerPool::TakeJobs(int nThread)
{
    const size_t nShares = m_aShares.size();
    for (size_t k = 0; k < nShares; ++k)
    {
        SShare& share = m_aShares[(static_cast<size_t>(nThread) + k) % nShares];
        for (int i = share.nNext.fetch_add(1); i < share.nEnd; i = share.nNext.fetch_add(1))
            (*m_pfnJob)(i);
    }
}

void CWorkerPool::Run(int nJobs, const std::function<void(int)>& fnJob)
{
    if (nJobs <= 0)
        return;
    if (m_aThreads.empty() || nJobs == 1)
    {
        for (int i = 0; i < nJobs; ++i)
            fnJob(i);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_pfnJob = &fnJob;
        const auto nShares = static_cast<std::int64_t>(m_aShares.size());
        for (std::int64_t k = 0; k < nShares; ++k)
        {
            m_aShares[static_cast<size_t>(k)].nNext.store(static_cast<int>(k * nJobs / nShares));
            m_aShares[static_cast<size_t>(k)].nEnd = static_cast<int>((k + 1) * nJobs / nShares);
        }
        m_nBusy = static_cast<int>(m_aThreads.size());
        ++m_nGeneration;
    }
    m_cvWork.notify_all();
    TakeJobs(0);
    std::unique_lock lock(m_mutex);
    m_cvDone.wait(lock, [this] { return m_nBusy == 0; });
    m_pfnJob = nullptr;
}

void CWorkerPool::WorkerMain(int nThread)
{
    std::uint64_t nSeen = 0;
    for (;;)
    {
        {
            std::unique_lock lock(m_mutex);
            m_cvWork.wait(lock, [&] { return m_bStop || m_nGeneration != nSeen; });
            if (m_bStop)
                return;
            nSeen = m_nGeneration;
        }
        TakeJobs(nThread);
        const std::lock_guard lock(m_mutex);
        if (--m_nBusy == 0)
            m_cvDone.notify_one();
    }
}
