#include <gtest/gtest.h>

#include "CQelFile.h"
#include "QelTestDir.h"

// Mode numbers: 0 read, 1 write (truncating), 2 append, 4 write and read,
// others read; type 0 text (CR LF on disk, LF in memory), 1 binary, others
// neither. Each row opens a file holding `before`, reads the rest, then writes.
TEST(CQelFile, ModesAndTypesStoreAndReadTheirBytes) {
    QelTestDir dir;
    const QelString path = QelString::FromFileName(dir / "t.txt");
    const std::string bytes("a\r\nb\nc\r\0d", 9), lines = "one\r\ntwo\r\n\r\nthree";
    const struct { unsigned mode, type; std::string before; std::uint32_t size; std::string read, write; bool wrote; std::string after; } cases[] = {
        {4, 0, "old", 0, "", "one\ntwo\n\nthree", true, lines}, {0, 0, lines, 17, "one\ntwo\n\nthree", "x", false, lines},
        {1, 1, "old", 0, "", bytes, true, bytes},               {2, 1, bytes, 9, "", "+more", true, bytes + "+more"},
        {9, 7, bytes, 9, bytes, "x", false, bytes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + "/" + std::to_string(c.type));
        WriteBytes(dir / "t.txt", c.before);
        CQelFile file;
        ASSERT_TRUE(file.Open(c.mode, c.type, path));
        EXPECT_EQ(file.m_size, c.size);
        EXPECT_EQ(file.ReadAll(), c.read);
        EXPECT_EQ(file.Write(c.write), c.wrote);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(ReadBytes(dir / "t.txt"), c.after);
    }
    CQelFile file;
    EXPECT_FALSE(file.Open(0, 0, QelString::FromFileName(dir / "missing.txt")) || file.Open(0, 0, QelString::FromFileName(dir.path())));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Close());  // nothing open
    // A whole read in text mode stops at a NUL and turns CR LF into LF.
    WriteBytes(dir / "t.json", std::string("{\r\n\"a\": 1\r\n}\0tail\r\n", 19));
    std::string text;
    EXPECT_TRUE(CQelFile::ReadText(QelString::FromFileName(dir / "t.json"), 0, text).Ok() && text == "{\n\"a\": 1\n}");
    EXPECT_TRUE(CQelFile::ReadText(QelString::FromFileName(dir / "t.json"), 1, text).Ok() && text == "{\r\n\"a\": 1\r\n}");
}
