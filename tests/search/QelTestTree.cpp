#include "QelTestTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "CQelSearchCriteria.h"
#include "CQelSearchResults.h"
#include "QelWalkTree.h"

namespace {
void Check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("test tree: " + what);
}
}  // namespace

CTestTree::CTestTree() {
    char pattern[] = "/tmp/qelsearch.XXXXXX";
    Check(mkdtemp(pattern) != nullptr, "mkdtemp");
    m_root = pattern;
    // Readable by everyone, so a test can walk it with fewer privileges.
    chmod(m_root.c_str(), 0755);
}

CTestTree::~CTestTree() {
    // rm copes with any depth and with folders a test made unreadable.
    const std::string command = "chmod -R u+rwx '" + m_root + "' 2>/dev/null; rm -rf '" + m_root + "'";
    [[maybe_unused]] const int status = std::system(command.c_str());
}

void CTestTree::Dir(const std::string& rel) const { Check(mkdir(Path(rel).c_str(), 0755) == 0, "mkdir " + rel); }

void CTestTree::File(const std::string& rel, const std::string& content) const {
    const int fd = open(Path(rel).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    Check(fd >= 0, "create " + rel);
    Check(write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()), "write " + rel);
    close(fd);
}

void CTestTree::Link(const std::string& target, const std::string& rel) const {
    Check(symlink(target.c_str(), Path(rel).c_str()) == 0, "symlink " + rel);
}

void CTestTree::DeepChain(const std::string& rel, const std::string& name, int depth,
                          const std::string& leafFile) const {
    int fd = open(Path(rel).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(fd >= 0, "open " + rel);
    for (int i = 0; i < depth; ++i) {
        Check(mkdirat(fd, name.c_str(), 0755) == 0, "mkdirat");
        const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = child;
        Check(fd >= 0, "openat");
    }
    const int leaf = openat(fd, leafFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    Check(leaf >= 0, "create leaf");
    close(leaf);
    close(fd);
}

QelStringArray Strings(std::initializer_list<const char16_t*> items) {
    QelStringArray out;
    for (const char16_t* s : items) out.Add(QelString(s));
    return out;
}

SearchOutcome Search(const QelString& root, const QelStringArray& names, const QelStringArray& exts,
                     const QelStringArray& folders, bool includeSub, IQelFileMngEventDelegate* delegate) {
    CTestFileMng mng;
    mng.SetEventDelegate(delegate);
    SearchOutcome out;
    mng.SearchFiles(root, out.files, out.folders, names, exts, folders, includeSub);
    return out;
}

SearchOutcome SearchWithOptions(const QelString& root, const QelStringArray& names, const QelStringArray& exts,
                                const QelStringArray& folders, const QelWalkOptions& options) {
    SearchOutcome out;
    const CQelSearchCriteria criteria(names, exts, folders);
    CQelSearchResults results(criteria, root, out.files, out.folders, nullptr);
    qel::WalkTree(root.ToFileName(), options, results);
    return out;
}

std::vector<std::string> Bytes(const QelStringArray& list) {
    std::vector<std::string> out;
    for (const QelString& s : list) out.push_back(s.ToFileName());
    return out;
}
