#pragma once
// Path clean-ups shared by the file layer and the search engine.

#include "QelString.h"

namespace qel {
// After trailing U+0020 spaces are trimmed, cuts a '/' found at index 1 or more when it ends the text.
QelString RemoveTrailingSeparator(const QelString& path);
// Creates every missing folder along path (trailing blanks are kept as part
// of the name); false at the first that cannot be made.
bool MakeDirectoryChain(const QelString& path);
// True when something exists at path (lstat succeeds).
bool PathExists(const QelString& path);
// 0 when something exists at path, else the errno of lstat.
int PathError(const QelString& path);
// "The search path is invalid!!" with the path and the reason for error on a
// second line: the same words from the window and the command line.
QelString InvalidSearchPathText(const QelString& path, int error);
bool IsDirectory(const QelString& path);
}  // namespace qel
