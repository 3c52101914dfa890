// The popup list: building from descriptions, closing and results, toolbar
// actions, editing, block colours and the screen clamp.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include "CQelButton.h"
#include "CQelLogMng.h"
#include "CQelPopupWnd.h"
#include "IQelPopupWndDelegate.h"
#include "QelPixels.h"

namespace {

struct ResultRecorder : IQelPopupWndDelegate {
    std::vector<std::string> results;
    void OnPopupResult(const char* json) override { results.emplace_back(json); }
};

std::string Description(const std::string& disptype, const std::string& listopt, int width = 200, int height = 120) {
    return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
           R"(,"bgcolor":"43:43:43","linecolor":"200:0:0","txtcolor":"81:156:214","disptype":")" + disptype +
           R"(","listopt":)" + listopt + "}";
}

const char* kToolbar = R"("toolbar":{"add":{"type":"button","act":"func|add"},"del":{"type":"button","act":"func|del"},
    "up":{"type":"button","act":"func|up"},"down":{"type":"button","act":"func|down"}})";

struct PopupFixture : ::testing::Test {
    QWidget owner;
    CQelPopupWnd* popup = nullptr;
    ResultRecorder recorder;

    void SetUp() override {
        owner.resize(300, 200);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }
    void TearDown() override { delete popup; }

    int Open(const std::string& description, int x = 50, int y = 60) {
        popup = new CQelPopupWnd;
        popup->SetDelegate(&recorder);
        const int ok = popup->CreatePopup(&owner, description, x, y);
        if (ok) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(popup));
        }
        return ok;
    }
    QTableView* List() const { return popup->GetList(); }
    void Select(int row) { List()->selectRow(row); }
    void Click(int tool) { QTest::mouseClick(popup->GetButtons()[tool], Qt::LeftButton, {}, QPoint(10, 10)); }
    void Escape(QWidget* target) { QTest::keyClick(target, Qt::Key_Escape); }
    void Settle() { QCoreApplication::processEvents(); }
    QStringList Rows() const {
        QStringList rows;
        for (int r = 0; r < List()->model()->rowCount(); ++r) rows << List()->model()->index(r, 0).data().toString();
        return rows;
    }
};

}  // namespace

TEST_F(PopupFixture, OptionListReportsEveryRowOnEscape) {
    ASSERT_EQ(Open(Description("optlist", R"({"colitems":["Path"],"colitemwidths":[190],"values":["a","b"]})")), 1);
    EXPECT_EQ(popup->GetDispType(), QelPopupDispOptList);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->size(), QSize(200, 120));
    EXPECT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(List()->columnWidth(0), 190);
    EXPECT_TRUE(List()->horizontalHeader()->isVisible());  // "showhead" absent
    EXPECT_TRUE(popup->GetButtons().empty());
    Escape(List());
    EXPECT_TRUE(recorder.results.empty());  // the close is posted, not immediate
    Settle();
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0], R"({"ret":["a","b"]})");
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(List(), nullptr);
    // Nothing more is delivered afterwards.
    popup->close();
    Settle();
    EXPECT_EQ(recorder.results.size(), 1u);
}

TEST_F(PopupFixture, PickListReportsTheSelectedIndexOrMinusOne) {
    ASSERT_EQ(Open(Description("cmblist", R"({"values":["a","b","c"]})")), 1);
    Select(2);
    Escape(List());
    Settle();
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0], R"({"ret":2})");
}

TEST_F(PopupFixture, PickListClosedByLosingActivationWithoutSelectionReportsMinusOne) {
    ASSERT_EQ(Open(Description("cmblist", R"({"values":["a","b"]})")), 1);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(popup, &deactivate);
    Settle();
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0], R"({"ret":-1})");
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(PopupFixture, AClickOutsideClosesThePopup) {
    ASSERT_EQ(Open(Description("cmblist", R"({"values":["a","b"]})")), 1);
    Select(0);
    // Through the window system, as a real click on the owner window arrives.
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(recorder.results.size(), size_t(1));
    EXPECT_EQ(recorder.results[0], R"({"ret":0})");
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(PopupFixture, DoubleClickClosesOnlyThePickList) {
    ASSERT_EQ(Open(Description("cmblist", R"({"values":["a","b","c"]})")), 1);
    const QRect row1 = List()->visualRect(List()->model()->index(1, 0));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, row1.center());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, row1.center());
    Settle();
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0], R"({"ret":1})");
    delete popup;
    popup = nullptr;
    recorder.results.clear();

    ASSERT_EQ(Open(Description("optlist", R"({"values":["a","b","c"]})")), 1);
    const QRect row0 = List()->visualRect(List()->model()->index(0, 0));
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, row0.center());
    Settle();
    EXPECT_TRUE(recorder.results.empty());
    EXPECT_TRUE(popup->isVisible());
}

