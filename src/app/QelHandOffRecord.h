#pragma once
// The record a search hands to a sub-window: a one-line JSON object with the
// file and folder results and, when the sub-window is being created, its size.

#include <string>
#include <string_view>

#include <json/value.h>

#include "QelString.h"

namespace qel {

// Size of a sub-window being created: the main window's width and the sub-window's height.
struct QelSubWndSize {
    int width = 0;
    int height = 0;
};

// {"dirresultlist":[...],"fileresultlist":[...],"height":H,"searchpath":P,"width":W}
// and a line feed: members in key order, compact, as JsonCpp's FastWriter lays
// it out; "height" and "width" only when size is given, "searchpath" (the
// folder searched, as typed: the operations find the rows below it) only when
// not empty. Written straight from
// the lists, which it takes over and releases path by path, since a search
// may hand over hundreds of thousands of paths.
// Strings keep their raw UTF-8 bytes (only '"', '\' and control characters
// are escaped), so a file name that is not valid UTF-8 reaches the
// sub-window unchanged instead of being replaced by U+FFFD.
std::string WriteHandOffRecord(QelStringArray files, QelStringArray folders, const QelSubWndSize* size,
                               std::u16string_view searchPath = {});

// The member that names the folder searched.
inline constexpr char kSearchPathKey[] = "searchpath";

// Adds the job record as "afjitem", the first member in key order, to a
// record written above.
void AddJobToHandOffRecord(std::string& record, const Json::Value& job);

}  // namespace qel
