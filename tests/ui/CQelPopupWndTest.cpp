// The popup list: building from descriptions and view files, closing and
// results, toolbar actions, editing, block colours and the screen clamp.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include "CQelButton.h"
#include "CQelPopupWnd.h"
#include "IQelPopupWndDelegate.h"
#include "QelPixels.h"
#include "QelViewPopup.h"

namespace {

using Results = std::vector<std::string>;
enum Tool { kAdd, kDel, kUp, kDown };

// A description with the dark look and a red frame; listopt is the JSON object of the list options.
std::string Description(const std::string& disptype, const std::string& listopt, int width = 200, int height = 120) {
    return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
           R"(,"bgcolor":"43:43:43","linecolor":"200:0:0","txtcolor":"81:156:214","disptype":")" + disptype +
           R"(","listopt":)" + listopt + "}";
}

// List options with the add, del, up and down buttons (then moreTools) and the given members.
std::string WithToolbar(const std::string& members, const std::string& moreTools = "") {
    return R"({"toolbar":{"add":{"type":"button","act":"func|add"},"del":{"type":"button","act":"func|del"},)"
           R"("up":{"type":"button","act":"func|up"},"down":{"type":"button","act":"func|down"})" +
           moreTools + "}," + members + "}";
}

// A shown owner window, a popup opened from a description and the results it delivers.
struct PopupFixture : ::testing::Test, IQelPopupWndDelegate {
    QWidget owner;
    CQelPopupWnd* popup = nullptr;
    Results results;

    void OnPopupResult(const char* json) override { results.emplace_back(json); }
    void SetUp() override { owner.resize(300, 200), owner.show(); ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner)); }
    void TearDown() override { delete popup; }
    // Opens a new popup at (x, y) in place of the last one, with no results yet.
    int Open(const std::string& description, int x = 50, int y = 60) {
        delete popup;
        results.clear();
        popup = new CQelPopupWnd;
        popup->SetDelegate(this);
        const int ok = popup->CreatePopup(&owner, description, x, y);
        EXPECT_TRUE(!ok || QTest::qWaitForWindowExposed(popup));
        return ok;
    }
    QTableView* List() const { return popup->GetList(); }
    void Click(int tool) { QTest::mouseClick(popup->GetButtons()[tool], Qt::LeftButton, {}, QPoint(10, 10)); }
    QLineEdit* Editor() const { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
    QString Rows() const {
        QString rows;
        for (int r = 0; r < List()->model()->rowCount(); ++r) rows += List()->model()->index(r, 0).data().toString();
        return rows;
    }
};

}  // namespace

// Rows in block colours: a, b or the plain background "-".
TEST_F(PopupFixture, SizeColumnsHeaderFrameBlockColoursAndPlacementFollowTheDescription) {
    ASSERT_EQ(Open(Description("optlist", R"({"colitems":["Path"],"colitemwidths":[190],"values":["a","b"]})")), 1);
    EXPECT_TRUE(popup->size() == QSize(200, 120) && List()->columnWidth(0) == 190 && List()->horizontalHeader()->isVisible());
    EXPECT_EQ(List()->horizontalHeader()->palette().color(QPalette::ButtonText), QColor(81, 156, 214));
    ASSERT_EQ(Open(Description("optlist", R"({"showhead":false,"values":["a"]})")), 1);
    EXPECT_FALSE(List()->horizontalHeader()->isVisible());
    const QImage img = Grab(*popup);
    for (const QPoint p : {QPoint(100, 0), QPoint(199, 60), QPoint(100, 119)}) EXPECT_EQ(PixelAt(img, p.x(), p.y()), QelRGB(200, 0, 0));
    EXPECT_EQ(PixelAt(img, 100, 110), QelRGB(43, 43, 43));  // list background below the rows
    for (const auto& [period, expected] : {std::pair{2, "ababab"}, {3, "abbabb"}, {0, "------"}}) {
        ASSERT_EQ(Open(Description("optlist", R"({"blockcolorlist":["10:20:30","40:50:60"],"values":["1","2","3","4","5","6"],)"
                                              R"("blockcolor":)" + std::to_string(period) + "}", 200, 150)), 1);
        List()->setCurrentIndex(QModelIndex());  // no focus frame over the colour
        const QImage rows = Grab(*List()->viewport());
        std::string seen;
        for (int r = 0; r < 6; ++r) {
            const QRect cell = List()->visualRect(List()->model()->index(r, 0));
            const QelColorRef c = PixelAt(rows, cell.right() - 2, cell.center().y());
            seen += c == QelRGB(10, 20, 30) ? 'a' : c == QelRGB(40, 50, 60) ? 'b' : c == QelRGB(43, 43, 43) ? '-' : '?';
        }
        EXPECT_EQ(seen, expected);
    }
    // Kept inside the nearest screen on the right and bottom only.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const std::pair<QPoint, QPoint> placements[] = {{screen.bottomRight() - QPoint(50, 20), screen.bottomRight() - QPoint(199, 99)},
                                                    {screen.topLeft() + QPoint(-30, 5), screen.topLeft() + QPoint(-30, 5)}};
    for (const auto& [asked, placed] : placements)
        EXPECT_TRUE(Open(Description("cmblist", "{}", 200, 100), asked.x(), asked.y()) && popup->geometry() == QRect(placed, QSize(200, 100)));
}

