#pragma once
// Drives a real main window in its own program folder; message boxes are
// recorded and Yes/No questions answered from a script.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <deque>
#include <memory>
#include <vector>

#include "CQelLabel.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "CTessaryDlgDlg.h"
#include "QelAppTestHome.h"

using Texts = std::vector<std::string>;
using Answer = CQelMessageBox::Answer;

class QelMainWindowFixture : public ::testing::Test {
protected:
    struct Box {
        CQelMessageBox::Kind kind;
        QString text;
        bool onUiThread;  // Qt allows boxes on the UI thread only
    };

    void SetUp() override {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind kind, const QString& text) {
            boxes.push_back({kind, text, QThread::currentThread() == QCoreApplication::instance()->thread()});
            if (kind != CQelMessageBox::Kind::Question) return Answer::Ok;
            if (answers.empty()) return Answer::No;
            const Answer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    void TearDown() override { CQelMessageBox::SetHandler({}); }

    // Two filters: "Text" finds .txt files and folders named "sub"; "Empty" has no strings.
    void WriteTwoFilters() const {
        home.WriteConfigEnv(R"({"searchfilter": [
            {"name": "Text", "filterfilename": [], "filterfileext": ["txt"], "filterdirname": ["sub"]},
            {"name": "Empty", "filterfilename": [], "filterfileext": [], "filterdirname": []}]})");
    }
    // tree/a.txt, tree/b.md, tree/sub/c.txt, tree/sub/deeper/sub/, tree/notes/d.txt; returns tree's path.
    std::string MakeTree() const {
        for (const char* file : {"a.txt", "b.md", "sub/c.txt", "notes/d.txt", "sub/deeper/sub/"})
            home.WriteFile(std::string("tree/") + file, "x");
        return home / "tree";
    }

    // A fresh main window, shown, in place of the previous one.
    void Open() {
        dialog = std::make_unique<CTessaryDlgDlg>();
        dialog->show();
    }
    void Search(const std::string& path, int filter = 0) {
        dialog->GetPathEdit()->setText(QString::fromStdString(path));
        dialog->GetFilterCombo()->setCurrentIndex(filter);
        dialog->GetSearchButton()->click();
    }
    void Click(const char* button) { dialog->findChild<QPushButton*>(button)->click(); }
    // The full paths of the result window's rows; none without a result window.
    Texts Rows() const {
        Texts out;
        const CQelResultListModel* model = dialog->GetResultSubWnd() ? dialog->GetResultSubWnd()->GetListModel() : nullptr;
        for (int r = 0; model && r < model->rowCount(); ++r) out.push_back(model->index(r, 3).data().toString().toStdString());
        return out;
    }
    // Exits through the Exit button and returns the env.json it wrote.
    Json::Value SavedOnExit() {
        dialog->GetExitButton()->click();
        return home.ReadUserEnv();
    }
    Texts BoxTexts() const {
        Texts out;
        for (const Box& box : boxes) out.push_back(box.text.toStdString());
        return out;
    }
    std::string Status() const { return dialog->GetStatusLabel()->GetPropString(u"caption").ToStdString(); }
    static std::string Today() { return QDate::currentDate().toString("yyyyMMdd").toStdString(); }
    static Texts ComboTexts(const QComboBox* combo) {
        Texts out;
        for (int i = 0; i < combo->count(); ++i) out.push_back(combo->itemText(i).toStdString());
        return out;
    }
    static Json::Value ParseJson(const std::string& text) {
        Json::Value value;
        EXPECT_TRUE(Json::Reader().parse(text, value)) << text;
        return value;
    }

    QelAppTestHome home;
    std::vector<Box> boxes;
    std::deque<Answer> answers;
    std::unique_ptr<CTessaryDlgDlg> dialog;  // destroyed before the program folder goes
};
