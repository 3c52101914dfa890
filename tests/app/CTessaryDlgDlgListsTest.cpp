#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "CTessaryDlgDlg.h"
#include "QelMainWindowFixture.h"

namespace {

class RecordLists : public QelMainWindowFixture {
protected:
    // Clicks button; whatever modal dialog it opens is handed to script and
    // cancelled if the script left it open.
    static void ClickWithEditor(QWidget* dialog, const char* button, std::function<void(QDialog*)> script) {
        QTimer::singleShot(0, [script] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            script(editor);
            if (editor && editor->isVisible()) editor->reject();
        });
        dialog->findChild<QPushButton*>(button)->click();
    }
    // Clicks button and tells whether it opened a dialog (which is then cancelled).
    static bool OpensADialog(QWidget* dialog, const char* button) {
        bool opened = false;
        ClickWithEditor(dialog, button, [&opened](QDialog* editor) { opened = editor != nullptr; });
        QCoreApplication::processEvents();
        return opened;
    }
    // Adds text to the editor's list with the type selector at type.
    static void AddRow(QDialog* editor, int type, const char* text) {
        editor->findChild<QComboBox*>("typeSelector")->setCurrentIndex(type);
        editor->findChild<QLineEdit*>("searchStringEdit")->setText(text);
        editor->findChild<QPushButton*>("addButton")->click();
    }
    static std::vector<std::string> Texts(const QComboBox* combo) {
        std::vector<std::string> out;
        for (int i = 0; i < combo->count(); ++i) out.push_back(combo->itemText(i).toStdString());
        return out;
    }
    static Json::Value Parse(const std::string& text) {
        Json::Value value;
        Json::Reader().parse(text, value);
        return value;
    }
};

}  // namespace

TEST_F(RecordLists, NewFilterNeedsANameIsSelectedAndUsedByTheNextSearch) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    bool openAfterEmptyName = false;
    ClickWithEditor(&dialog, "filterNewButton", [&](QDialog* editor) {
        AddRow(editor, 2, "md");
        editor->findChild<QPushButton*>("saveButton")->click();
        openAfterEmptyName = editor->isVisible();
        editor->findChild<QLineEdit*>("filterNameEdit")->setText("Markdown");
        editor->findChild<QPushButton*>("saveButton")->click();
    });
    EXPECT_TRUE(openAfterEmptyName);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The filter name is empty!!");
    EXPECT_EQ(Texts(dialog.GetFilterCombo()), (std::vector<std::string>{"Text", "Empty", "Markdown"}));
    EXPECT_EQ(dialog.GetFilterCombo()->currentIndex(), 2);
    dialog.GetPathEdit()->setText(QString::fromStdString(tree));
    dialog.GetSearchButton()->click();
    EXPECT_EQ(dialog.GetFileResults().GetCount(), 1);
    EXPECT_EQ(dialog.GetFileResults()[0].ToStdString(), tree + "/b.md");
    dialog.GetExitButton()->click();
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"][2],
              Parse(R"({"name":"Markdown","filterfilename":[],"filterfileext":["md"],"filterdirname":[]})"));
}

TEST_F(RecordLists, DeleteAsksWithTheShownNameAndSelectsTheFirst) {
    home.WriteConfigEnv(R"({"searchfilter":[{"name":"A"},{"name":"Docs"},{"name":"C"}]})");
    CTessaryDlgDlg dialog;
    dialog.show();
    dialog.GetFilterCombo()->setCurrentIndex(1);
    answers = {CQelMessageBox::Answer::No, CQelMessageBox::Answer::Yes};
    for (int i = 0; i < 2; ++i) dialog.findChild<QPushButton*>("filterDeleteButton")->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "\"Docs\" Are you sure you want to delete the selection?");
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
    EXPECT_EQ(Texts(dialog.GetFilterCombo()), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(dialog.GetFilterCombo()->currentIndex(), 0);
    dialog.GetExitButton()->click();
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"], Parse(R"([{"name":"A"},{"name":"C"}])"));
}