TEST_F(PopupFixture, ResultIsDeliveredOnceAfterEscapeDeactivationClickOutsideEnterOrDoubleClick) {
    enum How { kEscape, kEnter, kDeactivate, kClickOutside, kDoubleClick };
    const char* const all = R"({"ret":["a","b","c"]})";
    // A pick list closed without choosing reports no row, whatever is highlighted; an unknown display type
    // reports nothing; a double-click does not close an option list, only the close below does.
    const struct { const char* disptype; int selected; How how; const char* result; } cases[] = {
        {"optlist", -1, kEscape, all},   {"cmblist", 2, kEscape, R"({"ret":-1})"},      {"cmblist", 1, kDeactivate, R"({"ret":-1})"},
        {"cmblist", 0, kClickOutside, R"({"ret":-1})"}, {"cmblist", 0, kEnter, R"({"ret":0})"}, {"cmblist", -1, kDoubleClick, R"({"ret":1})"},
        {"grid", 0, kEscape, nullptr},   {"optlist", -1, kDoubleClick, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.disptype) + " " + std::to_string(c.how));
        ASSERT_EQ(Open(Description(c.disptype, R"({"values":["a","b","c"]})")), 1);
        if (c.selected >= 0) List()->selectRow(c.selected);
        QEvent deactivate(QEvent::WindowDeactivate);  // as the window system sends them
        const QPoint row1 = List()->visualRect(List()->model()->index(1, 0)).center();
        switch (c.how) {
            case kEscape:
            case kEnter: QTest::keyClick(List(), c.how == kEscape ? Qt::Key_Escape : Qt::Key_Return); break;
            case kDeactivate: QApplication::sendEvent(popup, &deactivate); break;
            case kClickOutside: QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5)); break;
            case kDoubleClick:
                QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, row1);
                QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, row1);
        }
        EXPECT_TRUE(c.how == kClickOutside || results.empty());  // the close waits for the event loop
        const bool stays = c.how == kDoubleClick && std::string(c.disptype) == "optlist";
        EXPECT_TRUE(QTest::qWaitFor([&] { return popup->isVisible() == stays; }));
        popup->close(), QCoreApplication::processEvents();  // nothing more is delivered afterwards
        EXPECT_EQ(results, c.result ? Results{c.result} : Results{});
    }
}

