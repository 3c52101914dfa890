// The runner's copy, move, delete and trash steps: the result window's operations,
// one log row per item.

#include "CQelJobRunner.h"
#include "QelResultOps.h"
#include "QelResultTargets.h"
#include "QelTrash.h"

struct CQelJobRunner::FileStepTexts {
    const char16_t* dryAction;
    const char16_t* fileDone;
    const char16_t* fileFailed;
    const char16_t* folderDone;
    const char16_t* folderFailed;
};

namespace {

using FileStepTexts = CQelJobRunner::FileStepTexts;

constexpr FileStepTexts kCopyTexts{u"Copy", u"Copy File Success", u"Copy File Failed", u"Copy Path Success",
                                   u"Copy Path Failed"};
constexpr FileStepTexts kMoveTexts{u"Move", u"Move File Success", u"Move File Failed", u"Move Path Success",
                                   u"Move Path Failed"};
constexpr FileStepTexts kDeleteTexts{u"Delete", u"Delete File Success", u"Delete File Failed", u"Delete Path Success",
                                     u"Delete Path Failed"};
constexpr FileStepTexts kTrashTexts{u"Trash", u"Trash File Success", u"Trash File Failed", u"Trash Path Success",
                                    u"Trash Path Failed"};

const char16_t* RowTail(const FileStepTexts& texts, const QelResultRow& row, bool succeeded) {
    if (row.isFolder) return succeeded ? texts.folderDone : texts.folderFailed;
    return succeeded ? texts.fileDone : texts.fileFailed;
}

}  // namespace

template <typename Operation>
void CQelJobRunner::CopyOrMove(const QelResultRows& rows, const QelString& dest, const FileStepTexts& texts,
                               Operation operation) {
    if (m_options.dryRun) {
        for (const QelResultRow& row : rows)
            DryRun(texts.dryAction, QelString(row.fullPath), qel::MakeTargetPath(dest, row.Name(), false));
        return;
    }
    operation(rows, QelCopyMoveOptions{dest, false}, nullptr,
              [&](const QelResultRow& row, const QelString& target, bool ok) {
                  Count(ok);
                  Log(target, RowTail(texts, row, ok));
              });
}

void CQelJobRunner::Copy(const QelResultRows& rows, const QelString& dest) {
    CopyOrMove(rows, dest, kCopyTexts, qel::CopyResultRows);
}

void CQelJobRunner::Move(const QelResultRows& rows, const QelString& dest) {
    CopyOrMove(rows, dest, kMoveTexts, qel::MoveResultRows);
}

void CQelJobRunner::Delete(const QelResultRows& rows) {
    if (m_options.dryRun) {
        for (const QelResultRow& row : rows) DryRun(kDeleteTexts.dryAction, QelString(row.fullPath), QelString());
        return;
    }
    qel::DeleteResultRows(rows, nullptr, [this](const QelResultRow& row, const QelString& path, bool ok) {
        Count(ok);
        Log(path, RowTail(kDeleteTexts, row, ok));
    });
}

// Into the desktop's Trash; an item where there is none fails and stays.
void CQelJobRunner::Trash(const QelResultRows& rows) {
    for (const QelResultRow& row : rows) {
        if (m_options.dryRun) {
            DryRun(kTrashTexts.dryAction, QelString(row.fullPath), QelString());
            continue;
        }
        std::string reason;
        const bool ok = qel::MoveRowToTrash(row, reason);
        Count(ok);
        Log(QelString(row.fullPath), RowTail(kTrashTexts, row, ok));
    }
}
