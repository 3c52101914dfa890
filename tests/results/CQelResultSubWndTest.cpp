// The result window itself: its rows, layout and busy frame, and the list's
// own commands (sorting, selection, clipboard, opening through the desktop).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBrush>
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
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "{\"width\": 300,", 10, 10));
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "[1, 2]", 10, 10));  // not an object
    EXPECT_FALSE(window.isVisible());

    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({"/t/a.txt", "/t/b.txt"}, {"/t/sub"}, 700, 400), 40, 60));
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(40, 60, 700, 400));
    EXPECT_EQ(Column(window, CQelResultListModel::kName), (Texts{"a.txt", "b.txt", "sub"}));
    EXPECT_EQ(Column(window, CQelResultListModel::kType), (Texts{"File", "File", "Folder"}));
    EXPECT_EQ(Column(window, CQelResultListModel::kPath), (Texts{"/t", "/t", "/t"}));
    EXPECT_EQ(Column(window, CQelResultListModel::kFullPath), (Texts{"/t/a.txt", "/t/b.txt", "/t/sub"}));

    EXPECT_FALSE(window.UpdateResult("{\"fileresultlist\": ["));
    EXPECT_FALSE(window.UpdateResult("\"just text\""));
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

TEST(CQelResultSubWnd, CommandButtonsStandRightOfTheListAsTheWindowResizes) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({}, {}, 800, 300), 0, 0));
    const QStringList texts = {"Copy", "Move", "Delete", "Rename", "Save Excel", "Save TXT"};
    for (int i = 0; i < texts.size(); ++i) EXPECT_EQ(window.GetCommandButton(CQelResultSubWnd::kCopy + i)->text(), texts[i]);
    EXPECT_EQ(window.GetListView()->geometry(), QRect(0, 18, 700, 282));
    window.resize(600, 400);
    EXPECT_EQ(window.GetListView()->geometry(), QRect(0, 18, 500, 382));
    EXPECT_EQ(window.GetCommandButton(CQelResultSubWnd::kSaveTxt)->geometry(), QRect(500, 42 + 32 * 5, 100, 30));
}

TEST(CQelResultSubWnd, OperationFrameDisablesTheOwnerAndNotifiesOnce) {
    QWidget owner;
    owner.show();
    QelNotices notices;
    CQelResultSubWnd window;
    window.SetDelegate(&notices);
    ASSERT_TRUE(window.CreateSubWnd(&owner, Record({}, {}), 0, 0));

    // Owner enabled, frame busy, this window enabled, wait cursor: as seen during the work.
    std::array<bool, 4> during{};
    window.RunOperation([&] {
        const QCursor* cursor = QApplication::overrideCursor();
        during = {owner.isEnabled(), window.IsBusy(), window.isEnabled(), cursor && cursor->shape() == Qt::WaitCursor};
        return QelString(u"Copy Complete!!");
    });
    EXPECT_EQ(during, (std::array<bool, 4>{false, true, true, true}));
    EXPECT_EQ(notices.seen, Texts{"MSG|Copy Complete!!|"});
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(window.IsBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    window.EndBusy();  // ending a frame that never began changes nothing
    EXPECT_TRUE(owner.isEnabled());
}

TEST(CQelResultSubWnd, HundredsOfThousandsOfRowsNeedNoRowWidgets) {
    constexpr int kRows = 200000;
    Texts files(kRows);
    for (int i = 0; i < kRows; ++i) files[i] = "/big/tree/file" + std::to_string(i) + ".dat";
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(files, {}), 0, 0));
    EXPECT_LT(window.findChildren<QWidget*>().size(), 40);
    QTableView* list = window.GetListView();
    list->scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(list->rowAt(list->viewport()->height() - 1), kRows - 1);
}

namespace {

class ResultListView : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(kFiles, kFolders, 700, 400), 0, 0));
        window.SetProgramLauncher(&launcher);
        list = window.GetListView();
    }
    // A column of the rows as shown.
    Texts Shown(int column) const {
        Texts out;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            out.push_back(list->model()->index(r, column).data().toString().toStdString());
        return out;
    }
    void ClickHeading(int column) {
        QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    std::string CopiedSelection() {
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text().toStdString();
    }

    const Texts kFiles = {"/t/file10.txt", "/t/file2.txt", "/u/File1.txt", "/a/b"};
    const Texts kFolders = {"/t/dir3", "/a/dir20"};
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
        EXPECT_EQ(Shown(CQelResultListModel::kName), c.names) << "column " << c.column;
        EXPECT_EQ(Column(window, CQelResultListModel::kFullPath), listOrder);  // the operations' order stays
        EXPECT_EQ(CopiedSelection(), "/t/file2.txt\n");  // the selection stays on its row
    }
    for (int r = 0; r < 6; ++r)  // dark rows alternate by shown place, the darkest first
        EXPECT_EQ(list->model()->index(r, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
                  r % 2 ? QColor(63, 63, 63) : QColor(43, 43, 43));
    ASSERT_TRUE(window.UpdateResult(Record({"/n/x10", "/n/x9"}, {"/n/w"})));
    EXPECT_EQ(Shown(CQelResultListModel::kName), (Texts{"w", "x9", "x10"}));
    EXPECT_EQ(Column(window, CQelResultListModel::kFullPath), (Texts{"/n/x10", "/n/x9", "/n/w"}));
}

