#pragma once
// One walk of a folder tree as the program runs it: with a read-ahead
// helper thread when sub-folders are searched on a machine with a second
// core, and prefetch threads when the walk turns out to wait on the disk.

#include <string>

#include "IQelWalkVisitor.h"
#include "QelWalkOptions.h"

struct QelWalkResult {
    int rootError = 0;     // errno that kept the root from being read; nothing was reported then
    bool stopped = false;  // the visitor asked to stop before the walk was done
};

namespace qel {
// Walks root (file-name bytes) into visitor; returns once every report is made
// and every helper thread has ended.
QelWalkResult WalkTree(const std::string& root, const QelWalkOptions& options, IQelWalkVisitor& visitor);
}  // namespace qel
