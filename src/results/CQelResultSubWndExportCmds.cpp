// The result window's Rename, Save TXT and Save Excel commands. Each works on
// every row in list order, inside the operation frame.
#include <QPushButton>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>
#include <cstring>

#include "CDlgReaNameRule.h"
#include "CQelDirMng.h"
#include "CQelLogMng.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "CQelWinUtilFunc.h"
#include "IQelProgramLauncher.h"
#include "QelExportFile.h"
#include "QelListWorkbook.h"
#include "QelPath.h"
#include "QelQtConvert.h"
#include "QelRenameApply.h"
#include "QelResultListText.h"
#include "QelResultRecord.h"

namespace {

constexpr auto kPumpInterval = std::chrono::milliseconds(30);
constexpr std::size_t kRenamePreviewRows = 20;  // the rule editor shows what becomes of these
const char16_t* const kExcelNotRegistered = u"Could not start Excel, which might not be properly registered.";

// Lets the window paint now and then during a long rename, never per row.
class ThrottledPump {
public:
    void operator()() {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last < kPumpInterval) return;
        m_last = now;
        CQelWinUtilFunc::GetInstance()->PumpMessages();
    }

private:
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// The program's folder for name, created when missing; empty when there is none.
QelString ExportFolder(const char16_t* name) {
    const QelString folder = CQelDirMng::GetInstance()->GetPathInModuleDir(name);
    if (!folder.IsEmpty()) qel::MakeDirectoryChain(folder);
    return folder;
}

// The notice's second text: where an export went.
QelString SavedAs(const QelString& path) { return QelString::Formatted(u" Saved as \"%s\"", path); }

QelString ResultStem() { return qel::DatedExportStem(qel::NowLocal(), u"Result"); }

void ShowWriteFailure(QWidget* parent, const QelString& path, const QString& reason) {
    CQelMessageBox::Show(parent, QStringLiteral("Could not write \"%1\": %2").arg(ToQString(path), reason),
                         CQelMessageBox::Kind::Error);
}

}  // namespace

void CQelResultSubWnd::ConnectExportCommands() {
    connect(GetCommandButton(kRename), &QPushButton::clicked, this, &CQelResultSubWnd::OnRename);
    connect(GetCommandButton(kSaveExcel), &QPushButton::clicked, this, &CQelResultSubWnd::OnSaveExcel);
    connect(GetCommandButton(kSaveTxt), &QPushButton::clicked, this, &CQelResultSubWnd::OnSaveTxt);
}

IQelProgramLauncher& CQelResultSubWnd::Launcher() const {
    return m_launcher ? *m_launcher : qel::DesktopProgramLauncher();
}

void CQelResultSubWnd::OpenWithRegisteredProgram(const QelString& extension, const QelString& file) {
    const QelString program = Launcher().FindProgram(extension);
    if (program.IsEmpty()) {
        CQelMessageBox::Show(this, QStringLiteral("No registered programs found."));
        return;
    }
    if (!Launcher().Open(program, file)) {
        CQelMessageBox::Show(this, ToQString(QelString::Formatted(u"\"%s\" Failed to run the registered program.", extension)),
                             CQelMessageBox::Kind::Warning);
    }
}

void CQelResultSubWnd::OnRename() { RenameRows(AllRowIndexes()); }

