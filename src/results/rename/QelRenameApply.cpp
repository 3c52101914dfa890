#include "QelRenameApply.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "QelBeneathRoot.h"

namespace qel {

namespace {

constexpr std::size_t kMaxNameBytes = 255;

// A row below a renamed folder: newPath in place of the first oldLength characters.
void ReplacePathStart(QelResultRow& row, std::size_t oldLength, std::u16string_view newPath) {
    row.fullPath.replace(0, oldLength, newPath);
    row.pathLength = static_cast<std::uint32_t>(row.pathLength + newPath.size() - oldLength);
}

bool IsDirectoryItself(int dirFd, const std::string& name) {
    struct stat st;
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Which rows lie below which: taken once, on the first folder rename, from
// the paths as they are then. Renames in place never change what lies below
// what, so the ranges stay right while the paths change.
class DescendantIndex {
public:
    explicit DescendantIndex(const QelResultRows& rows) : m_order(rows.size()) {
        m_paths.reserve(rows.size());
        for (const QelResultRow& row : rows) m_paths.push_back(row.fullPath);
        for (std::size_t i = 0; i < m_order.size(); ++i) m_order[i] = i;
        std::sort(m_order.begin(), m_order.end(), [this](std::size_t a, std::size_t b) { return m_paths[a] < m_paths[b]; });
    }

    // Calls visit with the index of every row below row (not row itself).
    template <typename Visit>
    void ForEachBelow(std::size_t row, Visit visit) const {
        // All paths beginning with "P/" lie between "P/" and "P0" ('0' follows '/').
        const std::u16string& path = m_paths[row];
        const auto first = LowerBound(path + u'/');
        const auto last = LowerBound(path + u'0');
        for (auto it = first; it != last; ++it) visit(*it);
    }

private:
    std::vector<std::size_t>::const_iterator LowerBound(const std::u16string& key) const {
        return std::lower_bound(m_order.begin(), m_order.end(), key,
                                [this](std::size_t index, const std::u16string& k) { return m_paths[index] < k; });
    }

    std::vector<std::u16string> m_paths;  // as they were when the index was taken
    std::vector<std::size_t> m_order;     // row indices sorted by those paths
};

// Where a planned rename would meet the disk: each row's path as it is on
// disk (a plan changes none), and the names the plan has given so far.
class RenamePlan {
public:
    explicit RenamePlan(const QelResultRows& rows) {
        m_diskPaths.reserve(rows.size());
        for (const QelResultRow& row : rows) m_diskPaths.push_back(row.fullPath);
    }
    const std::u16string& DiskPath(std::size_t row) const { return m_diskPaths[row]; }
    // 0 when row could take name in its folder dirFd, else the errno the rename would give.
    int Judge(std::size_t row, int dirFd, std::u16string_view name, const std::string& nameBytes) {
        const std::u16string& path = m_diskPaths[row];
        std::u16string target = path.substr(0, path.rfind(u'/') + 1).append(name);
        struct stat st;
        const int found = ::fstatat(dirFd, nameBytes.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? EEXIST : errno;
        if (found == EEXIST || !m_given.insert(std::move(target)).second) return EEXIST;
        return found == ENOENT ? 0 : found;
    }

private:
    std::vector<std::u16string> m_diskPaths;
    std::unordered_set<std::u16string> m_given;
};

class RuleRunner {
public:
    RuleRunner(QelResultRows& rows, const QelRenameObserver& observer, const std::string& searchRoot,
               QelRenameOptions options)
        : m_rows(rows), m_observer(observer), m_root(searchRoot) {
        if (options.dryRun) m_plan = std::make_unique<RenamePlan>(rows);
    }

    void Run(const _tag_RenameRule& rule, std::size_t index) {
        QelResultRow& row = m_rows[index];
        // A plan renames nothing, so the row is still where it was found.
        std::u16string_view folder = row.Path();
        std::u16string_view oldName = row.Name();
        if (m_plan) {
            const std::u16string_view disk = m_plan->DiskPath(index);
            const std::size_t cut = disk.rfind(u'/');
            folder = disk.substr(0, cut);
            oldName = disk.substr(cut + 1);
        }
        // The row's folder, found below the search root without following a link.
        Utf16ToBytes(folder, m_folderBytes);
        int error = 0;
        const int dirFd = m_root.OpenFolder(m_folderBytes, error);
        Utf16ToBytes(oldName, m_oldBytes);
        // A row that cannot be reached is taken for what it was listed as, so its failure is counted.
        const bool isDirectory = rule.item == QelRenameItem::Folder &&
                                 (dirFd < 0 ? row.isFolder : IsDirectoryItself(dirFd, m_oldBytes));
        const std::optional<std::u16string> name = RenamedName(rule, row.Name(), isDirectory);
        if (!name || *name == row.Name()) return;

        // The folder part with its separator: a row right below "/" keeps one.
        std::u16string newPath(std::u16string_view(row.fullPath).substr(0, row.pathLength + 1));
        newPath.append(*name);
        if (dirFd >= 0 && !IsAcceptableName(*name)) {
            error = EINVAL;
        } else if (dirFd >= 0 && m_plan) {
            Utf16ToBytes(*name, m_newBytes);
            error = m_plan->Judge(index, dirFd, *name, m_newBytes);
        } else if (dirFd >= 0) {
            Utf16ToBytes(*name, m_newBytes);
            error = ::renameat2(dirFd, m_oldBytes.c_str(), dirFd, m_newBytes.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
        }
        if (m_observer) m_observer(_tag_RenameEvent{rule, index, row.fullPath, newPath, error});
        if (error != 0) {
            ++m_counts.failed;
            return;
        }
        ++m_counts.succeeded;
        if (row.isFolder) MoveRowsBelow(index, row.fullPath.size(), newPath);
        row.fullPath = std::move(newPath);
    }

    const QelRenameCounts& Counts() const { return m_counts; }

private:
    static void Utf16ToBytes(std::u16string_view text, std::string& out) {
        out.clear();
        AppendUtf16AsUtf8(out, text);
    }

    // The rows below the renamed folder take its new path in place of the old one.
    void MoveRowsBelow(std::size_t index, std::size_t oldLength, const std::u16string& newPath) {
        if (!m_index) m_index = std::make_unique<DescendantIndex>(m_rows);
        m_index->ForEachBelow(index, [&](std::size_t below) {
            ReplacePathStart(m_rows[below], oldLength, newPath);
        });
    }

    QelResultRows& m_rows;
    const QelRenameObserver& m_observer;
    QelRenameCounts m_counts;
    std::unique_ptr<DescendantIndex> m_index;
    std::unique_ptr<RenamePlan> m_plan;  // only when planning
    QelBeneathRoot m_root;
    std::string m_folderBytes;  // reused for every row: no allocation per rename
    std::string m_oldBytes;
    std::string m_newBytes;
};

}  // namespace

bool IsAcceptableName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    if (name.find(u'/') != std::u16string_view::npos || name.find(u'\0') != std::u16string_view::npos) return false;
    std::string bytes;
    AppendUtf16AsUtf8(bytes, name);
    return bytes.size() <= kMaxNameBytes;
}

QelRenameCounts ApplyRenameRules(const QelRenameRuleSet& rules, QelResultRows& rows,
                                 const QelRenameObserver& observer, const QelString& searchRoot,
                                 QelRenameOptions options) {
    RuleRunner runner(rows, observer, searchRoot.ToFileName(), options);
    for (const _tag_RenameRule& rule : rules) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (options.keepGoing && !options.keepGoing()) return runner.Counts();
            runner.Run(rule, i);
        }
    }
    return runner.Counts();
}

void FollowFolderRename(QelResultRows& rows, std::u16string_view oldPath, std::u16string_view newPath) {
    for (QelResultRow& row : rows) {
        const std::u16string_view path(row.fullPath);
        if (path.size() <= oldPath.size() || !path.starts_with(oldPath) || path[oldPath.size()] != u'/') continue;
        ReplacePathStart(row, oldPath.size(), newPath);
    }
}

}  // namespace qel