TEST_F(PopupFixture, ToolbarButtonsSitUnderTheListWithTheirGlyphs) {
    ASSERT_EQ(Open(Description("optlist", std::string("{") + kToolbar + R"(,"values":["a"]})")), 1);
    const auto& buttons = popup->GetButtons();
    ASSERT_EQ(buttons.GetCount(), 4);
    const char* glyphs[] = {"╋", "━", "▲", "▼"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i]->GetCtrlId(), 3000u + i);
        EXPECT_EQ(buttons[i]->GetPropString(u"caption").ToStdString(), glyphs[i]);
        EXPECT_FALSE(buttons[i]->GetPropBorder(u"border").draw);
        EXPECT_EQ(buttons[i]->geometry(), QRect(3 + 22 * i, List()->geometry().bottom() + 1, 20, 20));
        EXPECT_LE(buttons[i]->geometry().bottom(), 120 - 2);
    }
    EXPECT_EQ(List()->geometry(), QRect(1, 1, 198, 120 - 20 - 2));
}

TEST_F(PopupFixture, ToolItemColoursGoOntoTheButtons) {
    ASSERT_EQ(Open(Description("optlist", R"({"toolbar":{"x":{"type":"button","act":"func|add","bgcolor":"1:2:3",
        "clrfocus":"4:5:6","clrpressborder":"7:8:9"},"y":{"type":"text","act":"func|add"}}})")),
              1);
    ASSERT_EQ(popup->GetButtons().GetCount(), 1);
    CQelButton* b = popup->GetButtons()[0];
    EXPECT_TRUE(b->GetPropString(u"caption").IsEmpty());  // no glyph for "x"
    EXPECT_EQ(b->GetPropColor(u"bgcolor"), QelRGB(1, 2, 3));
    EXPECT_EQ(b->GetPropColor(u"clrfocus"), QelRGB(4, 5, 6));
    EXPECT_EQ(b->GetPropColor(u"clrpressborder"), QelRGB(7, 8, 9));
    EXPECT_EQ(PixelAt(Grab(*b), 10, 10), QelRGB(1, 2, 3));
}

TEST_F(PopupFixture, UpAndDownMoveTheSelectedRowAndStopAtTheEdges) {
    ASSERT_EQ(Open(Description("optlist", std::string("{") + kToolbar + R"(,"values":["a","b","c"]})")), 1);
    Select(0);
    Click(2);  // up on the first row
    EXPECT_EQ(Rows(), QStringList({"a", "b", "c"}));
    Select(2);
    Click(3);  // down on the last row
    EXPECT_EQ(Rows(), QStringList({"a", "b", "c"}));
    Click(2);  // up from "c"
    EXPECT_EQ(Rows(), QStringList({"a", "c", "b"}));
    EXPECT_EQ(List()->selectionModel()->selectedRows().value(0).row(), 1);
    Click(2);
    EXPECT_EQ(Rows(), QStringList({"c", "a", "b"}));
    Click(3);
    Click(3);
    EXPECT_EQ(Rows(), QStringList({"a", "b", "c"}));
    EXPECT_EQ(List()->selectionModel()->selectedRows().value(0).row(), 2);
    List()->clearSelection();
    Click(2);  // nothing selected: nothing moves
    Click(1);
    EXPECT_EQ(Rows(), QStringList({"a", "b", "c"}));
}

