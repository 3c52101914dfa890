// Popup descriptions (keys, defaults, colours, refusals and result texts) and the view files they come
// from (where they live, reading, patching at JSON Pointer paths, compact text).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "CQelLogMng.h"
#include "QelPopupDesc.h"
#include "QelUiTestDir.h"
#include "QelViewFile.h"

using namespace QelPopupDescParser;

// Size, frame and background colours, header, block colours, values and the toolbar
// buttons' glyphs and colours show in the popup tests; these are the rest.
TEST(QelPopupDesc, ReadsTheKeysThePopupDoesNotShowDirectlyDefaultsForAbsentOrOddOnesAndBuildsResults) {
    QelPopupDesc d;
    ASSERT_TRUE(Parse(R"({"width":300,"height":120,"txtcolor":"81:156:214","disptype":"optlist","listopt":{
        "toolbar":{"add":{"type":"button","act":"func|add","bgcolor":"60:63:65","clrfocus":"1:2:3"},
                   "sep":{"type":"label","act":"func|del"}, "notype":{"act":"func|add"}, "zz":{"type":"button","act":"func|down"}},
        "colitems":["Path","Date"],"colitemwidths":[200,90,7],"blockcolor":3,"blockcolorlist":[5,"40:50:60"]}})", d));
    EXPECT_TRUE(d.txtColor == QelRGB(81, 156, 214) && d.bgColor == QelRGB(255, 255, 255));
    ASSERT_EQ(d.toolItems.GetCount(), 2);  // the "label" item and the one without a type are dropped
    EXPECT_EQ(d.toolItems[0].colors, (QelMap<QelString, QelColorRef>{{u"bgcolor", QelRGB(60, 63, 65)}, {u"clrfocus", QelRGB(1, 2, 3)}}));
    EXPECT_EQ(d.toolItems[1].name.ToStdString(), "zz");
    // One width per column; a period without two colour texts draws plain rows.
    EXPECT_TRUE(d.colItemWidths == (QelArray<int>{200, 90}) && d.blockCount == 0);
    ASSERT_TRUE(Parse(R"({"width":1,"height":1,"disptype":"optlist","listopt":{"toolbar":["x",{"type":"button"}]}})", d));
    EXPECT_TRUE(d.toolItems.empty());  // a toolbar that is no object holds no buttons

    std::string toolbar;  // thousands of buttons: only the first are kept
    for (int i = 0; i < 100000; ++i) toolbar += (i ? ",\"b" : "\"b") + std::to_string(i) + R"(":{"type":"button"})";
    ASSERT_TRUE(Parse(R"({"width":300,"height":100,"disptype":"cmblist","listopt":{"toolbar":{)" + toolbar + "}}}", d));
    EXPECT_TRUE(d.toolItems.GetCount() == QelPopupDesc::kMaxToolItems && d.toolItems[0].name == QelString(u"b0"));
    // Colon colours keep eight bits per field; an option list's result escapes its rows as compact JSON strings.
    EXPECT_EQ(ParseColonColor(u"256:1"), QelRGB(0, 1, 0));
    QelStringArray rows;
    for (const char16_t* row : {u"C:/Work \"x\"", u"", u"한글"}) rows.Add(row);
    EXPECT_EQ(BuildOptionListResult(rows), "{\"ret\":[\"C:/Work \\\"x\\\"\",\"\",\"한글\"]}");
}

TEST(QelPopupDesc, RefusesDescriptionsAPopupCannotBeBuiltFromAndSaysWhy) {
    QelPopupDesc d;
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "{\"width\":";
    const std::string bad[] = {deep, "not json", "[1,2]", R"({"height":1,"disptype":"optlist","listopt":{}})",
        R"({"width":1,"disptype":"optlist","listopt":{}})", R"({"width":1,"height":1,"listopt":{}})",
        R"({"width":1,"height":1,"disptype":"optlist"})", R"({"width":"1","height":1,"disptype":"optlist","listopt":{}})",
        R"({"width":1,"height":1,"disptype":"optlist","listopt":[]})", R"({"width":1,"height":1,"disptype":"optlist","listopt":{"values":"a"}})",
        R"({"width":1,"height":1,"disptype":"optlist","listopt":{"colitems":["a","b"],"colitemwidths":[5]}})"};
    for (const std::string& text : bad) {
        QelString why;
        EXPECT_TRUE(!Parse(text, d, &why) && !why.IsEmpty()) << text.substr(0, 60);
    }
}

// Missing, empty, broken and hostile files are refused without crash or hang,
// and a file that is there but not served says why in the log.
TEST(QelViewFile, LivesInResViewBesideTheProgramAndRefusesWhatCannotBeRead) {
    QelUiTestDir dir;
    EXPECT_EQ(QelViewFile::GetViewFilePath(u"good.json").ToStdString(), dir.path() + "/res/view/good.json");
    std::string objects, rows = "{\"listopt\":{\"values\":[\"\"";
    for (int i = 0; i < 100000; ++i) objects += "{\"a\":", rows += ",\"\"";
    const std::pair<const char*, std::string> files[] = {{"fine.json", "{}"}, {"empty.json", ""}, {"broken.json", "{\"width\":"},
        {"brackets.json", std::string(100000, '[')}, {"objects.json", objects}, {"rows.json", rows + "]}}"}};
    for (const auto& [name, text] : files) dir.Write(std::string("res/view/") + name, text);
    ASSERT_EQ(::mkfifo((dir.path() + "/res/view/fifo.json").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.path() + "/res/view/zero.json");
    rapidjson::Document doc;
    CQelLogMng::GetInstance()->SetEnabled(true);
    testing::internal::CaptureStderr();
    for (const char16_t* name : {u"none.json", u"empty.json", u"broken.json", u"brackets.json", u"objects.json",
                                 u"rows.json", u"fifo.json", u"zero.json"}) {
        EXPECT_TRUE(QelViewFile::Load(QelViewFile::GetViewFilePath(u"fine.json"), doc));
        EXPECT_TRUE(!QelViewFile::Load(QelViewFile::GetViewFilePath(name), doc) && doc.IsNull()) << QelString(name).ToStdString();
    }
    const std::string log = testing::internal::GetCapturedStderr();
    CQelLogMng::GetInstance()->SetEnabled(false);
    EXPECT_TRUE(log.find("rows.json\" more than 100000 entries in one array") != std::string::npos &&
                log.find("fifo.json\" not a regular file") != std::string::npos) << log;
}

TEST(QelViewFile, PatchingCreatesMissingObjectsAndReplacesValues) {
    rapidjson::Document doc;
    doc.Parse(R"({"width":1,"height":2,"disptype":"cmblist"})");
    QelStringArray values;
    values.Add(u"[2024/01/31] /work(sub check)"), values.Add(u"두 번째");
    ASSERT_TRUE(QelViewFile::SetStringArray(doc, "/listopt/values", values) && QelViewFile::SetInt(doc, "/width", 300) &&
                QelViewFile::SetIntArray(doc, "/listopt/colitemwidths", {290}));
    EXPECT_FALSE(QelViewFile::SetInt(doc, "width", 1));  // not a pointer
    ASSERT_TRUE(QelViewFile::SetInt(doc, "/height/inner", 4));  // a member in the way that is not an object becomes one
    EXPECT_EQ(QelViewFile::ToText(doc), R"js({"width":300,"height":{"inner":4},"disptype":"cmblist",)js"
                                        R"js("listopt":{"values":["[2024/01/31] /work(sub check)","두 번째"],"colitemwidths":[290]}})js");
}
