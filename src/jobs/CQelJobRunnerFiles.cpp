// The runner's copy, move and delete steps: the result window's operations,
// one log row per item.

#include "CQelJobRunner.h"
#include "QelResultOps.h"
#include "QelResultTargets.h"

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
    operation(rows, QelCopyMoveOptions{dest, false, m_searchRoot}, nullptr,
              [&](const QelResultRow& row, const QelString& target, const QelItemOutcome& outcome) {
                  Count(outcome.Succeeded());
                  Log(target, RowTail(texts, row, outcome.Succeeded()));
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
    qel::DeleteResultRows(rows, m_searchRoot, nullptr,
                          [this](const QelResultRow& row, const QelString& path, const QelItemOutcome& outcome) {
                              Count(outcome.Succeeded());
                              Log(path, RowTail(kDeleteTexts, row, outcome.Succeeded()));
                          });
}
