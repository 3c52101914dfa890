// The result window's Rename, Save TXT and Save Excel buttons, clicked on a
// real window over real files: what lands on disk, what the list shows, the
// programs started (through a recording launcher), messages and notices.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <regex>

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
    // The full paths of the files in the program's folder "user", each checked against its name pattern.
    Texts Saved(const char* extension) {
        const std::regex name(std::string(R"(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}_Result(_2)?)") + extension);
        Texts paths;
        for (const std::string& leaf : IsDir(m_dir / "user") ? Names(m_dir / "user") : std::set<std::string>{}) {
            EXPECT_TRUE(std::regex_match(leaf, name)) << leaf;
            paths.push_back(m_dir / "user/" + leaf);
        }
        return paths;
    }
    // Answers the next rule editor with one Change rule "a" -> "b"; keeps its preview rows as "old|new|note".
    void AnswerRenameEditor(bool accept, Texts* preview = nullptr) {
        QTimer::singleShot(0, [accept, preview] {
            auto* editor = qobject_cast<CDlgReaNameRule*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            editor->findChild<QLineEdit*>("findAddEdit")->setText("a");
            editor->findChild<QLineEdit*>("replaceEdit")->setText("b");
            QTest::mouseClick(editor->findChild<QPushButton*>("addButton"), Qt::LeftButton);
            for (int i = 0; preview && i < editor->GetPreviewList()->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = editor->GetPreviewList()->topLevelItem(i);
                preview->push_back((item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
            }
            QTest::mouseClick(editor->findChild<QPushButton*>(accept ? "saveButton" : "cancelButton"), Qt::LeftButton);
        });
    }
    static std::string Saving(const std::string& what, const std::string& path) {
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

TEST_F(ExportCommandsTest, SavesWriteEveryRowInListOrderIntoUserAndOpenItOrSayWhereItIs) {
    Open({"/t/b.txt", "/t/a.txt"}, {"/t/보고서"});
    const struct {
        int button;
        const char* extension;
        const char* notice;
        std::string noProgram;  // the message without a registered program ("" + the path: after it)
    } cases[] = {{CQelResultSubWnd::kSaveTxt, ".txt", "TXT Make", "No registered programs found."},
                 {CQelResultSubWnd::kSaveExcel, ".xlsx", "Excel Send", "\nNo program is registered to open .xlsx files."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        std::filesystem::remove_all(m_dir / "user");
        m_boxes.texts.clear();
        m_notices.seen.clear();
        Click(c.button);
        const std::string program = m_launcher.programs[c.extension];
        m_launcher.programs.erase(c.extension);
        Click(c.button);  // within the same second as likely as not
        const Texts saved = Saved(c.extension == std::string(".txt") ? "\\.txt" : "\\.xlsx");
        ASSERT_EQ(saved.size(), 2u);
        EXPECT_EQ(m_launcher.calls.back(), program + " " + saved[0]);
        EXPECT_EQ(m_notices.seen, (Texts{Saving(c.notice, saved[0]), Saving(c.notice, saved[1])}));
        const std::string saidWhere = c.noProgram.starts_with('\n') ? "The workbook was saved as \"" + saved[1] + "\"." : "";
        EXPECT_EQ(m_boxes.texts, Texts{saidWhere + c.noProgram});
        for (const std::string& path : saved) {
            if (c.button == CQelResultSubWnd::kSaveTxt)
                EXPECT_EQ(ReadBytes(path), "Result List\r\n[0] /t/b.txt\r\n[1] /t/a.txt\r\n[2] /t/\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C\r\n");
            else
                EXPECT_EQ(TextCells(Unzipped(path, "xl/worksheets/sheet1.xml")).back(),
                          std::make_pair(std::string("A4"), std::string("/t/\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C")));
        }
    }
    EXPECT_FALSE(m_window.IsBusy());
}

TEST_F(ExportCommandsTest, SaveTxtTellsWhenTheProgramDoesNotStartOrTheFileCannotBeWritten) {
    Open({"/t/a.txt"}, {});
    m_launcher.starts = false;
    Click(CQelResultSubWnd::kSaveTxt);
    EXPECT_EQ(m_boxes.texts, Texts{"\".txt\" Failed to run the registered program."});
    EXPECT_EQ(Saved("\\.txt").size(), 1u);  // written all the same
    std::filesystem::remove_all(m_dir / "user");
    WriteBytes(m_dir / "user", "a file where the folder should be");
    m_launcher.calls.clear();
    Click(CQelResultSubWnd::kSaveTxt);
    ASSERT_EQ(m_boxes.texts.size(), 2u);
    EXPECT_TRUE(std::regex_match(m_boxes.texts[1], std::regex(".*" + m_dir.path() + "/user/.*_Result\\.txt.*Not a directory")))
        << m_boxes.texts[1];
    EXPECT_EQ(m_boxes.kinds.back(), CQelMessageBox::Kind::Error);
    EXPECT_TRUE(m_launcher.calls.empty());
    EXPECT_EQ(m_notices.seen.back(), "MSG|Result List TXT Make Failed!|");
}

TEST_F(ExportCommandsTest, RenameAppliesTheEditedRulesOnDiskAndInTheListWithCounts) {
    const std::string tree = m_dir / "tree";
    MakeTree(tree, {"a.txt=a", "b.txt=b", "ab.txt=ab"});
    Open({tree + "/a.txt", tree + "/ab.txt", tree + "/b.txt"}, {});
    AnswerRenameEditor(false);  // cancelled: nothing changes
    Click(CQelResultSubWnd::kRename);
    EXPECT_TRUE(m_notices.seen.empty());
    Texts preview;
    AnswerRenameEditor(true, &preview);
    Click(CQelResultSubWnd::kRename);
    EXPECT_EQ(preview, (Texts{"a.txt|b.txt|Name taken twice", "ab.txt|bb.txt|", "b.txt|b.txt|"}));
    // a.txt -> b.txt is taken and stays; ab.txt becomes bb.txt.
    EXPECT_EQ(TreeText(tree), "a.txt=a b.txt=b bb.txt=ab");
    EXPECT_EQ(Column(m_window, CQelResultListModel::kFullPath), (Texts{tree + "/a.txt", tree + "/bb.txt", tree + "/b.txt"}));
    EXPECT_EQ(Column(m_window, CQelResultListModel::kStatus), (Texts{"Failed: File exists", "Renamed", ""}));
    EXPECT_EQ(m_notices.seen, Texts{"MSG|Result Rename Complete!| Succces:1, Failed:1"});
}
