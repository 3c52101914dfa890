#pragma once
// A program folder of its own for one test (config/ and user/ below a fresh
// folder in /tmp), an environment variable set for one scope, and the real
// main window driven headless: message boxes are recorded and Yes/No
// questions answered from a script.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <deque>

#include "CQelDirMng.h"
#include "CQelLabel.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "CTessaryDlgDlg.h"
#include "../common/QelTreeText.h"

using Answer = CQelMessageBox::Answer;

// Runs the UI thread's events until done() holds, for at most 20 s.
inline bool PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

inline Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(text, value)) << text;
    return value;
}

struct QelAppTestHome : QelTestDir {
    QelAppTestHome() { CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(path())); }
    // A leaf ending in "/" is made as a folder.
    void WriteFile(const std::string& leaf, const std::string& text = "") const {
        std::filesystem::create_directories(std::filesystem::path(*this / leaf).parent_path());
        if (!leaf.ends_with('/')) WriteBytes(*this / leaf, text);
    }
    std::string ReadFile(const std::string& leaf) const { return ReadBytes(*this / leaf); }
    Json::Value ReadUserEnv() const { return Parse(ReadFile("user/env.json")); }  // as the program wrote it
};

struct ScopedEnv {
    ScopedEnv(const char* name, const std::string& value) : name(name), had(qEnvironmentVariableIsSet(name)), old(qgetenv(name)) {
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedEnv() { had ? (void)qputenv(name, old) : (void)qunsetenv(name); }
    const char* name;
    const bool had;
    const QByteArray old;
};

class QelMainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind kind, const QString& text) {
            EXPECT_EQ(QThread::currentThread(), qApp->thread()) << "Qt allows boxes on the UI thread only";
            boxes.push_back(text.toStdString());
            if (kind != CQelMessageBox::Kind::Question) return Answer::Ok;
            if (answers.empty()) return Answer::No;
            const Answer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    void TearDown() override { CQelMessageBox::SetHandler({}); }

    // Filters "Text" (.txt files and folders named "sub") and "Empty" (no strings), the given jobs, and
    // tree/a.txt, b.md, sub/c.txt, sub/deeper/sub/, notes/d.txt; returns tree's path.
    std::string MakeTree(const std::string& jobs = "[]") const {
        home.WriteFile("config/env.json", R"({"searchfilter": [{"name": "Text", "filterfileext": ["txt"], "filterdirname": ["sub"]},
            {"name": "Empty", "filterfilename": []}], "aftersearchjob": )" + jobs + "}");
        for (const char* file : {"a.txt", "b.md", "sub/c.txt", "notes/d.txt", "sub/deeper/sub/"}) home.WriteFile(std::string("tree/") + file, "x");
        return home / "tree";
    }
    // A fresh main window, shown, in place of the previous one.
    void Open() { (dialog = std::make_unique<CTessaryDlgDlg>())->show(); }
    void Search(const std::string& path, int filter = 0) {
        dialog->GetPathEdit()->setText(QString::fromStdString(path));
        dialog->GetFilterCombo()->setCurrentIndex(filter);
        dialog->GetSearchButton()->click();
    }
    void Click(const char* button) { dialog->findChild<QPushButton*>(button)->click(); }
    void ClickLink(const char* link) { emit dialog->findChild<QLabel*>(link)->linkActivated(QStringLiteral("#")); }
    // The full paths of the result window's rows; none without a result window.
    Texts Rows() const {
        Texts out;
        const CQelResultListModel* model = dialog->GetResultSubWnd() ? dialog->GetResultSubWnd()->GetListModel() : nullptr;
        for (int r = 0; model && r < model->rowCount(); ++r) out.push_back(model->index(r, 3).data().toString().toStdString());
        return out;
    }
    // Exits through the Exit button and returns the env.json it wrote.
    Json::Value SavedOnExit() { return dialog->GetExitButton()->click(), home.ReadUserEnv(); }
    std::string Status() const { return dialog->GetStatusLabel()->GetPropString(u"caption").ToStdString(); }

    QelAppTestHome home;
    Texts boxes;  // the text of each message box shown
    std::deque<Answer> answers;
    std::unique_ptr<CTessaryDlgDlg> dialog;  // destroyed before the program folder goes
};
