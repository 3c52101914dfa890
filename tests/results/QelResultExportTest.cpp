// The numbered result text, export files that never replace anything, and
// list workbooks read back from the .xlsx archive (its sheet XML, unpacked by
// unzip).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "../fileops/QelTreeFixture.h"
#include "QelExportFile.h"
#include "QelListWorkbook.h"
#include "QelResultListText.h"
#include "QelXlsxReadBack.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> Paths(std::size_t count) {
    std::vector<std::u16string> paths;
    for (std::size_t i = 0; i < count; ++i) paths.push_back(u"/r/f" + QelString::Formatted(u"%d", int(i)).str());
    return paths;
}

qel::QelPathAt At(const std::vector<std::u16string>& paths) {
    return [&paths](std::size_t i) { return std::u16string_view(paths[i]); };
}

}  // namespace

TEST(ResultListText, NumbersWithAsManyDigitsAsTheRowCount) {
    // 100 000 rows take more than one piece of the text.
    for (const std::size_t count : {0u, 1u, 9u, 10u, 12u, 100u, 100000u}) {
        SCOPED_TRACE(count);
        const std::vector<std::u16string> paths = Paths(count);
        std::string expected = "Result List\r\n";
        const int digits = static_cast<int>(std::to_string(count).size());
        char number[32];
        for (std::size_t i = 0; i < count; ++i) {
            std::snprintf(number, sizeof number, "[%.*d] ", digits, static_cast<int>(i));
            expected += number + QelString(paths[i]).ToStdString() + "\r\n";
        }
        EXPECT_EQ(qel::MakeResultListText(count, At(paths)), expected);
    }
    const std::vector<std::u16string> hundred = Paths(100);
    const std::string text = qel::MakeResultListText(100, At(hundred));
    EXPECT_NE(text.find("\r\n[000] /r/f0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n[099] /r/f99\r\n"), std::string::npos);
}

TEST(ResultListText, WritesUtf8WithoutMarkAndCrLfAlsoInsideANameAndKeepsOddBytes) {
    const std::vector<std::u16string> paths = {u"/home/보고서/résumé.txt", u"/t/two\nlines",
                                               QelString::FromFileName("/t/bad\xff.txt").str()};
    std::vector<std::u16string> logged;
    const std::string text =
        qel::MakeResultListText(paths.size(), At(paths), [&](std::u16string_view line) { logged.emplace_back(line); });
    EXPECT_EQ(text,
              "Result List\r\n[0] /home/\xEB\xB3\xB4\xEA\xB3\xA0\xEC\x84\x9C/r\xC3\xA9sum\xC3\xA9.txt\r\n"
              "[1] /t/two\r\nlines\r\n[2] /t/bad\xff.txt\r\n");
    ASSERT_EQ(logged.size(), 3u);
    EXPECT_EQ(logged[0], u"[0] /home/보고서/résumé.txt");
    EXPECT_EQ(logged[1], u"[1] /t/two\nlines");
}

TEST(ExportFile, NeverReplacesAnEarlierExportAndNamesTheNextFreeOne) {
    QelTestDir dir;
    const QelString folder = Q(dir.path());
    const QelString stem = qel::DatedExportStem(qel::LocalTime{2024, 5, 1, 9, 3, 7, 0}, u"Result");
    EXPECT_EQ(stem.ToStdString(), "2024-05-01_09-03-07_Result");
    const char* const expected[] = {"2024-05-01_09-03-07_Result.txt", "2024-05-01_09-03-07_Result_2.txt",
                                    "2024-05-01_09-03-07_Result_3.txt"};
    for (int i = 0; i < 3; ++i) {
        QelString path;
        ASSERT_EQ(qel::WriteNewFile(folder, stem, u".txt", "export " + std::to_string(i), path), 0);
        EXPECT_EQ(path.ToFileName(), dir / expected[i]);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(dir / expected[i]), "export " + std::to_string(i));
}

// A writer that opens its file by name writes in a folder of our own; a link
// planted meanwhile at the final name in the shared folder is not followed,
// and the file takes the next free name beside it.
TEST(ExportFile, AFileWrittenByNameIsMadePrivatelyAndPlacedWithoutReplacingAnything) {
    QelTestDir dir;
    MakeFile(dir / "victim", "precious");
    std::string writtenAt;
    mode_t privateMode = 0;
    const auto produce = [&](const std::string& path) {
        writtenAt = path;
        struct stat st {};
        EXPECT_EQ(::stat(fs::path(path).parent_path().c_str(), &st), 0);
        privateMode = st.st_mode & 07777;
        EXPECT_EQ(::symlink((dir / "victim").c_str(), (dir / "list.xlsx").c_str()), 0);  // the attacker's move
        MakeFile(path, "workbook");
        return true;
    };
    QelString path;
    ASSERT_EQ(qel::WriteNewFileByName(Q(dir.path()), u"list", u".xlsx", produce, path), 0);
    EXPECT_EQ(privateMode, 0700u);
    EXPECT_NE(fs::path(writtenAt).parent_path(), fs::path(dir.path()));
    EXPECT_EQ(path.ToFileName(), dir / "list_2.xlsx");
    EXPECT_EQ(ReadBytes(dir / "list_2.xlsx"), "workbook");
    EXPECT_EQ(ReadBytes(dir / "victim"), "precious");
    // Nothing of ours is left behind, also when the writer fails.
    EXPECT_EQ(qel::WriteNewFileByName(Q(dir.path()), u"list", u".xlsx", [](const std::string& p) {
        MakeFile(p, "half");
        return false;
    }, path), qel::kProduceFailed);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"list.xlsx", "list_2.xlsx", "victim"}));
}

