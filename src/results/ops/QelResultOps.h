#pragma once
// Copy, Move and Delete over every result row, in list order (files first,
// then folders), whatever the window shows sorted or selected. No Qt: the
// result window, the job runner and the command line share them.
//
// Each row counts once as a success or a failure; nothing stops a run early.
// After each row, with a delegate, onNotifyEvent("MSG", "<Op> [i/N] Process",
// " Succces:s, Failed:f") reports the zero-based row index and the counts so
// far (the texts, misspelling included, are what logs and scripts read).
// Between rows the window system gets its turn (CQelFileMng::PumpDialogMessages).
//
// A row that is a symbolic link is acted on as the link itself: Copy makes a
// new link with the same target text, Move moves the link, Delete removes it;
// nothing reaches what it points to. Names are used as their exact bytes.

#include <cstdint>
#include <functional>

#include "IQelResultSubWndDelegate.h"
#include "QelResultRows.h"
#include "QelString.h"

struct QelResultOpCounts {
    std::int32_t succeeded = 0;
    std::int32_t failed = 0;
};

struct QelCopyMoveOptions {
    QelString destination;      // absolute, as qel::ResolveDestination gives it
    bool makeUniqueName = true;  // targets named GUID_name instead of name
};

// Told after each row how it went, with the path it was copied or moved to
// (the row's own path for Delete); for callers that log every row, as jobs do.
using QelResultRowObserver = std::function<void(const QelResultRow& row, const QelString& target, bool succeeded)>;

namespace qel {

// Copy and Move first make the destination folder when it is missing.
// Files are copied to a target that must not exist yet (mode and times
// kept); folders through doCopyFolderContents (the target made, files of the
// same name inside it replaced).
QelResultOpCounts CopyResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer = {});
// Files never replace a target; across file systems they are copied, then
// deleted. Folders move as MoveFolder does: a row counts as a success only
// when its source is gone.
QelResultOpCounts MoveResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer = {});
// Files without owner write permission are refused; folders go through
// doDeleteFolderContents with pumping on.
QelResultOpCounts DeleteResultRows(const QelResultRows& rows, IQelResultSubWndDelegate* delegate,
                                   const QelResultRowObserver& observer = {});

}  // namespace qel
