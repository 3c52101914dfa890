#include "QelRenameApply.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qel {

namespace {

constexpr std::size_t kMaxNameBytes = 255;

// A row below a renamed folder: newPath in place of the first oldLength characters.
void ReplacePathStart(QelResultRow& row, std::size_t oldLength, std::u16string_view newPath) {
    row.fullPath.replace(0, oldLength, newPath);
    row.pathLength = static_cast<std::uint32_t>(row.pathLength + newPath.size() - oldLength);
}

bool IsDirectoryItself(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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

class RuleRunner {
public:
    RuleRunner(QelResultRows& rows, const QelRenameObserver& observer) : m_rows(rows), m_observer(observer) {}

    void Run(const _tag_RenameRule& rule, std::size_t index) {
        QelResultRow& row = m_rows[index];
        Utf16ToBytes(row.fullPath, m_oldBytes);
        const bool isDirectory = rule.item == QelRenameItem::Folder && IsDirectoryItself(m_oldBytes);
        const std::optional<std::u16string> name = RenamedName(rule, row.Name(), isDirectory);
        if (!name || *name == row.Name()) return;

        // The folder part with its separator: a row right below "/" keeps one.
        std::u16string newPath(std::u16string_view(row.fullPath).substr(0, row.pathLength + 1));
        newPath.append(*name);
        int error = EINVAL;
        if (IsAcceptableName(*name)) {
            Utf16ToBytes(newPath, m_newBytes);
            error = RenameNoReplace(m_oldBytes.c_str(), m_newBytes.c_str());
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
    std::string m_oldBytes;  // reused for every row: no allocation per rename
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

int RenameNoReplace(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

QelRenameCounts ApplyRenameRules(const QelRenameRuleSet& rules, QelResultRows& rows,
                                 const QelRenameObserver& observer, const std::function<bool()>& keepGoing) {
    RuleRunner runner(rows, observer);
    for (const _tag_RenameRule& rule : rules) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (keepGoing && !keepGoing()) return runner.Counts();
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
