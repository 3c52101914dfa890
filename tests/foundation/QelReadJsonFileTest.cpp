#include <gtest/gtest.h>

#include "QelReadJsonFile.h"
#include "QelTestDir.h"

TEST(ReadJsonFile, ParsesAWholeFileOrFails) {
    QelTestDir dir;
    WriteBytes(dir / "view.json", "{\r\n \"popup\": {\"title\": \"History\", \"rows\": [1, 2, 3]}\r\n}");
    WriteBytes(dir / "empty.json", "");
    WriteBytes(dir / "broken.json", "{\"a\": [1, 2");
    rapidjson::Document doc;
    doc.Parse("[\"previous content\"]");
    ASSERT_TRUE(ReadJsonFile(QelString::FromFileName(dir / "view.json"), doc));
    EXPECT_STREQ(doc["popup"]["title"].GetString(), "History");  // strings outlive the file buffer
    EXPECT_EQ(doc["popup"]["rows"].Size(), 3u);
    for (const char* leaf : {"missing.json", "empty.json", "broken.json", ""})
        EXPECT_FALSE(ReadJsonFile(QelString::FromFileName(dir / leaf), doc)) << leaf;
}