void CQelResultSubWnd::RenameRows(const std::vector<std::size_t>& indexes) {
    if (IsBusy() || !m_listModel || indexes.empty()) return;
    CDlgReaNameRule dialog(this);
    const QelResultRows& all = m_listModel->Rows();
    QelResultRows preview;
    for (std::size_t k = 0; k < std::min(indexes.size(), kRenamePreviewRows); ++k) preview.push_back(all[indexes[k]]);
    dialog.SetPreview(std::move(preview), QStringLiteral("Rename"));
    if (dialog.exec() != QDialog::Accepted) return;
    const QelRenameRuleSet rules = qel::RenameRulesFromJson(dialog.GetRuleSet());
    RunOperationWithDetail([&] {
        // Items, not rename attempts, are counted: a row counts as failed
        // when any rule failed on it, else as renamed when one renamed it.
        std::vector<int> errors(indexes.size(), -1);  // -1 untouched, 0 renamed, else the first errno
        ThrottledPump pump;
        const QelRenameObserver observe = [&](const _tag_RenameEvent& event) {
            int& error = errors[event.row];
            if (error <= 0) error = event.error;
        };
        // Stop and Escape get their turn between two renames.
        QelRenameOptions options;
        options.keepGoing = [&] {
            pump();
            return !m_stopRequested;
        };
        const QelString root = qel::ResultSearchRoot(m_model);
        BeginStoppable();
        m_listModel->EditRows([&](QelResultRows& rows) {
            if (indexes.size() == rows.size()) {
                qel::ApplyRenameRules(rules, rows, observe, root, options);
                return;
            }
            QelResultRows chosen;
            chosen.reserve(indexes.size());
            for (const std::size_t i : indexes) chosen.push_back(rows[i]);
            qel::ApplyRenameRules(rules, chosen, observe, root, options);
            for (std::size_t k = 0; k < indexes.size(); ++k) {
                QelResultRow& row = rows[indexes[k]];
                if (row.fullPath == chosen[k].fullPath) continue;
                if (row.isFolder) qel::FollowFolderRename(rows, row.fullPath, chosen[k].fullPath);
                row = std::move(chosen[k]);
            }
        });
        int renamed = 0, failed = 0;
        for (std::size_t k = 0; k < errors.size(); ++k) {
            if (errors[k] < 0) continue;
            if (errors[k] == 0) ++renamed;
            else ++failed;
            m_listModel->SetOutcome(indexes[k],
                                    errors[k] == 0 ? QStringLiteral("Renamed")
                                                   : QStringLiteral("Failed: ") + ToQString(qel::ReasonText(errors[k])),
                                    false);
        }
        const bool stopped = EndStoppable();
        return OperationNotice{QelString(stopped ? u"Result Rename Stopped!" : u"Result Rename Complete!"),
                               QelString::Formatted(u" Succces:%d, Failed:%d", renamed, failed)};
    });
}

void CQelResultSubWnd::OnSaveTxt() {
    if (IsBusy() || !m_listModel) return;
    RunOperationWithDetail([this] {
        const QelResultRows& rows = m_listModel->Rows();
        CQelLogMng* log = CQelLogMng::GetInstance();
        qel::QelLineSink logLine;
        if (log->IsEnabled()) logLine = [log](std::u16string_view line) { log->Write(u"%s", line); };
        const auto pathAt = [&rows](std::size_t i) { return std::u16string_view(rows[i].fullPath); };
        const auto content = [&](const qel::QelTextSink& write) {
            return qel::ProduceResultListText(rows.size(), pathAt, write, logLine);
        };
        QelString path;
        const int error = qel::WriteNewFile(ExportFolder(u"user"), ResultStem(), u".txt", content, path);
        if (error != 0) {
            ShowWriteFailure(this, path, QString::fromLocal8Bit(std::strerror(error)));
            return OperationNotice{QelString(u"Result List TXT Make Failed!"), QelString(u"")};
        }
        OpenWithRegisteredProgram(u".txt", path);
        return OperationNotice{QelString(u"Result List TXT Make Complete!"), SavedAs(path)};
    });
}

// The workbook is always written, into "user" beside the text lists, and
// then opened; without a spreadsheet program the user is told where it is.
void CQelResultSubWnd::OnSaveExcel() {
    if (IsBusy() || !m_listModel) return;
    RunOperationWithDetail([this] {
        const QelResultRows& rows = m_listModel->Rows();
        QelString path;
        std::string reason;
        const auto write = [&rows, &reason](const std::string& privatePath) {
            return qel::WriteListWorkbook(
                QelString::FromFileName(privatePath), rows.size(),
                [&rows](std::size_t i) { return std::u16string_view(rows[i].fullPath); }, {}, &reason);
        };
        const int error = qel::WriteNewFileByName(ExportFolder(u"user"), ResultStem(), u".xlsx", write, path);
        if (error > 0) reason = std::strerror(error);
        if (!reason.empty()) {
            ShowWriteFailure(this, path, QString::fromStdString(reason));
            return OperationNotice{QelString(u"Result List Excel Send Failed!"), QelString(u"")};
        }
        const QelString program = Launcher().FindProgram(u".xlsx");
        if (program.IsEmpty()) {
            CQelMessageBox::Show(this,
                                 QStringLiteral("The workbook was saved as \"%1\".\n"
                                                "No program is registered to open .xlsx files.")
                                     .arg(ToQString(path)));
        } else if (!Launcher().Open(program, path)) {
            CQelMessageBox::Show(this,
                                 QStringLiteral("The workbook was saved as \"%1\", but %2")
                                     .arg(ToQString(path), ToQString(kExcelNotRegistered)),
                                 CQelMessageBox::Kind::Error, QStringLiteral("Error!"));
        }
        return OperationNotice{QelString(u"Result List Excel Send Complete!"), SavedAs(path)};
    });
}
