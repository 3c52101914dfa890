#include <gtest/gtest.h>

#include "CQelFile.h"
#include "QelTestDir.h"

// Mode numbers: 0 read, 1 write (truncating), 2 append, 4 write and read;
// type 0 text (CR LF on disk, LF in memory), 1 binary, others neither.
TEST(CQelFile, ModesAndTypesStoreAndReadTheirBytes) {
    QelTestDir dir;
    const QelString path = QelString::FromFileName(dir / "t.txt");
    CQelFile file;
    ASSERT_TRUE(file.Open(4, 0, path));
    EXPECT_TRUE(file.Write(std::string_view("one\ntwo\n\nthree")));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(dir / "t.txt"), "one\r\ntwo\r\n\r\nthree");
    ASSERT_TRUE(file.Open(0, 0, path));
    EXPECT_EQ(file.m_size, 17u);
    EXPECT_EQ(file.ReadAll(), "one\ntwo\n\nthree");

    const std::string bytes("a\r\nb\nc\r\0d", 9);
    ASSERT_TRUE(file.Open(1, 1, path));
    EXPECT_TRUE(file.Write(bytes.data(), bytes.size()));
    file.Close();
    ASSERT_TRUE(file.Open(2, 1, path));
    EXPECT_EQ(file.m_size, 9u);
    file.Write(std::string_view("+more"));
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "t.txt"), bytes + "+more");
    ASSERT_TRUE(file.Open(9, 7, path));  // an unknown mode reads
    EXPECT_FALSE(file.IsText());
    EXPECT_FALSE(file.Write(std::string_view("x")));
    EXPECT_EQ(file.ReadAll(), bytes + "+more");
    EXPECT_EQ(file.m_openType, 7u);

    EXPECT_FALSE(file.Open(0, 0, QelString::FromFileName(dir / "missing.txt")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Open(0, 0, QelString::FromFileName(dir.path())));  // a folder is no file
    EXPECT_TRUE(file.Close());  // nothing open
    // A whole read in text mode stops at a NUL and turns CR LF into LF.
    WriteBytes(dir / "t.json", std::string("{\r\n\"a\": 1\r\n}\0tail\r\n", 19));
    std::string text;
    EXPECT_TRUE(CQelFile::ReadText(QelString::FromFileName(dir / "t.json"), 0, text).Ok() && text == "{\n\"a\": 1\n}");
    EXPECT_TRUE(CQelFile::ReadText(QelString::FromFileName(dir / "t.json"), 1, text).Ok() && text == "{\r\n\"a\": 1\r\n}");
}
