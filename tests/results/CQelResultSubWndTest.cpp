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

QString Cell(const CQelResultSubWnd& window, int row, int column, int role = Qt::DisplayRole) {
    const CQelResultListModel* model = window.GetListModel();
    return model->data(model->index(row, column), role).toString();
}

struct RecordingDelegate : IQelResultSubWndDelegate {
    void onNotifyEvent(const QelString& name, const QelString& p1, const QelString& p2) override {
        events.push_back({name.ToStdString(), p1.ToStdString(), p2.ToStdString()});
    }
    std::vector<std::array<std::string, 3>> events;
};

}  // namespace

TEST(CQelResultSubWnd, UnreadableCreationTextLeavesTheWindowHidden) {
    CQelResultSubWnd window;
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "{\"width\": 300,", 10, 10));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.CreateSubWnd(nullptr, "[1, 2]", 10, 10));  // not an object
    EXPECT_FALSE(window.isVisible());
}

TEST(CQelResultSubWnd, CreatesAtThePositionWithSizeAndRows) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(500, 400, {"/t/a.txt", "/t/sub/b.c"}, {"/t/sub"}), 40, 60));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(40, 60));
    EXPECT_EQ(window.size(), QSize(500, 400));
    EXPECT_EQ(window.GetResultModel()["width"].asInt(), 500);
    EXPECT_EQ(window.GetResultModel()["height"].asInt(), 400);

    ASSERT_EQ(window.GetListModel()->rowCount(), 3);
    EXPECT_EQ(Cell(window, 0, 0), "a.txt");
    EXPECT_EQ(Cell(window, 0, 1), "File");
    EXPECT_EQ(Cell(window, 0, 2), "/t");
    EXPECT_EQ(Cell(window, 0, 3), "/t/a.txt");
    EXPECT_EQ(Cell(window, 1, 0), "b.c");
    EXPECT_EQ(Cell(window, 1, 2), "/t/sub");
    EXPECT_EQ(Cell(window, 2, 0), "sub");
    EXPECT_EQ(Cell(window, 2, 1), "Folder");
    EXPECT_EQ(Cell(window, 2, 2), "/t");
}

TEST(CQelResultSubWnd, ListColumnsHaveTheirHeadingsAlignmentsAndWidths) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(700, 400, {"/t/a.txt"}, {}), 0, 0));
    const CQelResultListModel* model = window.GetListModel();
    const QStringList headings = {"Name", "Type", "Path", "FullPath"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), headings[c]);
    const int centred = Qt::AlignHCenter | Qt::AlignVCenter;
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    EXPECT_EQ(model->data(model->index(0, 0), Qt::TextAlignmentRole).toInt(), centred);
    EXPECT_EQ(model->data(model->index(0, 1), Qt::TextAlignmentRole).toInt(), centred);
    EXPECT_EQ(model->data(model->index(0, 2), Qt::TextAlignmentRole).toInt(), left);
    EXPECT_EQ(model->data(model->index(0, 3), Qt::TextAlignmentRole).toInt(), left);
    EXPECT_EQ(window.GetListView()->columnWidth(0), 160);
    EXPECT_EQ(window.GetListView()->columnWidth(1), 60);
    EXPECT_EQ(window.GetListView()->columnWidth(2), 348);
    EXPECT_EQ(window.GetListView()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(window.GetListView()->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST(CQelResultSubWnd, MovesLeftOrUpToFitTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(300, 200, {}, {}), screen.width() - 50, screen.height() - 20));
    EXPECT_EQ(window.pos(), QPoint(screen.width() - 300, screen.height() - 200));

    CQelResultSubWnd inside;
    ASSERT_TRUE(inside.CreateSubWnd(nullptr, Record(300, 200, {}, {}), 10, 20));
    EXPECT_EQ(inside.pos(), QPoint(10, 20));
}

TEST(CQelResultSubWnd, LaysOutCaptionsListAndCommandButtons) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(600, 400, {}, {}), 0, 0));
    const int w = window.width();
    const int h = window.height();
    EXPECT_EQ(window.GetCaption()->geometry(), QRect(0, 0, w, 18));
    EXPECT_EQ(window.GetCaption()->GetCaption().ToStdString(), "Search result window");
    EXPECT_EQ(window.GetCaption()->GetTipText().ToStdString(), "This window is used to search results.");
    EXPECT_TRUE(window.GetCaption()->HasToolTip());
    EXPECT_EQ(window.GetListView()->geometry(), QRect(0, 18, w - 100, h - 18));
    EXPECT_EQ(window.GetOperationCaption()->geometry(), QRect(w - 100, 18, 100, 40));
    EXPECT_EQ(window.GetOperationCaption()->GetCaption().ToStdString(), "Operation");
    EXPECT_EQ(window.GetOperationCaption()->GetTipText().ToStdString(), "Work on the results.");

    const std::vector<std::pair<int, QString>> buttons = {
        {CQelResultSubWnd::kCopy, "Copy"},     {CQelResultSubWnd::kMove, "Move"},
        {CQelResultSubWnd::kDelete, "Delete"}, {CQelResultSubWnd::kRename, "Rename"},
        {CQelResultSubWnd::kSaveExcel, "Save Excel"}, {CQelResultSubWnd::kSaveTxt, "Save TXT"}};
    int top = 42;
    for (const auto& [id, text] : buttons) {
        QPushButton* button = window.GetCommandButton(id);
        ASSERT_NE(button, nullptr) << text.toStdString();
        EXPECT_EQ(button->text(), text);
        EXPECT_EQ(button->geometry(), QRect(w - 100, top, 100, 30)) << text.toStdString();
        top += 32;
    }
    EXPECT_EQ(window.GetCommandButton(5009), nullptr);

    window.resize(800, 300);
    EXPECT_EQ(window.GetCaption()->geometry(), QRect(0, 0, 800, 18));
    EXPECT_EQ(window.GetListView()->geometry(), QRect(0, 18, 700, 282));
    EXPECT_EQ(window.GetCommandButton(CQelResultSubWnd::kCopy)->geometry(), QRect(700, 42, 100, 30));
}

