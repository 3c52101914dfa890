#pragma once
// Where Copy and Move put a row: the destination the user typed, checked and
// expanded, and the target path of each row in it.

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

// destination/name, or with makeUniqueName destination/GUID_name where GUID
// is a fresh MakeGuidString for this call.
QelString MakeTargetPath(const QelString& destination, std::u16string_view name, bool makeUniqueName);

}  // namespace qel
