// The popup list: building from descriptions, closing and results, toolbar
// actions, editing, block colours and the screen clamp.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <functional>

#include "QelPixels.h"
#include "QelPopupFixture.h"

TEST_F(PopupFixture, SizeColumnsHeaderAndFrameFollowTheDescription) {
    ASSERT_EQ(Open(Description("optlist", R"({"colitems":["Path"],"colitemwidths":[190],"values":["a","b"]})")), 1);
    EXPECT_EQ(popup->size(), QSize(200, 120));
    EXPECT_EQ(List()->columnWidth(0), 190);
    EXPECT_TRUE(List()->horizontalHeader()->isVisible());  // "showhead" absent
    EXPECT_EQ(List()->geometry(), QRect(1, 1, 198, 118));  // no toolbar

    ASSERT_EQ(Open(Description("optlist", R"({"showhead":false,"values":["a"]})")), 1);
    EXPECT_FALSE(List()->horizontalHeader()->isVisible());
    const QImage img = Grab(*popup);
    for (const QPoint p : {QPoint(100, 0), QPoint(199, 60), QPoint(100, 119)})
        EXPECT_EQ(PixelAt(img, p.x(), p.y()), QelRGB(200, 0, 0));
    EXPECT_EQ(PixelAt(img, 100, 110), QelRGB(43, 43, 43));  // list background below the rows
}

TEST_F(PopupFixture, ResultIsDeliveredOnceAfterEscapeDeactivationClickOutsideEnterOrDoubleClick) {
    const std::function<void()> escape = [this] { Escape(List()); };
    const std::function<void()> enter = [this] { QTest::keyClick(List(), Qt::Key_Return); };
    const std::function<void()> deactivate = [this] { Deactivate(); };
    // Through the window system, as a real click on the owner window arrives.
    const std::function<void()> clickOutside = [this] {
        QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    };
    const std::function<void()> doubleClick = [this] {
        const QPoint row1 = List()->visualRect(List()->model()->index(1, 0)).center();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, row1);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, row1);
    };
    const struct {
        const char* disptype;
        int selected;
        const std::function<void()>& close;
        bool posted;  // the close waits for the event loop
        const char* result;
    } cases[] = {
        {"optlist", -1, escape, true, R"({"ret":["a","b","c"]})"},
        // A pick list closed without choosing reports no row, whatever is highlighted.
        {"cmblist", 2, escape, true, R"({"ret":-1})"},
        {"cmblist", 1, deactivate, true, R"({"ret":-1})"},
        {"cmblist", 0, clickOutside, false, R"({"ret":-1})"},
        {"cmblist", 0, enter, true, R"({"ret":0})"},
        {"cmblist", -1, doubleClick, true, R"({"ret":1})"},
        {"grid", 0, escape, true, nullptr},  // an unknown display type reports nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.disptype) + " " + (c.result ? c.result : "no result"));
        ASSERT_EQ(Open(Description(c.disptype, R"({"values":["a","b","c"]})")), 1);
        if (c.selected >= 0) Select(c.selected);
        c.close();
        EXPECT_TRUE(!c.posted || results.empty());
        EXPECT_TRUE(QTest::qWaitFor([this] { return !popup->isVisible(); }));
        popup->close();  // nothing more is delivered afterwards
        Settle();
        EXPECT_EQ(results, c.result ? Results{c.result} : Results{});
        EXPECT_EQ(List(), nullptr);
    }
    // A double-click on an option list does not close it.
    ASSERT_EQ(Open(Description("optlist", R"({"values":["a","b","c"]})")), 1);
    doubleClick();
    Settle();
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(popup->isVisible());
}

TEST_F(PopupFixture, ToolbarButtonsSitUnderTheListWithTheirGlyphsAndColoursAndTheirActDecides) {
    const std::string more = R"(,"x":{"type":"button","act":"func|del","bgcolor":"1:2:3","clrpressborder":"7:8:9"},)"
                             R"("odd":{"type":"button","act":"other|add"})";
    ASSERT_EQ(Open(Description("optlist", WithToolbar(R"("values":["a","b"])", more))), 1);
    const auto& buttons = popup->GetButtons();
    ASSERT_EQ(buttons.GetCount(), 6);
    const char* glyphs[] = {"╋", "━", "▲", "▼", "", ""};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i]->GetPropString(u"caption").ToStdString(), glyphs[i]);
        EXPECT_EQ(buttons[i]->geometry(), QRect(3 + 22 * i, List()->geometry().bottom() + 1, 20, 20));
    }
    EXPECT_EQ(List()->geometry(), QRect(1, 1, 198, 120 - 20 - 2));
    EXPECT_EQ(buttons[4]->GetPropColor(u"clrpressborder"), QelRGB(7, 8, 9));
    EXPECT_EQ(PixelAt(Grab(*buttons[4]), 0, 0), QelRGB(1, 2, 3));  // filled to the edge: no frame
    Select(0);
    Click(5);  // not a "func" action
    EXPECT_EQ(Rows(), QStringList({"a", "b"}));
    Click(4);  // the act, not the name, makes "x" a delete button
    EXPECT_EQ(Rows(), QStringList({"b"}));
}

