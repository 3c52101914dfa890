#pragma once
// A shown owner window, a popup opened from a description and the results it delivers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "CQelButton.h"
#include "CQelPopupWnd.h"
#include "IQelPopupWndDelegate.h"

using Results = std::vector<std::string>;

// A description with the dark look and a red frame; listopt is the JSON object of the list options.
inline std::string Description(const std::string& disptype, const std::string& listopt, int width = 200,
                               int height = 120) {
    return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
           R"(,"bgcolor":"43:43:43","linecolor":"200:0:0","txtcolor":"81:156:214","disptype":")" + disptype +
           R"(","listopt":)" + listopt + "}";
}

// List options with the add, del, up and down buttons (then moreTools) and the given members.
inline std::string WithToolbar(const std::string& members, const std::string& moreTools = "") {
    return R"({"toolbar":{"add":{"type":"button","act":"func|add"},"del":{"type":"button","act":"func|del"},)"
           R"("up":{"type":"button","act":"func|up"},"down":{"type":"button","act":"func|down"})" +
           moreTools + "}," + members + "}";
}

struct PopupFixture : ::testing::Test, IQelPopupWndDelegate {
    QWidget owner;
    CQelPopupWnd* popup = nullptr;
    Results results;

    void OnPopupResult(const char* json) override { results.emplace_back(json); }
    void SetUp() override {
        owner.resize(300, 200);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }
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
    void Select(int row) { List()->selectRow(row); }
    void Click(int tool) { QTest::mouseClick(popup->GetButtons()[tool], Qt::LeftButton, {}, QPoint(10, 10)); }
    void Escape(QWidget* target) { QTest::keyClick(target, Qt::Key_Escape); }
    void Deactivate() {
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(popup, &deactivate);
    }
    void Settle() { QCoreApplication::processEvents(); }
    QLineEdit* Editor() const { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
    // Adds a row with the add button and types text into its editor; Return ends the edit when finish is set.
    void AddRow(const QString& text, bool finish = true) {
        Click(0);
        Settle();
        ASSERT_NE(Editor(), nullptr);
        QTest::keyClicks(Editor(), text);
        if (finish) QTest::keyClick(Editor(), Qt::Key_Return);
        Settle();
    }
    QStringList Rows() const {
        QStringList rows;
        for (int r = 0; r < List()->model()->rowCount(); ++r) rows << List()->model()->index(r, 0).data().toString();
        return rows;
    }
};
