#pragma once
// Decides when a long loop on the UI thread lets the window system breathe:
// at most once per interval, so a copy or delete of 100 000 entries keeps the
// windows painting without spending its time in the event loop.

#include <chrono>

class QelPumpGate {
public:
    using Clock = std::chrono::steady_clock;

    explicit QelPumpGate(Clock::duration interval) : m_interval(interval) {}

    // True on the first call and whenever at least one interval has passed
    // since the last true; a true restarts the interval.
    bool Due(Clock::time_point now) {
        if (m_opened && now - m_last < m_interval) return false;
        m_opened = true;
        m_last = now;
        return true;
    }
    // Sets a new interval; the next Due is true.
    void SetInterval(Clock::duration interval) {
        m_interval = interval;
        m_opened = false;
    }

private:
    Clock::duration m_interval;
    Clock::time_point m_last{};
    bool m_opened = false;
};
