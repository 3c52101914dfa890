#include "QelHugePageHeap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {
constexpr std::size_t kReserve = std::size_t(256) << 20;
constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
}  // namespace

void UseHugePagesForTheHeap() {
    // Grow the main heap by kReserve in one step and keep it: blocks this big
    // come from the heap instead of their own mapping, and freeing them does
    // not give the memory back.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kReserve * 2));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(kReserve * 2));
    void* block = std::malloc(kReserve);
    if (!block) return;
    std::free(block);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t begin = (end - kReserve + kHugePage - 1) & ~(kHugePage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