TEST_F(PopupFixture, DeleteRemovesTheSelectedRowAndTheActNotTheNameDecides) {
    ASSERT_EQ(Open(Description("optlist", R"({"toolbar":{"add":{"type":"button","act":"func|del"},
        "odd":{"type":"button","act":"other|add"}},"values":["a","b","c"]})")),
              1);
    EXPECT_EQ(popup->GetButtons()[0]->GetPropString(u"caption").ToStdString(), "╋");
    Select(1);
    Click(0);
    EXPECT_EQ(Rows(), QStringList({"a", "c"}));
    Click(1);  // not a "func" action
    EXPECT_EQ(Rows(), QStringList({"a", "c"}));
    Escape(List());
    Settle();
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0], R"({"ret":["a","c"]})");
}

TEST_F(PopupFixture, AddedAndEditedRowsAreReported) {
    ASSERT_EQ(Open(Description("optlist", std::string("{") + kToolbar + R"(,"values":["a"]})")), 1);
    Click(0);  // add: a new empty row being edited
    Settle();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Rows(), QStringList({"a", ""}));
    QTest::keyClicks(editor, QStringLiteral("new row"));
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    EXPECT_EQ(Rows(), QStringList({"a", "new row"}));

    // Edit row 0 in place with the edit key.
    Select(0);
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_F2);
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("A"));
    QTest::keyClick(editor, Qt::Key_Enter);
    Settle();

    // Escape during another edit closes the popup instead of only ending the edit.
    Click(0);
    Settle();
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("unfinished"));
    Escape(editor);
    Settle();
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0], R"({"ret":["A","new row",""]})");
}

TEST_F(PopupFixture, BlockColoursRepeatWithTheirPeriod) {
    const std::string rows = R"("values":["1","2","3","4","5","6"])";
    const QelColorRef a = QelRGB(10, 20, 30), b = QelRGB(40, 50, 60);
    ASSERT_EQ(Open(Description("optlist", R"({"blockcolor":2,"blockcolorlist":["10:20:30","40:50:60"],)" + rows + "}",
                               200, 150)),
              1);
    std::vector<QelColorRef> seen;
    for (int r = 0; r < 6; ++r) seen.push_back(popup->RowColor(r));
    EXPECT_EQ(seen, (std::vector<QelColorRef>{a, b, a, b, a, b}));
    // The rows are painted so (no current row, whose focus frame would cover the colour).
    List()->setCurrentIndex(QModelIndex());
    const QImage img = Grab(*List()->viewport());
    for (int r = 0; r < 4; ++r) {
        const QRect cell = List()->visualRect(List()->model()->index(r, 0));
        EXPECT_EQ(PixelAt(img, cell.right() - 2, cell.center().y()), seen[r]) << r;
    }
    delete popup;
    popup = nullptr;

    ASSERT_EQ(Open(Description("optlist", R"({"blockcolor":3,"blockcolorlist":["10:20:30","40:50:60"],)" + rows + "}")), 1);
    seen.clear();
    for (int r = 0; r < 6; ++r) seen.push_back(popup->RowColor(r));
    EXPECT_EQ(seen, (std::vector<QelColorRef>{a, b, b, a, b, b}));
    delete popup;
    popup = nullptr;

    ASSERT_EQ(Open(Description("optlist", "{" + rows + "}")), 1);
    EXPECT_EQ(popup->RowColor(1), QelRGB(43, 43, 43));
}

TEST_F(PopupFixture, FrameAndHeaderFollowTheDescription) {
    ASSERT_EQ(Open(Description("optlist", R"({"showhead":false,"values":["a"]})")), 1);
    EXPECT_FALSE(List()->horizontalHeader()->isVisible());
    const QImage img = Grab(*popup);
    EXPECT_EQ(PixelAt(img, 100, 0), QelRGB(200, 0, 0));
    EXPECT_EQ(PixelAt(img, 199, 60), QelRGB(200, 0, 0));
    EXPECT_EQ(PixelAt(img, 100, 119), QelRGB(200, 0, 0));
    EXPECT_EQ(PixelAt(img, 100, 110), QelRGB(43, 43, 43));  // list background below the rows
}

