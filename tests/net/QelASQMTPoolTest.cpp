#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "QelASQMTPool.h"

namespace {
struct Job {
    int id;
};

struct Start {
    int id;
    std::thread::id thread;
};

// Records which job started on which thread, and keeps every job running
// until the test lets it go.
class Board {
public:
    bool Run(Job* job) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_started.push_back({job->id, std::this_thread::get_id()});
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_all || m_released.count(job->id) > 0; });
        ++m_finished;
        m_changed.notify_all();
        return true;
    }
    void WaitStarted(std::size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_started.size() >= count; });
    }
    void WaitFinished(int count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_finished >= count; });
    }
    void Release(int id) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released.insert(id);
        m_changed.notify_all();
    }
    void ReleaseAll() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_all = true;
        m_changed.notify_all();
    }
    std::vector<Start> Started() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_started;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Start> m_started;
    std::set<int> m_released;
    bool m_all = false;
    int m_finished = 0;
};

using Pool = QelASQMTPool<Job*>;

std::vector<Job> MakeJobs(int count) {
    std::vector<Job> jobs;
    for (int i = 1; i <= count; ++i) jobs.push_back({i});
    return jobs;
}

void StartOn(Pool& pool, Board& board) {
    pool.Start([&board](Job* job) { return board.Run(job); });
}
}  // namespace

TEST(QelASQMTPool, FiveItemsFillTheFourWorkersInOrderAndTheFifthTakesTheFirstFreedWorker) {
    Board board;
    std::vector<Job> jobs = MakeJobs(5);
    Pool pool;
    StartOn(pool, board);
    for (Job& job : jobs) pool.Submit(&job);

    board.WaitStarted(4);
    const std::vector<Start> first = board.Started();
    ASSERT_EQ(first.size(), 4u);  // the fifth waits while all four are busy
    for (const Start& s : first) {
        ASSERT_LE(s.id, 4);
        EXPECT_EQ(s.thread, pool.GetWorkerThreadId(s.id - 1)) << "job " << s.id << " on the wrong worker";
    }
    EXPECT_EQ(pool.GetQueuedCount(), 1u);

    board.Release(3);
    board.WaitStarted(5);
    const Start fifth = board.Started()[4];
    EXPECT_EQ(fifth.id, 5);
    EXPECT_EQ(fifth.thread, pool.GetWorkerThreadId(2));
    EXPECT_EQ(pool.GetQueuedCount(), 0u);
    board.ReleaseAll();
    board.WaitFinished(5);
}

TEST(QelASQMTPool, QueuedItemsStartInTheOrderTheyWereSubmitted) {
    Board board;
    std::vector<Job> jobs = MakeJobs(24);
    Pool pool;
    StartOn(pool, board);
    for (int i = 0; i < 4; ++i) pool.Submit(&jobs[i]);  // the four workers stay busy
    board.WaitStarted(4);
    for (int i = 4; i < 24; ++i) {
        board.Release(jobs[i].id);  // queued jobs finish at once
        pool.Submit(&jobs[i]);
    }
    EXPECT_EQ(pool.GetQueuedCount(), 20u);

    board.Release(1);  // one free worker runs the queue one job after another
    board.WaitFinished(21);
    const std::vector<Start> started = board.Started();
    ASSERT_EQ(started.size(), 24u);
    for (int i = 4; i < 24; ++i) {
        EXPECT_EQ(started[i].id, i + 1);
        EXPECT_EQ(started[i].thread, pool.GetWorkerThreadId(0));
    }
    board.ReleaseAll();
    board.WaitFinished(24);
}

TEST(QelASQMTPool, ItemsSubmittedBeforeStartWaitAndRunAfterIt) {
    Board board;
    board.ReleaseAll();
    std::vector<Job> jobs = MakeJobs(6);
    Pool pool;
    for (Job& job : jobs) pool.Submit(&job);
    EXPECT_EQ(pool.GetQueuedCount(), 6u);
    EXPECT_TRUE(board.Started().empty());

    StartOn(pool, board);
    board.WaitFinished(6);
    std::set<int> ids;
    for (const Start& s : board.Started()) ids.insert(s.id);
    EXPECT_EQ(ids, (std::set<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(pool.GetQueuedCount(), 0u);
}

TEST(QelASQMTPool, DestructionDropsQueuedItemsAndWaitsForRunningOnes) {
    Board board;
    std::vector<Job> jobs = MakeJobs(7);
    auto pool = std::make_unique<Pool>();
    StartOn(*pool, board);
    for (Job& job : jobs) pool->Submit(&job);
    board.WaitStarted(4);
    ASSERT_EQ(pool->GetQueuedCount(), 3u);

    Pool* raw = pool.get();
    std::thread destroyer([&] { pool.reset(); });
    // Let the running jobs end only once destruction has begun; the pool
    // cannot finish dying before they end.
    while (raw->IsRunning()) std::this_thread::yield();
    board.ReleaseAll();
    destroyer.join();
    EXPECT_EQ(board.Started().size(), 4u);  // the three queued jobs never ran
}
