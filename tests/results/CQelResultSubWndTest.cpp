#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

#include "CCaption.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "IQelResultSubWndDelegate.h"

namespace {

std::string Record(int width, int height, std::initializer_list<const char*> files,
                   std::initializer_list<const char*> folders) {
    Json::Value record(Json::objectValue);
    if (width) record["width"] = width;
    if (height) record["height"] = height;
    record["fileresultlist"] = Json::Value(Json::arrayValue);
    record["dirresultlist"] = Json::Value(Json::arrayValue);
    for (const char* f : files) record["fileresultlist"].append(f);
    for (const char* d : folders) record["dirresultlist"].append(d);
    return Json::FastWriter().write(record);
}

QString Cell(const CQelResultSubWnd& window, int row, int column) {
    return window.GetListModel()->index(row, column).data().toString();
}

struct RecordingDelegate : IQelResultSubWndDelegate {
    void onNotifyEvent(const QelString& name, const QelString& p1, const QelString& p2) override {
        events.push_back({name.ToStdString(), p1.ToStdString(), p2.ToStdString()});
    }
    std::vector<std::array<std::string, 3>> events;
};

}  // namespace

TEST(CQelResultSubWnd, CreatesAtThePositionWithSizeRowsAndColumns) {
    CQelResultSubWnd window;
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "{\"width\": 300,", 10, 10));
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "[1, 2]", 10, 10));  // not an object
    EXPECT_FALSE(window.isVisible());

    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(700, 400, {"/t/a.txt"}, {"/t/sub"}), 40, 60));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(40, 60, 700, 400));
    EXPECT_EQ(window.GetResultModel()["width"].asInt(), 700);
    ASSERT_EQ(window.GetListModel()->rowCount(), 2);
    const QStringList headings = {"Name", "Type", "Path", "FullPath"}, cells = {"a.txt", "File", "/t", "/t/a.txt"};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(window.GetListModel()->headerData(c, Qt::Horizontal).toString(), headings[c]);
        EXPECT_EQ(Cell(window, 0, c), cells[c]);
        EXPECT_EQ(window.GetListModel()->index(0, c).data(Qt::TextAlignmentRole).toInt(),
                  (c < 2 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    EXPECT_EQ(Cell(window, 1, 1), "Folder");
    const QTableView* list = window.GetListView();
    EXPECT_EQ(std::vector<int>({list->columnWidth(0), list->columnWidth(1), list->columnWidth(2)}),
              std::vector<int>({160, 60, 348}));
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(CQelResultSubWnd, MovesLeftOrUpToFitTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(300, 200, {}, {}), screen.width() - 50, screen.height() - 20));
    EXPECT_EQ(window.pos(), QPoint(screen.width() - 300, screen.height() - 200));
}

TEST(CQelResultSubWnd, LaysOutCaptionsListAndCommandButtons) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(600, 400, {}, {}), 0, 0));
    EXPECT_EQ(window.GetCaption()->geometry(), QRect(0, 0, 600, 18));
    EXPECT_EQ(window.GetCaption()->GetCaption().ToStdString(), "Search result window");
    EXPECT_EQ(window.GetCaption()->GetTipText().ToStdString(), "This window is used to search results.");
    EXPECT_TRUE(window.GetCaption()->HasToolTip());
    EXPECT_EQ(window.GetListView()->geometry(), QRect(0, 18, 500, 382));
    EXPECT_EQ(window.GetOperationCaption()->geometry(), QRect(500, 18, 100, 40));
    EXPECT_EQ(window.GetOperationCaption()->GetCaption().ToStdString(), "Operation");
    EXPECT_EQ(window.GetOperationCaption()->GetTipText().ToStdString(), "Work on the results.");
    const QStringList texts = {"Copy", "Move", "Delete", "Rename", "Save Excel", "Save TXT"};
    for (int i = 0; i < texts.size(); ++i) {
        QPushButton* button = window.GetCommandButton(CQelResultSubWnd::kCopy + i);
        ASSERT_NE(button, nullptr) << i;
        EXPECT_EQ(button->text(), texts[i]);
        EXPECT_FALSE(button->icon().isNull()) << i;
        EXPECT_EQ(button->geometry(), QRect(500, 42 + 32 * i, 100, 30)) << i;
    }
    EXPECT_EQ(window.GetCommandButton(CQelResultSubWnd::kSaveTxt + 1), nullptr);

    window.resize(800, 300);
    EXPECT_EQ(window.GetCaption()->geometry(), QRect(0, 0, 800, 18));
    EXPECT_EQ(window.GetListView()->geometry(), QRect(0, 18, 700, 282));
    EXPECT_EQ(window.GetCommandButton(CQelResultSubWnd::kCopy)->geometry(), QRect(700, 42, 100, 30));
}

