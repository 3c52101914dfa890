// The result window's Rename, Save TXT and Save Excel buttons, clicked on a
// real window over real files: what lands on disk, what the list shows, the
// programs asked for and started (through a recording launcher), the
// messages and the completion notices.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <regex>

#include "../fileops/QelTreeFixture.h"
#include "CDlgReaNameRule.h"
#include "CQelDirMng.h"
#include "QelRecordingLauncher.h"
#include "QelResultWindowFixture.h"
#include "QelXlsxReadBack.h"

namespace {

class ExportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldModuleDir = CQelDirMng::GetInstance()->GetModuleDir();
        CQelDirMng::GetInstance()->SetModuleDir(Q(m_dir.path()));  // "user" and "temp" land here
        m_launcher.programs = {{".txt", "/usr/bin/qel-editor"}, {".xlsx", "/usr/bin/qel-sheets"}};
    }
    void TearDown() override { CQelDirMng::GetInstance()->SetModuleDir(m_oldModuleDir); }

    void Open(const Texts& files, const Texts& folders) {
        ASSERT_TRUE(m_window.CreateSubWnd(nullptr, Record(files, folders), 0, 0));
        m_window.SetDelegate(&m_notices);
        m_window.SetProgramLauncher(&m_launcher);
    }
    void Click(int command) { QTest::mouseClick(m_window.GetCommandButton(command), Qt::LeftButton); }
    // The files in the program's folder "user", by leaf name.
    Texts Saved() {
        Texts leaves;
        if (!IsDir(m_dir / "user")) return leaves;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir / "user")) leaves.push_back(entry.path().filename());
        std::sort(leaves.begin(), leaves.end());
        return leaves;
    }
    // Answers the next rule editor with one Change rule find -> "b"; returns its preview rows.
    void AnswerRenameEditor(const char* find, bool accept, Texts* preview = nullptr) {
        QTimer::singleShot(0, [find, accept, preview] {
            auto* editor = qobject_cast<CDlgReaNameRule*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            editor->findChild<QLineEdit*>("findAddEdit")->setText(find);
            editor->findChild<QLineEdit*>("replaceEdit")->setText("b");
            QTest::mouseClick(editor->findChild<QPushButton*>("addButton"), Qt::LeftButton);
            for (int i = 0; preview && i < editor->GetPreviewList()->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = editor->GetPreviewList()->topLevelItem(i);
                preview->push_back((item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
            }
            QTest::mouseClick(editor->findChild<QPushButton*>(accept ? "saveButton" : "cancelButton"), Qt::LeftButton);
        });
    }
    std::string Saving(const std::string& what, const std::string& path) {
        return "MSG|Result List " + what + " Complete!| Saved as \"" + path + "\"";
    }

    QelTestDir m_dir;
    QelString m_oldModuleDir;
    QelBoxRecorder m_boxes;
    QelRecordingLauncher m_launcher;
    QelNotices m_notices;
    CQelResultSubWnd m_window;
};

}  // namespace

TEST_F(ExportCommandsTest, SaveTxtWritesTheNumberedListIntoUserAndOpensIt) {
    Texts files;
    for (int i = 0; i < 11; ++i) files.push_back("/t/f" + std::to_string(i) + ".txt");
    Open(files, {"/t/보고서"});
    Click(CQelResultSubWnd::kSaveTxt);
    Click(CQelResultSubWnd::kSaveTxt);  // within the same second as likely as not

    const Texts saved = Saved();
    ASSERT_EQ(saved.size(), 2u);
    for (const std::string& leaf : saved) {
        EXPECT_TRUE(std::regex_match(leaf, std::regex(R"(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}_Result(_2)?\.txt)"))) << leaf;
        const std::string text = ReadBytes(m_dir / "user/" + leaf);
        EXPECT_TRUE(text.starts_with("Result List\r\n[00] /t/f0.txt\r\n[01] /t/f1.txt\r\n")) << text;
        EXPECT_TRUE(text.ends_with("[10] /t/f10.txt\r\n[11] /t/\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C\r\n")) << text;
    }
    const std::string first = m_dir / "user/" + saved[0], second = m_dir / "user/" + saved[1];
    EXPECT_EQ(m_launcher.calls, (Texts{"/usr/bin/qel-editor " + first, "/usr/bin/qel-editor " + second}));
    EXPECT_TRUE(m_boxes.texts.empty());
    EXPECT_EQ(m_notices.seen, (Texts{Saving("TXT Make", first), Saving("TXT Make", second)}));
}

TEST_F(ExportCommandsTest, SaveTxtTellsWhenNoProgramIsRegisteredOrItDoesNotStartOrTheFileCannotBeWritten) {
    Open({"/t/a.txt"}, {});
    m_launcher.programs.erase(".txt");
    Click(CQelResultSubWnd::kSaveTxt);
    m_launcher.programs[".txt"] = "/usr/bin/qel-broken";
    m_launcher.starts = false;
    Click(CQelResultSubWnd::kSaveTxt);
    EXPECT_EQ(m_boxes.texts, (Texts{"No registered programs found.", "\".txt\" Failed to run the registered program."}));
    EXPECT_EQ(Saved().size(), 2u);  // written all the same
    EXPECT_EQ(m_notices.seen.size(), 2u);

    std::filesystem::remove_all(m_dir / "user");
    WriteBytes(m_dir / "user", "a file where the folder should be");
    m_boxes.texts.clear();
    m_launcher.calls.clear();
    Click(CQelResultSubWnd::kSaveTxt);
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_TRUE(std::regex_match(m_boxes.texts[0], std::regex(".*" + m_dir.path() + "/user/.*_Result\\.txt.*Not a directory")))
        << m_boxes.texts[0];
    EXPECT_EQ(m_boxes.kinds.back(), CQelMessageBox::Kind::Error);
    EXPECT_TRUE(m_launcher.calls.empty());
    EXPECT_EQ(m_notices.seen.back(), "MSG|Result List TXT Make Failed!|");
}

