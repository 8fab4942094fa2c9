#include "platform/dx/WorkerPool.h"

CWorkerPool::CWorkerPool(int nThreads)
{
    for (int i = 1; i < nThreads; ++i)
        m_aThreads.emplace_back([this] { WorkerMain(); });
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

void CWorkerPool::TakeJobs()
{
    for (int i = m_nNext.fetch_add(1); i < m_nJobs; i = m_nNext.fetch_add(1))
        (*m_pfnJob)(i);
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
        m_nJobs = nJobs;
        m_nNext.store(0);
        m_nBusy = static_cast<int>(m_aThreads.size());
        ++m_nGeneration;
    }
    m_cvWork.notify_all();
    TakeJobs();
    std::unique_lock lock(m_mutex);
    m_cvDone.wait(lock, [this] { return m_nBusy == 0; });
    m_pfnJob = nullptr;
}

void CWorkerPool::WorkerMain()
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
        TakeJobs();
        const std::lock_guard lock(m_mutex);
        if (--m_nBusy == 0)
            m_cvDone.notify_one();
    }
}
