// The result window's Rename, Save TXT and Save Excel buttons, clicked on a
// real window over real files: what lands on disk, what the list shows, the
// programs asked for and started (through a recording launcher), the
// messages and the completion notices.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QTimer>

#include <filesystem>
#include <map>
#include <regex>

#include "../fileops/QelTreeFixture.h"
#include "CDlgReaNameRule.h"
#include "CQelDirMng.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "IQelProgramLauncher.h"
#include "IQelResultSubWndDelegate.h"
#include "QelXlsxReadBack.h"

namespace {

using Notice = std::array<std::string, 3>;

struct RecordingDelegate : IQelResultSubWndDelegate {
    void onNotifyEvent(const QelString& name, const QelString& p1, const QelString& p2) override {
        notices.push_back({name.ToStdString(), p1.ToStdString(), p2.ToStdString()});
    }
    std::vector<Notice> notices;
};

struct RecordingLauncher : IQelProgramLauncher {
    QelString FindProgram(const QelString& extension) override {
        asked.push_back(extension.ToStdString());
        const auto it = programs.find(extension.ToStdString());
        return QelString::FromUtf8(it == programs.end() ? "" : it->second);
    }
    bool Open(const QelString& program, const QelString& file) override {
        opened.emplace_back(program.ToStdString(), file.ToFileName());
        return starts;
    }
    std::map<std::string, std::string> programs;
    bool starts = true;
    std::vector<std::string> asked;
    std::vector<std::pair<std::string, std::string>> opened;
};

class ExportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldModuleDir = CQelDirMng::GetInstance()->GetModuleDir();
        CQelDirMng::GetInstance()->SetModuleDir(Q(m_dir.path()));  // "user" and "temp" land here
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind kind, const QString& text) {
            m_messages.push_back(text.toStdString());
            m_kinds.push_back(kind);
            return CQelMessageBox::Answer::Ok;
        });
        m_launcher.programs = {{".txt", "/usr/bin/qel-editor"}, {".xlsx", "/usr/bin/qel-sheets"}};
    }
    void TearDown() override {
        CQelMessageBox::SetHandler({});
        CQelDirMng::GetInstance()->SetModuleDir(m_oldModuleDir);
    }

    void Open(const std::vector<std::string>& files, const std::vector<std::string>& folders) {
        Json::Value record(Json::objectValue);
        record["width"] = 600;
        record["height"] = 300;
        for (const std::string& f : files) record["fileresultlist"].append(f);
        for (const std::string& d : folders) record["dirresultlist"].append(d);
        ASSERT_TRUE(m_window.CreateSubWnd(nullptr, Json::FastWriter().write(record), 0, 0));
        m_window.SetDelegate(&m_delegate);
        m_window.SetProgramLauncher(&m_launcher);
    }
    void Click(int command) { QTest::mouseClick(m_window.GetCommandButton(command), Qt::LeftButton); }
    // The files in the program's folder name, by leaf name.
    std::vector<std::string> FilesIn(const std::string& name) {
        std::vector<std::string> leaves;
        if (!IsDir(m_dir / name)) return leaves;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir / name)) leaves.push_back(entry.path().filename());
        std::sort(leaves.begin(), leaves.end());
        return leaves;
    }
    QString Cell(int row, int column) { return m_window.GetListModel()->index(row, column).data().toString(); }

    QelTestDir m_dir;
    QelString m_oldModuleDir;
    RecordingLauncher m_launcher;
    RecordingDelegate m_delegate;
    CQelResultSubWnd m_window;
    std::vector<std::string> m_messages;
    std::vector<CQelMessageBox::Kind> m_kinds;
};

const std::regex kTxtName(R"(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}_Result(_2)?\.txt)");

}  // namespace

TEST_F(ExportCommandsTest, SaveTxtWritesTheNumberedListIntoUserAndOpensIt) {
    std::vector<std::string> files;
    for (int i = 0; i < 11; ++i) files.push_back("/t/f" + std::to_string(i) + ".txt");
    Open(files, {"/t/보고서"});
    Click(CQelResultSubWnd::kSaveTxt);
    Click(CQelResultSubWnd::kSaveTxt);  // within the same second as likely as not

    const std::vector<std::string> saved = FilesIn("user");
    ASSERT_EQ(saved.size(), 2u);
    for (const std::string& leaf : saved) {
        EXPECT_TRUE(std::regex_match(leaf, kTxtName)) << leaf;
        const std::string text = ReadBytes(m_dir / "user/" + leaf);
        EXPECT_TRUE(text.starts_with("Result List\r\n[00] /t/f0.txt\r\n[01] /t/f1.txt\r\n")) << text;
        EXPECT_TRUE(text.ends_with("[10] /t/f10.txt\r\n[11] /t/\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C\r\n")) << text;
    }
    EXPECT_EQ(m_launcher.opened.size(), 2u);
    EXPECT_EQ(m_launcher.opened[0], std::make_pair(std::string("/usr/bin/qel-editor"), m_dir / "user/" + saved[0]));
    EXPECT_TRUE(m_messages.empty());
    ASSERT_EQ(m_delegate.notices.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)  // the notice names the file it wrote
        EXPECT_EQ(m_delegate.notices[i], (Notice{"MSG", "Result List TXT Make Complete!",
                                                 " Saved as \"" + m_launcher.opened[i].second + "\""}));
}

