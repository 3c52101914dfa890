#pragma once
// Thin containers of the foundation: each wraps a standard container and adds
// a virtual destructor so it can be owned through a base pointer. The declared
// destructor would silently turn every move into a copy, so the moves are
// declared too: handing over a list of a million paths must not copy them.

#include <cstddef>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <vector>

template <typename T>
class QelArray : public std::vector<T> {
public:
    using std::vector<T>::vector;
    QelArray() = default;
    QelArray(const QelArray&) = default;
    QelArray(QelArray&&) noexcept = default;
    QelArray& operator=(const QelArray&) = default;
    QelArray& operator=(QelArray&&) noexcept = default;
    virtual ~QelArray() = default;

    int GetCount() const { return static_cast<int>(this->size()); }
    void Add(const T& v) { this->push_back(v); }
    void Add(T&& v) { this->push_back(std::move(v)); }
    void RemoveAll() { this->clear(); }
};

// Ordered map; QelString keys order by UTF-16 code unit.
template <typename K, typename V>
class QelMap : public std::map<K, V> {
public:
    using std::map<K, V>::map;
    QelMap() = default;
    QelMap(const QelMap&) = default;
    QelMap(QelMap&&) noexcept = default;
    QelMap& operator=(const QelMap&) = default;
    QelMap& operator=(QelMap&&) noexcept = default;
    virtual ~QelMap() = default;
};

// A list that appends at the back and removes at the front under its own mutex.
template <typename T>
class QelList {
public:
    virtual ~QelList() = default;

    void PushBack(T v) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_items.push_back(std::move(v));
    }
    bool PopFront(T& out) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_items.empty()) return false;
        out = std::move(m_items.front());
        m_items.pop_front();
        return true;
    }
    std::size_t GetCount() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items.size();
    }

private:
    mutable std::mutex m_mutex;
    std::list<T> m_items;
};

// A byte buffer with a used count; grows by the size of what does not fit.
class QelFlexBuffer {
public:
    virtual ~QelFlexBuffer() = default;

    void Append(const void* data, std::size_t size) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_used + size > m_bytes.size()) m_bytes.resize(m_bytes.size() + (m_used + size - m_bytes.size()));
        if (size) std::memcpy(m_bytes.data() + m_used, data, size);
        m_used += size;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_used = 0;
    }
    std::size_t GetUsed() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_used;
    }
    std::size_t GetCapacity() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes.size();
    }
    // Copy of the used bytes.
    std::vector<char> Data() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::vector<char>(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_used));
    }

private:
    mutable std::mutex m_mutex;
    std::vector<char> m_bytes;
    std::size_t m_used = 0;
};
