#pragma once
// A point between two steps of a file operation where a test may change the
// tree, so that a race with another program is played out the same way on
// every run instead of by timing.

#include <functional>

namespace qel {

enum class QelOpStep {
    RowResolved,         // a row's folder is open and its entry looked at; nothing done yet
    CopiedBeforeDelete,  // a move by copy has copied the tree and deletes the source next
};

void SetOpHook(std::function<void(QelOpStep)> hook);  // empty: none
void RunOpHook(QelOpStep step);

}  // namespace qel
