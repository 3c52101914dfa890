#include <QApplication>
#include <QCheckBox>
#include <QTableView>
#include <QTest>

#include "CQelPopupWnd.h"
#include "QelMainWindowFixture.h"

namespace {

class PathHistory : public QelMainWindowFixture {
protected:
    void SetUp() override {
        QelMainWindowFixture::SetUp();
        std::filesystem::create_directories(home / "res/view");
        std::filesystem::copy_file(QEL_VIEW_DIR "/pathhistory-tippopup.json",
                                   home / "res/view/pathhistory-tippopup.json");
    }
    // The given entries, then /p0 .. /p<count-1> of 2023-01-0<i>, every third (i % 3 == 2) without sub-folders.
    void OpenWithHistory(int entries, std::string list = "") {
        for (int i = 0; i < entries; ++i)
            list += std::string(list.empty() ? "" : ",") + R"({"date":"2023010)" + std::to_string(i) +
                    R"(","includesub":)" + (i % 3 == 2 ? "false" : "true") + R"(,"path":"/p)" + std::to_string(i) +
                    "\"}";
        home.WriteUserEnv(R"({"searchpathhistory":[)" + list + "]}");
        Open();
    }
    CQelPopupWnd* OpenPopup() {
        dialog->findChild<QPushButton*>("historyButton")->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* popup = qobject_cast<CQelPopupWnd*>(w); popup && popup->isVisible() && !popup->IsClosed())
                return popup;
        return nullptr;
    }
    // Chooses the row in a fresh popup as the user does, by a double-click.
    void Pick(int row) {
        CQelPopupWnd* popup = OpenPopup();
        ASSERT_NE(popup, nullptr);
        const QRect cell = popup->GetList()->visualRect(popup->GetList()->model()->index(row, 0));
        QTest::mouseClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(popup->GetList()->viewport(), Qt::LeftButton, {}, cell.center());
        QCoreApplication::processEvents();
    }
    void Delete() { dialog->findChild<QPushButton*>("historyDeleteButton")->click(); }
    std::string Path() const { return dialog->GetPathEdit()->text().toStdString(); }
    Texts PathsSavedOnExit() {
        const Json::Value saved = SavedOnExit()["searchpathhistory"];
        EXPECT_TRUE(saved.isArray());
        Texts out;
        for (const Json::Value& entry : saved) out.push_back(entry["path"].asString());
        return out;
    }
};

}  // namespace

TEST_F(PathHistory, SearchUpdatesItsEntryInPlaceAndCaseMakesANewOne) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    std::filesystem::create_directories(home / "Tree");
    OpenWithHistory(1, R"({"date":"20000101","includesub":true,"path":")" + tree + "\"}");
    dialog->GetIncludeSubCheck()->setChecked(false);
    for (const std::string& path : {tree, home / "Tree"}) Search(path);
    EXPECT_EQ(PathsSavedOnExit(), (Texts{tree, "/p0", home / "Tree"}));
    const Json::Value updated = home.ReadUserEnv()["searchpathhistory"][0];
    EXPECT_EQ(updated["date"].asString(), Today());
    EXPECT_FALSE(updated["includesub"].asBool());
}

TEST_F(PathHistory, PopupListsEveryLineAndDeleteRemovesTheChosenThenTheFirstEntry) {
    OpenWithHistory(8);
    Delete();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No items selected.");

    CQelPopupWnd* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    const QLineEdit* box = dialog->GetPathEdit();
    EXPECT_EQ(popup->geometry(),
              QRect(box->mapToGlobal(QPoint(0, box->height())), QSize(box->width(), box->height() * 5)));
    EXPECT_EQ(popup->GetList()->columnWidth(0), box->width() - 10);
    ASSERT_EQ(popup->GetList()->model()->rowCount(), 8);
    EXPECT_EQ(popup->GetList()->model()->index(2, 0).data().toString(), "[2023/01/02] /p2(sub not check)");
    EXPECT_EQ(popup->GetList()->model()->index(7, 0).data().toString(), "[2023/01/07] /p7(sub check)");
    // Escape on a highlighted line chooses nothing: what the user typed stays.
    dialog->GetPathEdit()->setText("typed");
    popup->GetList()->selectRow(3);
    QTest::keyClick(popup->GetList(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(popup->IsClosed());
    EXPECT_EQ(Path(), "typed");

    Pick(2);
    EXPECT_EQ(Path(), "/p2");
    EXPECT_FALSE(dialog->GetIncludeSubCheck()->isChecked());
    Delete();
    EXPECT_EQ(Path(), "/p0");
    EXPECT_TRUE(dialog->GetIncludeSubCheck()->isChecked());
    Delete();
    EXPECT_EQ(Path(), "/p1");
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(PathsSavedOnExit(), (Texts{"/p1", "/p3", "/p4", "/p5", "/p6", "/p7"}));
}

TEST_F(PathHistory, WithoutAViewFileOrAnEntryTheArrowOpensNothing) {
    OpenWithHistory(1);
    for (const char* view : {"{\"width\": 300,", "[1, 2]", "{\"width\": 300}", ""}) {
        home.WriteFile("res/view/pathhistory-tippopup.json", view);
        if (!*view) std::filesystem::remove(home / "res/view/pathhistory-tippopup.json");
        EXPECT_EQ(OpenPopup(), nullptr) << view;
    }
    std::filesystem::copy_file(QEL_VIEW_DIR "/pathhistory-tippopup.json", home / "res/view/pathhistory-tippopup.json");
    Pick(0);
    EXPECT_EQ(Path(), "/p0");
    Delete();
    EXPECT_EQ(Path(), "");
    EXPECT_FALSE(dialog->GetIncludeSubCheck()->isChecked());
    EXPECT_EQ(OpenPopup(), nullptr);
    EXPECT_EQ(PathsSavedOnExit(), Texts{});
}