TEST_F(PopupFixture, StaysInsideTheNearestScreenOnTheRightAndBottomOnly) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EQ(Open(Description("cmblist", "{}", 200, 100), screen.right() - 50, screen.bottom() - 20), 1);
    EXPECT_EQ(popup->geometry(), QRect(screen.right() + 1 - 200, screen.bottom() + 1 - 100, 200, 100));
    delete popup;
    popup = nullptr;
    ASSERT_EQ(Open(Description("cmblist", "{}", 200, 100), screen.left() - 30, screen.top() + 5), 1);
    EXPECT_EQ(popup->geometry().topLeft(), QPoint(screen.left() - 30, screen.top() + 5));
    delete popup;
    popup = nullptr;
    ASSERT_EQ(Open(Description("cmblist", "{}", 200, 100), screen.left() + 10, screen.top() + 10), 1);
    EXPECT_EQ(popup->geometry().topLeft(), QPoint(screen.left() + 10, screen.top() + 10));
}

TEST_F(PopupFixture, BadDescriptionsShowNothing) {
    const std::string bad[] = {
        "{oops",
        R"({"height":10,"disptype":"optlist","listopt":{}})",
        R"({"width":10,"disptype":"optlist","listopt":{}})",
        R"({"width":10,"height":10,"listopt":{}})",
        R"({"width":10,"height":10,"disptype":"optlist"})",
        Description("optlist", R"({"colitems":["a","b"],"colitemwidths":[10],"values":["x"]})"),
    };
    for (const std::string& text : bad) {
        SCOPED_TRACE(text);
        CQelPopupWnd p;
        p.SetDelegate(&recorder);
        EXPECT_EQ(p.CreatePopup(&owner, text, 0, 0), 0);
        EXPECT_FALSE(p.isVisible());
        EXPECT_EQ(p.GetList(), nullptr);
        p.close();
    }
    Settle();
    EXPECT_TRUE(recorder.results.empty());
}

TEST_F(PopupFixture, UnknownDisplayTypeReportsNothing) {
    ASSERT_EQ(Open(Description("grid", R"({"values":["a"]})")), 1);
    EXPECT_EQ(popup->GetDispType(), QelPopupDispNone);
    Escape(List());
    Settle();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(recorder.results.empty());
}

TEST_F(PopupFixture, DeleteOnCloseReleasesThePopup) {
    ASSERT_EQ(Open(Description("cmblist", R"({"values":["a"]})")), 1);
    QPointer<CQelPopupWnd> watch(popup);
    popup->SetDeleteOnClose(true);
    popup = nullptr;  // the popup owns itself now
    Escape(watch->GetList());
    QTRY_VERIFY(watch.isNull());
    EXPECT_EQ(recorder.results.size(), 1u);
}

TEST_F(PopupFixture, LogsItsLifeAndItsEdits) {
    CQelLogMng::GetInstance()->SetEnabled(true);
    testing::internal::CaptureStderr();
    CQelPopupWnd refused;
    refused.CreatePopup(&owner, std::string("{nope"), 0, 0);
    ASSERT_EQ(Open(Description("optlist", std::string("{") + kToolbar + R"(,"values":["a"]})")), 1);
    Click(0);
    Settle();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("typed"));
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    // An edit given up (what the row editor does on its own cancel key) is logged as such.
    List()->edit(List()->model()->index(0, 0));
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    emit List()->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    Settle();
    EXPECT_EQ(Rows(), QStringList({"a", "typed"}));
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(popup, &deactivate);
    Settle();
    const std::string log = testing::internal::GetCapturedStderr();
    CQelLogMng::GetInstance()->SetEnabled(false);
    const char* expected[] = {"CreatePopup Start",          "CreatePopup Json OPT Read Failed",
                              "CreatePopup Json OPT Read Success", "CreatePopup End",
                              "Begin ListCtrl Edit 1",      "End ListCtrl Edit 1(typed)",
                              "Begin ListCtrl Edit 0",      "End ListCtrl Edit 0(Cancel)",
                              "OnNcActivate WM_CLOSE",      R"({"ret":["a","typed"]})"};
    std::size_t from = 0;
    for (const char* line : expected) {
        SCOPED_TRACE(line);
        const std::size_t at = log.find(line, from);
        ASSERT_NE(at, std::string::npos) << log;
        from = at;
    }
}
