// The job editor driven through its real widgets: choosing commands, typing
// destinations, clicking Add, Modify, Del, the arrows, Save and Cancel, and
// reading the record handed back.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../common/QelEditorDialogFixture.h"
#include "CDlgAfterJob.h"
#include "CQelLabel.h"

namespace {

const char kStoredJob[] = R"({"name":"nightly","extra":{"keep":[1,2]},"list":[{"cmd":"copy","act":"/backup"},
    {"cmd":"rename","act":"[{\"findadd\":\"a\",\"operate\":\"change\",\"replace\":\"b\",\"type\":\"file\"}]"},
    {"cmd":"Delete","act":""}, {"cmd":"savetxt","act":"/lists"}]})";
const std::string kStoredRule = R"([{"findadd":"a","operate":"change","replace":"b","type":"file"}])";

class JobEditorTest : public QelEditorDialogTest<CDlgAfterJob> {
protected:
    JobEditorTest() : QelEditorDialogTest("commandList") {}
    QLineEdit* Dest() { return Child<QLineEdit>("destEdit"); }
    void Choose(int index, const QString& dest, const char* button) {
        Child<QComboBox>("commandSelector")->setCurrentIndex(index);
        Dest()->setText(dest);
        Click(button);
    }
};

// Each command enables only its parameter (a destination or the rule label),
// and Add refuses a row without it.
TEST_F(JobEditorTest, ANewJobIsSavedWithItsRowsInOrderOnlyUnderAName) {
    // A hand-edited job whose list is no array shows no rows, even when its members look like steps.
    Open(CDlgAfterJob::Mode::Modify, ParseJson(R"({"name":"odd","list":{"s":{"cmd":"copy","act":"/x"}}})"));
    EXPECT_TRUE(ListRows().empty());
    Open(CDlgAfterJob::Mode::New);
    for (int index = 0; index < 6; ++index) {  // a destination, the rules or neither
        Child<QComboBox>("commandSelector")->setCurrentIndex(index);
        EXPECT_EQ(std::pair(Dest()->isEnabled(), Child<CQelLabel>("ruleLabel")->GetPropBool(u"enable")),
                  std::pair("dd-rdd"[index] == 'd', "dd-rdd"[index] == 'r')) << index;
    }
    Click("modifyButton");
    for (const auto& [index, dest] : {std::pair{4, ""}, {3, ""}, {0, "/backup"}, {2, ""}, {5, "/lists"}}) Choose(index, dest, "addButton");
    EXPECT_EQ(ListRows(), (Rows{"Copy|/backup|0", "Delete||2", "SaveTxt|/lists|5"}));
    Click("saveButton");  // without a name the dialog stays open with its rows
    EXPECT_EQ(m_messages, (std::vector<std::string>{"No items selected.", "Please specify the path.",
                                                   "Please define the name change rules.", "The job name is empty!!"}));
    EXPECT_TRUE(m_dlg->isVisible());
    Child<QLineEdit>("jobNameEdit")->setText(QStringLiteral("tidy")), Click("saveButton");
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->GetJobRecord(), ParseJson(R"({"name":"tidy","list":[{"cmd":"copy","act":"/backup"},
                                                   {"cmd":"delete","act":""},{"cmd":"savetxt","act":"/lists"}]})"));
}

// A reopened job shows its rows, the first selected and loaded; the rule label edits the stored set and keeps
// it on one line; Modify and Del act on the selected row, the arrows swap it with its neighbour and stop at the
// ends. Saving keeps the members the editor does not know; Cancel hands back only the record given.
TEST_F(JobEditorTest, AReopenedJobIsEditedRowByRowAndSavedWithItsOtherMembersOrCancelled) {
    for (const char* close : {"cancelButton", "saveButton"}) {
        SCOPED_TRACE(close);
        Open(CDlgAfterJob::Mode::Modify, ParseJson(kStoredJob));
        EXPECT_EQ(Child<QLineEdit>("jobNameEdit")->text(), "nightly");
        // A command outside the table (here a capitalised one) shows no name and no index.
        EXPECT_EQ(ListRows(), (Rows{"Copy|/backup|0", "ReName|" + kStoredRule + "|3", "||", "SaveTxt|/lists|5"}));
        EXPECT_EQ(Dest()->text(), "/backup");

        ClickRow(1);
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            editor->findChild<QComboBox*>("operation")->setCurrentIndex(2);  // Post Add
            editor->findChild<QLineEdit*>("findAddEdit")->setText(QStringLiteral("_old"));
            editor->findChild<QPushButton*>("addButton")->click();
            editor->findChild<QPushButton*>("saveButton")->click();
        });
        QTest::mouseClick(Child<CQelLabel>("ruleLabel"), Qt::LeftButton);
        const std::string caption = m_dlg->GetRuleCaption().ToStdString();
        // The stored set was handed in and the new rule added to it.
        EXPECT_EQ(caption.find('\n'), std::string::npos);
        EXPECT_EQ(ParseJson(caption), ParseJson(R"([{"findadd":"a","operate":"change","replace":"b","type":"file"},
                                                   {"findadd":"_old","operate":"postadd","replace":"","type":"file"}])"));
        Click("modifyButton");

        Choose(4, "/sheets", "addButton");
        ClickRow(0), Choose(1, "/archive", "modifyButton");
        Click("moveUpButton"), Click("moveDownButton");  // on the first row up has nothing to swap with
        ClickRow(2), Click("delButton");
        ClickRow(3), Click("moveDownButton"), Click("moveUpButton");  // on the last row down has nothing to swap with
        EXPECT_EQ(ListRows(), (Rows{"ReName|" + caption + "|3", "Move|/archive|1", "SaveExcel|/sheets|4", "SaveTxt|/lists|5"}));
        EXPECT_TRUE(m_messages.empty());
        Click(close);
        const Json::Value record = m_dlg->GetJobRecord();
        if (std::string(close) == "cancelButton")
            EXPECT_TRUE(m_dlg->result() == QDialog::Rejected && record == ParseJson(kStoredJob));
        else
            EXPECT_TRUE(record["extra"] == ParseJson(R"({"keep":[1,2]})") && record["list"][0]["act"] == caption &&
                        record["list"][1] == ParseJson(R"({"cmd":"move","act":"/archive"})")) << record.toStyledString();
    }
}

}  // namespace
