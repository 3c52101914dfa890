// The filter editor driven through its real widgets: typing, choosing the
// type, clicking Add, Del, Save and Cancel, and reading the record handed back.
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <json/reader.h>

#include <memory>
#include <string>
#include <vector>

#include "CDlgSearchFilter.h"
#include "CQelDirMng.h"
#include "CQelMessageBox.h"
#include "QelEditorDialogFixture.h"

namespace {
using Rows = std::vector<std::string>;  // "text|Type|TypeDef" per row


class FilterEditorTest : public QelEditorDialogTest<CDlgSearchFilter> {
protected:
    FilterEditorTest() : QelEditorDialogTest("filterList") {}
    QLineEdit* SearchEdit() { return Child<QLineEdit>("searchStringEdit"); }

    void Add(int selectorIndex, const QString& text) {
        Child<QComboBox>("typeSelector")->setCurrentIndex(selectorIndex);
        QTest::keyClicks(SearchEdit(), text);
        Click("addButton");
    }
    std::string Record() { return m_dlg->GetFilterRecord().toStyledString(); }
};

TEST_F(FilterEditorTest, FullFileNameSplitsAtTheLastDotAfterTheFirstCharacter) {
    Open(CDlgSearchFilter::Mode::New);
    const std::vector<std::pair<QString, Rows>> cases = {
        {"report.txt", {"report|FileName|1", "txt|FileExt|2"}},
        {"archive.", {"archive|FileName|1"}},
        {".profile", {".profile|FileName|1"}},
        {"a.b.c", {"a.b|FileName|1", "c|FileExt|2"}},
        {"*.txt", {"*|FileName|1", "txt|FileExt|2"}},
        {"report", {"report|FileName|1"}},
        {"..", {".|FileName|1"}},
    };
    for (const auto& [text, added] : cases) {
        const std::size_t before = ListRows().size();
        Add(0, text);
        const Rows rows = ListRows();
        EXPECT_EQ(Rows(rows.begin() + static_cast<std::ptrdiff_t>(before), rows.end()), added) << text.toStdString();
        EXPECT_TRUE(SearchEdit()->text().isEmpty());
    }
}

TEST_F(FilterEditorTest, OtherTypesAddTheWholeTextAndEmptyTextAddsNothing) {
    Open(CDlgSearchFilter::Mode::New);
    EXPECT_EQ(m_dlg->windowTitle(), "Search Filter New");
    Add(1, "a.b");
    Add(2, "tar.gz");
    Add(3, "src.old");
    Add(0, "");
    Child<QComboBox>("typeSelector")->setCurrentIndex(3);
    QTest::keyClicks(SearchEdit(), "build");
    QTest::keyClick(SearchEdit(), Qt::Key_Return);  // Enter adds, it does not save
    EXPECT_EQ(ListRows(), (Rows{"a.b|FileName|1", "tar.gz|FileExt|2", "src.old|Folder|3", "build|Folder|3"}));
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(FilterEditorTest, DelRemovesTheFirstSelectedRowOnly) {
    Open(CDlgSearchFilter::Mode::New);
    for (const char* text : {"a", "b", "c", "d"}) Add(1, text);
    Click("delButton");  // nothing selected
    EXPECT_EQ(ListRows().size(), 4u);
    ClickRow(2);
    ClickRow(1, Qt::ControlModifier);
    Click("delButton");
    EXPECT_EQ(ListRows(), (Rows{"a|FileName|1", "c|FileName|1", "d|FileName|1"}));
    Click("delButton");  // c is still selected
    EXPECT_EQ(ListRows(), (Rows{"a|FileName|1", "d|FileName|1"}));
}

TEST_F(FilterEditorTest, ModifyShowsRowsGroupedByTypeAndSaveKeepsOrderAndDuplicates) {
    Open(CDlgSearchFilter::Mode::Modify,
         ParseJson(R"({"filterdirname":["build","src"],"filterfileext":["txt","md","txt"],)"
                   R"("name":"Docs","filterfilename":["rep","*"]})"));
    EXPECT_EQ(m_dlg->windowTitle(), "Search Filter Modify");
    auto* name = Child<QLineEdit>("filterNameEdit");
    EXPECT_EQ(name->text(), "Docs");
    EXPECT_FALSE(name->isEnabled());
    EXPECT_EQ(ListRows(), (Rows{"rep|FileName|1", "*|FileName|1", "txt|FileExt|2", "md|FileExt|2", "txt|FileExt|2",
                                "build|Folder|3", "src|Folder|3"}));
    Add(3, "lib");
    Add(1, "new");
    Click("saveButton");
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(Record(), ParseJson(R"({"name":"Docs","filterfilename":["rep","*","new"],)"
                                  R"("filterfileext":["txt","md","txt"],"filterdirname":["build","src","lib"]})")
                            .toStyledString());
}

TEST_F(FilterEditorTest, SaveWithAnEmptyNameKeepsTheDialogOpenWithItsRows) {
    Open(CDlgSearchFilter::Mode::New);
    Add(0, "report.txt");
    Click("saveButton");
    EXPECT_EQ(m_messages, std::vector<std::string>{"The filter name is empty!!"});
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_NE(m_dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dlg->GetFilterRecord().isNull());
    EXPECT_EQ(ListRows(), (Rows{"report|FileName|1", "txt|FileExt|2"}));

    QTest::keyClicks(Child<QLineEdit>("filterNameEdit"), "Reports");
    Click("saveButton");
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->GetFilterRecord()["filterfileext"][0].asString(), "txt");
}

TEST_F(FilterEditorTest, ANameAnotherFilterHasIsRefusedButAModifiedFilterKeepsItsOwn) {
    const QelStringArray inUse = {QelString(u"Text"), QelString(u"Docs")};
    Open(CDlgSearchFilter::Mode::New);
    m_dlg->SetNamesInUse(inUse);
    Add(2, "md");
    for (const char* name : {"Docs", "Text", "docs"}) {  // names compare exactly
        Child<QLineEdit>("filterNameEdit")->setText(name);
        Click("saveButton");
    }
    EXPECT_EQ(m_messages, (std::vector<std::string>{"The filter name is already in use!!",
                                                    "The filter name is already in use!!"}));
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->GetFilterRecord()["name"].asString(), "docs");

