#pragma once
// A rename rule set: the ordered rules that change the names of found files
// and folders, their JSON record [{"type", "operate", "findadd", "replace"}],
// and the pure text work of one rule (no file is touched here).
//
// Reading is forgiving as the record demands: a "type" other than "folder"
// makes a file rule, an "operate" other than the four known ones is "change",
// missing texts are empty. Writing always gives all four keys.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "QelString.h"

// What a rule applies to: a folder rule only to items that are directories
// (judged without following a link), a file rule to every item.
enum class QelRenameItem { File, Folder };
// The operations; the numbers are the editor's operation indices.
enum class QelRenameOperate { Change = 0, PreAdd = 1, PostAdd = 2, ExtChange = 3 };

struct _tag_RenameRule {
    QelRenameItem item = QelRenameItem::File;
    QelRenameOperate operate = QelRenameOperate::Change;
    QelString findAdd;  // the text to find (change, extchange) or to add (preadd, postadd)
    QelString replace;  // the replacement (change, extchange); unused otherwise
};
using QelRenameRuleSet = std::vector<_tag_RenameRule>;

// One element of a rule-set array as stored: missing or non-string values read as empty.
struct _tag_RenameRuleRecord {
    std::string type;
    std::string operate;
    QelString findAdd;
    QelString replace;
};

namespace qel {

// The elements of a rule-set array that are objects, in order; anything but an array gives none.
std::vector<_tag_RenameRuleRecord> ReadRenameRuleRecords(const Json::Value& ruleSet);

// "change", "preadd", "postadd", "extchange".
const char* RenameOperateKey(QelRenameOperate operate);
// The operation a key names; Change for any other text.
QelRenameOperate RenameOperateFromKey(std::string_view key);

// The rules of a rule-set array in order; elements that are not objects are
// skipped. Anything but an array gives no rules.
QelRenameRuleSet RenameRulesFromJson(const Json::Value& ruleSet);
// Parses rule-set text (as a job stores it); false, rules cleared, when the
// text is not a JSON array.
bool ParseRenameRuleSet(std::string_view text, QelRenameRuleSet& rules);

// Every occurrence of find in text replaced, left to right; the search goes on
// after each inserted replacement, so the replacement is never searched
// again. An empty find leaves text as it is.
std::u16string ReplaceAllText(std::u16string_view text, std::u16string_view find, std::u16string_view replace);

// Index of the dot that splits name into base and extension: the last '.' at
// index 1 or more; npos when the name has no extension (".profile").
std::size_t FindExtensionDot(std::u16string_view name);

// The name rule gives name, or nothing when the rule leaves it alone
// (extchange on a name without extension or on a folder rule). isDirectory
// only matters to folder rules, which skip every other item. The result may
// equal name or be no valid name at all: the caller judges it.
std::optional<std::u16string> RenamedName(const _tag_RenameRule& rule, std::u16string_view name, bool isDirectory);

}  // namespace qel
