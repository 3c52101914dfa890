// The job editor driven through its real widgets: choosing commands, typing
// destinations, clicking Add, Modify, Del, the arrows, Save and Cancel, and
// reading the record handed back.
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <json/reader.h>

#include <memory>
#include <string>
#include <vector>

#include "CDlgAfterJob.h"
#include "CQelLabel.h"
#include "CQelMessageBox.h"
#include "QelEditorDialogFixture.h"

namespace {
using Rows = std::vector<std::string>;  // "Command|Action|TypeDef" per row

const char kStoredJob[] = R"({"name":"nightly","list":[
    {"cmd":"copy","act":"/backup"},
    {"cmd":"rename","act":"[{\"findadd\":\"a\",\"operate\":\"change\",\"replace\":\"b\",\"type\":\"file\"}]"},
    {"cmd":"Delete","act":""},
    {"cmd":"savetxt","act":"/lists"}]})";

class JobEditorTest : public QelEditorDialogTest<CDlgAfterJob> {
protected:
    JobEditorTest() : QelEditorDialogTest("commandList") {}
    QLineEdit* Dest() { return Child<QLineEdit>("destEdit"); }
    QComboBox* Selector() { return Child<QComboBox>("commandSelector"); }
    void AddPathCommand(int index, const QString& dest) {
        Selector()->setCurrentIndex(index);
        Dest()->setText(dest);
        Click("addButton");
    }
    std::vector<bool> Selection() {
        std::vector<bool> selected;
        for (int i = 0; i < List()->topLevelItemCount(); ++i) selected.push_back(List()->topLevelItem(i)->isSelected());
        return selected;
    }
    bool RuleLabelEnabled() { return Child<CQelLabel>("ruleLabel")->GetPropBool(u"enable"); }
};

TEST_F(JobEditorTest, NewEditorOffersTheSixCommandsWithCopyChosen) {
    Open(CDlgAfterJob::Mode::New);
    EXPECT_EQ(m_dlg->windowTitle(), "After Search Job New");
    QStringList entries;
    for (int i = 0; i < Selector()->count(); ++i) entries << Selector()->itemText(i);
    EXPECT_EQ(entries.join(u','), "Copy,Move,Delete,Rename,Save Excel,Save Txt,Move to Trash");
    EXPECT_EQ(Selector()->currentIndex(), 0);
    EXPECT_EQ(List()->headerItem()->text(2), "TypeDef");
    EXPECT_TRUE(List()->isColumnHidden(2));  // the command number is for the program, not the user
    EXPECT_EQ(m_dlg->GetRuleCaption(), QelString(u"No Rename Rule"));
}

TEST_F(JobEditorTest, EachCommandEnablesOnlyItsParameterField) {
    Open(CDlgAfterJob::Mode::New);
    struct Case { int index; bool dest; bool rule; };
    for (const Case& c : {Case{0, true, false}, Case{1, true, false}, Case{2, false, false}, Case{3, false, true},
                          Case{4, true, false}, Case{5, true, false}}) {
        Selector()->setCurrentIndex(c.index);
        EXPECT_EQ(Dest()->isEnabled(), c.dest) << c.index;
        EXPECT_EQ(RuleLabelEnabled(), c.rule) << c.index;
    }
}

TEST_F(JobEditorTest, AddRefusesMissingParametersWithTheirMessages) {
    Open(CDlgAfterJob::Mode::New);
    AddPathCommand(4, QString());
    Selector()->setCurrentIndex(3);
    Click("addButton");
    Click("modifyButton");
    Click("delButton");
    EXPECT_EQ(m_messages, (std::vector<std::string>{"Please specify the path.", "Please define the name change rules.",
                                                   "No items selected.", "No items selected."}));
    EXPECT_TRUE(ListRows().empty());
}

TEST_F(JobEditorTest, SavedRecordHoldsTheRowsInOrder) {
    Open(CDlgAfterJob::Mode::New);
    AddPathCommand(0, QStringLiteral("/backup"));
    Selector()->setCurrentIndex(2);
    Click("addButton");
    AddPathCommand(5, QStringLiteral("/lists"));
    EXPECT_EQ(ListRows(), (Rows{"Copy|/backup|0", "Delete||2", "SaveTxt|/lists|5"}));
    EXPECT_EQ(m_dlg->GetRuleCaption(), QelString(u"No Rename Rule"));
    Click("saveButton");  // without a name the dialog stays open with its rows
    EXPECT_EQ(m_messages, (std::vector<std::string>{"The job name is empty!!"}));
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_TRUE(m_dlg->GetJobRecord().isNull());
    QTest::keyClicks(Child<QLineEdit>("jobNameEdit"), QStringLiteral("tidy"));
    Click("saveButton");
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->GetJobRecord(),
              ParseJson(R"({"name":"tidy","list":[{"cmd":"copy","act":"/backup"},{"cmd":"delete","act":""},
                           {"cmd":"savetxt","act":"/lists"}]})"));
}

