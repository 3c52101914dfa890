#include <gtest/gtest.h>

#include "CQelFile.h"
#include "QelTestDir.h"

TEST(CQelFile, TextModeStoresCrLfAndReadsLf) {
    QelTestDir dir;
    const QelString path = QelString::FromFileName(dir / "t.txt");
    CQelFile file;
    ASSERT_TRUE(file.Open(4, 0, path));  // w+ text
    EXPECT_TRUE(file.IsText());
    EXPECT_TRUE(file.Write(std::string_view("one\ntwo\n\nthree")));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(dir / "t.txt"), "one\r\ntwo\r\n\r\nthree");

    ASSERT_TRUE(file.Open(0, 0, path));
    EXPECT_EQ(file.m_size, 17u);
    EXPECT_EQ(file.ReadAll(), "one\ntwo\n\nthree");
    EXPECT_TRUE(file.m_fileName.Equals(u"t.txt"));
    EXPECT_TRUE(file.m_path.Equals(path));
    EXPECT_EQ(file.m_openType, 0u);
}

TEST(CQelFile, BinaryModeLeavesBytesAlone) {
    QelTestDir dir;
    const QelString path = QelString::FromFileName(dir / "b.bin");
    const std::string bytes("a\r\nb\nc\r\0d", 9);
    CQelFile file;
    ASSERT_TRUE(file.Open(1, 1, path));
    EXPECT_TRUE(file.Write(bytes.data(), bytes.size()));
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "b.bin"), bytes);
    ASSERT_TRUE(file.Open(0, 1, path));
    EXPECT_EQ(file.ReadAll(), bytes);
    EXPECT_EQ(file.m_openType, 1u);
}

TEST(CQelFile, ModeNumbersAndAppend) {
    QelTestDir dir;
    const QelString path = QelString::FromFileName(dir / "m.txt");
    WriteBytes(dir / "m.txt", "start");
    CQelFile file;
    ASSERT_TRUE(file.Open(9, 7, path));  // unknown mode reads; no text/binary letter
    EXPECT_EQ(file.m_openType, 7u);
    EXPECT_FALSE(file.IsText());
    EXPECT_FALSE(file.Write(std::string_view("x")));
    ASSERT_TRUE(file.Open(2, 1, path));  // append
    EXPECT_EQ(file.m_size, 5u);
    file.Write(std::string_view("+more"));
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "m.txt"), "start+more");
    ASSERT_TRUE(file.Open(1, 1, path));  // w truncates
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "m.txt"), "");
}

TEST(CQelFile, FailedOpenLeavesTheObjectClosedAndEmpty) {
    QelTestDir dir;
    CQelFile file;
    ASSERT_TRUE(file.Open(1, 0, QelString::FromFileName(dir / "ok.txt")));
    EXPECT_FALSE(file.Open(0, 0, QelString::FromFileName(dir / "missing.txt")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.m_path.IsEmpty());
    EXPECT_EQ(file.m_openType, 0u);
    EXPECT_FALSE(file.Open(0, 0, QelString::FromFileName(dir.path())));  // a folder is no file
    EXPECT_TRUE(file.Close());  // nothing open
}
