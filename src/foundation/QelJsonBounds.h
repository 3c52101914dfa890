#pragma once
// How much of a settings or view file a reader may turn into a tree. The size
// cap of qel::ReadRegularFile does not bound the tree: 64 MiB of "[]," is 20
// million values, each a node of tens of bytes. CheckJsonBounds counts the
// values of a text in one pass that keeps nothing but one counter per open
// array, so a reader refuses such a text before it builds anything.
//
//   const qel::QelJsonBound bound = qel::CheckJsonBounds(text);
//   if (bound != qel::QelJsonBound::kWithin) { /* refuse: DescribeJsonBound(bound) */ }

#include <cstddef>
#include <string_view>

#include "QelString.h"

namespace qel {

inline constexpr std::size_t kMaxJsonArrayEntries = 100000;
inline constexpr std::size_t kMaxJsonValues = 1000000;

enum class QelJsonBound {
    kWithin,
    kArrayTooLong,   // an array holds more than kMaxJsonArrayEntries entries
    kTooManyValues,  // more than kMaxJsonValues values (arrays, objects and comments count too)
};

// Counts as JsonCpp and RapidJSON read (comments and strings skipped, keys
// not counted as values). Text that is not JSON is counted as far as it
// goes: a wrong count there can only refuse what the parser would refuse.
QelJsonBound CheckJsonBounds(std::string_view text);

// "more than 100000 entries in one array", "more than 1000000 values".
QelString DescribeJsonBound(QelJsonBound bound);

}  // namespace qel
