// The result window's Rename, Save TXT and Save Excel commands. Each works on
// every row in list order, inside the operation frame.
#include <QPushButton>
#include <unistd.h>

#include <chrono>
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

void CQelResultSubWnd::OnRename() {
    if (IsBusy() || !m_listModel) return;
    CDlgReaNameRule dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QelRenameRuleSet rules = qel::RenameRulesFromJson(dialog.GetRuleSet());
    RunOperationWithDetail([&] {
        QelRenameCounts counts;
        ThrottledPump pump;
        m_listModel->EditRows([&](QelResultRows& rows) {
            counts = qel::ApplyRenameRules(
                rules, rows, [&pump](const _tag_RenameEvent&) { pump(); }, qel::ResultSearchRoot(m_model));
        });
        return OperationNotice{QelString(u"Result Rename Complete!"),
                               QelString::Formatted(u" Succces:%d, Failed:%d", counts.succeeded, counts.failed)};
    });
}

void CQelResultSubWnd::OnSaveTxt() {
    if (IsBusy() || !m_listModel) return;
    RunOperation([this] {
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
            return QelString(u"Result List TXT Make Failed!");
        }
        OpenWithRegisteredProgram(u".txt", path);
        return QelString(u"Result List TXT Make Complete!");
    });
}

void CQelResultSubWnd::OnSaveExcel() {
    if (IsBusy() || !m_listModel) return;
    // Without a spreadsheet program nothing is written and nothing changes.
    const QelString program = Launcher().FindProgram(u".xlsx");
    if (program.IsEmpty()) {
        CQelMessageBox::Show(this, ToQString(kExcelNotRegistered), CQelMessageBox::Kind::Error, QStringLiteral("Error!"));
        return;
    }
    RunOperation([this, &program] {
        const QelResultRows& rows = m_listModel->Rows();
        QelString path;
        std::string reason;
        const auto write = [&rows, &reason](const std::string& privatePath) {
            return qel::WriteListWorkbook(
                QelString::FromFileName(privatePath), rows.size(),
                [&rows](std::size_t i) { return std::u16string_view(rows[i].fullPath); }, {}, &reason);
        };
        const int error = qel::WriteNewFileByName(ExportFolder(u"temp"), ResultStem(), u".xlsx", write, path);
        if (error > 0) reason = std::strerror(error);
        if (!reason.empty()) {
            ShowWriteFailure(this, path, QString::fromStdString(reason));
            return QelString(u"Result List Excel Send Failed!");
        }
        if (!Launcher().Open(program, path)) {
            CQelMessageBox::Show(this, ToQString(kExcelNotRegistered), CQelMessageBox::Kind::Error, QStringLiteral("Error!"));
            return QelString(u"Result List Excel Send Failed!");
        }
        return QelString(u"Result List Excel Send Complete!");
    });
}
