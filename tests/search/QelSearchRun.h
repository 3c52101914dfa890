#pragma once
// The search as the tests run it: through CQelFileMng::SearchFiles, as the
// program does, or through a walker set up by the test. Results are the
// file-name bytes of each path. Criteria lists are written as braced lists of
// UTF-16 strings.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../common/QelTreeText.h"
#include "CQelFileMng.h"
#include "CQelReadAhead.h"
#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"
#include "CQelTreeWalker.h"

using Paths = std::vector<std::string>;
struct SearchOutcome {
    Paths files, folders;
    int error = 0;  // what a walker set up by the test returned
};

inline Paths Sorted(Paths paths) { return std::ranges::sort(paths), paths; }
// The paths below root, relative to it and sorted.
inline Paths Relative(const Paths& paths, const std::string& root) {
    Paths out;
    for (const std::string& p : paths) out.push_back(p.substr(root.size() + 1));
    return Sorted(out);
}

// Calls f after every hit.
struct CCallbackDelegate : IQelFileMngEventDelegate {
    explicit CCallbackDelegate(std::function<void()> f) : m_f(std::move(f)) {}
    void OnSearchProgress(std::int32_t, std::int32_t) override { m_f(); }
    std::function<void()> m_f;
};

struct WalkSetup {
    QelWalkOptions options;
    int budget = CQelTreeWalker::kDefaultDescriptorBudget;
    bool readAhead = false;
    IQelFileMngEventDelegate* delegate = nullptr;
};

// Through the program's search when setup is not given, else through a walker set up as told.
inline SearchOutcome Search(const std::string& root, const QelStringArray& names, const QelStringArray& exts,
                            const QelStringArray& folders, bool includeSub = true, IQelFileMngEventDelegate* delegate = nullptr,
                            const WalkSetup* setup = nullptr) {
    struct : CQelFileMng {} mng;
    QelStringArray files, dirs;
    SearchOutcome out;
    if (!setup) {
        mng.SetEventDelegate(delegate);
        mng.SearchFiles(QelString::FromFileName(root), files, dirs, names, exts, folders, includeSub);
    } else {
        const CQelSearchCriteria criteria(names, exts, folders);
        CQelSearchResults results(criteria, QelString::FromFileName(root), files, dirs, setup->delegate);
        const std::unique_ptr<CQelReadAhead> helper(setup->readAhead ? new CQelReadAhead(setup->options) : nullptr);
        out.error = CQelTreeWalker(setup->options, setup->budget, helper.get()).Walk(root, results);
    }
    for (const QelString& s : files) out.files.push_back(s.ToFileName());
    for (const QelString& s : dirs) out.folders.push_back(s.ToFileName());
    return out;
}
inline SearchOutcome Walk(const std::string& root, const QelStringArray& names, const QelStringArray& exts,
                          const QelStringArray& folders, const WalkSetup& setup) {
    return Search(root, names, exts, folders, true, nullptr, &setup);
}
