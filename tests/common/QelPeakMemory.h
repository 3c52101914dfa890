#pragma once
// The peak resident size of a stretch of work, as the kernel counts it
// (VmHWM), for tests that hold code to a memory bound. The work runs in a
// child process where it can, so that neither what the test made before nor
// what the allocator keeps from earlier tests counts:
//
//   const QelPeak peak = QelMeasurePeak([] { return Load(); });
//   EXPECT_TRUE(peak.ok);
//   EXPECT_LT(peak.mib, 256.0);
//
// A test program that measures links QelSmallQuarantine.cpp: under ASan,
// freed blocks would otherwise stay resident and count.

#include <sys/wait.h>
#include <unistd.h>

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
    bool ok = false;    // the child ran the work to its end and it returned true
    double mib = 0;     // the child's peak resident size over the work
    double before = 0;  // its resident size when the work began
};

// Runs work in this process; its peak starts at the present size. For
// programs with threads (Qt), where a forked child could inherit a held lock.
inline QelPeak QelMeasurePeakHere(const std::function<bool()>& work) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the high-water mark drops to the present size
    QelPeak peak;
    peak.before = QelStatusMiB("VmRSS");
    peak.ok = work();
    peak.mib = QelStatusMiB("VmHWM");
    return peak;
}

// Runs work in a forked child whose peak starts at its size at the fork.
inline QelPeak QelMeasurePeak(const std::function<bool()>& work) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const QelPeak peak = QelMeasurePeakHere(work);
        const bool sent = ::write(pipeEnds[1], &peak, sizeof peak) == static_cast<ssize_t>(sizeof peak);
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    QelPeak peak;
    const bool read = child > 0 && ::read(pipeEnds[0], &peak, sizeof peak) == static_cast<ssize_t>(sizeof peak);
    ::close(pipeEnds[0]);
    int status = 0;
    const bool exited = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status);
    return read && exited && WEXITSTATUS(status) == 0 ? peak : QelPeak{};
}
