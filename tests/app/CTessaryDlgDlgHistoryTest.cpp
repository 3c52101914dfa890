#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "CQelLogMng.h"
#include "CQelPopupWnd.h"
#include "CTessaryDlgDlg.h"
#include "QelMainWindowFixture.h"
#include "QelPathHistory.h"

namespace {

class PathHistory : public QelMainWindowFixture {
protected:
    void SetUp() override {
        QelMainWindowFixture::SetUp();
        std::filesystem::create_directories(home / "res/view");
        std::filesystem::copy_file(QEL_VIEW_DIR "/pathhistory-tippopup.json", home / "res/view/pathhistory-tippopup.json");
    }
    // Entries /p0 .. /p<count-1>; odd ones searched without sub-folders.
    void WriteHistory(int count) const {
        std::string entries;
        for (int i = 0; i < count; ++i)
            entries += std::string(i ? "," : "") + R"({"date":"2023010)" + std::to_string(i % 10) +
                       R"(","includesub":)" + (i % 2 ? "false" : "true") + R"(,"path":"/p)" + std::to_string(i) + "\"}";
        home.WriteUserEnv(R"({"searchpathhistory":[)" + entries + "]}");
    }
    static CQelPopupWnd* OpenPopup(CTessaryDlgDlg& dialog) {
        dialog.findChild<QPushButton*>("historyButton")->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* popup = qobject_cast<CQelPopupWnd*>(w); popup && popup->isVisible() && !popup->IsClosed())
                return popup;
        return nullptr;
    }
    static void Pick(CQelPopupWnd* popup, int row) {
        const QRect cell = popup->GetList()->visualRect(popup->GetList()->model()->index(row, 0));
        QTest::mouseClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell.center());
        QCoreApplication::processEvents();
    }
    static std::vector<std::string> Paths(const Json::Value& history) {
        std::vector<std::string> out;
        for (const Json::Value& entry : history) out.push_back(entry["path"].asString());
        return out;
    }
    std::string PathText(const CTessaryDlgDlg& dialog) const { return dialog.GetPathEdit()->text().toStdString(); }
};

}  // namespace

TEST_F(PathHistory, SearchUpdatesItsEntryInPlaceAndCaseMakesANewOne) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    std::filesystem::create_directories(home / "Tree");
    home.WriteUserEnv(R"({"searchpathhistory":[{"date":"20000101","includesub":true,"path":")" + tree +
                      R"("},{"date":"20000102","includesub":true,"path":"/"}]})");
    CTessaryDlgDlg dialog;
    dialog.show();
    dialog.GetIncludeSubCheck()->setChecked(false);
    for (const std::string& path : {tree, home / "Tree"}) {
        dialog.GetPathEdit()->setText(QString::fromStdString(path));
        dialog.GetSearchButton()->click();
    }
    dialog.GetExitButton()->click();
    const Json::Value history = home.ReadUserEnv()["searchpathhistory"];
    EXPECT_EQ(Paths(history), (std::vector<std::string>{tree, "/", home / "Tree"}));
    EXPECT_EQ(history[0]["date"].asString(), qel::TodayHistoryDate().ToStdString());
    EXPECT_FALSE(history[0]["includesub"].asBool());
    EXPECT_EQ(history[1]["date"].asString(), "20000102");
}

TEST_F(PathHistory, PopupListsEveryLineAndDeleteRemovesTheChosenThenTheFirstEntry) {
    WriteHistory(8);
    CTessaryDlgDlg dialog;
    dialog.show();
    dialog.findChild<QPushButton*>("historyDeleteButton")->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No items selected.");
    EXPECT_EQ(dialog.GetEnvArrays().history->size(), 8u);

    CQelPopupWnd* popup = OpenPopup(dialog);
    ASSERT_NE(popup, nullptr);
    const QLineEdit* pathBox = dialog.GetPathEdit();
    EXPECT_EQ(popup->geometry(), QRect(pathBox->mapToGlobal(QPoint(0, pathBox->height())),
                                       QSize(pathBox->width(), pathBox->height() * 5)));
    EXPECT_EQ(popup->GetList()->columnWidth(0), pathBox->width() - 10);
    ASSERT_EQ(popup->GetList()->model()->rowCount(), 8);
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(popup->GetList()->model()->index(r, 0).data().toString().toStdString(),
                  dialog.GetHistoryLines()[r].ToStdString());
    EXPECT_EQ(dialog.GetHistoryLines()[3].ToStdString(), "[2023/01/03] /p3(sub not check)");

    CQelLogMng::GetInstance()->SetEnabled(true);
    testing::internal::CaptureStderr();
    Pick(popup, 3);
    const std::string log = testing::internal::GetCapturedStderr();
    CQelLogMng::GetInstance()->SetEnabled(false);
    EXPECT_NE(log.find("retJson Read Success"), std::string::npos);
    EXPECT_EQ(PathText(dialog), "/p3");
    EXPECT_FALSE(dialog.GetIncludeSubCheck()->isChecked());

    dialog.findChild<QPushButton*>("historyDeleteButton")->click();
    EXPECT_EQ(PathText(dialog), "/p0");
    EXPECT_TRUE(dialog.GetIncludeSubCheck()->isChecked());
    dialog.findChild<QPushButton*>("historyDeleteButton")->click();
    EXPECT_EQ(PathText(dialog), "/p1");
    EXPECT_EQ(dialog.GetHistoryLines().GetCount(), 6);
    EXPECT_EQ(dialog.GetHistoryLines()[0].ToStdString(), "[2023/01/01] /p1(sub not check)");
    EXPECT_EQ(boxes.size(), 1u);
    dialog.GetExitButton()->click();
    EXPECT_EQ(Paths(home.ReadUserEnv()["searchpathhistory"]),
              (std::vector<std::string>{"/p1", "/p2", "/p4", "/p5", "/p6", "/p7"}));
}

TEST_F(PathHistory, DeletingTheLastEntryLeavesNothingToOpen) {
    WriteHistory(1);
    CTessaryDlgDlg dialog;
    dialog.show();
    CQelPopupWnd* popup = OpenPopup(dialog);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->height(), dialog.GetPathEdit()->height());
    Pick(popup, 0);
    dialog.findChild<QPushButton*>("historyDeleteButton")->click();
    EXPECT_EQ(PathText(dialog), "");
    EXPECT_FALSE(dialog.GetIncludeSubCheck()->isChecked());
    EXPECT_EQ(OpenPopup(dialog), nullptr);
    dialog.GetExitButton()->click();
    EXPECT_EQ(home.ReadUserEnv()["searchpathhistory"], Json::Value(Json::arrayValue));
}

TEST_F(PathHistory, MissingOrBrokenViewFileOpensNothing) {
    WriteHistory(2);
    CTessaryDlgDlg dialog;
    dialog.show();
    for (const char* view : std::initializer_list<const char*>{"{\"width\": 300,", "[1, 2]", "{\"width\": 300}", nullptr}) {
        if (view) home.WriteFile("res/view/pathhistory-tippopup.json", view);
        else std::filesystem::remove(home / "res/view/pathhistory-tippopup.json");
        EXPECT_EQ(OpenPopup(dialog), nullptr) << (view ? view : "missing");
    }
    EXPECT_TRUE(boxes.empty());
}
