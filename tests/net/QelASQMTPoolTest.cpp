#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "QelASQMTPool.h"

namespace {
using Pool = QelASQMTPool<int>;

// Records which job started on which thread, and keeps each running until
// the test releases it (job 0 releases them all).
struct Board {
    void StartOn(Pool& pool) {
        pool.Start([this](int job) {
            std::unique_lock<std::mutex> lock(mutex);
            started.push_back({job, std::this_thread::get_id()});
            changed.notify_all();
            changed.wait(lock, [&] { return released.count(0) || released.count(job); });
            ++finished;
            changed.notify_all();
            return true;
        });
    }
    void Wait(std::size_t startedCount, int finishedCount = 0) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return started.size() >= startedCount && finished >= finishedCount; });
    }
    void Release(int job) {
        std::lock_guard<std::mutex> lock(mutex);
        released.insert(job);
        changed.notify_all();
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::set<int> released;
    std::vector<std::pair<int, std::thread::id>> started;  // read under Wait, or once the jobs have finished
    int finished = 0;
};
}  // namespace

// Four workers take the first four items, one each in order; the rest wait
// and run in submission order on the first worker that comes free.
TEST(QelASQMTPool, ItemsFillTheFourWorkersThenQueueInOrderForTheFirstFreedOne) {
    Board board;
    Pool pool;
    board.StartOn(pool);
    for (int job = 1; job <= 4; ++job) pool.Submit(job);
    board.Wait(4);
    for (int job = 5; job <= 24; ++job) board.Release(job);  // queued jobs finish at once
    for (int job = 5; job <= 24; ++job) pool.Submit(job);
    EXPECT_EQ(pool.GetQueuedCount(), 20u);
    board.Release(3);
    board.Wait(24, 21);
    for (int i = 0; i < 24; ++i) {
        const auto [job, thread] = board.started[i];
        EXPECT_EQ(i < 4 ? job <= 4 : job == i + 1, true) << "job " << job << " started " << i;
        EXPECT_EQ(thread, pool.GetWorkerThreadId(job <= 4 ? job - 1 : 2)) << "job " << job;
    }
    board.Release(0);
    board.Wait(24, 24);
}

// Items submitted before Start wait for it; at destruction, queued items are
// dropped and running ones waited for.
TEST(QelASQMTPool, ItemsWaitForStartAndDestructionDropsQueuedOnesAndWaitsForRunningOnes) {
    Board board;
    auto pool = std::make_unique<Pool>();
    for (int job = 1; job <= 7; ++job) pool->Submit(job);
    EXPECT_EQ(pool->GetQueuedCount(), 7u);
    board.StartOn(*pool);
    board.Wait(4);
    Pool* raw = pool.get();
    std::thread destroyer([&] { pool.reset(); });
    // The running jobs end only once destruction has begun; the pool cannot finish dying before they end.
    while (raw->IsRunning()) std::this_thread::yield();
    board.Release(0);
    destroyer.join();
    EXPECT_EQ(board.finished, 4);  // the three queued jobs never ran
}
