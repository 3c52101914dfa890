#include "QelLocalTime.h"

#include <ctime>

namespace qel {
LocalTime NowLocal() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    ::localtime_r(&now.tv_sec, &tm);
    LocalTime t;
    t.year = static_cast<unsigned>(tm.tm_year + 1900);
    t.month = static_cast<unsigned>(tm.tm_mon + 1);
    t.day = static_cast<unsigned>(tm.tm_mday);
    t.hour = static_cast<unsigned>(tm.tm_hour);
    t.minute = static_cast<unsigned>(tm.tm_min);
    t.second = static_cast<unsigned>(tm.tm_sec);
    t.millisecond = static_cast<unsigned>(now.tv_nsec / 1000000);
    return t;
}
}  // namespace qel
