// View files: where they live, reading, patching at JSON Pointer paths, compact text.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "CQelLogMng.h"
#include "QelUiTestDir.h"
#include "QelViewFile.h"

// Missing, empty, broken and hostile files are refused without crash or hang,
// and a file that is there but not served says why in the log.
TEST(QelViewFile, LivesInResViewBesideTheProgramAndRefusesWhatCannotBeRead) {
    QelUiTestDir dir;
    EXPECT_EQ(QelViewFile::GetViewFilePath(u"good.json").ToStdString(), dir.Path() + "/res/view/good.json");
    std::string objects, rows = "{\"listopt\":{\"values\":[\"\"";
    for (int i = 0; i < 100000; ++i) objects += "{\"a\":", rows += ",\"\"";
    const std::pair<const char*, std::string> files[] = {{"fine.json", "{}"}, {"empty.json", ""}, {"broken.json", "{\"width\":"},
        {"brackets.json", std::string(100000, '[')}, {"objects.json", objects}, {"rows.json", rows + "]}}"}};
    for (const auto& [name, text] : files) dir.Write(std::string("res/view/") + name, text);
    ASSERT_EQ(::mkfifo((dir.Path() + "/res/view/fifo.json").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.Path() + "/res/view/zero.json");
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
