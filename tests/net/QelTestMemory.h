#pragma once
// What this test process holds in memory: the bytes its heap hands out now,
// its resident size (now and at its peak) and its threads from /proc/self/status.

#include <cstddef>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's allocator interface (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
// Freed memory waits in the sanitizer's quarantine, so only its own count tells
// what is still allocated.
inline std::size_t LiveHeapBytes() { return __sanitizer_get_current_allocated_bytes(); }
#else
#include <malloc.h>
inline std::size_t LiveHeapBytes() {
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}
#endif

// The number a field of /proc/self/status starts with ("Threads"); 0 when missing.
inline std::size_t ProcStatusNumber(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == field + ":") {
            std::size_t value = 0;
            in >> value;
            return value;
        }
        std::getline(in, key);
    }
    return 0;
}

// A size field of /proc/self/status in bytes ("VmRSS", "VmHWM").
inline std::size_t ProcStatusBytes(const std::string& field) { return ProcStatusNumber(field) * 1024; }

// Starts the peak (VmHWM) afresh from the present resident size.
inline void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }
