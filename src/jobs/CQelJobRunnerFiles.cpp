// The runner's copy, move, delete and trash steps: the result window's operations,
// one log row per item, chained so that no step of a run moves or deletes an
// item an earlier copy or move of the same run failed on.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CQelJobRunner.h"
#include "CQelJobRunnerItems.h"
#include "QelResultOps.h"
#include "QelResultTargets.h"
#include "QelTrash.h"

struct CQelJobRunner::FileStepTexts {
    const char16_t* dryAction;
    const char16_t* fileDone;
    const char16_t* fileFailed;
    const char16_t* folderDone;
    const char16_t* folderFailed;
    const char16_t* withFolder;  // an item gone with a folder row of the same step; nullptr for copy
    const char16_t* skipped;     // an item an earlier step failed on; nullptr: copy is never skipped
    const char16_t* drySkip;
    bool merges;  // a folder copied onto a folder merges into it
};

namespace {

using FileStepTexts = CQelJobRunner::FileStepTexts;

constexpr FileStepTexts kCopyTexts{u"Copy",
                                   u"Copy File Success",
                                   u"Copy File Failed",
                                   u"Copy Path Success",
                                   u"Copy Path Failed",
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   true};
constexpr FileStepTexts kMoveTexts{u"Move",
                                   u"Move File Success",
                                   u"Move File Failed",
                                   u"Move Path Success",
                                   u"Move Path Failed",
                                   u"Moved With Its Folder",
                                   u"Move Skipped: an earlier step failed",
                                   u"Skip Move",
                                   false};
constexpr FileStepTexts kDeleteTexts{u"Delete",
                                     u"Delete File Success",
                                     u"Delete File Failed",
                                     u"Delete Path Success",
                                     u"Delete Path Failed",
                                     u"Deleted With Its Folder",
                                     u"Delete Skipped: an earlier step failed",
                                     u"Skip Delete",
                                     false};
constexpr FileStepTexts kTrashTexts{u"Trash",
                                    u"Trash File Success",
                                    u"Trash File Failed",
                                    u"Trash Path Success",
                                    u"Trash Path Failed",
                                    u"Trashed With Its Folder",
                                    u"Trash Skipped: an earlier step failed",
                                    u"Skip Trash",
                                    false};

const char16_t* RowTail(const FileStepTexts& texts, const QelResultRow& row, bool succeeded) {
    if (row.isFolder) return succeeded ? texts.folderDone : texts.folderFailed;
    return succeeded ? texts.fileDone : texts.fileFailed;
}

bool IsGone(std::u16string_view path) {
    struct stat st;
    return ::lstat(QelString(path).ToFileName().c_str(), &st) != 0 && errno == ENOENT;
}

bool IsRealFolder(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The first entry below source ("/name/...") that a folder in layers already
// holds, where the two are not both folders; empty when there is none.
std::string FirstClash(const std::string& source, const std::vector<std::string>& layers) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::recursive_directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
        const std::string rel = it->path().native().substr(source.size());
        const bool folder = it->is_directory(error) && !it->is_symlink(error);
        for (const std::string& layer : layers) {
            struct stat st;
            if (::lstat((layer + rel).c_str(), &st) == 0 && !(folder && S_ISDIR(st.st_mode))) return rel;
        }
    }
    return {};
}

// The folder rows a move or delete step has handled so far, with where each
// went, so the rows below them (folders come first) count as handled too
// instead of failing on a path that is no longer there.
class CHandledFolders {
public:
    void Add(const std::u16string& source, std::u16string_view target) { m_targets.emplace(source, target); }
    // Where path went with a handled folder above it; empty when below none.
    std::u16string WentTo(std::u16string_view path) const {
        if (m_targets.empty()) return {};
        for (std::size_t cut = path.rfind(u'/'); cut != std::u16string_view::npos && cut > 0;
             cut = path.rfind(u'/', cut - 1)) {
            const auto found = m_targets.find(std::u16string(path.substr(0, cut)));
            if (found != m_targets.end()) return found->second + std::u16string(path.substr(cut));
        }
        return {};
    }

private:
    std::unordered_map<std::u16string, std::u16string> m_targets;
};

}  // namespace

// One copy, move or delete step over its rows.
class CQelJobRunner::FileStep {
public:
    // dest: the destination of a copy or move; nullptr for delete.
    FileStep(CQelJobRunner& runner, const FileStepTexts& texts, const QelString* dest)
        : m_runner(runner), m_texts(texts), m_dest(dest) {}

    void Run(const QelResultRows& rows, const RowsAct& act) {
        // Most steps skip nothing: the rows then go as they are, without a copy.
        if (!m_texts.skipped || m_runner.m_failedItems.empty()) return RunSome(rows, act);
        QelResultRows some;
        for (const QelResultRow& row : rows) {
            if (m_runner.Stopped()) return;
            if (!m_runner.m_failedItems.contains(row.fullPath)) {
                some.push_back(row);
                continue;
            }
            RunSome(some, act);
            some.clear();
            Skip(row);
        }
        RunSome(some, act);
    }

private:
    void RunSome(const QelResultRows& rows, const RowsAct& act) {
        if (rows.empty()) return;
        if (!m_runner.m_options.dryRun) {
            const QelResultRowObserver done = [this](const QelResultRow& row, const QelString& target,
                                                     const QelItemOutcome& outcome) {
                Done(row, target, outcome.Succeeded());
            };
            if (!m_runner.m_options.keepGoing) return act(rows, done);
            // One row at a time, so that a stop falls between two items.
            for (const QelResultRow& row : rows) {
                if (m_runner.Stopped()) return;
                act(QelResultRows{row}, done);
            }
            return;
        }
        for (const QelResultRow& row : rows) {
            if (!m_dest) {
                Predicted(row, QelString(row.fullPath), QelString());
                continue;
            }
            const QelString target = qel::MakeTargetPath(*m_dest, row.Name(), false);
            Predicted(row, target, Obstacle(row, target));
        }
    }

    void Skip(const QelResultRow& row) {
        if (m_runner.m_options.dryRun)
            return m_runner.DryRun(m_texts.drySkip, QelString(row.fullPath), QelString(),
                                   u": an earlier step would fail", false);
        m_runner.Count(false);
        m_runner.Log(QelString(row.fullPath), m_texts.skipped);
    }

    void Done(const QelResultRow& row, const QelString& target, bool ok) {
        if (!ok && m_texts.withFolder) {
            const std::u16string wentTo = m_handled.WentTo(row.fullPath);
            if (!wentTo.empty() && IsGone(row.fullPath)) {
                m_runner.Count(true);
                return m_runner.Log(QelString(wentTo), m_texts.withFolder);
            }
        }
        Record(row, target, ok);
        m_runner.Count(ok);
        m_runner.Log(target, RowTail(m_texts, row, ok));
    }

    // A dry run's row: reason is why the real run would fail, empty when it would not.
    void Predicted(const QelResultRow& row, const QelString& target, const QelString& reason) {
        const QelString item(row.fullPath);
        const QelString shownTarget = m_dest ? target : QelString();
        const std::u16string wentTo = m_texts.withFolder ? m_handled.WentTo(row.fullPath) : std::u16string();
        if (!wentTo.empty())
            return m_runner.DryRun(m_texts.dryAction, item, QelString(wentTo), u" with its folder", true);
        Record(row, target, reason.IsEmpty());
        if (reason.IsEmpty()) return m_runner.DryRun(m_texts.dryAction, item, shownTarget, u"", true);
        m_runner.DryRun(m_texts.dryAction, item, shownTarget, QelString(u" - would fail: ").Append(reason).view(),
                        false);
    }

    void Record(const QelResultRow& row, const QelString& target, bool ok) {
        if (!ok)
            m_runner.m_failedItems.insert(row.fullPath);
        else if (row.isFolder && m_texts.withFolder)
            m_handled.Add(row.fullPath, target.view());
    }

