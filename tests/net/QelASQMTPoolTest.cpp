#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "QelASQMTPool.h"

// Items submitted before Start wait for it; the four workers take the first
// four, one each in order; the rest run in submission order on the first
// worker that comes free. Destruction drops queued items and waits for running ones.
TEST(QelASQMTPool, ItemsQueueInOrderForTheFirstFreeWorkerAndDestructionDropsOnlyQueuedOnes) {
    std::mutex mutex;
    std::condition_variable changed;
    std::set<int> released{5, 6};  // 0 releases every job
    std::vector<std::pair<int, std::thread::id>> started;
    int finished = 0;
    auto waitFor = [&](std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return started.size() >= count; });
    };
    auto pool = std::make_unique<QelASQMTPool<int>>();
    auto release = [&](int job) {
        std::lock_guard<std::mutex> lock(mutex);
        released.insert(job);
        changed.notify_all();
    };
    for (int job = 1; job <= 2; ++job) pool->Submit(job);
    pool->Start([&](int job) {
        std::unique_lock<std::mutex> lock(mutex);
        started.push_back({job, std::this_thread::get_id()});
        changed.notify_all();
        changed.wait(lock, [&] { return released.count(0) || released.count(job); });
        ++finished;
        return true;
    });
    for (int job = 3; job <= 9; ++job) pool->Submit(job);
    waitFor(4);
    release(3);
    waitFor(7);  // 5 and 6 ran and ended on the worker job 3 left
    for (int i = 0; i < 7; ++i) {
        const auto [job, thread] = started[i];
        EXPECT_TRUE(i < 4 ? job <= 4 : job == i + 1) << "job " << job << " started " << i;
        EXPECT_EQ(thread, pool->GetWorkerThreadId(job <= 4 ? job - 1 : 2)) << "job " << job;
    }
    auto* raw = pool.get();
    std::thread destroyer([&] { pool.reset(); });
    // The running jobs end only once destruction has begun; the pool cannot finish dying before they end.
    while (raw->IsRunning()) std::this_thread::yield();
    release(0);
    destroyer.join();
    EXPECT_EQ(started.size() * 10 + finished, 77u) << "the two queued jobs never ran";
}
