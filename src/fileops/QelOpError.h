#pragma once
// How one item of a file operation went: 0 when done, otherwise an errno or
// one of the reasons of our own below (all above any errno), each with a text
// the window and the job log can show beside the item.

#include "QelString.h"

namespace qel {

enum QelOwnReason : int {
    kReasonLinkOnPath = 0x10000,  // a folder between the searched folder and the item is now a link
    kReasonNotBeneathRoot,        // the item does not lie below the searched folder
    kReasonTargetInsideItem,      // the destination is the folder itself or lies inside it
    kReasonTargetHoldsItem,       // the target is a folder that holds the item
    kReasonOtherFileSystem,       // a folder inside lies on another file system (a mount)
    kReasonChangedDuringMove,     // entries added or changed during the move stayed in the source
    kReasonCancelled,
};

// The text for a reason: the system's own for an errno.
QelString ReasonText(int reason);

}  // namespace qel

// The outcome of one item, for callers that show or log it.
struct QelItemOutcome {
    int error = 0;  // 0, an errno or a qel::QelOwnReason

    bool Succeeded() const { return error == 0; }
    QelString Reason() const { return qel::ReasonText(error); }
};
