#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <functional>

#include "QelMainWindowFixture.h"

namespace {

class RecordLists : public QelMainWindowFixture {
protected:
    // Clicks the button; the modal dialog it opens (null if none) goes to script and is
    // cancelled if the script left it open. Returns whether a dialog opened.
    bool Click(const char* button, std::function<void(QDialog*)> script = [](QDialog*) {}) {
        bool opened = false, ran = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            opened = editor != nullptr;
            script(editor);
            if (editor && editor->isVisible()) editor->reject();
            ran = true;
        });
        dialog->findChild<QPushButton*>(button)->click();
        while (!ran) QCoreApplication::processEvents();
        return opened;
    }
    static void AddRow(QDialog* editor, int type, const char* text) {
        editor->findChild<QComboBox*>("typeSelector")->setCurrentIndex(type);
        editor->findChild<QLineEdit*>("searchStringEdit")->setText(text);
        editor->findChild<QPushButton*>("addButton")->click();
    }
    static void Save(QDialog* editor) { editor->findChild<QPushButton*>("saveButton")->click(); }
};

}  // namespace

TEST_F(RecordLists, NewFilterNeedsANameIsSelectedAndUsedByTheNextSearch) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    Open();
    bool openAfterEmptyName = false;
    EXPECT_TRUE(Click("filterNewButton", [&](QDialog* editor) {
        AddRow(editor, 2, "md");
        Save(editor);
        openAfterEmptyName = editor->isVisible();
        editor->findChild<QLineEdit*>("filterNameEdit")->setText("Markdown");
        Save(editor);
    }));
    EXPECT_TRUE(openAfterEmptyName);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The filter name is empty!!");
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"Text", "Empty", "Markdown"}));
    EXPECT_EQ(dialog->GetFilterCombo()->currentIndex(), 2);
    dialog->GetPathEdit()->setText(QString::fromStdString(tree));
    dialog->GetSearchButton()->click();
    EXPECT_EQ(Rows(), Texts{tree + "/b.md"});
    EXPECT_EQ(SavedOnExit()["searchfilter"][2],
              ParseJson(R"({"name":"Markdown","filterfilename":[],"filterfileext":["md"],"filterdirname":[]})"));
}

TEST_F(RecordLists, DeleteAsksWithTheShownNameSelectsTheFirstAndCanEmptyTheList) {
    home.WriteConfigEnv(R"({"searchfilter":[{"name":"A"},{"name":"Docs"},{"name":"C","filterfileext":["txt"]}]})");
    Open();
    dialog->GetFilterCombo()->setCurrentIndex(1);
    answers = {CQelMessageBox::Answer::No, CQelMessageBox::Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("filterDeleteButton");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "\"Docs\" Are you sure you want to delete the selection?");
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"A", "C"}));
    EXPECT_EQ(dialog->GetFilterCombo()->currentIndex(), 0);

    answers = {CQelMessageBox::Answer::Yes, CQelMessageBox::Answer::Yes};
    for (int i = 0; i < 2; ++i) Click("filterDeleteButton");
    EXPECT_EQ(dialog->GetFilterCombo()->currentIndex(), -1);
    // On an empty list Modify and Delete do nothing at all, and a search stops before walking.
    EXPECT_FALSE(Click("filterModifyButton"));
    EXPECT_FALSE(Click("filterDeleteButton"));
    ASSERT_EQ(boxes.size(), 4u);
    dialog->GetPathEdit()->setText(QString::fromStdString(MakeTree()));
    dialog->GetSearchButton()->click();
    EXPECT_EQ(boxes.back().text, "There are no search filters.");
    EXPECT_EQ(dialog->GetResultSubWnd(), nullptr);
    EXPECT_EQ(Status(), "Welcome Corvane Tessary");
    const Json::Value saved = SavedOnExit();
    EXPECT_EQ(saved["searchfilter"], Json::Value(Json::arrayValue));
    EXPECT_EQ(saved["searchpathhistory"], Json::Value(Json::arrayValue));
}

TEST_F(RecordLists, EntriesActOnTheirOwnRecordsWhenARecordHasNoName) {
    home.WriteConfigEnv(R"({"searchfilter":[{"name":"A"},{"filterfileext":["x"]},"junk",{"name":5},{"name":""},
        {"name":"C","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]}]})");
    Open();
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"A", "C"}));
    dialog->GetFilterCombo()->setCurrentIndex(1);
    std::string shownName;
    Click("filterModifyButton", [&](QDialog* editor) {
        shownName = editor->findChild<QLineEdit*>("filterNameEdit")->text().toStdString();
        AddRow(editor, 1, "notes");
        Save(editor);
    });
    EXPECT_EQ(shownName, "C");
    EXPECT_EQ(ComboTexts(dialog->GetFilterCombo()), (Texts{"A", "C"}));
    EXPECT_EQ(dialog->GetSettings().UserTree()["searchfilter"][5],
              ParseJson(R"({"name":"C","filterfilename":["notes"],"filterfileext":["txt"],"filterdirname":[]})"));
    answers = {CQelMessageBox::Answer::Yes};
    Click("filterDeleteButton");
    EXPECT_EQ(boxes.back().text, "\"C\" Are you sure you want to delete the selection?");
    EXPECT_EQ(SavedOnExit()["searchfilter"], ParseJson(R"([{"name":"A"},{"filterfileext":["x"]},"junk",{"name":5},{"name":""}])"));
}

TEST_F(RecordLists, JobEditorAddsAndChangesTheRecordOfItsEntry) {
    home.WriteConfigEnv(R"({"aftersearchjob":[{"name":"J1","list":[]},{"list":[]},{"name":"J2","list":[]}]})");
    Open();
    dialog->GetAfterSearchCheck()->setChecked(true);
    bool openAfterEmptyName = false;
    EXPECT_TRUE(Click("jobNewButton", [&](QDialog* editor) {
        editor->findChild<QComboBox*>("commandSelector")->setCurrentIndex(2);
        editor->findChild<QPushButton*>("addButton")->click();
        Save(editor);
        openAfterEmptyName = editor->isVisible();
        editor->findChild<QLineEdit*>("jobNameEdit")->setText("Wipe");
        Save(editor);
    }));
    EXPECT_TRUE(openAfterEmptyName);
    EXPECT_EQ(boxes.back().text, "The job name is empty!!");
    EXPECT_EQ(ComboTexts(dialog->GetJobCombo()), (Texts{"J1", "J2", "Wipe"}));
    EXPECT_EQ(dialog->GetJobCombo()->currentIndex(), 2);

    dialog->GetJobCombo()->setCurrentIndex(1);
    std::string shownName;
    Click("jobModifyButton", [&](QDialog* editor) {
        shownName = editor->findChild<QLineEdit*>("jobNameEdit")->text().toStdString();
        editor->findChild<QLineEdit*>("destEdit")->setText("/backup");
        editor->findChild<QPushButton*>("addButton")->click();
        Save(editor);
    });
    EXPECT_EQ(shownName, "J2");
    EXPECT_EQ(SavedOnExit()["aftersearchjob"],
              ParseJson(R"([{"name":"J1","list":[]},{"list":[]},{"name":"J2","list":[{"cmd":"copy","act":"/backup"}]},
                            {"name":"Wipe","list":[{"cmd":"delete","act":""}]}])"));
}
