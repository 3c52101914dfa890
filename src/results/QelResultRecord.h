#pragma once
// Reading the record a search hands to the result window straight into rows:
// the strings of "fileresultlist", then those of "dirresultlist", each in
// array order, whatever order the two keys come in. No JSON tree of the
// paths is built, so a search of hundreds of thousands of paths is held once
// as text and once as rows, never more.

#include <string>

#include <json/value.h>

#include "QelResultRows.h"
#include "QelString.h"

namespace qel {

// Fills rows (replacing what it held) and puts the other top-level members
// that are plain values (numbers, strings, booleans, null) into others, an
// object; members holding arrays or objects beside the two lists are passed
// over. A missing list gives no rows of its kind; entries that are not
// strings, or paths without a '/' at index 1 or more, are skipped. Names keep
// their exact bytes. False, rows and others emptied, when the text is not one
// JSON object.
bool ReadResultRecord(const std::string& text, QelResultRows& rows, Json::Value& others);

// The folder the search walked ("searchpath" among the others), below which
// the operations find the rows again; "" when the record names none.
QelString ResultSearchRoot(const Json::Value& others);

// True when ReadResultRecord would accept the text; builds nothing, so a
// caller can let go of the rows it shows before reading the new ones.
bool IsResultRecord(const std::string& text);

}  // namespace qel
