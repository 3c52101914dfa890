#pragma once
// The cancel signal of the tree operations: optional, only polled.

#include <atomic>

namespace qel {
inline bool IsCancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}
}  // namespace qel
