#include "QelRenameRuleRows.h"

namespace qel {

namespace {
QelString TypeText(const std::string& type) {
    if (type == "file") return kRenameTypeFile;
    if (type == "folder") return kRenameTypeFolder;
    return QelString(u"");
}

constexpr int kOperateCount = static_cast<int>(std::size(kRenameRuleTexts));
}  // namespace

QelRenameRuleRows RenameRuleRowsFromJson(const Json::Value& ruleSet) {
    QelRenameRuleRows rows;
    for (const _tag_RenameRuleRecord& record : ReadRenameRuleRecords(ruleSet)) {
        _tag_RenameRuleRow row{TypeText(record.type), QelString(u""), 0, record.findAdd, record.replace};
        for (int index = 0; index < kOperateCount; ++index) {
            if (record.operate == RenameOperateKey(static_cast<QelRenameOperate>(index))) {
                row.operateIndex = index;
                row.ruleText = kRenameRuleTexts[index];
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

Json::Value RenameRuleSetFromRows(const QelRenameRuleRows& rows) {
    Json::Value ruleSet(Json::arrayValue);
    for (const _tag_RenameRuleRow& row : rows) {
        Json::Value rule(Json::objectValue);
        rule["type"] = row.typeText.Equals(kRenameTypeFile) ? "file" : row.typeText.Equals(kRenameTypeFolder) ? "folder" : "";
        const bool known = row.operateIndex >= 0 && row.operateIndex < kOperateCount;
        rule["operate"] = RenameOperateKey(static_cast<QelRenameOperate>(known ? row.operateIndex : 0));
        rule["findadd"] = row.findAdd.ToStdString();
        rule["replace"] = row.replace.ToStdString();
        ruleSet.append(rule);
    }
    return ruleSet;
}

}  // namespace qel
