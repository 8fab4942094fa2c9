// A fixed set of worker threads that run numbered jobs for a caller, who takes part and waits for the end.
// Each thread first takes the jobs of its own share (the same share of the same job count every round, so a
// round over the same data finds it in the cache of the core that worked on it last), then helps with the
// others'. Which thread runs a job is free; callers that need a deterministic result make each job's output
// independent of the others (the rasterizer's bands of rows).
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
    /// The cores this process may run on (the processor's, unless its affinity allows fewer): how many threads
    /// a pool that uses every core has.
    static int UsableCores();
    /// Runs fnJob(0) .. fnJob(nJobs - 1) on the workers and the calling thread; returns when all have ended.
    /// One caller at a time.
    void Run(int nJobs, const std::function<void(int)>& fnJob);

private:
    void WorkerMain(int nThread);
    /// Runs jobs until none is left, its own share first; nThread is 0 for the caller.
    void TakeJobs(int nThread);

    /// The jobs [nNext, nEnd) of one thread's share not taken yet.
    struct alignas(64) SShare
    {
        std::atomic<int> nNext{0};
        int nEnd = 0;
    };

    std::mutex m_mutex;
    std::condition_variable m_cvWork;
    std::condition_variable m_cvDone;
    const std::function<void(int)>* m_pfnJob = nullptr;
    std::vector<SShare> m_aShares;   // one per thread, the caller's first
    int m_nBusy = 0;                 // workers still inside the current round
    std::uint64_t m_nGeneration = 0; // rounds started
    bool m_bStop = false;
    std::vector<std::thread> m_aThreads;
};