TEST_F(ResultListView, SelectedRowsCopyAsFullPathsOnePerLine) {
    ClickHeading(CQelResultListModel::kName);  // b, dir3, dir20, File1.txt, file2.txt, file10.txt
    ClickRow(1);
    ClickRow(3, Qt::ShiftModifier);
    EXPECT_EQ(CopiedSelection(), "/t/dir3\n/a/dir20\n/u/File1.txt\n");
    ClickRow(5, Qt::ControlModifier);
    ClickRow(2, Qt::ControlModifier);
    EXPECT_EQ(CopiedSelection(), "/t/dir3\n/u/File1.txt\n/t/file10.txt\n");
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(QString::fromStdString(CopiedSelection()).count('\n'), 6);
}

TEST_F(ResultListView, OpeningAndTheContextMenuHandTheShownRowToTheDesktop) {
    ClickHeading(CQelResultListModel::kName);
    ClickHeading(CQelResultListModel::kName);  // descending: file10.txt, file2.txt, File1.txt, dir20, dir3, b
    ClickRow(1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    list->setCurrentIndex(list->model()->index(3, 0));
    QTest::keyClick(list, Qt::Key_Return);

    list->selectRow(2);
    std::unique_ptr<QMenu> menu(window.MakeContextMenu(4));
    Texts texts;
    for (QAction* action : menu->actions()) texts.push_back(action->text().toStdString());
    EXPECT_EQ(texts, (Texts{"Open", "Open Containing Folder", "Copy Full Path", "", "Copy Selected To...",
                            "Move Selected To...", "Move Selected to Trash", "Rename Selected..."}));
    for (QAction* action : menu->actions().mid(0, 3)) action->trigger();
    EXPECT_EQ(launcher.calls, (Texts{"open /t/file2.txt", "open /a/dir20", "open /t/dir3", "show /t/dir3"}));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "/u/File1.txt\n");  // the selection, not the row
    EXPECT_TRUE(boxes.texts.empty());

    window.OpenShownRow(6);  // past the last row (an empty spot): nothing happens
    window.ShowShownRowInFolder(-1);
    EXPECT_EQ(launcher.calls.size(), 4u);
    // A desktop that cannot open or show the item says so; these rows name
    // nothing on disk, so the user learns the item is gone.
    launcher.starts = false;
    window.OpenShownRow(0);
    window.ShowShownRowInFolder(0);
    EXPECT_EQ(boxes.texts, (Texts{"This item was moved or deleted.",
                                  "The containing folder of \"/t/file10.txt\" could not be opened.\nno file manager"}));
}

TEST_F(ResultListView, CutCellsCarryTheirWholeTextAndUserWidthsSurviveNewResults) {
    const std::string deep = "/" + std::string(120, 'p') + "/deep.txt";
    ASSERT_TRUE(window.UpdateResult(Record({deep, "/t/short.txt"}, {})));
    const QAbstractItemModel* shown = list->model();
    EXPECT_EQ(window.CutCellText(shown->index(0, CQelResultListModel::kPath)).toStdString(), "/" + std::string(120, 'p'));
    EXPECT_EQ(window.CutCellText(shown->index(1, CQelResultListModel::kPath)), QString());
    EXPECT_EQ(window.CutCellText(shown->index(0, CQelResultListModel::kName)), QString());

    list->setColumnWidth(CQelResultListModel::kName, 30);
    list->setColumnWidth(CQelResultListModel::kPath, 500);
    EXPECT_EQ(window.CutCellText(shown->index(0, CQelResultListModel::kName)).toStdString(), "deep.txt");
    ASSERT_TRUE(window.UpdateResult(Record({"/t/a.txt"}, {})));
    EXPECT_EQ(list->columnWidth(CQelResultListModel::kName), 30);
    EXPECT_EQ(list->columnWidth(CQelResultListModel::kPath), 500);
}
