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
#include "QelString.h"

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
    int error;  // 0: renamed; EINVAL: not a valid name; else the errno of renameat2 or why the row was not reached
};
// Called after each attempt (callers that log every rename, such as jobs).
using QelRenameObserver = std::function<void(const _tag_RenameEvent&)>;

struct QelRenameOptions {
    // Plans the renames without making any: each attempt is judged against
    // the disk as it is (an item whose name is taken fails, as does a second
    // item given the same new name) and, when it would succeed, the rows
    // change as a rename would change them. The events then tell what the
    // real run would do, row by row, with the same new paths.
    bool dryRun = false;
    // Asked before each row when given: false ends the run there, between two renames.
    std::function<bool()> keepGoing;
};

namespace qel {

// True when name can be a new name in the same folder: not empty, not "." or
// "..", no '/' or NUL, at most 255 bytes as a file name.
bool IsAcceptableName(std::u16string_view name);

// Applies rules to every row (see the top of this file). A rule that leaves a
// name as it was makes no attempt and counts nothing. Each row's folder is
// found below searchRoot (the folder searched; "" is "/") without following
// a link; a row that cannot be reached so fails with the reason
// (qel::QelOwnReason or errno) as its error.
QelRenameCounts ApplyRenameRules(const QelRenameRuleSet& rules, QelResultRows& rows,
                                 const QelRenameObserver& observer = {}, const QelString& searchRoot = {},
                                 QelRenameOptions options = {});

// After a folder was renamed from oldPath to newPath by rules applied to some
// of the rows only: every row below oldPath takes newPath in its place.
void FollowFolderRename(QelResultRows& rows, std::u16string_view oldPath, std::u16string_view newPath);

}  // namespace qel
