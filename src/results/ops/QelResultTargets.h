#pragma once
// Where Copy and Move put a row: the destination the user typed, checked and
// expanded, and the target path of each row in it.

#include <cstddef>
#include <string>
#include <string_view>

#include "QelString.h"

namespace qel {

// The destination folder as the operations use it: a leading "~" or "~/" is
// the home folder; trailing '/' are cut (the root becomes ""). False, out
// untouched, when the result is not an absolute path (empty included): the
// targets would land wherever the program happens to run.
bool ResolveDestination(const QelString& typed, const QelString& home, QelString& out);
// The same with the user's home folder ($HOME, else the password database).
bool ResolveDestination(const QelString& typed, QelString& out);

// Longest name of one path component, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// prefix and name joined, the stem of name (never its extension, the text
// from its last '.') shortened as needed so the whole fits kMaxNameBytes.
std::u16string FitNameAfterPrefix(std::u16string_view prefix, std::u16string_view name);

// destination/name, or with makeUniqueName destination/GUID_name where GUID
// is a fresh MakeGuidString for this call, the name's stem shortened so the
// new name still fits a file name.
QelString MakeTargetPath(const QelString& destination, std::u16string_view name, bool makeUniqueName);

}  // namespace qel
