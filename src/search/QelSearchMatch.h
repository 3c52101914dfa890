#pragma once
// Whether one directory entry is a hit for the search criteria. The name is
// the entry's own name, not its path.

#include "QelString.h"

// The folder's name equals one of the folder strings.
bool MatchFolder(const QelString& name, const QelStringArray& folderStrings);

// The file passes the extension stage (its extension equals one extension
// string and, with name strings, one occurs in its base name) or the name
// stage (one name string occurs in the name, which holds no dot when there
// are extension strings).
bool MatchFile(const QelString& name, const QelStringArray& nameStrings, const QelStringArray& extStrings);
