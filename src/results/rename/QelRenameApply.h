#pragma once
// Applies a rename rule set to result rows on disk.
//
// Rules run in set order, each over every row in list order; a later rule sees
// the names the earlier ones left. Every rename stays inside the item's
// folder and never replaces an existing item (renameat2 RENAME_NOREPLACE), so
// a symbolic link row renames the link itself. A row changes only when its
// rename succeeded: a failed or refused rename leaves its Name and FullPath as
// they were. When a folder row is renamed, the rows below it follow, so later
// rules and later commands address them where they now are. Names are
// converted losslessly, so any file-name bytes are renamed as themselves.

#include <cstddef>
#include <functional>
#include <string_view>

#include "QelRenameRule.h"
#include "QelResultRows.h"

struct QelRenameCounts {
    int succeeded = 0;  // renames made
    int failed = 0;     // renames refused or failed; rows left unchanged
};

// One rename attempt, as it happened.
struct _tag_RenameEvent {
    const _tag_RenameRule& rule;
    std::size_t row;                  // index into the rows
    std::u16string_view oldFullPath;  // before the attempt
    std::u16string_view newFullPath;  // the name asked for
    int error;                        // 0: renamed; EINVAL: not a valid name; otherwise the errno of renameat2
};
// Called after each attempt (callers that log every rename, such as jobs).
using QelRenameObserver = std::function<void(const _tag_RenameEvent&)>;

namespace qel {

// True when name can be a new name in the same folder: not empty, not "." or
// "..", no '/' or NUL, at most 255 bytes as a file name.
bool IsAcceptableName(std::u16string_view name);

// Renames from to to, failing when to exists; 0 or the errno.
int RenameNoReplace(const char* from, const char* to);

// Applies rules to every row (see the top of this file). A rule that leaves a
// name as it was makes no attempt and counts nothing. keepGoing, when given,
// is asked before each row: false ends the run there, between two renames.
QelRenameCounts ApplyRenameRules(const QelRenameRuleSet& rules, QelResultRows& rows,
                                 const QelRenameObserver& observer = {},
                                 const std::function<bool()>& keepGoing = {});

// After a folder was renamed from oldPath to newPath by rules applied to some
// of the rows only: every row below oldPath takes newPath in its place.
void FollowFolderRename(QelResultRows& rows, std::u16string_view oldPath, std::u16string_view newPath);

}  // namespace qel
