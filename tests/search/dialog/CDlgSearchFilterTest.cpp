// The filter editor driven through its real widgets, each case by a script:
// "<type>+<text>" picks the type, types the text and clicks Add ('>' presses
// Enter instead), "row <n>" and "ctrl <n>" click a row, "del" and "cancel"
// click their buttons, "save=<name>" names the filter and clicks Save, "save"
// clicks it as it is.
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
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(name); }
    void Step(const std::string& step) {
        if (step == "del" || step == "cancel" || step == "save") return Click((step + "Button").c_str());
        if (step.starts_with("save=")) return Edit("filterNameEdit")->setText(QString::fromStdString(step.substr(5))), Click("saveButton");
        if (step.starts_with("row ") || step.starts_with("ctrl "))
            return ClickRow(std::stoi(step.substr(step.find(' '))), step[0] == 'c' ? Qt::ControlModifier : Qt::NoModifier);
        Child<QComboBox>("typeSelector")->setCurrentIndex(step[0] - '0');
        QTest::keyClicks(Edit("searchStringEdit"), QString::fromStdString(step.substr(2)));
        step[1] == '>' ? QTest::keyClick(Edit("searchStringEdit"), Qt::Key_Return) : Click("addButton");
        EXPECT_TRUE(Edit("searchStringEdit")->text().isEmpty()) << step;
    }
};

TEST_F(FilterEditorTest, EditsEndInTheRowsShownAndTheRecordHandedBack) {
    const std::string empty = R"("filterfilename":[],"filterfileext":[],"filterdirname":[]})";
    const std::vector<std::string> refusals = {"The filter name is empty!!", "The filter name is already in use!!",
                                               "The filter name is already in use!!"};
    const struct {
        const char* record;  // none: a new filter
        std::vector<std::string> steps;
        Rows rows;
        std::string end, saved = "";  // the record handed back, if any
        std::vector<std::string> messages = {};
        bool nameEditable = true;
    } cases[] = {
        // A full file name splits at the last dot after the first character,
        // the other types take the whole text, Del removes the first selected row.
        {nullptr, {"0+report.txt", "0+archive.", "0+.profile", "0+a.b.c", "0+..", "0+", "1+a.b", "2+tar.gz", "3>src.old", "del", "row 5", "ctrl 3", "del"},
         {"report|FileName|1", "txt|FileExt|2", "archive|FileName|1", "a.b|FileName|1", "c|FileExt|2", ".|FileName|1",
          "a.b|FileName|1", "tar.gz|FileExt|2", "src.old|Folder|3"}, "open"},
        // Rows grouped by type; saving keeps order, duplicates and the bytes no text can show.
        {"{\"filterdirname\":[\"build\",\"src\"],\"filterfileext\":[\"txt\",\"md\",\"txt\"],\"name\":\"caf\xc3\xa9\","
         "\"filterfilename\":[\"bad\xff\xfe\",\"*\"]}", {"3+lib", "save"},
         {"bad??|FileName|1", "*|FileName|1", "txt|FileExt|2", "md|FileExt|2", "txt|FileExt|2", "build|Folder|3", "src|Folder|3", "lib|Folder|3"},
         "saved", "{\"name\":\"caf\xc3\xa9\",\"filterfilename\":[\"bad\xff\xfe\",\"*\"],\"filterfileext\":[\"txt\",\"md\",\"txt\"],"
         "\"filterdirname\":[\"build\",\"src\",\"lib\"]}", {}, false},
        // A name that is empty or another filter's is refused; names compare exactly.
        {nullptr, {"0+report.txt", "save=", "save=Docs", "save=Text"}, {"report|FileName|1", "txt|FileExt|2"}, "open", "", refusals},
        {nullptr, {"0+report.txt", "save=docs"}, {"report|FileName|1", "txt|FileExt|2"}, "saved",
         R"({"name":"docs","filterfilename":["report"],"filterfileext":["txt"],"filterdirname":[]})"},
        {R"({"name": "Docs", "filterfileext": ["txt"]})", {"save"}, {"txt|FileExt|2"}, "saved",
         R"({"name":"Docs","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]})", {}, false},  // keeps its own name
        {nullptr, {"1+x", "cancel"}, {"x|FileName|1"}, "cancelled"},
        // A hand-edited record shows only its strings and, without a name, can be named.
        {R"({"filterfilename":"notarray","filterfileext":[1,"txt",null,{"a":1}],"extra":true})", {"save=Fixed"}, {"txt|FileExt|2"},
         "saved", R"({"name":"Fixed","filterfilename":[],"filterfileext":["txt"],"filterdirname":[]})"},
        {R"(["not", "an", "object"])", {"save=Named"}, {}, "saved", R"({"name":"Named",)" + empty},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        m_messages.clear();
        Open(c.record ? CDlgSearchFilter::Mode::Modify : CDlgSearchFilter::Mode::New, c.record ? ParseJson(c.record) : Json::Value());
        m_dlg->SetNamesInUse({u"Text", u"Docs"});
        EXPECT_EQ(Edit("filterNameEdit")->isEnabled(), c.nameEditable);
        for (const std::string& step : c.steps) Step(step);
        const std::string end = m_dlg->isVisible() ? "open" : m_dlg->result() == QDialog::Accepted ? "saved" : "cancelled";
        EXPECT_EQ(std::make_tuple(ListRows(), end, m_messages), std::make_tuple(c.rows, c.end, c.messages));
        EXPECT_EQ(m_dlg->GetFilterRecord(), c.saved.empty() ? Json::Value() : ParseJson(c.saved));
    }
}

}  // namespace
