// The rename-rule editor driven through its widgets: the operations offered
// per type, the questions of Add with both answers, the refused empty find
// text, Delete, Save, and a stored set loaded and saved again.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <json/reader.h>
#include <json/writer.h>

#include <deque>
#include <memory>

#include "CDlgReaNameRule.h"
#include "CQelMessageBox.h"

namespace {

class RuleEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind, const QString& text) {
            m_messages.push_back(text.toStdString());
            if (m_answers.empty()) return CQelMessageBox::Answer::Ok;
            const CQelMessageBox::Answer answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
        m_dlg = std::make_unique<CDlgReaNameRule>(nullptr);
    }
    void TearDown() override { CQelMessageBox::SetHandler({}); }

    template <typename W>
    W* Child(const char* name) {
        W* widget = m_dlg->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QStringList Operations() {
        QStringList items;
        for (int i = 0; i < Child<QComboBox>("operation")->count(); ++i) items << Child<QComboBox>("operation")->itemText(i);
        return items;
    }
    void Add(const QString& type, const QString& operation, const QString& find, const QString& replace = {}) {
        Child<QComboBox>("itemType")->setCurrentText(type);
        Child<QComboBox>("operation")->setCurrentText(operation);
        Child<QLineEdit>("findAddEdit")->setText(find);
        Child<QLineEdit>("replaceEdit")->setText(replace);
        QTest::mouseClick(Child<QPushButton>("addButton"), Qt::LeftButton);
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        QTreeWidget* list = Child<QTreeWidget>("ruleList");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            rows.push_back(
                QStringList({item->text(0), item->text(1), item->text(2), item->text(3)}).join(u'|').toStdString());
        }
        return rows;
    }
    std::string Saved() {
        QTest::mouseClick(Child<QPushButton>("saveButton"), Qt::LeftButton);
        EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
        return Json::FastWriter().write(m_dlg->GetRuleSet());
    }

    std::unique_ptr<CDlgReaNameRule> m_dlg;
    std::vector<std::string> m_messages;
    std::deque<CQelMessageBox::Answer> m_answers;
};

using Answer = CQelMessageBox::Answer;

}  // namespace

TEST_F(RuleEditorTest, OffersTheOperationsOfTheTypeAndSwitchesTheFields) {
    EXPECT_EQ(m_dlg->windowTitle(), "Please enter a name change rule.");
    EXPECT_EQ(Operations(), QStringList({"Change", "Pre Add", "Post Add", "Ext Change"}));
    EXPECT_EQ(Child<QLabel>("findLabel")->text(), "Find:");
    EXPECT_TRUE(Child<QLineEdit>("replaceEdit")->isEnabled());

    Child<QLineEdit>("findAddEdit")->setText("typed");
    Child<QComboBox>("itemType")->setCurrentText("Folder");
    EXPECT_EQ(Operations(), QStringList({"Change", "Pre Add", "Post Add"}));
    EXPECT_EQ(Child<QLineEdit>("findAddEdit")->text(), "");

    Child<QComboBox>("operation")->setCurrentText("Post Add");
    EXPECT_EQ(Child<QLabel>("findLabel")->text(), "Add:");
    EXPECT_FALSE(Child<QLineEdit>("replaceEdit")->isEnabled());
}

TEST_F(RuleEditorTest, ASecondPreOrPostAddAsksToChangeTheFirstAndNeverAddsARow) {
    Add("File", "Pre Add", "2024_");
    Add("File", "Post Add", "_v1");
    m_answers = {Answer::Yes, Answer::No, Answer::Yes};
    Add("Folder", "Pre Add", "2025_");  // the type plays no part
    Add("File", "Pre Add", "2026_");
    Add("File", "Post Add", "_v2");
    EXPECT_EQ(m_messages, (std::vector<std::string>{
                              "Leading character is already added. Do you want to change it?",
                              "Leading character is already added. Do you want to change it?",
                              "Trailing character has already been added. Do you want to change it?"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"File|Pre Add|2025_|", "File|Post Add|_v2|"}));
}

TEST_F(RuleEditorTest, ADotInAnExtensionChangeIsClearedOnYesAndAChangeNeedsTextToFind) {
    m_answers = {Answer::Yes, Answer::No, Answer::Ok, Answer::Yes};
    Add("File", "Ext Change", ".txt", ".md");
    Add("File", "Ext Change", "jpeg", "j.pg");  // No: nothing added
    Add("File", "Change", "", "x");
    Add("File", "Ext Change", ".", "x");  // nothing left once the dot is cleared
    const std::string dot = "Extension '.' Is not subject to change. Do you want to clear it and add it to the rule?";
    EXPECT_EQ(m_messages, (std::vector<std::string>{dot, dot, "Please enter the text to find.", dot,
                                                    "Please enter the text to find."}));
    EXPECT_EQ(Rows(), std::vector<std::string>{"File|Ext Change|txt|md"});
}

TEST_F(RuleEditorTest, SavesTheRowsInOrderAfterDelete) {
    Add("File", "Change", "_", "-");
    Add("Folder", "Pre Add", "x_");
    Add("File", "Ext Change", "jpeg", "jpg");
    QTreeWidget* list = Child<QTreeWidget>("ruleList");
    list->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(Child<QPushButton>("deleteButton"), Qt::LeftButton);
    EXPECT_EQ(Saved(),
              "[{\"findadd\":\"_\",\"operate\":\"change\",\"replace\":\"-\",\"type\":\"file\"},"
              "{\"findadd\":\"jpeg\",\"operate\":\"extchange\",\"replace\":\"jpg\",\"type\":\"file\"}]\n");
}

TEST_F(RuleEditorTest, AStoredSetIsSavedBackAsShownAndAnUnreadableOneLeavesTheEditorEmpty) {
    ASSERT_TRUE(m_dlg->SetRuleSet(R"([{"type":"folder","operate":"postadd","findadd":"_old","replace":""},
                                      {"type":"odd","operate":"odd","findadd":"a"}])"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Folder|Post Add|_old|", "||a|"}));
    EXPECT_EQ(Saved(),
              "[{\"findadd\":\"_old\",\"operate\":\"postadd\",\"replace\":\"\",\"type\":\"folder\"},"
              "{\"findadd\":\"a\",\"operate\":\"change\",\"replace\":\"\",\"type\":\"\"}]\n");
    for (const char* text : {"[{", "{\"type\":\"file\"}"}) {
        EXPECT_FALSE(m_dlg->SetRuleSet(text));
        EXPECT_EQ(m_messages.back(), "Cannot read setting items.");
        EXPECT_TRUE(Rows().empty());
    }
    EXPECT_EQ(Saved(), "[]\n");
}
