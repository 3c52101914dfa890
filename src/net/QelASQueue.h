#pragma once
// QelASQueue: one worker thread that runs a handler on the single item it was
// handed, then waits for the next hand-off.
//
// Threads: the worker's own thread runs the handler, with no lock held. Any
// thread may call TryHandOff; the owner calls Start and Stop (Stop also runs
// from the destructor). A worker is busy from a successful hand-off until its
// handler has returned; a busy or unstarted worker refuses hand-offs, so it
// never holds two items. After the handler the worker first resets its
// wake-up and then clears busy, so a hand-off made the instant busy falls is
// never erased. The idle hook (given to Start) runs on the worker thread just
// after busy is cleared, with no lock of the worker held: a pool uses it to
// hand over queued work.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

template <typename T>
class QelASQueue {
public:
    using Handler = std::function<bool(T)>;  // its result is ignored
    using IdleHook = std::function<void()>;

    // Makes the thread, which waits until Start (or destruction).
    QelASQueue() : m_thread([this] { Run(); }) {}
    QelASQueue(const QelASQueue&) = delete;
    QelASQueue& operator=(const QelASQueue&) = delete;
    virtual ~QelASQueue() { Stop(); }

    // Stores a copy of handler and wakes the thread; hand-offs are taken from now on.
    void Start(Handler handler, IdleHook onIdle = {}) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_quit) return;
        m_handler = std::move(handler);
        m_onIdle = std::move(onIdle);
        m_started = true;
        m_wake.notify_all();
    }

    // Refuses further hand-offs, waits for a running handler to return and
    // for the thread to end. An item handed over but not yet begun is dropped.
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_started = false;
            m_quit = true;
            m_signalled = true;
            m_wake.notify_all();
        }
        if (m_thread.joinable()) m_thread.join();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_handler = nullptr;
        m_onIdle = nullptr;
    }

    // Gives item to this worker when it is started and idle: marks it busy,
    // stores the item and wakes the thread. False, and nothing changed, otherwise.
    bool TryHandOff(T item) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_started || m_busy) return false;
        m_busy = true;
        m_item = std::move(item);
        m_signalled = true;
        m_wake.notify_all();
        return true;
    }

    bool IsStarted() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_started;
    }
    bool IsBusy() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_busy;
    }
    std::thread::id GetThreadId() const { return m_thread.get_id(); }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_started || m_quit; });
        while (m_started) {
            m_wake.wait(lock, [this] { return m_signalled; });
            if (!m_started) break;
            Handler handler = m_handler;
            T item = m_item;
            lock.unlock();
            if (handler) handler(item);
            lock.lock();
            m_signalled = false;  // reset before busy falls
            m_busy = false;
            IdleHook onIdle = m_onIdle;
            lock.unlock();
            if (onIdle) onIdle();
            lock.lock();
        }
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_started = false;    // between Start and Stop
    bool m_quit = false;       // Stop was called: the thread leaves
    bool m_busy = false;       // from a hand-off until the handler returned
    bool m_signalled = false;  // the manual-reset wake-up
    T m_item{};                // the item handed over last
    Handler m_handler;
    IdleHook m_onIdle;
    std::thread m_thread;      // declared last: starts after the fields above exist
};