TEST_F(RecordLists, DeletingTheOnlyFilterLeavesAnEmptyListThatStopsTheSearch) {
    home.WriteConfigEnv(R"({"searchfilter":[{"name":"Only","filterfileext":["txt"]}]})");
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    answers = {CQelMessageBox::Answer::Yes};
    dialog.findChild<QPushButton*>("filterDeleteButton")->click();
    EXPECT_EQ(dialog.GetFilterCombo()->count(), 0);
    EXPECT_EQ(dialog.GetFilterCombo()->currentIndex(), -1);
    EXPECT_FALSE(OpensADialog(&dialog, "filterModifyButton"));
    dialog.findChild<QPushButton*>("filterDeleteButton")->click();
    EXPECT_EQ(boxes.size(), 1u);
    dialog.GetPathEdit()->setText(QString::fromStdString(tree));
    dialog.GetSearchButton()->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "There are no search filters.");
    dialog.GetExitButton()->click();
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"], Json::Value(Json::arrayValue));
}

TEST_F(RecordLists, EntriesActOnTheirOwnRecordsWhenARecordHasNoName) {
    home.WriteConfigEnv(R"({"searchfilter":[{"name":"A"},{"filterfileext":["x"]},
        {"name":"C","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]}]})");
    CTessaryDlgDlg dialog;
    dialog.show();
    EXPECT_EQ(Texts(dialog.GetFilterCombo()), (std::vector<std::string>{"A", "C"}));
    dialog.GetFilterCombo()->setCurrentIndex(1);
    std::string shownName;
    ClickWithEditor(&dialog, "filterModifyButton", [&](QDialog* editor) {
        shownName = editor->findChild<QLineEdit*>("filterNameEdit")->text().toStdString();
        AddRow(editor, 1, "notes");
        editor->findChild<QPushButton*>("saveButton")->click();
    });
    EXPECT_EQ(shownName, "C");
    EXPECT_EQ(Texts(dialog.GetFilterCombo()), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(dialog.GetFilterCombo()->currentIndex(), 1);
    const Json::Value modified =
        Parse(R"({"name":"C","filterfilename":["notes"],"filterfileext":["txt"],"filterdirname":[]})");
    EXPECT_EQ((*dialog.GetEnvArrays().filters)[2], modified);
    answers = {CQelMessageBox::Answer::Yes};
    dialog.findChild<QPushButton*>("filterDeleteButton")->click();
    EXPECT_EQ(boxes.back().text, "\"C\" Are you sure you want to delete the selection?");
    dialog.GetExitButton()->click();
    EXPECT_EQ(home.ReadUserEnv()["searchfilter"], Parse(R"([{"name":"A"},{"filterfileext":["x"]}])"));
}

TEST_F(RecordLists, JobListDeletesNowAndOpensNoEditorYet) {
    home.WriteConfigEnv(R"({"aftersearchjob":[{"name":"J1","list":[]},{"name":"J2","list":[]}]})");
    CTessaryDlgDlg dialog;
    dialog.show();
    dialog.GetAfterSearchCheck()->setChecked(true);
    EXPECT_FALSE(OpensADialog(&dialog, "jobNewButton"));
    EXPECT_FALSE(OpensADialog(&dialog, "jobModifyButton"));
    dialog.GetJobCombo()->setCurrentIndex(1);
    answers = {CQelMessageBox::Answer::Yes};
    dialog.findChild<QPushButton*>("jobDeleteButton")->click();
    EXPECT_EQ(boxes.back().text, "\"J2\" Are you sure you want to delete the selection?");
    EXPECT_EQ(Texts(dialog.GetJobCombo()), (std::vector<std::string>{"J1"}));
    dialog.GetExitButton()->click();
    EXPECT_EQ(home.ReadUserEnv()["aftersearchjob"], Parse(R"([{"name":"J1","list":[]}])"));
}