TEST(CQelResultSubWnd, UpdateReplacesBothListsAndKeepsTheSize) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(500, 400, {"/t/a.txt", "/t/b.txt"}, {}), 0, 0));
    ASSERT_TRUE(window.UpdateResult(Record(0, 0, {}, {"/t/d1", "/t/d2"})));
    ASSERT_EQ(window.GetListModel()->rowCount(), 2);
    EXPECT_EQ(Cell(window, 0, 1), "Folder");
    EXPECT_EQ(Cell(window, 1, 1), "Folder");
    EXPECT_EQ(Cell(window, 1, 0), "d2");
    EXPECT_EQ(window.GetResultModel()["width"].asInt(), 500);

    // A window the user closed comes back with the next results, where it was.
    window.move(30, 40);
    window.close();
    ASSERT_FALSE(window.isVisible());
    ASSERT_TRUE(window.UpdateResult(Record(0, 0, {"/t/again.txt"}, {})));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(30, 40));

    // A missing key empties that kind of row.
    ASSERT_TRUE(window.UpdateResult("{\"fileresultlist\": [\"/t/only.txt\"]}"));
    ASSERT_EQ(window.GetListModel()->rowCount(), 1);
    EXPECT_EQ(Cell(window, 0, 0), "only.txt");
}

TEST(CQelResultSubWnd, UnreadableUpdateKeepsTheRows) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(500, 400, {"/t/a.txt"}, {"/t/d"}), 0, 0));
    EXPECT_FALSE(window.UpdateResult("{\"fileresultlist\": ["));
    EXPECT_FALSE(window.UpdateResult("\"just text\""));
    ASSERT_EQ(window.GetListModel()->rowCount(), 2);
    EXPECT_EQ(Cell(window, 0, 3), "/t/a.txt");
}

TEST(CQelResultSubWnd, RowsAlternateDarkBackgroundsStartingWithTheDarkest) {
    CQelResultSubWnd window;
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(600, 300, {"/t/a", "/t/b", "/t/c"}, {"/t/d"}), 0, 0));
    QTableView* list = window.GetListView();
    const QImage image = list->viewport()->grab().toImage();
    const QColor even(43, 43, 43), odd(63, 63, 63), text(81, 156, 214);
    for (int row = 0; row < 4; ++row) {
        const QRect cell = list->visualRect(window.GetListModel()->index(row, 1));
        const QColor background = image.pixelColor(cell.right() - 2, cell.center().y());
        EXPECT_EQ(background, row % 2 ? odd : even) << "row " << row;
    }
    // Below the last row the list's own background shows.
    const QRect last = list->visualRect(window.GetListModel()->index(3, 1));
    EXPECT_EQ(image.pixelColor(last.center().x(), last.bottom() + 10), even);

    // The text is drawn in the list's blue text colour (antialiased against the row).
    EXPECT_EQ(window.GetListModel()->data(window.GetListModel()->index(0, 0), Qt::ForegroundRole).value<QBrush>().color(),
              text);
    bool sawText = false;
    const QRect type = list->visualRect(window.GetListModel()->index(0, 1));
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

    bool ownerEnabledDuring = true, busyDuring = false, windowEnabledDuring = false, waitCursor = false;
    window.RunOperation([&] {
        ownerEnabledDuring = owner.isEnabled();
        busyDuring = window.IsBusy();
        windowEnabledDuring = window.isEnabled();
        waitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        return QelString(u"Copy Complete!!");
    });
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(busyDuring);
    EXPECT_TRUE(windowEnabledDuring);
    EXPECT_TRUE(waitCursor);
    ASSERT_EQ(delegate.events.size(), 1u);
    EXPECT_EQ(delegate.events[0][0], "MSG");
    EXPECT_EQ(delegate.events[0][1], "Copy Complete!!");
    EXPECT_EQ(delegate.events[0][2], "");
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