TEST_F(JobEditorTest, ReopenedJobShowsItsRowsWithTheFirstSelectedAndLoaded) {
    Open(CDlgAfterJob::Mode::Modify, ParseJson(kStoredJob));
    EXPECT_EQ(m_dlg->windowTitle(), "After Search Job Modify");
    EXPECT_EQ(Child<QLineEdit>("jobNameEdit")->text(), "nightly");
    const std::string rules = R"([{"findadd":"a","operate":"change","replace":"b","type":"file"}])";
    // A command outside the table (here a capitalised one) shows no name and no index.
    EXPECT_EQ(ListRows(), (Rows{"Copy|/backup|0", "ReName|" + rules + "|3", "||", "SaveTxt|/lists|5"}));
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(Dest()->text(), "/backup");

    ClickRow(1);
    EXPECT_EQ(Selector()->currentIndex(), 3);
    EXPECT_FALSE(Dest()->isEnabled());
    EXPECT_EQ(m_dlg->GetRuleCaption().ToStdString(), rules);
    ClickRow(3);
    EXPECT_EQ(Dest()->text(), "/lists");
    EXPECT_TRUE(Dest()->isEnabled());
}

TEST_F(JobEditorTest, ModifyAndDelActOnTheFirstSelectedRow) {
    Open(CDlgAfterJob::Mode::Modify, ParseJson(kStoredJob));
    ClickRow(3);
    AddPathCommand(4, QStringLiteral("/sheets"));  // the fields now make a new row
    ClickRow(0);
    Selector()->setCurrentIndex(1);
    Dest()->setText(QStringLiteral("/archive"));
    Click("modifyButton");
    ClickRow(2);
    Click("delButton");
    EXPECT_EQ(ListRows().size(), 4u);
    EXPECT_EQ(ListRows()[0], "Move|/archive|1");
    EXPECT_EQ(ListRows()[2], "SaveTxt|/lists|5");
    EXPECT_EQ(ListRows()[3], "SaveExcel|/sheets|4");
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(JobEditorTest, ArrowsSwapWithTheNeighbourAndStopAtTheEnds) {
    Open(CDlgAfterJob::Mode::Modify, ParseJson(R"({"name":"n","list":[{"cmd":"copy","act":"/a"},
        {"cmd":"move","act":"/b"},{"cmd":"delete","act":""}]})"));
    Click("moveUpButton");  // first row: nothing to swap with
    EXPECT_EQ(ListRows(), (Rows{"Copy|/a|0", "Move|/b|1", "Delete||2"}));
    Click("moveDownButton");
    EXPECT_EQ(ListRows(), (Rows{"Move|/b|1", "Copy|/a|0", "Delete||2"}));
    // The moved row is marked too; the old position keeps its selection.
    EXPECT_EQ(Selection(), (std::vector<bool>{true, true, false}));
    ClickRow(2);
    Click("moveDownButton");  // last row: nothing to swap with
    EXPECT_EQ(ListRows(), (Rows{"Move|/b|1", "Copy|/a|0", "Delete||2"}));
    Click("moveUpButton");
    EXPECT_EQ(ListRows(), (Rows{"Move|/b|1", "Delete||2", "Copy|/a|0"}));
}

TEST_F(JobEditorTest, TheRuleLabelEditsTheStoredSetAndKeepsItOnOneLine) {
    Open(CDlgAfterJob::Mode::Modify, ParseJson(kStoredJob));
    ClickRow(1);
    int shownRows = -1;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        shownRows = editor->findChild<QTreeWidget*>("ruleList")->topLevelItemCount();
        editor->findChild<QComboBox*>("operation")->setCurrentIndex(2);  // Post Add
        editor->findChild<QLineEdit*>("findAddEdit")->setText(QStringLiteral("_old"));
        editor->findChild<QPushButton*>("addButton")->click();
        editor->findChild<QPushButton*>("saveButton")->click();
    });
    QTest::mouseClick(Child<CQelLabel>("ruleLabel"), Qt::LeftButton);
    EXPECT_EQ(shownRows, 1);  // the stored set was handed in
    const std::string caption = m_dlg->GetRuleCaption().ToStdString();
    EXPECT_EQ(caption.find('\n'), std::string::npos);
    EXPECT_EQ(ParseJson(caption),
              ParseJson(R"([{"findadd":"a","operate":"change","replace":"b","type":"file"},
                            {"findadd":"_old","operate":"postadd","replace":"","type":"file"}])"));
    Click("modifyButton");
    EXPECT_EQ(ListRows()[1], "ReName|" + caption + "|3");
}

TEST_F(JobEditorTest, SavingAModifiedJobKeepsTheMembersItDoesNotKnow) {
    Open(CDlgAfterJob::Mode::Modify,
         ParseJson(R"({"name":"n","extra":{"keep":[1,2]},"list":[{"cmd":"copy","act":"/a"},{"cmd":"move","act":"/b"}]})"));
    Click("delButton");
    Click("saveButton");
    EXPECT_EQ(m_dlg->GetJobRecord(),
              ParseJson(R"({"name":"n","extra":{"keep":[1,2]},"list":[{"cmd":"move","act":"/b"}]})"));
}

TEST_F(JobEditorTest, CancelHandsBackOnlyTheRecordGiven) {
    const Json::Value stored = ParseJson(kStoredJob);
    Open(CDlgAfterJob::Mode::Modify, stored);
    Click("delButton");
    Click("cancelButton");
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_EQ(m_dlg->GetJobRecord(), stored);
}

}  // namespace
