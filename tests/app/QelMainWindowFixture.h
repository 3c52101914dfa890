#pragma once
// Drives a real main window in its own program folder; message boxes are
// recorded and Yes/No questions answered from a script.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QString>
#include <deque>
#include <filesystem>
#include <fstream>
#include <vector>

#include "CQelLabel.h"
#include "CQelMessageBox.h"
#include "QelAppTestHome.h"

class QelMainWindowFixture : public ::testing::Test {
protected:
    struct Box {
        CQelMessageBox::Kind kind;
        QString text;
    };

    void SetUp() override {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind kind, const QString& text) {
            boxes.push_back({kind, text});
            if (kind != CQelMessageBox::Kind::Question) return CQelMessageBox::Answer::Ok;
            if (answers.empty()) return CQelMessageBox::Answer::No;
            const CQelMessageBox::Answer answer = answers.front();
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
        const std::string root = home / "tree";
        for (const char* dir : {"sub/deeper/sub", "notes"}) std::filesystem::create_directories(root + "/" + dir);
        for (const char* file : {"a.txt", "b.md", "sub/c.txt", "notes/d.txt"}) std::ofstream(root + "/" + file) << "x";
        return root;
    }

    static std::string Caption(const CQelLabel* label) { return label->GetPropString(u"caption").ToStdString(); }
    static std::vector<std::string> ComboTexts(const QComboBox* combo) {
        std::vector<std::string> out;
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
    std::deque<CQelMessageBox::Answer> answers;
};
