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
// Rows are found below the searched folder without following any link below
// it (a folder replaced by a link since the search fails its rows), however
// deep they lie. Nothing is ever replaced: a target that exists fails its
// row. A row that is a symbolic link is acted on as the link itself: Copy
// makes a new link with the same target text, Move moves the link, Delete
// removes it; nothing reaches what it points to. Tree operations stay on the
// row's own mount and pass by only "." and "..". Names are used as their exact bytes.

#include <cstdint>
#include <functional>

#include "IQelResultSubWndDelegate.h"
#include "QelOpError.h"
#include "QelResultRows.h"
#include "QelString.h"

struct QelResultOpCounts {
    std::int32_t succeeded = 0;
    std::int32_t failed = 0;
};

struct QelCopyMoveOptions {
    QelString destination;       // absolute, as qel::ResolveDestination gives it
    bool makeUniqueName = true;  // targets named GUID_name instead of name
    QelString searchRoot;        // the folder searched, as typed; "" when unknown: "/"
};

// Told after each row how it went, with the path it was copied or moved to
// (the row's own path for Delete); for callers that log or show every row.
using QelResultRowObserver =
    std::function<void(const QelResultRow& row, const QelString& target, const QelItemOutcome& outcome)>;

namespace qel {

// Copy and Move make the destination folder when it is missing. A folder
// row is refused, before anything is written, when the destination is the
// folder, lies inside it or the target holds it.
// Copy: files (and FIFOs, sockets, devices, made anew) go to a target that
// must not exist yet, mode and times kept; a folder into an existing folder
// merges, where every entry whose name is taken fails the row and stays.
QelResultOpCounts CopyResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer = {});
// Move: a target that exists fails the row, files and folders alike;
// folders move as qel::MoveFolderAt does.
QelResultOpCounts MoveResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer = {});
// Files without owner write permission are refused; folders are deleted with
// everything in them, pumping between entries.
QelResultOpCounts DeleteResultRows(const QelResultRows& rows, const QelString& searchRoot,
                                   IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer = {});

}  // namespace qel