TEST_F(PopupFixture, UpDownAndDeleteActOnTheSelectedRowAndStopAtTheEdges) {
    enum { kKeep = -2, kNone = -1, kDel = 1, kUp = 2, kDown = 3 };
    ASSERT_EQ(Open(Description("optlist", WithToolbar(R"("values":["a","b","c"])"))), 1);
    const struct {
        int select;  // a row to select first, kNone to clear the selection or kKeep
        int tool;
        const char* rows;
        int selected;
    } steps[] = {
        {0, kUp, "abc", 0},        {2, kDown, "abc", 2},      {kKeep, kUp, "acb", 1},   {kKeep, kUp, "cab", 0},
        {kKeep, kDown, "acb", 1},  {kKeep, kDown, "abc", 2},  {kNone, kUp, "abc", -1},  {kNone, kDel, "abc", -1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.rows) + " after tool " + std::to_string(step.tool));
        if (step.select == kNone) List()->clearSelection();
        if (step.select >= 0) Select(step.select);
        Click(step.tool);
        EXPECT_EQ(Rows().join(QString()).toStdString(), step.rows);
        EXPECT_EQ(List()->selectionModel()->selectedRows().value(0, QModelIndex()).row(), step.selected);
    }
    Select(1);
    Click(kDel);
    Escape(List());
    Settle();
    EXPECT_EQ(results, Results{R"({"ret":["a","c"]})"});
}

TEST_F(PopupFixture, AddedAndEditedRowsAreReportedAndEscapeDuringAnEditCloses) {
    ASSERT_EQ(Open(Description("optlist", WithToolbar(R"("values":["a"])"))), 1);
    AddRow(QStringLiteral("new row"));

    // Edit row 0 in place with the edit key.
    Select(0);
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_F2);
    ASSERT_NE(Editor(), nullptr);
    Editor()->selectAll();
    QTest::keyClicks(Editor(), QStringLiteral("A"));
    QTest::keyClick(Editor(), Qt::Key_Enter);
    Settle();

    // Escape during another edit closes the popup instead of only ending the edit.
    AddRow(QStringLiteral("unfinished"), false);
    Escape(Editor());
    Settle();
    EXPECT_EQ(results, Results{R"({"ret":["A","new row",""]})"});
}

TEST_F(PopupFixture, BlockColoursRepeatWithTheirPeriod) {
    const std::string colours = R"({"blockcolorlist":["10:20:30","40:50:60"],"values":["1","2","3","4","5","6"],)";
    const QelColorRef a = QelRGB(10, 20, 30), b = QelRGB(40, 50, 60), plain = QelRGB(43, 43, 43);
    const std::pair<const char*, std::vector<QelColorRef>> periods[] = {
        {R"("blockcolor":2})", {a, b, a, b, a, b}},
        {R"("blockcolor":3})", {a, b, b, a, b, b}},
        {R"("blockcolor":0})", {plain, plain, plain, plain, plain, plain}},
    };
    for (const auto& [period, expected] : periods) {
        SCOPED_TRACE(period);
        ASSERT_EQ(Open(Description("optlist", colours + period, 200, 150)), 1);
        std::vector<QelColorRef> seen;
        for (int r = 0; r < 6; ++r) seen.push_back(popup->RowColor(r));
        EXPECT_EQ(seen, expected);
        // The rows are painted so (no current row, whose focus frame would cover the colour).
        List()->setCurrentIndex(QModelIndex());
        const QImage img = Grab(*List()->viewport());
        for (int r = 0; r < 4; ++r) {
            const QRect cell = List()->visualRect(List()->model()->index(r, 0));
            EXPECT_EQ(PixelAt(img, cell.right() - 2, cell.center().y()), expected[r]) << r;
        }
    }
}

TEST_F(PopupFixture, StaysInsideTheNearestScreenOnTheRightAndBottomOnly) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const std::pair<QPoint, QPoint> placements[] = {
        {QPoint(screen.right() - 50, screen.bottom() - 20), QPoint(screen.right() + 1 - 200, screen.bottom() + 1 - 100)},
        {QPoint(screen.left() - 30, screen.top() + 5), QPoint(screen.left() - 30, screen.top() + 5)},
        {QPoint(screen.left() + 10, screen.top() + 10), QPoint(screen.left() + 10, screen.top() + 10)},
    };
    for (const auto& [asked, placed] : placements) {
        ASSERT_EQ(Open(Description("cmblist", "{}", 200, 100), asked.x(), asked.y()), 1);
        EXPECT_EQ(popup->geometry(), QRect(placed, QSize(200, 100)));
    }
}
