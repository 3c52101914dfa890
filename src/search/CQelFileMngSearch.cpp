// CQelFileMng::SearchFiles: the file manager's search, carried out by the
// search library's walker.

#include <memory>
#include <thread>

#include "CQelFileMng.h"
#include "CQelReadAhead.h"
#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"
#include "CQelTreeWalker.h"

void CQelFileMng::SearchFiles(const QelString& root, QelStringArray& fileResults, QelStringArray& folderResults,
                              const QelStringArray& nameStrings, const QelStringArray& extStrings,
                              const QelStringArray& folderStrings, bool includeSubFolders) {
    const CQelSearchCriteria criteria(nameStrings, extStrings, folderStrings);
    CQelSearchResults results(criteria, root, fileResults, folderResults, GetEventDelegate());
    // Sub-trees are read ahead on a second core when there is one.
    std::unique_ptr<CQelReadAhead> readAhead;
    if (includeSubFolders && std::thread::hardware_concurrency() > 1)
        readAhead = std::make_unique<CQelReadAhead>(includeSubFolders);
    CQelTreeWalker walker(includeSubFolders, CQelTreeWalker::kDefaultDescriptorBudget, readAhead.get());
    walker.Walk(root.ToFileName(), results);
}
