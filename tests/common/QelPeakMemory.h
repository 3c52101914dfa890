#pragma once
// The peak resident size of a stretch of work, as the kernel counts it
// (VmHWM), for tests that hold code to a memory bound:
//
//   const QelPeak peak = QelMeasurePeakHere([] { return Load(); });
//   EXPECT_TRUE(peak.ok);
//   EXPECT_LT(peak.mib, peak.before + 100);
//
// A test program that measures links QelSmallQuarantine.cpp: under ASan,
// freed blocks would otherwise stay resident and count.

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

// MiB of a line of /proc/self/status ("VmRSS", "VmHWM"); 0 when not found.
inline double QelStatusMiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0) return std::atof(line.c_str() + key.size() + 1) / 1024.0;
    return 0;
}

struct QelPeak {
    bool ok = false;    // the work returned true
    double mib = 0;     // the peak resident size over the work
    double before = 0;  // the resident size when the work began
};

// Runs work in this process; its peak starts at the present size.
inline QelPeak QelMeasurePeakHere(const std::function<bool()>& work) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the high-water mark drops to the present size
    QelPeak peak;
    peak.before = QelStatusMiB("VmRSS");
    peak.ok = work();
    peak.mib = QelStatusMiB("VmHWM");
    return peak;
}
