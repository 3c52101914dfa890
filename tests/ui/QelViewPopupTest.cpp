// View files opened as popups, and the shipped history view file.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include "CQelPopupWnd.h"
#include "IQelPopupWndDelegate.h"
#include "QelUiTestDir.h"
#include "QelViewPopup.h"

namespace {
struct ResultRecorder : IQelPopupWndDelegate {
    std::vector<std::string> results;
    void OnPopupResult(const char* json) override { results.emplace_back(json); }
};
}  // namespace

TEST(QelViewPopup, ValuesPatchedIntoAViewWithoutListoptOpenAsRows) {
    QelUiTestDir dir;
    dir.Write("res/view/plain.json", R"({"width":120,"height":80,"disptype":"cmblist"})");
    rapidjson::Document doc;
    ASSERT_TRUE(QelViewFile::Load(QelViewFile::GetViewFilePath(u"plain.json"), doc));
    QelStringArray values;
    values.Add(u"first");
    values.Add(u"second");
    ASSERT_TRUE(QelViewFile::SetStringArray(doc, "/listopt/values", values));
    ASSERT_TRUE(doc["listopt"].IsObject());

    QWidget owner;
    ResultRecorder recorder;
    QPointer<CQelPopupWnd> popup = QelViewFile::OpenPopup(&owner, doc, 10, 10, &recorder);
    ASSERT_FALSE(popup.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    ASSERT_EQ(popup->GetList()->model()->rowCount(), 2);
    EXPECT_EQ(popup->GetList()->model()->index(1, 0).data().toString(), QStringLiteral("second"));
    popup->GetList()->selectRow(1);
    QTest::keyClick(popup->GetList(), Qt::Key_Escape);
    QTRY_VERIFY(popup.isNull());  // the view popup releases itself once closed
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0], R"({"ret":1})");
}

TEST(QelViewPopup, RefusedDescriptionOpensNothing) {
    rapidjson::Document doc;
    doc.Parse(R"({"width":120,"disptype":"cmblist","listopt":{}})");
    QWidget owner;
    EXPECT_EQ(QelViewFile::OpenPopup(&owner, doc, 0, 0, nullptr), nullptr);
    EXPECT_TRUE(owner.findChildren<CQelPopupWnd*>().isEmpty());
}

TEST(QelViewPopup, ShippedHistoryViewIsADarkPickListThatFitsTheScreen) {
    CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(QEL_SOURCE_DIR));
    rapidjson::Document doc;
    ASSERT_TRUE(QelViewFile::Load(QelViewFile::GetViewFilePath(u"pathhistory-tippopup.json"), doc));
    EXPECT_STREQ(doc["disptype"].GetString(), "cmblist");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int width = 400;
    ASSERT_TRUE(QelViewFile::SetInt(doc, "/width", width));
    ASSERT_TRUE(QelViewFile::SetInt(doc, "/height", 60));
    ASSERT_TRUE(QelViewFile::SetIntArray(doc, "/listopt/colitemwidths", {width - 10}));
    QelStringArray lines;
    lines.Add(u"[2024/01/31] /work(sub check)");
    ASSERT_TRUE(QelViewFile::SetStringArray(doc, "/listopt/values", lines));

    QWidget owner;
    QPointer<CQelPopupWnd> popup = QelViewFile::OpenPopup(&owner, doc, screen.right() - 100, screen.top() + 40, nullptr);
    ASSERT_FALSE(popup.isNull());
    EXPECT_EQ(popup->GetDispType(), QelPopupDispCmbList);
    EXPECT_EQ(popup->geometry().right(), screen.right());  // moved left onto the screen edge
    EXPECT_EQ(popup->GetDescription().bgColor, QelRGB(43, 43, 43));
    EXPECT_EQ(popup->GetList()->columnWidth(0), width - 10);
    popup->close();
    QTRY_VERIFY(popup.isNull());
}