    // Why a copy or move of row to target would fail: the name is there
    // already or an earlier row of the step takes it, unless a folder copy
    // merges into that folder without meeting an entry of the same name.
    // Empty when nothing stands in the way.
    QelString Obstacle(const QelResultRow& row, const QelString& target) {
        const std::string targetBytes = target.ToFileName();
        struct stat st;
        const bool there = ::lstat(targetBytes.c_str(), &st) == 0;
        if (!there && errno != ENOENT) return QelString::FromUtf8(std::strerror(errno));
        const auto [claim, fresh] = m_claimed.try_emplace(targetBytes);
        const std::string source = QelString(row.fullPath).ToFileName();
        if (!(m_texts.merges && row.isFolder && IsRealFolder(source))) {
            if (!fresh) return QelString(u"an earlier item takes the same target");
            claim->second.file = true;
            return there ? QelString::FromUtf8(std::strerror(EEXIST)) : QelString();
        }
        if (claim->second.file) return QelString(u"an earlier item takes the same target");
        if (there && !S_ISDIR(st.st_mode)) return QelString::FromUtf8(std::strerror(EEXIST));
        std::vector<std::string> layers = claim->second.folders;
        if (there) layers.push_back(targetBytes);
        const std::string clash = FirstClash(source, layers);
        if (!clash.empty())
            return QelString::FromFileName(targetBytes + clash)
                .Append(u": ")
                .Append(QelString::FromUtf8(std::strerror(EEXIST)));
        claim->second.folders.push_back(source);
        return QelString();
    }

    CQelJobRunner& m_runner;
    const FileStepTexts& m_texts;
    const QelString* m_dest;
    CHandledFolders m_handled;
    // Dry run: the targets of the rows so far, each taken by a file (or a
    // folder that cannot merge) or by the folders copied into it.
    struct Claim {
        bool file = false;
        std::vector<std::string> folders;
    };
    std::unordered_map<std::string, Claim> m_claimed;
};

void CQelJobRunner::FailAllItems(const Json::Value& model) {
    for (QelResultRow& row : qel::JobRows(model, qel::QelJobOrder::FoldersFirst))
        m_failedItems.insert(std::move(row.fullPath));
}

void CQelJobRunner::Copy(const QelResultRows& rows, const QelString& dest) {
    FileStep(*this, kCopyTexts, &dest)
        .Run(rows, [this, &dest](const QelResultRows& some, const QelResultRowObserver& observer) {
            qel::CopyResultRows(some, QelCopyMoveOptions{dest, false, m_searchRoot}, nullptr, observer);
        });
}

void CQelJobRunner::Move(const QelResultRows& rows, const QelString& dest) {
    FileStep(*this, kMoveTexts, &dest)
        .Run(rows, [this, &dest](const QelResultRows& some, const QelResultRowObserver& observer) {
            qel::MoveResultRows(some, QelCopyMoveOptions{dest, false, m_searchRoot}, nullptr, observer);
        });
}

void CQelJobRunner::Delete(const QelResultRows& rows) {
    FileStep(*this, kDeleteTexts, nullptr)
        .Run(rows, [this](const QelResultRows& some, const QelResultRowObserver& observer) {
            qel::DeleteResultRows(some, m_searchRoot, nullptr, observer);
        });
}

// Into the desktop's Trash; an item where there is none fails and stays.
void CQelJobRunner::Trash(const QelResultRows& rows) {
    FileStep(*this, kTrashTexts, nullptr)
        .Run(rows, [this](const QelResultRows& some, const QelResultRowObserver& observer) {
            std::string reason;
            for (const QelResultRow& row : some) {
                const bool ok = qel::MoveRowToTrash(row, m_searchRoot, reason);
                observer(row, QelString(row.fullPath), QelItemOutcome{ok ? 0 : EIO});
            }
        });
}
