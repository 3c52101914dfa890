// View files opened as popups (the shipped history view opens in the main window's tests).
#include <gtest/gtest.h>

#include <QPointer>

#include "QelPopupFixture.h"
#include "QelUiTestDir.h"
#include "QelViewPopup.h"

using QelViewPopup = PopupFixture;

TEST_F(QelViewPopup, ValuesPatchedIntoAViewWithoutListoptOpenAsRowsAndThePopupReleasesItself) {
    QelUiTestDir dir;
    dir.Write("res/view/plain.json", R"({"width":120,"height":80,"disptype":"cmblist"})");
    rapidjson::Document doc;
    ASSERT_TRUE(QelViewFile::Load(QelViewFile::GetViewFilePath(u"plain.json"), doc));
    QelStringArray values;
    values.Add(u"first");
    values.Add(u"second");
    ASSERT_TRUE(QelViewFile::SetStringArray(doc, "/listopt/values", values));

    QPointer<CQelPopupWnd> view = QelViewFile::OpenPopup(&owner, doc, 10, 10, this);
    ASSERT_FALSE(view.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    EXPECT_EQ(view->GetList()->model()->index(1, 0).data().toString(), QStringLiteral("second"));
    view->GetList()->selectRow(1);
    QTest::keyClick(view->GetList(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&view] { return view.isNull(); }));
    EXPECT_EQ(results, Results{R"({"ret":1})"});

    // A refused description opens nothing.
    doc.Parse(R"({"width":120,"disptype":"cmblist","listopt":{}})");
    EXPECT_EQ(QelViewFile::OpenPopup(&owner, doc, 0, 0, this), nullptr);
    EXPECT_TRUE(owner.findChildren<CQelPopupWnd*>().isEmpty());
}
