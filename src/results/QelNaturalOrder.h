#pragma once
// The order a desktop file list shows names in: runs of digits compare by
// their value ("file2" before "file10"), letters without regard to ASCII case;
// names equal that way are ordered by fewer leading zeros, then exactly by
// code unit, so the order is total and the same on every run.

#include <string_view>

namespace qel {

// Negative when a comes first, positive when b does, 0 only for equal texts.
int NaturalCompare(std::u16string_view a, std::u16string_view b);

}  // namespace qel
