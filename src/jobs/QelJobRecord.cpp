#include "QelJobRecord.h"

#include <json/writer.h>

#include <algorithm>
#include <charconv>

namespace {

QelString StringMember(const Json::Value& object, const char* key) {
    if (!object.isObject()) return QelString(u"");
    const Json::Value& value = object[key];
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!value.isString() || !value.getString(&begin, &end)) return QelString(u"");
    return QelString::FromUtf8(begin, static_cast<std::size_t>(end - begin));
}

// "0".."5" exactly; anything else (blanks, signs, other digits) is no command.
const _tag_JobCommandInfo* CommandOfTypeDef(const QelString& typeDef) {
    const std::string text = typeDef.ToStdString();
    int index = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index, 10);
    if (error != std::errc() || end != text.data() + text.size()) return nullptr;
    return JobCommandAt(index);
}

}  // namespace

const _tag_JobCommandInfo* FindJobCommand(std::string_view cmd) {
    const auto* found = std::find_if(std::begin(kJobCommands), std::end(kJobCommands),
                                     [cmd](const _tag_JobCommandInfo& info) { return cmd == info.cmd; });
    return found == std::end(kJobCommands) ? nullptr : found;
}

const _tag_JobCommandInfo* JobCommandAt(int index) {
    if (index < 0 || index >= kJobCommandCount) return nullptr;
    return &kJobCommands[index];
}

_tag_JobRow MakeJobRow(int index, const QelString& action) {
    const _tag_JobCommandInfo* info = JobCommandAt(index);
    if (!info) return {QelString(u""), action, QelString(u"")};
    return {QelString(info->shownName), action, QelString::Formatted(u"%d", index)};
}

QelJobRowArray JobRowsFromRecord(const Json::Value& record) {
    QelJobRowArray rows;
    if (!record.isObject() || !record[kJobListKey].isArray()) return rows;
    for (const Json::Value& step : record[kJobListKey]) {
        if (!step.isObject()) continue;
        const Json::Value& cmd = step[kJobCmdKey];
        const _tag_JobCommandInfo* info = cmd.isString() ? FindJobCommand(cmd.asString()) : nullptr;
        rows.Add(MakeJobRow(info ? static_cast<int>(info->command) : -1, StringMember(step, kJobActKey)));
    }
    return rows;
}

Json::Value JobRecordFromRows(const QelString& name, const QelJobRowArray& rows, Json::Value base) {
    Json::Value list(Json::arrayValue);
    for (const _tag_JobRow& row : rows) {
        const _tag_JobCommandInfo* info = CommandOfTypeDef(row.typeDef);
        Json::Value step(Json::objectValue);
        step[kJobCmdKey] = info ? info->cmd : "";
        step[kJobActKey] = row.action.ToStdString();
        list.append(step);
    }
    if (!base.isObject()) base = Json::Value(Json::objectValue);
    base[kJobNameKey] = name.ToStdString();
    base[kJobListKey] = std::move(list);
    return base;
}

QelString JobRecordName(const Json::Value& record) { return StringMember(record, kJobNameKey); }

QelString RuleSetToJobText(const Json::Value& ruleSet) {
    Json::FastWriter writer;
    std::string text = writer.write(ruleSet);
    std::erase(text, '\n');
    return QelString::FromUtf8(text);
}
