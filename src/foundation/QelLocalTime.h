#pragma once
// The local wall-clock time with milliseconds, as log lines and dated file
// names show it.

namespace qel {
struct LocalTime {
    unsigned year = 0, month = 0, day = 0;
    unsigned hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime NowLocal();
}  // namespace qel