TEST_F(ExportCommandsTest, SaveExcelWritesEveryRowInListOrderIntoUserAndOpensItOrSaysWhereItIs) {
    Open({"/t/b&c<d.txt", "/t/résumé.txt"}, {"/t/sub"});
    Click(CQelResultSubWnd::kSaveExcel);
    m_launcher.programs.erase(".xlsx");
    Click(CQelResultSubWnd::kSaveExcel);

    const Texts saved = Saved();
    ASSERT_EQ(saved.size(), 2u);
    for (const std::string& leaf : saved) {
        EXPECT_TRUE(std::regex_match(leaf, std::regex(R"(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}_Result(_2)?\.xlsx)"))) << leaf;
        EXPECT_EQ(TextCells(Unzipped(m_dir / "user/" + leaf, "xl/worksheets/sheet1.xml")),
                  (QelSheetCells{{"A1", "Result List"},
                                 {"A2", "/t/b&amp;c&lt;d.txt"},
                                 {"A3", "/t/r\xC3\xA9sum\xC3\xA9.txt"},
                                 {"A4", "/t/sub"}}));
    }
    const std::string workbook = m_dir / "user/" + saved[0], second = m_dir / "user/" + saved[1];
    EXPECT_EQ(m_launcher.calls, Texts{"/usr/bin/qel-sheets " + workbook});
    // Without a spreadsheet program the workbook is written all the same and the user learns where.
    EXPECT_EQ(m_boxes.texts,
              Texts{"The workbook was saved as \"" + second + "\".\nNo program is registered to open .xlsx files."});
    EXPECT_EQ(m_notices.seen, (Texts{Saving("Excel Send", workbook), Saving("Excel Send", second)}));
    EXPECT_FALSE(m_window.IsBusy());
}

TEST_F(ExportCommandsTest, RenameAppliesTheEditedRulesOnDiskAndInTheListWithCounts) {
    const std::string tree = m_dir / "tree";
    MakeFile(tree + "/a.txt", "a");
    MakeFile(tree + "/b.txt", "b");
    MakeFile(tree + "/ab.txt", "ab");
    Open({tree + "/a.txt", tree + "/ab.txt", tree + "/b.txt"}, {});
    AnswerRenameEditor("a", false);  // cancelled: nothing changes
    Click(CQelResultSubWnd::kRename);
    EXPECT_TRUE(Exists(tree + "/a.txt"));
    EXPECT_TRUE(m_notices.seen.empty());

    Texts preview;  // "old|new|note" as the editor showed it before accepting
    AnswerRenameEditor("a", true, &preview);
    Click(CQelResultSubWnd::kRename);
    EXPECT_EQ(preview, (Texts{"a.txt|b.txt|Name taken twice", "ab.txt|bb.txt|", "b.txt|b.txt|"}));
    // a.txt -> b.txt is taken and stays; ab.txt becomes bb.txt.
    EXPECT_EQ(ReadBytes(tree + "/a.txt"), "a");
    EXPECT_EQ(ReadBytes(tree + "/b.txt"), "b");
    EXPECT_EQ(ReadBytes(tree + "/bb.txt"), "ab");
    EXPECT_EQ(Column(m_window, CQelResultListModel::kFullPath), (Texts{tree + "/a.txt", tree + "/bb.txt", tree + "/b.txt"}));
    EXPECT_EQ(Column(m_window, CQelResultListModel::kStatus), (Texts{"Failed: File exists", "Renamed", ""}));
    EXPECT_EQ(m_notices.seen, Texts{"MSG|Result Rename Complete!| Succces:1, Failed:1"});
}

TEST_F(ExportCommandsTest, RenameSelectedRenamesThoseRowsOnlyAndRowsBelowAFolderFollow) {
    const std::string tree = m_dir / "tree";
    MakeFile(tree + "/a.txt", "a");
    MakeFile(tree + "/da/x.txt", "x");
    Open({tree + "/a.txt", tree + "/da/x.txt"}, {tree + "/da"});
    AnswerRenameEditor("a", true);
    m_window.RenameRows({2});
    EXPECT_EQ(ReadBytes(tree + "/a.txt"), "a");  // not selected
    EXPECT_EQ(ReadBytes(tree + "/db/x.txt"), "x");
    EXPECT_EQ(Column(m_window, CQelResultListModel::kFullPath), (Texts{tree + "/a.txt", tree + "/db/x.txt", tree + "/db"}));
    EXPECT_EQ(Column(m_window, CQelResultListModel::kPath)[1], tree + "/db");
    EXPECT_EQ(Column(m_window, CQelResultListModel::kStatus)[2], "Renamed");
    EXPECT_EQ(m_notices.seen, Texts{"MSG|Result Rename Complete!| Succces:1, Failed:0"});
}
