#include <gtest/gtest.h>

#include "QelReadJsonFile.h"
#include "QelTestDir.h"

TEST(ReadJsonFile, ParsesAWholeFileIntoTheDocument) {
    QelTestDir dir;
    WriteBytes(dir / "view.json", "{\r\n \"popup\": {\"title\": \"History\", \"rows\": [1, 2, 3]}\r\n}");
    rapidjson::Document doc;
    doc.Parse("[\"previous content\"]");
    ASSERT_TRUE(ReadJsonFile(QelString::FromFileName(dir / "view.json"), doc));
    ASSERT_TRUE(doc.IsObject());
    // Strings stay valid after the file buffer is gone.
    EXPECT_STREQ(doc["popup"]["title"].GetString(), "History");
    EXPECT_EQ(doc["popup"]["rows"].Size(), 3u);
}

TEST(ReadJsonFile, MissingEmptyAndBrokenFilesFail) {
    QelTestDir dir;
    rapidjson::Document doc;
    EXPECT_FALSE(ReadJsonFile(QelString::FromFileName(dir / "missing.json"), doc));
    WriteBytes(dir / "empty.json", "");
    EXPECT_FALSE(ReadJsonFile(QelString::FromFileName(dir / "empty.json"), doc));
    WriteBytes(dir / "broken.json", "{\"a\": [1, 2");
    EXPECT_FALSE(ReadJsonFile(QelString::FromFileName(dir / "broken.json"), doc));
    EXPECT_FALSE(ReadJsonFile(QelString::FromFileName(dir.path()), doc));
}
