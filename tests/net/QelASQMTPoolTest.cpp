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

using Pool = QelASQMTPool<Job*>;

// Runs jobs on a pool, records which started on which thread, and keeps each
// running until the test lets it go.
class Board {
public:
    explicit Board(int jobs) {
        for (int i = 1; i <= jobs; ++i) m_jobs.push_back({i});
    }
    void StartOn(Pool& pool) { pool.Start([this](Job* job) { return Run(job); }); }
    void Submit(Pool& pool, int from, int to) {
        for (int i = from; i < to; ++i) pool.Submit(&m_jobs[i]);
    }
    void WaitStarted(std::size_t count) { Wait([&] { return m_started.size() >= count; }); }
    void WaitFinished(int count) { Wait([&] { return m_finished >= count; }); }
    void Release(int id) { Change([&] { m_released.insert(id); }); }
    void ReleaseAll() { Change([&] { m_all = true; }); }
    std::vector<Start> Started() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_started;
    }

private:
    bool Run(Job* job) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_started.push_back({job->id, std::this_thread::get_id()});
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_all || m_released.count(job->id) > 0; });
        ++m_finished;
        m_changed.notify_all();
        return true;
    }
    template <class Pred>
    void Wait(Pred done) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, done);
    }
    template <class Fn>
    void Change(Fn change) {
        std::lock_guard<std::mutex> lock(m_mutex);
        change();
        m_changed.notify_all();
    }

    std::vector<Job> m_jobs;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Start> m_started;
    std::set<int> m_released;
    bool m_all = false;
    int m_finished = 0;
};
}  // namespace

// Four workers take the first four items, one each in order; the rest wait
// and run in submission order on the first worker that comes free.
TEST(QelASQMTPool, ItemsFillTheFourWorkersThenQueueInOrderForTheFirstFreedOne) {
    Board board(24);
    Pool pool;
    board.StartOn(pool);
    board.Submit(pool, 0, 4);
    board.WaitStarted(4);
    for (int id = 5; id <= 24; ++id) board.Release(id);  // queued jobs finish at once
    board.Submit(pool, 4, 24);
    const std::vector<Start> first = board.Started();
    ASSERT_EQ(first.size(), 4u);
    for (const Start& s : first) EXPECT_EQ(s.thread, pool.GetWorkerThreadId(s.id - 1)) << "job " << s.id << " on the wrong worker";
    EXPECT_EQ(pool.GetQueuedCount(), 20u);

    board.Release(3);
    board.WaitFinished(21);
    const std::vector<Start> started = board.Started();
    ASSERT_EQ(started.size(), 24u);
    for (int i = 4; i < 24; ++i) {
        EXPECT_EQ(started[i].id, i + 1);
        EXPECT_EQ(started[i].thread, pool.GetWorkerThreadId(2));
    }
    EXPECT_EQ(pool.GetQueuedCount(), 0u);
    board.ReleaseAll();
    board.WaitFinished(24);
}

TEST(QelASQMTPool, ItemsSubmittedBeforeStartWaitAndRunAfterIt) {
    Board board(6);
    board.ReleaseAll();
    Pool pool;
    board.Submit(pool, 0, 6);
    EXPECT_EQ(pool.GetQueuedCount(), 6u);
    EXPECT_TRUE(board.Started().empty());
    board.StartOn(pool);
    board.WaitFinished(6);
    std::set<int> ids;
    for (const Start& s : board.Started()) ids.insert(s.id);
    EXPECT_EQ(ids, (std::set<int>{1, 2, 3, 4, 5, 6}));
}

TEST(QelASQMTPool, DestructionDropsQueuedItemsAndWaitsForRunningOnes) {
    Board board(7);
    auto pool = std::make_unique<Pool>();
    board.StartOn(*pool);
    board.Submit(*pool, 0, 7);
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
