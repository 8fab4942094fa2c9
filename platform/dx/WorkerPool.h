// A fixed set of worker threads that run numbered jobs for a caller, who takes part and waits for the end.
// Jobs are taken from a shared counter, so their order across threads is free; callers that need a
// deterministic result make each job's output independent of the others (the rasterizer's bands of rows).
// Idle workers sleep on a condition variable.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class CWorkerPool
{
public:
    /// nThreads counts the caller: nThreads - 1 workers are started (none for 1 or less).
    explicit CWorkerPool(int nThreads);
    ~CWorkerPool();
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    int GetThreadCount() const { return static_cast<int>(m_aThreads.size()) + 1; }
    /// Runs fnJob(0) .. fnJob(nJobs - 1) on the workers and the calling thread; returns when all have ended.
    /// One caller at a time.
    void Run(int nJobs, const std::function<void(int)>& fnJob);

private:
    void WorkerMain();
    void TakeJobs();

    std::mutex m_mutex;
    std::condition_variable m_cvWork;
    std::condition_variable m_cvDone;
    const std::function<void(int)>* m_pfnJob = nullptr;
    int m_nJobs = 0;
    std::atomic<int> m_nNext{0};
    int m_nBusy = 0;                 // workers still inside the current round
    std::uint64_t m_nGeneration = 0; // rounds started
    bool m_bStop = false;
    std::vector<std::thread> m_aThreads;
};