TEST(CQelResultSubWnd, UpdateReplacesBothListsAndKeepsTheSize) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(500, 400, {"/t/a.txt", "/t/b.txt"}, {}), 0, 0));
    EXPECT_FALSE(window.UpdateResult("{\"fileresultlist\": ["));
    EXPECT_FALSE(window.UpdateResult("\"just text\""));
    EXPECT_EQ(window.GetListModel()->rowCount(), 2);  // unreadable updates keep the rows
    ASSERT_TRUE(window.UpdateResult(Record(0, 0, {}, {"/t/d1", "/t/d2"})));
    ASSERT_EQ(window.GetListModel()->rowCount(), 2);
    EXPECT_EQ(Cell(window, 0, 1), "Folder");
    EXPECT_EQ(Cell(window, 1, 3), "/t/d2");
    EXPECT_EQ(window.GetResultModel()["width"].asInt(), 500);

    // A window the user closed comes back with the next results, where it was.
    window.move(30, 40);
    window.close();
    ASSERT_FALSE(window.isVisible());
    // A missing key empties that kind of row.
    ASSERT_TRUE(window.UpdateResult("{\"fileresultlist\": [\"/t/only.txt\"]}"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(30, 40));
    ASSERT_EQ(window.GetListModel()->rowCount(), 1);
    EXPECT_EQ(Cell(window, 0, 0), "only.txt");
}

TEST(CQelResultSubWnd, RowsAlternateDarkBackgroundsStartingWithTheDarkest) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(600, 300, {"/t/a", "/t/b", "/t/c"}, {"/t/d"}), 0, 0));
    QTableView* list = window.GetListView();
    const QImage image = list->viewport()->grab().toImage();
    const QColor even(43, 43, 43), odd(63, 63, 63), text(81, 156, 214);
    for (int row = 0; row < 4; ++row) {
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        const QColor background = image.pixelColor(cell.right() - 2, cell.center().y());
        EXPECT_EQ(background, row % 2 ? odd : even) << "row " << row;
    }
    // Below the last row the list's own background shows.
    const QRect last = list->visualRect(list->model()->index(3, 1));
    EXPECT_EQ(image.pixelColor(last.center().x(), last.bottom() + 10), even);

    // The text is drawn in the list's blue text colour (antialiased against the row).
    EXPECT_EQ(window.GetListModel()->data(window.GetListModel()->index(0, 0), Qt::ForegroundRole).value<QBrush>().color(),
              text);
    bool sawText = false;
    const QRect type = list->visualRect(list->model()->index(0, 1));
    for (int x = type.left(); x <= type.right() && !sawText; ++x) {
        for (int y = type.top(); y <= type.bottom() && !sawText; ++y) {
            const QColor c = image.pixelColor(x, y);
            sawText = c.blue() > 120 && c.blue() > c.red() + 40;
        }
    }
    EXPECT_TRUE(sawText);
}

TEST(CQelResultSubWnd, OperationFrameDisablesTheOwnerAndNotifiesOnce) {
    QWidget owner;
    owner.show();
    RecordingDelegate delegate;
    CQelResultSubWnd window;
    window.SetDelegate(&delegate);
    ASSERT_TRUE(window.CreateSubWnd(&owner, Record(400, 300, {}, {}), 0, 0));

    // Owner enabled, frame busy, this window enabled, wait cursor: as seen during the work.
    std::array<bool, 4> during{};
    window.RunOperation([&] {
        const QCursor* cursor = QApplication::overrideCursor();
        during = {owner.isEnabled(), window.IsBusy(), window.isEnabled(), cursor && cursor->shape() == Qt::WaitCursor};
        return QelString(u"Copy Complete!!");
    });
    EXPECT_EQ(during, (std::array<bool, 4>{false, true, true, true}));
    EXPECT_EQ(delegate.events, (std::vector<std::array<std::string, 3>>{{"MSG", "Copy Complete!!", ""}}));
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(window.IsBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Ending a frame that never began changes nothing.
    window.EndBusy();
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(CQelResultSubWnd, HundredsOfThousandsOfRowsNeedNoRowWidgets) {
    Json::Value record(Json::objectValue);
    record["width"] = 600;
    record["height"] = 400;
    Json::Value& files = record["fileresultlist"] = Json::Value(Json::arrayValue);
    constexpr int kRows = 200000;
    files.resize(kRows);
    for (int i = 0; i < kRows; ++i) files[i] = "/big/tree/file" + std::to_string(i) + ".dat";
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Json::FastWriter().write(record), 0, 0));
    EXPECT_EQ(window.GetListModel()->rowCount(), kRows);
    EXPECT_LT(window.findChildren<QWidget*>().size(), 40);

    QTableView* list = window.GetListView();
    list->scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(list->rowAt(list->viewport()->height() - 1), kRows - 1);
    EXPECT_EQ(Cell(window, kRows - 1, 0), QString("file%1.dat").arg(kRows - 1));
}
