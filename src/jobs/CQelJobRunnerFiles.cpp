// The runner's copy, move and delete steps: the result window's operations,
// one log row per item.

#include "CQelJobRunner.h"
#include "QelResultOps.h"
#include "QelResultTargets.h"

namespace {

struct FileStepTexts {
    const char16_t* dryAction;
    const char16_t* fileDone;
    const char16_t* fileFailed;
    const char16_t* folderDone;
    const char16_t* folderFailed;
};
constexpr FileStepTexts kCopyTexts{u"Copy", u"Copy File Success", u"Copy File Failed", u"Copy Path Success",
                                   u"Copy Path Failed"};
constexpr FileStepTexts kMoveTexts{u"Move", u"Move File Success", u"Move File Failed", u"Move Path Success",
                                   u"Move Path Failed"};
constexpr FileStepTexts kDeleteTexts{u"Delete", u"Delete File Success", u"Delete File Failed", u"Delete Path Success",
                                     u"Delete Path Failed"};

const char16_t* RowTail(const FileStepTexts& texts, const QelResultRow& row, bool succeeded) {
    if (row.isFolder) return succeeded ? texts.folderDone : texts.folderFailed;
    return succeeded ? texts.fileDone : texts.fileFailed;
}

}  // namespace

void CQelJobRunner::Copy(const QelResultRows& rows, const QelString& dest) {
    if (m_options.dryRun) {
        for (const QelResultRow& row : rows)
            DryRun(kCopyTexts.dryAction, QelString(row.fullPath), qel::MakeTargetPath(dest, row.Name(), false));
        return;
    }
    qel::CopyResultRows(rows, {dest, false}, nullptr, [this](const QelResultRow& row, const QelString& target, bool ok) {
        Count(ok);
        Log(target, RowTail(kCopyTexts, row, ok));
    });
}

void CQelJobRunner::Move(const QelResultRows& rows, const QelString& dest) {
    if (m_options.dryRun) {
        for (const QelResultRow& row : rows)
            DryRun(kMoveTexts.dryAction, QelString(row.fullPath), qel::MakeTargetPath(dest, row.Name(), false));
        return;
    }
    qel::MoveResultRows(rows, {dest, false}, nullptr, [this](const QelResultRow& row, const QelString& target, bool ok) {
        Count(ok);
        Log(target, RowTail(kMoveTexts, row, ok));
    });
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
