#pragma once
// When a walk's progress is due again. Reading the clock on every entry
// would cost more than the entry itself, so it is read every kCheckEvery
// polls; progress is due at the first check and then whenever kInterval has
// passed since the last time it was due.

#include <chrono>

class CQelProgressClock {
public:
    static constexpr int kCheckEvery = 256;
    static constexpr std::chrono::milliseconds kInterval{30};

    // One entry walked: true when progress is due.
    bool Poll() {
        if (++m_polls < kCheckEvery) return false;
        m_polls = 0;
        return Due();
    }
    // Whether kInterval has passed since progress was last due (the walk is waiting).
    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (m_started && now - m_last < kInterval) return false;
        m_started = true;
        m_last = now;
        return true;
    }

private:
    int m_polls = 0;
    bool m_started = false;
    std::chrono::steady_clock::time_point m_last;
};
