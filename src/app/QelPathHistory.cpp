#include "QelPathHistory.h"

#include <utility>

namespace qel {

namespace {

QelString StringMember(const Json::Value& entry, const char* key) {
    const Json::Value& value = entry[key];
    return value.isString() ? QelString::FromUtf8(value.asString()) : QelString(u"");
}

}  // namespace

QelString FormatHistoryDate(const std::tm& localDate) {
    return QelString::Formatted(u"%04u%02u%02u", static_cast<unsigned>(localDate.tm_year + 1900),
                                static_cast<unsigned>(localDate.tm_mon + 1), static_cast<unsigned>(localDate.tm_mday));
}

QelString TodayHistoryDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FormatHistoryDate(local);
}

void AddHistoryEntry(Json::Value& history, const QelString& path, bool includeSub, const QelString& date) {
    if (!history.isArray()) history = Json::Value(Json::arrayValue);
    const std::string pathUtf8 = path.ToStdString();
    for (Json::Value& entry : history) {
        if (!entry.isObject()) continue;
        const Json::Value& entryPath = std::as_const(entry)["path"];  // no insertion
        if (entryPath.isString() && entryPath.asString() == pathUtf8) {
            entry["date"] = date.ToStdString();
            entry["includesub"] = includeSub;
            return;
        }
    }
    Json::Value entry(Json::objectValue);
    entry["date"] = date.ToStdString();
    entry["includesub"] = includeSub;
    entry["path"] = pathUtf8;
    history.append(std::move(entry));
}

QelString HistoryDisplayLine(const Json::Value& entry) {
    if (!entry.isObject()) return QelString(u"");
    const QelString date = StringMember(entry, "date");
    const Json::Value& includeSub = entry["includesub"];
    const bool sub = includeSub.isBool() && includeSub.asBool();
    return QelString::Formatted(u"[%s/%s/%s] %s(%s)", date.Mid(0, 4), date.Mid(4, 2), date.Mid(6, 2),
                                StringMember(entry, "path"), sub ? u"sub check" : u"sub not check");
}

void BuildHistoryDisplayLines(const Json::Value& history, QelStringArray& lines) {
    lines.RemoveAll();
    if (!history.isArray()) return;
    for (const Json::Value& entry : history) lines.Add(HistoryDisplayLine(entry));
}

}  // namespace qel
