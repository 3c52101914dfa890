// The result window itself: its rows, place and busy frame, and the list's
// own commands (sorting, selection, clipboard, opening through the desktop).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include "QelRecordingLauncher.h"
#include "QelResultWindowFixture.h"

TEST(CQelResultSubWnd, CreatesRowsAtThePositionAndUpdatesReplaceThem) {
    CQelResultSubWnd window;
    for (const char* unreadable : {"{\"width\": 300,", "[1, 2]"}) EXPECT_FALSE(window.CreateSubWnd(nullptr, unreadable, 10, 10));
    EXPECT_FALSE(window.isVisible());
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({"/t/a.txt", "/t/b.txt"}, {"/t/sub"}, 700, 400), 40, 60));
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(40, 60, 700, 400));
    EXPECT_EQ(Column(window, CQelResultListModel::kName), (Texts{"a.txt", "b.txt", "sub"}));
    EXPECT_EQ(Column(window, CQelResultListModel::kType), (Texts{"File", "File", "Folder"}));
    EXPECT_EQ(Column(window, CQelResultListModel::kFullPath), (Texts{"/t/a.txt", "/t/b.txt", "/t/sub"}));

    for (const char* unreadable : {"{\"fileresultlist\": [", "\"just text\""}) EXPECT_FALSE(window.UpdateResult(unreadable));
    EXPECT_EQ(window.GetListModel()->rowCount(), 3);  // unreadable updates keep the rows
    // A window the user closed comes back with the next results, where it was;
    // a missing key empties that kind of row, and the size stays.
    window.move(30, 40);
    window.close();
    ASSERT_TRUE(window.UpdateResult("{\"dirresultlist\": [\"/t/d1\"]}"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(30, 40, 700, 400));
    EXPECT_EQ(Column(window, CQelResultListModel::kFullPath), Texts{"/t/d1"});

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    CQelResultSubWnd corner;  // moved left and up to fit the screen
    ASSERT_TRUE(corner.CreateSubWnd(nullptr, Record({}, {}, 300, 200), screen.width() - 50, screen.height() - 20));
    EXPECT_EQ(corner.pos(), QPoint(screen.width() - 300, screen.height() - 200));
}

TEST(CQelResultSubWnd, OperationFrameDisablesTheOwnerAndNotifiesOnce) {
    QWidget owner;
    owner.show();
    QelNotices notices;
    CQelResultSubWnd window;
    window.SetDelegate(&notices);
    ASSERT_TRUE(window.CreateSubWnd(&owner, Record({}, {}), 0, 0));
    // Owner disabled, frame busy, this window enabled, wait cursor: as seen during the work.
    std::vector<bool> during;
    window.RunOperation([&] {
        const QCursor* cursor = QApplication::overrideCursor();
        during = {owner.isEnabled(), window.IsBusy(), window.isEnabled(), cursor && cursor->shape() == Qt::WaitCursor};
        return QelString(u"Copy Complete!!");
    });
    EXPECT_EQ(during, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(notices.seen, Texts{"MSG|Copy Complete!!|"});
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(window.IsBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    window.EndBusy();  // ending a frame that never began changes nothing
    EXPECT_TRUE(owner.isEnabled());
}

namespace {

class ResultListView : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({"/t/file10.txt", "/t/file2.txt", "/u/File1.txt", "/a/b"},
                                                        {"/t/dir3", "/a/dir20"}, 700, 400), 0, 0));
        window.SetProgramLauncher(&launcher);
        list = window.GetListView();
    }
    // The names as shown.
    Texts Shown() const {
        Texts out;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            out.push_back(list->model()->index(r, CQelResultListModel::kName).data().toString().toStdString());
        return out;
    }
    void ClickHeading(int column) {
        QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    std::string CopiedSelection() {
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text().toStdString();
    }

    CQelResultSubWnd window;
    QelRecordingLauncher launcher;
    QelBoxRecorder boxes;
    QTableView* list = nullptr;
};

}  // namespace

TEST_F(ResultListView, HeadingsSortTheShownRowsOnlyAndTheOrderOutlivesNewResults) {
    const Texts listOrder = Column(window, CQelResultListModel::kFullPath);
    list->selectRow(1);  // /t/file2.txt
    const struct {
        int column;
        Texts names;
    } cases[] = {
        {CQelResultListModel::kName, {"b", "dir3", "dir20", "File1.txt", "file2.txt", "file10.txt"}},
        {CQelResultListModel::kName, {"file10.txt", "file2.txt", "File1.txt", "dir20", "dir3", "b"}},
        {CQelResultListModel::kType, {"b", "File1.txt", "file2.txt", "file10.txt", "dir3", "dir20"}},
        {CQelResultListModel::kPath, {"b", "dir20", "dir3", "file2.txt", "file10.txt", "File1.txt"}},
    };
    for (const auto& c : cases) {
        ClickHeading(c.column);
        EXPECT_EQ(Shown(), c.names) << "column " << c.column;
        EXPECT_EQ(Column(window, CQelResultListModel::kFullPath), listOrder);  // the operations' order stays
        EXPECT_EQ(CopiedSelection(), "/t/file2.txt\n");  // the selection stays on its row
    }
    ASSERT_TRUE(window.UpdateResult(Record({"/n/x10", "/n/x9"}, {"/n/w"})));
    EXPECT_EQ(Shown(), (Texts{"w", "x9", "x10"}));
    EXPECT_EQ(Column(window, CQelResultListModel::kFullPath), (Texts{"/n/x10", "/n/x9", "/n/w"}));
}

TEST_F(ResultListView, OpeningAndTheContextMenuHandTheShownRowToTheDesktop) {
    ClickHeading(CQelResultListModel::kName);
    ClickHeading(CQelResultListModel::kName);  // descending: file10.txt, file2.txt, File1.txt, dir20, dir3, b
    const QPoint second = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    list->setCurrentIndex(list->model()->index(3, 0));
    QTest::keyClick(list, Qt::Key_Return);
    list->selectRow(2);
    std::unique_ptr<QMenu> menu(window.MakeContextMenu(4));  // Open, Open Containing Folder, Copy Full Path
    for (QAction* action : menu->actions().mid(0, 3)) action->trigger();
    EXPECT_EQ(launcher.calls, (Texts{"open /t/file2.txt", "open /a/dir20", "open /t/dir3", "show /t/dir3"}));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "/u/File1.txt\n");  // the selection, not the row
    window.OpenShownRow(6);  // past the last row (an empty spot): nothing happens
    window.ShowShownRowInFolder(-1);
    EXPECT_EQ(launcher.calls.size(), 4u);
    EXPECT_TRUE(boxes.texts.empty());
    // A desktop that cannot open or show the item says so; these rows name
    // nothing on disk, so the user learns the item is gone.
    launcher.starts = false;
    window.OpenShownRow(0);
    window.ShowShownRowInFolder(0);
    EXPECT_EQ(boxes.texts, (Texts{"This item was moved or deleted.",
                                  "The containing folder of \"/t/file10.txt\" could not be opened.\nno file manager"}));
}
