#pragma once
// One fixture for the list editors (filter, job) driven through their real
// widgets: message boxes answered OK and recorded, the dialog opened in a
// mode on a record, children found by object name, the list's rows and
// clicks on them. An editor's test names its list and adds its own helpers.
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <json/reader.h>

#include <memory>
#include <string>
#include <vector>

#include "CQelMessageBox.h"

inline Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(text, value)) << text;
    return value;
}

template <typename Dialog>
class QelEditorDialogTest : public ::testing::Test {
protected:
    using Rows = std::vector<std::string>;  // the three columns joined by '|', per row

    explicit QelEditorDialogTest(const char* listName) : m_listName(listName) {}
    void SetUp() override {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind, const QString& text) {
            m_messages.push_back(text.toStdString());
            return CQelMessageBox::Answer::Ok;
        });
    }
    void TearDown() override { CQelMessageBox::SetHandler({}); }

    void Open(typename Dialog::Mode mode, const Json::Value& record = Json::Value()) {
        m_dlg = std::make_unique<Dialog>(nullptr, mode, record);
        m_dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    }
    template <typename W>
    W* Child(const char* name) {
        W* widget = m_dlg->template findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTreeWidget* List() { return Child<QTreeWidget>(m_listName); }
    void Click(const char* button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect rect = List()->visualItemRect(List()->topLevelItem(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    Rows ListRows() {
        Rows rows;
        for (int i = 0; i < List()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = List()->topLevelItem(i);
            rows.push_back(QStringList({item->text(0), item->text(1), item->text(2)}).join(u'|').toStdString());
        }
        return rows;
    }

    const char* m_listName;
    std::unique_ptr<Dialog> m_dlg;
    std::vector<std::string> m_messages;
};
