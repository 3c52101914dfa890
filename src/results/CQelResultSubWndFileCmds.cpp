// The Copy, Move, Delete and Trash commands of the result window, on every
// row (the buttons) or on the selected rows (the context menu): the question
// or the destination dialog naming the count, then the rows one at a time
// inside the operation frame, each row's outcome in its Status cell. Stop and
// Escape end the run after the row under way, so no item is left half done.
#include <QPushButton>

#include "CDlgDestSelect.h"
#include "CQelFileMng.h"
#include "CQelLogMng.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "IQelResultSubWndDelegate.h"
#include "QelQtConvert.h"
#include "QelResultOps.h"
#include "QelResultRecord.h"
#include "QelTrash.h"

namespace {

struct CommandTexts {
    const char16_t* progress;
    const char16_t* complete;
    const char16_t* stopped;
};

constexpr CommandTexts kTexts[] = {
    {u"Copy [%d/%d] Process", u"Result Copy to Dest Complete!", u"Result Copy to Dest Stopped!"},
    {u"Move [%d/%d] Process", u"Result Move to Dest Complete!", u"Result Move to Dest Stopped!"},
    {u"Delete [%d/%d] Process", u"Result Delete Complete!", u"Result Delete Stopped!"},
    {u"Trash [%d/%d] Process", u"Result Trash Complete!", u"Result Trash Stopped!"},
};

QString Items(std::size_t count) {
    return count == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(count);
}

QString FailureText(const QString& reason) {
    return QStringLiteral("Failed: ") + (reason.isEmpty() ? QStringLiteral("unknown reason") : reason);
}

}  // namespace

// What one row's run left behind: its Status text and whether its item is gone.
struct CQelResultSubWnd::RowOutcome {
    bool succeeded = false;
    QString text;
    bool gone = false;
};

void CQelResultSubWnd::ConnectFileCommands() {
    connect(GetCommandButton(kCopy), &QPushButton::clicked, this, [this] { OnCopyOrMove(false); });
    connect(GetCommandButton(kMove), &QPushButton::clicked, this, [this] { OnCopyOrMove(true); });
    connect(GetCommandButton(kDelete), &QPushButton::clicked, this, [this] { OnDelete(); });
}

std::vector<std::size_t> CQelResultSubWnd::AllRowIndexes() const {
    std::vector<std::size_t> indexes(m_listModel ? m_listModel->Rows().size() : 0);
    for (std::size_t i = 0; i < indexes.size(); ++i) indexes[i] = i;
    return indexes;
}

void CQelResultSubWnd::OnCopyOrMove(bool move) { CopyOrMoveRows(move, AllRowIndexes()); }

void CQelResultSubWnd::OnDelete() { DeleteRows(AllRowIndexes(), QStringLiteral("found")); }

void CQelResultSubWnd::CopyOrMoveRows(bool move, const std::vector<std::size_t>& indexes) {
    if (m_busy || indexes.empty()) return;  // a click that arrived while an operation pumped events
    CDlgDestSelect dialog(this);
    dialog.SetTitleText(QStringLiteral("%1 (%2)")
                            .arg(move ? QStringLiteral("Please specify a path to move.")
                                      : QStringLiteral("Please specify a path to copy."),
                                 Items(indexes.size())));
    if (dialog.exec() != QDialog::Accepted) return;
    const QelCopyMoveOptions options{dialog.GetDestination(), dialog.GetMakeUniqueName(), qel::ResultSearchRoot(m_model)};
    CQelLogMng::GetInstance()->Write(move ? u"Move Path:%s, Make UniqueName:%s" : u"Copy Path:%s, Make UniqueName:%s",
                                     options.destination, options.makeUniqueName ? u"true" : u"false");
    RunOperationWithDetail([&] { return RunFileCommand(move ? FileCommand::kMove : FileCommand::kCopy, indexes, options); });
}

