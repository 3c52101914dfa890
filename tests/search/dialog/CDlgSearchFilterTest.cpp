// The filter editor driven through its real widgets: typing, choosing the
// type, clicking Add, Del, Save and Cancel, and reading the record handed back.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../common/QelEditorDialogFixture.h"
#include "CDlgSearchFilter.h"

namespace {

class FilterEditorTest : public QelEditorDialogTest<CDlgSearchFilter> {
protected:
    FilterEditorTest() : QelEditorDialogTest("filterList") {}
    QLineEdit* Edit(const char* name = "searchStringEdit") { return Child<QLineEdit>(name); }
    void Add(int selectorIndex, const QString& text) {
        Child<QComboBox>("typeSelector")->setCurrentIndex(selectorIndex);
        QTest::keyClicks(Edit(), text);
        Click("addButton");
    }
    void SaveAs(const char* name) {
        Edit("filterNameEdit")->setText(QString::fromUtf8(name));
        Click("saveButton");
    }
};

TEST_F(FilterEditorTest, AddSplitsAFullFileNameAtTheLastDotAfterTheFirstCharacter) {
    Open(CDlgSearchFilter::Mode::New);
    const std::vector<std::pair<QString, Rows>> cases = {
        {"report.txt", {"report|FileName|1", "txt|FileExt|2"}}, {"archive.", {"archive|FileName|1"}},
        {".profile", {".profile|FileName|1"}}, {"a.b.c", {"a.b|FileName|1", "c|FileExt|2"}}, {"..", {".|FileName|1"}}, {"", {}}};
    for (const auto& [text, added] : cases) {
        const std::size_t before = ListRows().size();
        Add(0, text);
        const Rows rows = ListRows();
        EXPECT_EQ(Rows(rows.begin() + static_cast<std::ptrdiff_t>(before), rows.end()), added) << text.toStdString();
        EXPECT_TRUE(Edit()->text().isEmpty());
    }
    // The other types take the whole text; Enter adds, it does not save.
    Add(1, "a.b");
    Add(2, "tar.gz");
    Child<QComboBox>("typeSelector")->setCurrentIndex(3);
    QTest::keyClicks(Edit(), "src.old");
    QTest::keyClick(Edit(), Qt::Key_Return);
    const Rows rows = ListRows();
    EXPECT_EQ(Rows(rows.end() - 3, rows.end()), (Rows{"a.b|FileName|1", "tar.gz|FileExt|2", "src.old|Folder|3"}));
    EXPECT_TRUE(m_dlg->isVisible());
    // Del removes the first selected row only.
    Click("delButton");  // nothing selected
    EXPECT_EQ(ListRows().size(), rows.size());
    ClickRow(2);
    ClickRow(1, Qt::ControlModifier);
    Click("delButton");
    EXPECT_EQ(ListRows().size(), rows.size() - 1);
    EXPECT_EQ(ListRows()[1], rows[2]);
    Click("delButton");  // the other one stays selected
    EXPECT_EQ(ListRows()[1], rows[3]);
}

TEST_F(FilterEditorTest, ModifyShowsRowsGroupedByTypeAndSaveKeepsOrderDuplicatesAndBytes) {
    Open(CDlgSearchFilter::Mode::Modify,
         ParseJson("{\"filterdirname\":[\"build\",\"src\"],\"filterfileext\":[\"txt\",\"md\",\"txt\"],"
                   "\"name\":\"caf\xc3\xa9\",\"filterfilename\":[\"bad\xff\xfe\",\"*\"]}"));
    EXPECT_FALSE(Edit("filterNameEdit")->isEnabled());
    Add(3, "lib");
    const Rows rows = ListRows();  // the name holds bytes no text can show
    EXPECT_EQ(Rows(rows.begin() + 1, rows.end()), (Rows{"*|FileName|1", "txt|FileExt|2", "md|FileExt|2", "txt|FileExt|2",
                                                       "build|Folder|3", "src|Folder|3", "lib|Folder|3"}));
    Click("saveButton");
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->GetFilterRecord(),
              ParseJson("{\"name\":\"caf\xc3\xa9\",\"filterfilename\":[\"bad\xff\xfe\",\"*\"],"
                        "\"filterfileext\":[\"txt\",\"md\",\"txt\"],\"filterdirname\":[\"build\",\"src\",\"lib\"]}"));
}

TEST_F(FilterEditorTest, SaveRefusesAnEmptyNameAndOneAnotherFilterHasAndCancelHandsBackNothing) {
    const QelStringArray inUse = {QelString(u"Text"), QelString(u"Docs")};
    Open(CDlgSearchFilter::Mode::New);
    m_dlg->SetNamesInUse(inUse);
    Add(0, "report.txt");
    for (const char* name : {"", "Docs", "Text"}) SaveAs(name);
    EXPECT_EQ(m_messages, (std::vector<std::string>{"The filter name is empty!!", "The filter name is already in use!!",
                                                    "The filter name is already in use!!"}));
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_TRUE(m_dlg->GetFilterRecord().isNull());
    SaveAs("docs");  // names compare exactly
    EXPECT_EQ(m_dlg->GetFilterRecord(), ParseJson(R"({"name":"docs","filterfilename":["report"],"filterfileext":["txt"],
                                                     "filterdirname":[]})"));
    // A modified filter keeps its own name.
    Open(CDlgSearchFilter::Mode::Modify, ParseJson(R"({"name": "Docs", "filterfileext": ["txt"]})"));
    m_dlg->SetNamesInUse(inUse);
    Click("saveButton");
    EXPECT_EQ(m_messages.size(), 3u);
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    Open(CDlgSearchFilter::Mode::New);
    Add(1, "x");
    Click("cancelButton");
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_TRUE(m_dlg->GetFilterRecord().isNull());
}

TEST_F(FilterEditorTest, AHandEditedRecordShowsOnlyItsStringsAndCanBeNamed) {
    Open(CDlgSearchFilter::Mode::Modify,
         ParseJson(R"({"filterfilename":"notarray","filterfileext":[1,"txt",null,{"a":1}],"extra":true})"));
    EXPECT_EQ(ListRows(), Rows{"txt|FileExt|2"});
    ASSERT_TRUE(Edit("filterNameEdit")->isEnabled());  // without a name it could never be saved
    SaveAs("Fixed");
    EXPECT_EQ(m_dlg->GetFilterRecord(),
              ParseJson(R"({"name":"Fixed","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]})"));
    Open(CDlgSearchFilter::Mode::Modify, ParseJson(R"(["not", "an", "object"])"));
    EXPECT_TRUE(ListRows().empty());
}

}  // namespace
