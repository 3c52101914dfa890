// CQelFileMng::SearchFiles: the file manager's search, carried out by the
// search library's walker.

#include "CQelFileMng.h"
#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"
#include "QelWalkTree.h"

bool CQelFileMng::SearchFiles(const QelString& root, QelStringArray& fileResults, QelStringArray& folderResults,
                              const QelStringArray& nameStrings, const QelStringArray& extStrings,
                              const QelStringArray& folderStrings, bool includeSubFolders) {
    const CQelSearchCriteria criteria(nameStrings, extStrings, folderStrings);
    CQelSearchResults results(criteria, root, fileResults, folderResults, GetEventDelegate());
    QelWalkOptions options;
    options.includeSubFolders = includeSubFolders;
    return !qel::WalkTree(root.ToFileName(), options, results).stopped;
}