TEST_F(PopupFixture, ToolbarButtonsSitUnderTheListWithTheirGlyphsAndColoursAndTheirActDecides) {
    const std::string more = R"(,"x":{"type":"button","act":"func|del","bgcolor":"1:2:3","clrpressborder":"7:8:9"},)"
                             R"("odd":{"type":"button","act":"other|add"})";
    ASSERT_EQ(Open(Description("optlist", WithToolbar(R"("values":["a","b"])", more))), 1);
    const auto& buttons = popup->GetButtons();
    ASSERT_EQ(buttons.GetCount(), 6);
    std::string glyphs;
    for (const CQelButton* button : buttons) glyphs += button->GetPropString(u"caption").ToStdString() + "|";
    EXPECT_EQ(glyphs, "╋|━|▲|▼|||");
    EXPECT_TRUE(List()->geometry() == QRect(1, 1, 198, 98) && buttons[0]->geometry() == QRect(3, 99, 20, 20));  // under the list
    // Filled to the edge: no frame.
    EXPECT_TRUE(buttons[4]->GetPropColor(u"clrpressborder") == QelRGB(7, 8, 9) && PixelAt(Grab(*buttons[4]), 0, 0) == QelRGB(1, 2, 3));
    List()->selectRow(0);
    Click(5);  // not a "func" action
    EXPECT_EQ(Rows(), "ab");
    Click(4);  // the act, not the name, makes "x" a delete button
    EXPECT_EQ(Rows(), "b");
    popup->close(), popup->resize(250, 150);  // the buttons go with the list: a later resize must not reach them
    EXPECT_TRUE(popup->GetButtons().empty() && List() == nullptr);
}

TEST_F(PopupFixture, UpDownAndDeleteActOnTheSelectedRowStopAtTheEdgesAndEditsAreReported) {
    ASSERT_EQ(Open(Description("optlist", WithToolbar(R"("values":["a","b","c"])"))), 1);
    enum { kKeep = -2, kNone = -1 };
    const struct { int select; int tool; const char* rows; int selected; } steps[] = {  // select kNone: clear it
        {0, kUp, "abc", 0},        {2, kDown, "abc", 2},      {kKeep, kUp, "acb", 1},   {kKeep, kUp, "cab", 0},
        {kKeep, kDown, "acb", 1},  {kKeep, kDown, "abc", 2},  {kNone, kUp, "abc", -1},  {kNone, kDel, "abc", -1},
        {1, kDel, "ac", 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.rows) + " after tool " + std::to_string(step.tool));
        if (step.select == kNone) List()->clearSelection();
        if (step.select >= 0) List()->selectRow(step.select);
        Click(step.tool);
        EXPECT_EQ(std::pair(Rows().toStdString(), List()->selectionModel()->selectedRows().value(0, QModelIndex()).row()),
                  std::pair(std::string(step.rows), step.selected));
    }
    // A row edited in place with the edit key, one added; Escape during another edit closes the popup.
    List()->setFocus();
    for (const auto& [key, text] : {std::pair{Qt::Key_F2, "A"}, {Qt::Key_Return, "new row"}, {Qt::Key_Escape, "unfinished"}}) {
        key == Qt::Key_F2 ? QTest::keyClick(List(), Qt::Key_F2) : Click(kAdd);
        QCoreApplication::processEvents();
        ASSERT_NE(Editor(), nullptr) << text;
        Editor()->selectAll();
        QTest::keyClicks(Editor(), QString::fromUtf8(text));
        QTest::keyClick(Editor(), key == Qt::Key_F2 ? Qt::Key_Enter : key);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(results, Results{R"({"ret":["a","A","new row",""]})"});
}

// The shipped history view opens in the main window's tests; patching a view file, in the view file's.
TEST_F(PopupFixture, AViewFileOpensAsAPopupThatReleasesItselfAndARefusedOneOpensNothing) {
    rapidjson::Document doc;
    doc.Parse(R"({"width":120,"height":80,"disptype":"cmblist","listopt":{"values":["first","second"]}})");
    QPointer<CQelPopupWnd> view = QelViewFile::OpenPopup(&owner, doc, 10, 10, this);
    ASSERT_TRUE(!view.isNull() && QTest::qWaitForWindowExposed(view));
    view->GetList()->selectRow(1);
    QTest::keyClick(view->GetList(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&view] { return view.isNull(); }));
    EXPECT_EQ(results, Results{R"({"ret":1})"});
    doc.Parse(R"({"width":120,"disptype":"cmblist","listopt":{}})");
    EXPECT_TRUE(QelViewFile::OpenPopup(&owner, doc, 0, 0, this) == nullptr && owner.findChildren<CQelPopupWnd*>().isEmpty());
}
