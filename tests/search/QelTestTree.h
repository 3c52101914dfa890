#pragma once
// Temporary folder trees for the walker and CLI tests, and a one-call search.

#include <string>
#include <vector>

#include "CQelFileMng.h"
#include "QelWalkOptions.h"

class CTestTree {
public:
    CTestTree();
    ~CTestTree();
    CTestTree(const CTestTree&) = delete;
    CTestTree& operator=(const CTestTree&) = delete;

    const std::string& Root() const { return m_root; }
    QelString RootString() const { return QelString::FromFileName(m_root); }
    std::string Path(const std::string& rel) const { return m_root + "/" + rel; }

    void Dir(const std::string& rel) const;
    void File(const std::string& rel, const std::string& content = "") const;
    void Link(const std::string& target, const std::string& rel) const;
    // A chain of depth folders named name below rel; returns nothing, as the
    // path may be too long to name in one string.
    void DeepChain(const std::string& rel, const std::string& name, int depth, const std::string& leafFile) const;

private:
    std::string m_root;
};

// The search through CQelFileMng::SearchFiles, as the program runs it.
struct SearchOutcome {
    QelStringArray files;
    QelStringArray folders;
};
QelStringArray Strings(std::initializer_list<const char16_t*> items);
SearchOutcome Search(const QelString& root, const QelStringArray& names, const QelStringArray& exts,
                     const QelStringArray& folders, bool includeSub = true,
                     IQelFileMngEventDelegate* delegate = nullptr);
// The same visitor as SearchFiles, through a walk with the given options.
SearchOutcome SearchWithOptions(const QelString& root, const QelStringArray& names, const QelStringArray& exts,
                                const QelStringArray& folders, const QelWalkOptions& options);
// The file-name bytes of each result.
std::vector<std::string> Bytes(const QelStringArray& list);

// A CQelFileMng of the tests' own (the process-wide one is not needed here).
class CTestFileMng : public CQelFileMng {};
