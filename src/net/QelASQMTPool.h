#pragma once
// QelASQMTPool: a fixed set of 4 workers (QelASQueue) and a first-in
// first-out queue, with a dispatcher thread that hands queued items to
// workers as they become idle.
//
// Order: Submit gives an item to the first idle started worker, in the
// workers' fixed order, when nothing is queued; otherwise the item joins the
// back of the queue, so items always start in the order they were submitted.
// The dispatcher sleeps on a condition variable that a submit and a worker
// becoming idle signal: a queued item starts as soon as a worker is free, and
// an idle pool uses no CPU.
//
// Threads: Submit may be called from any thread, handlers included (a busy
// worker that submits hands the item to another worker or the queue). Every
// hand-off happens under the pool lock, so one item never reaches two workers.
// Start, Stop and destruction belong to the owner.
//
// Lifetime: items submitted before Start wait in the queue and start after
// Start. Destruction waits for the running handlers and drops the items still
// queued without running them.

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "QelASQueue.h"
#include "QelContainers.h"

template <typename T>
class QelASQMTPool {
public:
    using Handler = typename QelASQueue<T>::Handler;
    static constexpr int kWorkerCount = 4;

    // Makes the workers and the dispatcher; nothing runs before Start.
    QelASQMTPool() {
        for (int i = 0; i < kWorkerCount; ++i) m_workers.push_back(std::make_unique<QelASQueue<T>>());
        m_dispatcher = std::thread([this] { Dispatch(); });
    }
    QelASQMTPool(const QelASQMTPool&) = delete;
    QelASQMTPool& operator=(const QelASQMTPool&) = delete;

    virtual ~QelASQMTPool() { Stop(); }

    // Waits for the running handlers, drops the queued items without running
    // them and joins every thread; later submits only queue. The owner calls
    // it (again harmlessly). The dispatcher stops first: a worker finishing
    // while the others are being stopped must not pick up a queued item.
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_poolLock);
            m_running = false;
            m_stopping = true;
            m_changed.notify_all();
        }
        if (m_dispatcher.joinable()) m_dispatcher.join();
        for (auto& worker : m_workers) worker->Stop();
    }

    // Starts every worker with a copy of handler, then hands over what was queued.
    void Start(Handler handler) {
        for (auto& worker : m_workers) worker->Start(handler, [this] { WorkerBecameIdle(); });
        std::lock_guard<std::mutex> lock(m_poolLock);
        m_running = true;
        m_changed.notify_all();
    }

    // Hands item to an idle worker or queues it. Never waits for a handler.
    void Submit(T item) {
        std::lock_guard<std::mutex> lock(m_poolLock);
        if (!m_stopping && m_queue.GetCount() == 0 && HandToIdleWorker(item)) return;
        m_queue.PushBack(std::move(item));
        m_changed.notify_all();
    }

    std::size_t GetQueuedCount() const { return m_queue.GetCount(); }
    // True from Start until destruction begins.
    bool IsRunning() const {
        std::lock_guard<std::mutex> lock(m_poolLock);
        return m_running;
    }
    // The thread of worker index (0 to 3), for diagnostics and tests.
    std::thread::id GetWorkerThreadId(int index) const { return m_workers.at(index)->GetThreadId(); }

private:
    // Caller holds the pool lock.
    bool HandToIdleWorker(const T& item) {
        for (auto& worker : m_workers) {
            if (worker->TryHandOff(item)) return true;
        }
        return false;
    }
    bool AnyWorkerIdle() const {
        for (const auto& worker : m_workers) {
            if (worker->IsStarted() && !worker->IsBusy()) return true;
        }
        return false;
    }

    void WorkerBecameIdle() {
        std::lock_guard<std::mutex> lock(m_poolLock);
        m_changed.notify_all();
    }

    void Dispatch() {
        std::unique_lock<std::mutex> lock(m_poolLock);
        for (;;) {
            m_changed.wait(lock, [this] {
                return m_stopping || (m_running && m_queue.GetCount() > 0 && AnyWorkerIdle());
            });
            if (m_stopping) return;
            T item{};
            while (m_queue.GetCount() > 0 && AnyWorkerIdle() && m_queue.PopFront(item)) {
                // An idle worker exists and only this lock's holder hands off, so this succeeds.
                HandToIdleWorker(item);
            }
        }
    }

    mutable std::mutex m_poolLock;      // guards hand-offs, queue removal and the flags below
    std::condition_variable m_changed;  // an item was queued, a worker fell idle, or the pool stops
    bool m_running = false;             // after Start
    bool m_stopping = false;            // the destructor runs: the dispatcher leaves
    QelList<T> m_queue;                 // waiting items, oldest first
    std::vector<std::unique_ptr<QelASQueue<T>>> m_workers;
    std::thread m_dispatcher;
};
