#pragma once
// What a rule set would make of some rows' names, worked out on the texts
// alone (nothing on disk is touched or read): the rule editor shows it while
// the user writes the rules.
//
// Rules apply in order as a real run applies them; a name no item could have
// is refused and the row keeps its name for later rules. Two rows of the same
// folder that would end with the same name collide.

#include <string>
#include <vector>

#include "QelRenameRule.h"
#include "QelResultRows.h"

enum class QelRenamePreviewMark { kNone, kRefused, kCollides };

struct QelRenamePreviewRow {
    std::u16string oldName;
    std::u16string newName;  // equals oldName when nothing changes
    QelRenamePreviewMark mark = QelRenamePreviewMark::kNone;
};

namespace qel {

// One preview row per row, in order. A folder row counts as a directory.
std::vector<QelRenamePreviewRow> PreviewRenames(const QelRenameRuleSet& rules, const QelResultRows& rows);

}  // namespace qel