TEST_F(ExportCommandsTest, SaveTxtTellsWhenNoProgramIsRegisteredOrItDoesNotStart) {
    Open({"/t/a.txt"}, {});
    m_launcher.programs.erase(".txt");
    Click(CQelResultSubWnd::kSaveTxt);
    m_launcher.programs[".txt"] = "/usr/bin/qel-broken";
    m_launcher.starts = false;
    Click(CQelResultSubWnd::kSaveTxt);

    EXPECT_EQ(m_messages, (std::vector<std::string>{"No registered programs found.",
                                                    "\".txt\" Failed to run the registered program."}));
    EXPECT_EQ(FilesIn("user").size(), 2u);  // written all the same
    EXPECT_EQ(m_delegate.notices.size(), 2u);
}

TEST_F(ExportCommandsTest, SaveTxtReportsAFileThatCannotBeWritten) {
    WriteBytes(m_dir / "user", "a file where the folder should be");
    Open({"/t/a.txt"}, {});
    Click(CQelResultSubWnd::kSaveTxt);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(std::regex_match(m_messages[0], std::regex(".*" + m_dir.path() + "/user/.*_Result\\.txt.*Not a directory")))
        << m_messages[0];
    EXPECT_EQ(m_kinds[0], CQelMessageBox::Kind::Error);
    EXPECT_TRUE(m_launcher.opened.empty());
    EXPECT_EQ(m_delegate.notices, (std::vector<Notice>{{"MSG", "Result List TXT Make Failed!", ""}}));
}

TEST_F(ExportCommandsTest, SaveExcelWritesEveryRowInListOrderIntoUserAndOpensItOrSaysWhereItIs) {
    Open({"/t/b&c<d.txt", "/t/résumé.txt"}, {"/t/sub"});
    Click(CQelResultSubWnd::kSaveExcel);
    m_launcher.programs.erase(".xlsx");
    Click(CQelResultSubWnd::kSaveExcel);

    const std::vector<std::string> saved = FilesIn("user");
    ASSERT_EQ(saved.size(), 2u);
    const std::string workbook = m_dir / "user/" + saved[0];
    for (const std::string& leaf : saved) {
        EXPECT_TRUE(std::regex_match(leaf, std::regex(R"(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}_Result(_2)?\.xlsx)"))) << leaf;
        EXPECT_EQ(TextCells(Unzipped(m_dir / "user/" + leaf, "xl/worksheets/sheet1.xml")),
                  (QelSheetCells{{"A1", "Result List"},
                                 {"A2", "/t/b&amp;c&lt;d.txt"},
                                 {"A3", "/t/r\xC3\xA9sum\xC3\xA9.txt"},
                                 {"A4", "/t/sub"}}));
    }
    EXPECT_EQ(m_launcher.opened, (std::vector<std::pair<std::string, std::string>>{{"/usr/bin/qel-sheets", workbook}}));
    // Without a spreadsheet program the workbook is written all the same and the user learns where.
    const std::string second = m_dir / "user/" + saved[1];
    EXPECT_EQ(m_messages, std::vector<std::string>{"The workbook was saved as \"" + second +
                                                   "\".\nNo program is registered to open .xlsx files."});
    EXPECT_EQ(m_delegate.notices,
              (std::vector<Notice>{{"MSG", "Result List Excel Send Complete!", " Saved as \"" + workbook + "\""},
                                   {"MSG", "Result List Excel Send Complete!", " Saved as \"" + second + "\""}}));
    EXPECT_FALSE(m_window.IsBusy());
}

