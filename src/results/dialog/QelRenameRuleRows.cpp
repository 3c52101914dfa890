#include "QelRenameRuleRows.h"

namespace qel {

namespace {
QelString StringMember(const Json::Value& object, const char* key) {
    const Json::Value& value = object[key];
    return value.isString() ? QelString::FromUtf8(value.asString()) : QelString(u"");
}

QelString TypeText(const Json::Value& type) {
    if (type.isString() && type.asString() == "file") return kRenameTypeFile;
    if (type.isString() && type.asString() == "folder") return kRenameTypeFolder;
    return QelString(u"");
}
}  // namespace

QelRenameRuleRows RenameRuleRowsFromJson(const Json::Value& ruleSet) {
    QelRenameRuleRows rows;
    if (!ruleSet.isArray()) return rows;
    for (const Json::Value& rule : ruleSet) {
        if (!rule.isObject()) continue;
        _tag_RenameRuleRow row;
        row.typeText = TypeText(rule["type"]);
        const Json::Value& operate = rule["operate"];
        const std::string key = operate.isString() ? operate.asString() : std::string();
        row.ruleText = QelString(u"");
        for (int index = 0; index < 4; ++index) {
            if (key == RenameOperateKey(static_cast<QelRenameOperate>(index))) {
                row.operateIndex = index;
                row.ruleText = kRenameRuleTexts[index];
            }
        }
        row.findAdd = StringMember(rule, "findadd");
        row.replace = StringMember(rule, "replace");
        rows.push_back(std::move(row));
    }
    return rows;
}

Json::Value RenameRuleSetFromRows(const QelRenameRuleRows& rows) {
    Json::Value ruleSet(Json::arrayValue);
    for (const _tag_RenameRuleRow& row : rows) {
        Json::Value rule(Json::objectValue);
        rule["type"] = row.typeText.Equals(kRenameTypeFile) ? "file" : row.typeText.Equals(kRenameTypeFolder) ? "folder" : "";
        const bool known = row.operateIndex >= 0 && row.operateIndex < 4;
        rule["operate"] = RenameOperateKey(static_cast<QelRenameOperate>(known ? row.operateIndex : 0));
        rule["findadd"] = row.findAdd.ToStdString();
        rule["replace"] = row.replace.ToStdString();
        ruleSet.append(rule);
    }
    return ruleSet;
}

}  // namespace qel
