#pragma once
// Storage for one process-wide service object: made on first use under a
// lock (the log service is reached from worker threads), deleted on request,
// and made again by a later use.

#include <atomic>
#include <mutex>

template <typename T>
class QelSingletonSlot {
public:
    constexpr QelSingletonSlot() = default;

    template <typename Make>
    T* Get(Make make) {
        T* p = m_instance.load(std::memory_order_acquire);
        if (p) return p;
        std::lock_guard<std::mutex> lock(m_mutex);
        p = m_instance.load(std::memory_order_relaxed);
        if (!p) {
            p = make();
            m_instance.store(p, std::memory_order_release);
        }
        return p;
    }

    void Delete() {
        std::lock_guard<std::mutex> lock(m_mutex);
        delete m_instance.exchange(nullptr, std::memory_order_acq_rel);
    }

private:
    std::atomic<T*> m_instance{nullptr};
    std::mutex m_mutex;
};