TEST(ResultListText, StopsWhenTheWriterFails) {
    const std::vector<std::u16string> paths = Paths(200000);
    int pieces = 0;
    EXPECT_FALSE(qel::ProduceResultListText(paths.size(), At(paths), [&pieces](std::string_view piece) {
        EXPECT_GE(piece.size(), qel::kTextPieceSize);
        return ++pieces < 2;
    }));
    EXPECT_EQ(pieces, 2);
}

TEST(ExportFile, AWriteThatFailsHalfWayIsReportedAndLeavesNothing) {
    QelTestDir dir;
    // A file size limit makes the kernel refuse the rest, as a full disk would.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    QelString path;
    const int error = qel::WriteNewFile(Q(dir.path()), u"big", u".txt", std::string(100000, 'x'), path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, EFBIG);
    EXPECT_FALSE(Exists(dir / "big.txt"));
}

TEST(ExportFile, AFileThatCannotBeMadeReportsWhyAndLeavesNothing) {
    QelTestDir dir;
    QelString path;
    EXPECT_EQ(qel::WriteNewFile(Q(dir / "missing"), u"x", u".txt", "bytes", path), ENOENT);
    EXPECT_EQ(path.ToFileName(), dir / "missing/x.txt");
    ASSERT_EQ(::symlink("/dev/full", (dir / "full.txt").c_str()), 0);  // a taken name, even as a link
    EXPECT_EQ(qel::WriteNewFile(Q(dir.path()), u"full", u".txt", "bytes", path), 0);
    EXPECT_EQ(path.ToFileName(), dir / "full_2.txt");
}

TEST(ListWorkbook, HoldsTheHeaderThenEveryPathAsEscapedText) {
    QelTestDir dir;
    const std::vector<std::u16string> paths = {u"/a/b&c<d>.txt", u"/x/é写.txt",
                                               QelString::FromFileName("/bad\xff").str()};
    const std::string file = dir / "list.xlsx";
    std::string reason;
    ASSERT_TRUE(qel::WriteListWorkbook(Q(file), paths.size(), At(paths), {}, &reason)) << reason;
    const QelSheetCells expected = {{"A1", "Result List"},
                                                                       {"A2", "/a/b&amp;c&lt;d&gt;.txt"},
                                                                       {"A3", "/x/\xC3\xA9\xE5\x86\x99.txt"},
                                                                       {"A4", "/bad\xEF\xBF\xBD"}};
    EXPECT_EQ(TextCells(Unzipped(file, "xl/worksheets/sheet1.xml")), expected);
    EXPECT_EQ(Unzipped(file, "xl/worksheets/sheet2.xml"), "");
}

TEST(ListWorkbook, ContinuesOnFurtherSheetsEachWithTheHeader) {
    QelTestDir dir;
    const std::vector<std::u16string> paths = Paths(5);
    const std::string file = dir / "long.xlsx";
    _tag_ListWorkbookLayout layout;
    layout.header = "Folders and files";
    layout.rowsPerSheet = 3;  // the header and two paths
    ASSERT_TRUE(qel::WriteListWorkbook(Q(file), paths.size(), At(paths), layout));
    EXPECT_EQ(TextCells(Unzipped(file, "xl/worksheets/sheet1.xml")),
              (QelSheetCells{{"A1", "Folders and files"}, {"A2", "/r/f0"}, {"A3", "/r/f1"}}));
    EXPECT_EQ(TextCells(Unzipped(file, "xl/worksheets/sheet2.xml")),
              (QelSheetCells{{"A1", "Folders and files"}, {"A2", "/r/f2"}, {"A3", "/r/f3"}}));
    EXPECT_EQ(TextCells(Unzipped(file, "xl/worksheets/sheet3.xml")), (QelSheetCells{{"A1", "Folders and files"}, {"A2", "/r/f4"}}));
    EXPECT_EQ(Unzipped(file, "xl/worksheets/sheet4.xml"), "");

    // An empty list still gives a sheet with its header.
    ASSERT_TRUE(qel::WriteListWorkbook(Q(dir / "empty.xlsx"), 0, At(paths)));
    EXPECT_EQ(TextCells(Unzipped(dir / "empty.xlsx", "xl/worksheets/sheet1.xml")), (QelSheetCells{{"A1", "Result List"}}));
}

TEST(ListWorkbook, AFolderThatCannotTakeTheFileFails) {
    QelTestDir dir;
    const std::vector<std::u16string> paths = Paths(1);
    std::string reason;
    EXPECT_FALSE(qel::WriteListWorkbook(Q(dir / "missing/x.xlsx"), 1, At(paths), {}, &reason));
    EXPECT_FALSE(reason.empty());
}
