#pragma once
// The search path history popup: the view file "pathhistory-tippopup.json"
// patched with the size of the path box and the history lines.

#include <rapidjson/document.h>

#include "QelString.h"

namespace qel {

inline constexpr char16_t kHistoryViewFile[] = u"pathhistory-tippopup.json";
// The popup grows with the lines up to this many rows of the path box's height.
inline constexpr int kHistoryPopupMaxRows = 5;

// Reads the view file (its path is logged) and patches it for a path box of
// boxWidth x boxHeight: width, height for at most five lines, one column as
// wide as the box less 10, and every line as a row. False when the file is
// missing or is not a JSON object; nothing should open then.
bool LoadHistoryPopupView(rapidjson::Document& view, const QelStringArray& lines, int boxWidth, int boxHeight);

// The row chosen in a pick-list popup result ({"ret":index}); -1 when "ret"
// is missing, not an integer or negative.
int ReadPickedRow(const rapidjson::Document& result);

}  // namespace qel
