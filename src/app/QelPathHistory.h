#pragma once
// The search path history kept in env.json's "searchpathhistory" array:
// entries {"date", "includesub", "path"}, oldest first, one per exact path.

#include <ctime>

#include <json/json.h>

#include "QelString.h"

namespace qel {

// "%04u%02u%02u" of a local date.
QelString FormatHistoryDate(const std::tm& localDate);
// Today's local date in that form.
QelString TodayHistoryDate();

// Updates the entry of path in place (date and include flag) or appends a new one.
void AddHistoryEntry(Json::Value& history, const QelString& path, bool includeSub, const QelString& date);

// "[yyyy/mm/dd] path(sub check)" or "...(sub not check)".
QelString HistoryDisplayLine(const Json::Value& entry);
// One display line per entry, in array order.
void BuildHistoryDisplayLines(const Json::Value& history, QelStringArray& lines);

}  // namespace qel