// Deleting asks first, offering the Trash as the default: one click must
// never remove the user's files for good.
void CQelResultSubWnd::DeleteRows(const std::vector<std::size_t>& indexes, const QString& which) {
    if (m_busy || indexes.empty()) return;
    const QString question = indexes.size() == 1
                                 ? QStringLiteral("Move the 1 %1 item to the Trash?").arg(which)
                                 : QStringLiteral("Move the %1 %2 items to the Trash?").arg(indexes.size()).arg(which);
    const CQelMessageBox::Answer answer = CQelMessageBox::AskWithAlternative(
        this, question, QStringLiteral("Move to Trash"), QStringLiteral("Delete Permanently"));
    if (answer == CQelMessageBox::Answer::No) return;
    const FileCommand command = answer == CQelMessageBox::Answer::Yes ? FileCommand::kTrash : FileCommand::kDelete;
    // Delete and Trash take only the search root from the options.
    const QelCopyMoveOptions options{QelString(), false, qel::ResultSearchRoot(m_model)};
    RunOperationWithDetail([&] { return RunFileCommand(command, indexes, options); });
}

void CQelResultSubWnd::RequestOperationStop() {
    if (m_running) m_stopRequested = true;
}

void CQelResultSubWnd::BeginStoppable() {
    m_running = true;
    m_stopRequested = false;
    m_stopButton->show();
    if (m_delegate) m_delegate->onStoppableWork(true);
}

bool CQelResultSubWnd::EndStoppable() {
    if (m_delegate) m_delegate->onStoppableWork(false);
    m_stopButton->hide();
    m_running = false;
    m_listModel->ShowOutcomes();
    return m_stopRequested;
}

// One row at a time through the shared operations, so that a stop falls
// between two rows and each row's outcome is known on its own.
CQelResultSubWnd::OperationNotice CQelResultSubWnd::RunFileCommand(FileCommand command,
                                                                   const std::vector<std::size_t>& indexes,
                                                                   const QelCopyMoveOptions& options) {
    const CommandTexts& texts = kTexts[static_cast<int>(command)];
    const int total = static_cast<int>(indexes.size());
    int succeeded = 0, failed = 0, done = 0;
    BeginStoppable();
    for (; done < total && !m_stopRequested; ++done) {
        const std::size_t index = indexes[static_cast<std::size_t>(done)];
        const QelResultRows one{m_listModel->Rows()[index]};
        const RowOutcome outcome = RunOnRow(command, one, options);
        m_listModel->SetOutcome(index, outcome.text, outcome.gone);
        if (outcome.succeeded) ++succeeded;
        else ++failed;
        if (m_delegate) {
            m_delegate->onNotifyEvent(u"MSG", QelString::Formatted(texts.progress, done, total),
                                      QelString::Formatted(u" Succces:%d, Failed:%d", succeeded, failed));
        }
        CQelFileMng::PumpDialogMessages();  // Stop and Escape get their turn here
    }
    EndStoppable();
    const bool stopped = done < total;
    QelString detail = QelString::Formatted(u" Succces:%d, Failed:%d", succeeded, failed);
    if (stopped) detail.Append(QelString::Formatted(u", Not done:%d", total - done));
    return OperationNotice{QelString(stopped ? texts.stopped : texts.complete), detail};
}

CQelResultSubWnd::RowOutcome CQelResultSubWnd::RunOnRow(FileCommand command, const QelResultRows& one,
                                                        const QelCopyMoveOptions& options) {
    RowOutcome outcome;
    if (command == FileCommand::kTrash) {
        std::string reason;
        outcome.succeeded = qel::MoveRowToTrash(one.front(), options.searchRoot, reason);
        outcome.text = outcome.succeeded ? QStringLiteral("In Trash") : FailureText(QString::fromStdString(reason));
        outcome.gone = outcome.succeeded;
        return outcome;
    }
    QelString target;
    QelItemOutcome result;
    const QelResultRowObserver observer = [&](const QelResultRow&, const QelString& to, const QelItemOutcome& told) {
        result = told;
        outcome.succeeded = told.Succeeded();
        target = to;
    };
    switch (command) {
        case FileCommand::kCopy: qel::CopyResultRows(one, options, nullptr, observer); break;
        case FileCommand::kMove: qel::MoveResultRows(one, options, nullptr, observer); break;
        default: qel::DeleteResultRows(one, options.searchRoot, nullptr, observer); break;
    }
    if (!outcome.succeeded) {
        outcome.text = FailureText(ToQString(result.Reason()));
        return outcome;
    }
    outcome.gone = command != FileCommand::kCopy;
    switch (command) {
        case FileCommand::kCopy: outcome.text = QStringLiteral("Copied"); break;
        case FileCommand::kMove: outcome.text = QStringLiteral("Moved to ") + ToQString(target); break;
        default: outcome.text = QStringLiteral("Deleted"); break;
    }
    return outcome;
}