    m_messages.clear();
    Open(CDlgSearchFilter::Mode::Modify, ParseJson(R"({"name": "Docs", "filterfileext": ["txt"]})"));
    m_dlg->SetNamesInUse(inUse);
    Click("saveButton");
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
}

TEST_F(FilterEditorTest, CancelHandsBackNoRecord) {
    Open(CDlgSearchFilter::Mode::New);
    QTest::keyClicks(Child<QLineEdit>("filterNameEdit"), "Gone");
    Add(1, "x");
    Click("cancelButton");
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_TRUE(m_dlg->GetFilterRecord().isNull());
}

TEST_F(FilterEditorTest, HandEditedRecordShowsOnlyItsStringsAndCanBeNamed) {
    Open(CDlgSearchFilter::Mode::Modify,
         ParseJson(R"({"filterfilename":"notarray","filterfileext":[1,"txt",null,{"a":1}],"extra":true})"));
    EXPECT_EQ(ListRows(), Rows{"txt|FileExt|2"});
    auto* name = Child<QLineEdit>("filterNameEdit");
    EXPECT_TRUE(name->isEnabled());  // without a name it could never be saved
    QTest::keyClicks(name, "Fixed");
    Click("saveButton");
    EXPECT_EQ(Record(), ParseJson(R"({"name":"Fixed","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]})")
                            .toStyledString());

    Open(CDlgSearchFilter::Mode::Modify, ParseJson(R"(["not", "an", "object"])"));
    EXPECT_TRUE(ListRows().empty());
}

TEST_F(FilterEditorTest, StringsKeepTheirExactBytesThroughTheList) {
    Json::Value record(Json::objectValue);
    record["name"] = "caf\xc3\xa9";
    record["filterfilename"].append(std::string("bad\xff\xfe name", 11));
    record["filterdirname"].append("\xed\x95\x9c\xea\xb8\x80");
    Open(CDlgSearchFilter::Mode::Modify, record);
    Click("saveButton");
    const Json::Value& saved = m_dlg->GetFilterRecord();
    EXPECT_EQ(saved["name"].asString(), "caf\xc3\xa9");
    EXPECT_EQ(saved["filterfilename"][0].asString(), std::string("bad\xff\xfe name", 11));
    EXPECT_EQ(saved["filterdirname"][0].asString(), "\xed\x95\x9c\xea\xb8\x80");
}

TEST_F(FilterEditorTest, AddAndDelShowTheirPicturesOrKeepTheirTexts) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath("res/img"));
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(home.filePath("res/img/Add.png"), "PNG"));  // no Del.png
    CQelDirMng* dirs = CQelDirMng::GetInstance();
    const QelString previous = dirs->GetModuleDir();
    dirs->SetModuleDir(QelString(home.path().toStdU16String()));
    Open(CDlgSearchFilter::Mode::New);
    dirs->SetModuleDir(previous);
    auto* add = Child<QPushButton>("addButton");
    EXPECT_FALSE(add->icon().isNull());
    EXPECT_TRUE(add->text().isEmpty());
    EXPECT_EQ(add->toolTip(), "Add");
    EXPECT_EQ(Child<QPushButton>("delButton")->text(), "Del");
}

TEST_F(FilterEditorTest, ListDrawsTheDarkLook) {
    Open(CDlgSearchFilter::Mode::New);
    Add(1, "WWWWWWWW");
    Add(1, "second");
    const QImage image = List()->viewport()->grab().toImage();
    const QRect row0 = List()->visualItemRect(List()->topLevelItem(0));
    const QRect row1 = List()->visualItemRect(List()->topLevelItem(1));
    const int blankX = List()->viewport()->width() - 3;
    EXPECT_EQ(image.pixelColor(blankX, row0.center().y()), QColor(43, 43, 43));
    EXPECT_EQ(image.pixelColor(blankX, row1.center().y()), QColor(63, 63, 63));
    bool textColourSeen = false;
    for (int x = row0.left(); x < row0.left() + 120 && !textColourSeen; ++x) {
        for (int y = row0.top(); y <= row0.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - 81) + std::abs(c.green() - 156) + std::abs(c.blue() - 214) < 30) {
                textColourSeen = true;
                break;
            }
        }
    }
    EXPECT_TRUE(textColourSeen);
}
}  // namespace
