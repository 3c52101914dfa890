#pragma once
// When a walk's progress is due again. Reading the clock on every entry
// would cost more than the entry itself, so it is read every kCheckEvery
// polls; progress is due at the first check and then whenever kInterval has
// passed since the last time it was due (or since the clock was made).

#include <chrono>

class CQelProgressClock {
public:
    static constexpr int kCheckEvery = 256;
    static constexpr std::chrono::milliseconds kInterval{30};

    // One entry walked: true when progress is due.
    bool Poll() {
        if (++m_polls < kCheckEvery) return false;
        m_polls = 0;
        const bool first = !m_checked;
        m_checked = true;
        return Due() || first;
    }
    // Whether kInterval has passed since progress was last due (the walk is
    // waiting or reading a large folder).
    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last < kInterval) return false;
        m_last = now;
        return true;
    }

private:
    int m_polls = 0;
    bool m_checked = false;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};
