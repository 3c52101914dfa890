#pragma once
// The rename-rule editor's rows and their translation to and from the rule-set
// record. Free of Qt; the dialog only shows rows.
//
// A row keeps the texts it shows, so a loaded rule of an unknown type or
// operation shows empty texts and is saved back as it was shown.

#include <json/value.h>

#include <vector>

#include "QelRenameRule.h"
#include "QelString.h"

// The Type entries and what Save writes for them.
inline constexpr const char16_t* kRenameTypeFile = u"File";
inline constexpr const char16_t* kRenameTypeFolder = u"Folder";
// The Rule texts by operation index (QelRenameOperate).
inline constexpr const char16_t* kRenameRuleTexts[] = {u"Change", u"Pre Add", u"Post Add", u"Ext Change"};
// A folder rule offers no extension change: its operation list stops before "Ext Change".
inline constexpr int kRenameFolderOperateCount = 3;

struct _tag_RenameRuleRow {
    QelString typeText;    // "File", "Folder" or empty
    QelString ruleText;    // one of kRenameRuleTexts, or empty
    int operateIndex = 0;  // the row's item data
    QelString findAdd;
    QelString replace;
};
using QelRenameRuleRows = std::vector<_tag_RenameRuleRow>;

namespace qel {
// The rows a loaded rule set shows, in order; elements that are not objects are skipped.
QelRenameRuleRows RenameRuleRowsFromJson(const Json::Value& ruleSet);
// The rule set Save writes: all four keys for every row, in row order.
Json::Value RenameRuleSetFromRows(const QelRenameRuleRows& rows);
}  // namespace qel
