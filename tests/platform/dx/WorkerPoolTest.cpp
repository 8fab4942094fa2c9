// The drawing threads' pool: every job of a round runs exactly once, whatever the counts of jobs and threads
// and however the threads' shares divide them, round after round.
#include "platform/dx/WorkerPool.h"

#include <atomic>
#include <gtest/gtest.h>
#include <vector>

TEST(WorkerPoolTest, EveryJobRunsOnceInEveryRound)
{
    struct SCase
    {
        int nThreads;
        std::vector<int> aJobCounts; // one round each, in order
    };
    // Fewer jobs than threads, a count the shares do not divide, a share that empties, and one thread alone.
    const SCase aCases[] = {{1, {5, 1}}, {2, {1, 2, 3}}, {8, {3, 8, 75, 1, 200, 7}}, {3, {0, 10, 11}}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nThreads);
        CWorkerPool pool(c.nThreads);
        EXPECT_EQ(c.nThreads, pool.GetThreadCount());
        for (const int nJobs : c.aJobCounts)
        {
            SCOPED_TRACE(nJobs);
            std::vector<std::atomic<int>> aRuns(static_cast<size_t>(nJobs));
            pool.Run(nJobs, [&](int i) { ++aRuns[static_cast<size_t>(i)]; });
            int nWrong = 0;
            for (const std::atomic<int>& n : aRuns)
                nWrong += n.load() != 1 ? 1 : 0;
            EXPECT_EQ(0, nWrong);
        }
    }
}
