#include "QelWalkTree.h"

#include <memory>
#include <thread>

#include "CQelReadAhead.h"
#include "CQelTreeWalker.h"

namespace qel {

QelWalkResult WalkTree(const std::string& root, const QelWalkOptions& options, IQelWalkVisitor& visitor) {
    // Sub-trees are read ahead on a second core when there is one.
    std::unique_ptr<CQelReadAhead> readAhead;
    if (options.includeSubFolders && std::thread::hardware_concurrency() > 1)
        readAhead = std::make_unique<CQelReadAhead>(options);
    CQelTreeWalker walker(options, CQelTreeWalker::kDefaultDescriptorBudget, readAhead.get());
    QelWalkResult result;
    result.rootError = walker.Walk(root, visitor);
    result.stopped = walker.Stopped();
    return result;
}

}  // namespace qel
