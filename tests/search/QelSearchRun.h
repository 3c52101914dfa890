#pragma once
// The search as the tests run it: through CQelFileMng::SearchFiles, as the
// program does, or through a walker set up by the test. Results are the
// file-name bytes of each path.

#include <dirent.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../common/QelTree.h"
#include "CQelFileMng.h"
#include "CQelReadAhead.h"
#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"
#include "CQelTreeWalker.h"

using Paths = std::vector<std::string>;
struct SearchOutcome {
    Paths files, folders;
};

inline QelStringArray Strings(std::initializer_list<std::u16string> items) { return QelStringArray(items.begin(), items.end()); }

inline Paths Bytes(const QelStringArray& list) {
    Paths out;
    for (const QelString& s : list) out.push_back(s.ToFileName());
    return out;
}

inline int OpenDescriptors() {
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++count;
        closedir(d);
    }
    return count;
}

inline Paths Sorted(Paths paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Calls f after every hit.
class CCallbackDelegate : public IQelFileMngEventDelegate {
public:
    explicit CCallbackDelegate(std::function<void()> f) : m_f(std::move(f)) {}
    void OnSearchProgress(std::int32_t, std::int32_t) override { m_f(); }

private:
    std::function<void()> m_f;
};

class CTestFileMng : public CQelFileMng {};

inline SearchOutcome Search(const std::string& root, const QelStringArray& names, const QelStringArray& exts,
                            const QelStringArray& folders, bool includeSub = true,
                            IQelFileMngEventDelegate* delegate = nullptr) {
    CTestFileMng mng;
    mng.SetEventDelegate(delegate);
    QelStringArray files, dirs;
    mng.SearchFiles(QelString::FromFileName(root), files, dirs, names, exts, folders, includeSub);
    return {Bytes(files), Bytes(dirs)};
}

struct WalkSetup {
    QelWalkOptions options;
    int budget = CQelTreeWalker::kDefaultDescriptorBudget;
    bool readAhead = false;
    IQelFileMngEventDelegate* delegate = nullptr;
};

inline SearchOutcome Walk(const std::string& root, const QelStringArray& names, const QelStringArray& exts,
                          const QelStringArray& folders, const WalkSetup& setup) {
    QelStringArray files, dirs;
    const CQelSearchCriteria criteria(names, exts, folders);
    CQelSearchResults results(criteria, QelString::FromFileName(root), files, dirs, setup.delegate);
    std::unique_ptr<CQelReadAhead> helper;
    if (setup.readAhead) helper = std::make_unique<CQelReadAhead>(setup.options);
    CQelTreeWalker(setup.options, setup.budget, helper.get()).Walk(root, results);
    return {Bytes(files), Bytes(dirs)};
}
