#pragma once
// The record a search hands to a sub-window: a one-line JSON object with the
// file and folder results and, when the sub-window is being created, its size.

#include <string>

#include <json/json.h>

#include "QelString.h"

namespace qel {

// Size of a sub-window being created: the main window's width and the sub-window's height.
struct QelSubWndSize {
    int width = 0;
    int height = 0;
};

// The result lists as "fileresultlist" and "dirresultlist" (UTF-8, walk order),
// plus "width" and "height" when size is given.
Json::Value MakeHandOffRecord(const QelStringArray& files, const QelStringArray& folders, const QelSubWndSize* size);

// One line of JSON ending in a line feed. Strings are written as their raw
// UTF-8 bytes, so a file name that is not valid UTF-8 reaches the sub-window
// unchanged instead of being replaced by U+FFFD.
std::string WriteHandOffRecord(const Json::Value& record);

}  // namespace qel
