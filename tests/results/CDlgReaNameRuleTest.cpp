// The rename-rule editor driven through its widgets: the questions of Add
// with both answers, the refused empty find text, Delete, Save, and a stored
// set loaded and saved again.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "CDlgReaNameRule.h"
#include "QelResultWindowFixture.h"

namespace {

using Answer = CQelMessageBox::Answer;

class RuleEditorTest : public ::testing::Test {
protected:
    template <typename W>
    W* Child(const char* name) {
        W* widget = m_dlg.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Add(const QString& type, const QString& operation, const QString& find, const QString& replace = {}) {
        Child<QComboBox>("itemType")->setCurrentText(type);
        Child<QComboBox>("operation")->setCurrentText(operation);
        Child<QLineEdit>("findAddEdit")->setText(find);
        Child<QLineEdit>("replaceEdit")->setText(replace);
        QTest::mouseClick(Child<QPushButton>("addButton"), Qt::LeftButton);
    }
    // Each rule row as "type|operation|find|replace".
    Texts Rows() {
        Texts rows;
        QTreeWidget* list = Child<QTreeWidget>("ruleList");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            rows.push_back(QStringList({item->text(0), item->text(1), item->text(2), item->text(3)}).join(u'|').toStdString());
        }
        return rows;
    }
    std::string Saved() {
        QTest::mouseClick(Child<QPushButton>("saveButton"), Qt::LeftButton);
        EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
        return Json::FastWriter().write(m_dlg.GetRuleSet());
    }

    QelBoxRecorder m_boxes;
    CDlgReaNameRule m_dlg{nullptr};
};

}  // namespace

TEST_F(RuleEditorTest, ASecondPreOrPostAddAsksToChangeTheFirstAndNeverAddsARow) {
    Add("File", "Pre Add", "2024_");
    Add("File", "Post Add", "_v1");
    m_boxes.answers = {Answer::Yes, Answer::No, Answer::Yes};
    Add("Folder", "Pre Add", "2025_");  // the type plays no part
    Add("File", "Pre Add", "2026_");
    Add("File", "Post Add", "_v2");
    const std::string leading = "Leading character is already added. Do you want to change it?";
    EXPECT_EQ(m_boxes.texts, (Texts{leading, leading, "Trailing character has already been added. Do you want to change it?"}));
    EXPECT_EQ(Rows(), (Texts{"File|Pre Add|2025_|", "File|Post Add|_v2|"}));
}

TEST_F(RuleEditorTest, ADotInAnExtensionChangeIsClearedOnYesAndAChangeNeedsTextToFind) {
    m_boxes.answers = {Answer::Yes, Answer::No, Answer::Ok, Answer::Yes};
    Add("File", "Ext Change", ".txt", ".md");
    Add("File", "Ext Change", "jpeg", "j.pg");  // No: nothing added
    Add("File", "Change", "", "x");
    Add("File", "Ext Change", ".", "x");  // nothing left once the dot is cleared
    const std::string dot = "Extension '.' Is not subject to change. Do you want to clear it and add it to the rule?";
    const std::string find = "Please enter the text to find.";
    EXPECT_EQ(m_boxes.texts, (Texts{dot, dot, find, dot, find}));
    EXPECT_EQ(Rows(), Texts{"File|Ext Change|txt|md"});
}

TEST_F(RuleEditorTest, SavesTheRowsInOrderAfterDeleteAndLoadsAStoredSetAsShown) {
    ASSERT_TRUE(m_dlg.SetRuleSet(R"([{"type":"folder","operate":"postadd","findadd":"_old","replace":""},
                                     {"type":"odd","operate":"odd","findadd":"a"}])"));
    EXPECT_EQ(Rows(), (Texts{"Folder|Post Add|_old|", "||a|"}));
    Add("File", "Ext Change", "jpeg", "jpg");
    Child<QTreeWidget>("ruleList")->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(Child<QPushButton>("deleteButton"), Qt::LeftButton);
    EXPECT_EQ(Saved(), "[{\"findadd\":\"_old\",\"operate\":\"postadd\",\"replace\":\"\",\"type\":\"folder\"},"
                       "{\"findadd\":\"jpeg\",\"operate\":\"extchange\",\"replace\":\"jpg\",\"type\":\"file\"}]\n");
    for (const char* text : {"[{", "{\"type\":\"file\"}"}) {
        EXPECT_FALSE(m_dlg.SetRuleSet(text));
        EXPECT_EQ(m_boxes.texts.back(), "Cannot read setting items.");
        EXPECT_TRUE(Rows().empty());
    }
}