TEST_F(ExportCommandsTest, RenameAppliesTheEditedRulesOnDiskAndInTheListWithCounts) {
    const std::string tree = m_dir / "tree";
    MakeFile(tree + "/a.txt", "a");
    MakeFile(tree + "/b.txt", "b");
    MakeFile(tree + "/ab.txt", "ab");
    Open({tree + "/a.txt", tree + "/ab.txt", tree + "/b.txt"}, {});
    std::vector<std::string> preview;  // "old|new|note" as the editor showed it before accepting
    QString acceptText;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<CDlgReaNameRule*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->findChild<QLineEdit*>("findAddEdit")->setText("a");
        editor->findChild<QLineEdit*>("replaceEdit")->setText("b");
        QTest::mouseClick(editor->findChild<QPushButton*>("addButton"), Qt::LeftButton);
        for (int i = 0; i < editor->GetPreviewList()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = editor->GetPreviewList()->topLevelItem(i);
            preview.push_back((item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
        }
        acceptText = editor->findChild<QPushButton*>("saveButton")->text();
        QTest::mouseClick(editor->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
    });
    Click(CQelResultSubWnd::kRename);

    // a.txt -> b.txt is taken and stays; ab.txt becomes bb.txt.
    EXPECT_EQ(ReadBytes(tree + "/a.txt"), "a");
    EXPECT_EQ(ReadBytes(tree + "/b.txt"), "b");
    EXPECT_EQ(ReadBytes(tree + "/bb.txt"), "ab");
    EXPECT_EQ(Cell(0, CQelResultListModel::kName), "a.txt");
    EXPECT_EQ(Cell(1, CQelResultListModel::kName), "bb.txt");
    EXPECT_EQ(Cell(1, CQelResultListModel::kFullPath), QString::fromStdString(tree + "/bb.txt"));
    EXPECT_EQ(acceptText, "Rename");
    EXPECT_EQ(preview, (std::vector<std::string>{"a.txt|b.txt|Name taken twice", "ab.txt|bb.txt|", "b.txt|b.txt|"}));
    EXPECT_EQ(Cell(0, CQelResultListModel::kStatus), "Failed: File exists");
    EXPECT_EQ(Cell(1, CQelResultListModel::kStatus), "Renamed");
    EXPECT_EQ(Cell(2, CQelResultListModel::kStatus), "");
    EXPECT_EQ(m_delegate.notices, (std::vector<Notice>{{"MSG", "Result Rename Complete!", " Succces:1, Failed:1"}}));
}

TEST_F(ExportCommandsTest, RenameSelectedRenamesThoseRowsOnlyAndRowsBelowAFolderFollow) {
    const std::string tree = m_dir / "tree";
    MakeFile(tree + "/a.txt", "a");
    MakeFile(tree + "/da/x.txt", "x");
    Open({tree + "/a.txt", tree + "/da/x.txt"}, {tree + "/da"});
    QTimer::singleShot(0, [] {
        auto* editor = qobject_cast<CDlgReaNameRule*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->findChild<QLineEdit*>("findAddEdit")->setText("a");
        editor->findChild<QLineEdit*>("replaceEdit")->setText("b");
        QTest::mouseClick(editor->findChild<QPushButton*>("addButton"), Qt::LeftButton);
        QTest::mouseClick(editor->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
    });
    m_window.RenameRows({2});
    EXPECT_EQ(ReadBytes(tree + "/a.txt"), "a");  // not selected
    EXPECT_EQ(ReadBytes(tree + "/db/x.txt"), "x");
    EXPECT_EQ(Cell(1, CQelResultListModel::kFullPath), QString::fromStdString(tree + "/db/x.txt"));
    EXPECT_EQ(Cell(1, CQelResultListModel::kPath), QString::fromStdString(tree + "/db"));
    EXPECT_EQ(Cell(2, CQelResultListModel::kFullPath), QString::fromStdString(tree + "/db"));
    EXPECT_EQ(Cell(2, CQelResultListModel::kStatus), "Renamed");
    EXPECT_EQ(m_delegate.notices, (std::vector<Notice>{{"MSG", "Result Rename Complete!", " Succces:1, Failed:0"}}));
}

TEST_F(ExportCommandsTest, RenameCancelledChangesNothing) {
    const std::string tree = m_dir / "tree";
    MakeFile(tree + "/a.txt", "a");
    Open({tree + "/a.txt"}, {});
    QTimer::singleShot(0, [] {
        auto* editor = qobject_cast<CDlgReaNameRule*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->findChild<QLineEdit*>("findAddEdit")->setText("a");
        QTest::mouseClick(editor->findChild<QPushButton*>("addButton"), Qt::LeftButton);
        QTest::mouseClick(editor->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    });
    Click(CQelResultSubWnd::kRename);
    EXPECT_TRUE(Exists(tree + "/a.txt"));
    EXPECT_EQ(Cell(0, CQelResultListModel::kName), "a.txt");
    EXPECT_TRUE(m_delegate.notices.empty());
}
