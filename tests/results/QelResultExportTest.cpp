// The numbered result text, export files that never replace anything, and
// list workbooks read back from the .xlsx archive.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "QelExportFile.h"
#include "QelListWorkbook.h"
#include "QelResultListText.h"
#include "QelResultTestKit.h"
#include "QelXlsxReadBack.h"

namespace {

std::vector<std::u16string> Paths(std::size_t count) {
    std::vector<std::u16string> paths;
    for (std::size_t i = 0; i < count; ++i) paths.push_back(u"/r/f" + QelString::Formatted(u"%d", int(i)).str());
    return paths;
}

qel::QelPathAt At(const std::vector<std::u16string>& paths) {
    return [&paths](std::size_t i) { return std::u16string_view(paths[i]); };
}

std::string Sheet(const std::string& file, int n) { return Unzipped(file, "xl/worksheets/sheet" + std::to_string(n) + ".xml"); }

}  // namespace

// Numbered with as many digits as the row count has (100 000 rows take more
// than one piece of the text). Each kind of character at every place of a
// path, inside and after the runs of plain ASCII copied eight at a time: UTF-8
// without a mark, LF as CR LF, a raw byte's stand-in as that byte.
TEST(ResultListText, NumbersEveryRowAndWritesEveryCharacterAsUtf8) {
    const auto expected = [](const std::vector<std::u16string>& paths) {
        std::string text = "Result List\r\n";
        const int digits = static_cast<int>(std::to_string(paths.size()).size());
        char number[32];
        for (std::size_t i = 0; i < paths.size(); ++i) {
            std::string bytes = QelString(paths[i]).ToFileName();
            for (std::size_t lf = bytes.find('\n'); lf != std::string::npos; lf = bytes.find('\n', lf + 2)) bytes.insert(lf, 1, '\r');
            std::snprintf(number, sizeof number, "[%.*d] ", digits, static_cast<int>(i));
            text += number + bytes + "\r\n";
        }
        return text;
    };
    for (const std::size_t count : {0u, 1u, 9u, 10u, 12u, 100u, 100000u}) {
        const std::vector<std::u16string> paths = Paths(count);
        EXPECT_TRUE(qel::MakeResultListText(count, At(paths)) == expected(paths)) << count;  // no line diff of megabytes
    }
    const std::u16string odd[] = {u"\u0080", u"\u007f", u"\u00e9", u"\ubcf4", u"\U0001F600", u"\n", std::u16string(1, char16_t(0xDCFF))};
    std::vector<std::u16string> paths;
    for (const std::u16string& c : odd)
        for (std::size_t at = 0; at <= 18; ++at) paths.push_back(std::u16string(u"/abcdefghijklmnopq").insert(at, c));
    std::vector<std::u16string> logged;
    EXPECT_EQ(qel::MakeResultListText(paths.size(), At(paths), [&](std::u16string_view l) { logged.emplace_back(l); }), expected(paths));
    ASSERT_EQ(logged.size(), paths.size());
    EXPECT_EQ(logged[1], u"[001] /" + odd[0] + u"abcdefghijklmnopq");
}

// Into a folder whose name is not ASCII, as the text export writes: the next
// free name each time (a link counts as taken), a text made in pieces written whole.
TEST(ExportFile, NeverReplacesAnEarlierExportAndNamesTheNextFreeOne) {
    QelTestDir dir;
    const std::string folder = dir / "r\xC3\xA9sum\xC3\xA9 \xff";
    const QelString stem = qel::DatedExportStem(qel::LocalTime{2024, 5, 1, 9, 3, 7, 0}, u"Result");
    EXPECT_EQ(stem.ToStdString(), "2024-05-01_09-03-07_Result");
    MakeTree(folder, {stem.ToStdString() + "_2.txt->/dev/full"});
    const std::vector<std::u16string> paths = Paths(200000);  // several pieces
    const std::string text = qel::MakeResultListText(paths.size(), At(paths));
    for (const char* tail : {".txt", "_3.txt", "_4.txt"}) {
        QelString path;
        ASSERT_EQ(qel::WriteNewFile(Q(folder), stem, u".txt", [&](const qel::QelTextSink& write) {
            return qel::ProduceResultListText(paths.size(), At(paths), write);
        }, path), 0);
        EXPECT_EQ(path.ToFileName(), folder + "/" + stem.ToStdString() + tail);
        EXPECT_TRUE(ReadBytes(path.ToFileName()) == text) << tail;
    }
    EXPECT_EQ(Names(folder).size(), 4u);
    // The ten thousandth name is the last one tried, by either writer.
    for (int n = 5; n < 10000; ++n) MakeTree(folder, {stem.ToStdString() + "_" + std::to_string(n) + ".txt="});
    QelString path;
    const auto produce = [](const std::string& p) { return WriteBytes(p, "x"), true; };
    EXPECT_EQ(qel::WriteNewFile(Q(folder), stem, u".txt", "x", path), 0);
    EXPECT_EQ(path.ToFileName(), folder + "/" + stem.ToStdString() + "_10000.txt");
    EXPECT_EQ(qel::WriteNewFile(Q(folder), stem, u".txt", "x", path), EEXIST);
    ::unlink(path.ToFileName().c_str());
    EXPECT_EQ(qel::WriteNewFileByName(Q(folder), stem, u".txt", produce, path), 0);
    EXPECT_EQ(qel::WriteNewFileByName(Q(folder), stem, u".txt", produce, path), EEXIST);
}

// A writer that opens its file by name writes in a folder of our own; a link
// planted meanwhile at the final name in the shared folder is not followed,
// and the file takes the next free name beside it.
TEST(ExportFile, AFileWrittenByNameIsMadePrivatelyAndPlacedWithoutReplacingAnything) {
    QelTestDir dir;
    MakeTree(dir.path(), {"victim=precious"});
    std::string writtenAt;
    mode_t privateMode = 0;
    const auto produce = [&](const std::string& path) {
        writtenAt = path;
        struct stat st {};
        EXPECT_EQ(::stat(std::filesystem::path(path).parent_path().c_str(), &st), 0);
        privateMode = st.st_mode & 07777;
        MakeTree(dir.path(), {"list.xlsx->victim"});  // the attacker's move
        WriteBytes(path, "workbook");
        return true;
    };
    QelString path;
    ASSERT_EQ(qel::WriteNewFileByName(Q(dir.path()), u"list", u".xlsx", produce, path), 0);
    EXPECT_EQ(privateMode, 0700u);
    EXPECT_NE(std::filesystem::path(writtenAt).parent_path(), dir.path());
    EXPECT_EQ(path.ToFileName(), dir / "list_2.xlsx");
    // Nothing of ours is left behind, also when the writer fails.
    const auto fails = [](const std::string& p) { return WriteBytes(p, "half"), false; };
    EXPECT_EQ(qel::WriteNewFileByName(Q(dir.path()), u"list", u".xlsx", fails, path), qel::kProduceFailed);
    EXPECT_EQ(TreeText(dir.path()), "list.xlsx->victim list_2.xlsx=workbook victim=precious");
    // A folder that is not there is named in the reason with the first name tried.
    EXPECT_EQ(qel::WriteNewFileByName(Q(dir / "missing"), u"list", u".xlsx", produce, path), ENOENT);
    EXPECT_EQ(path.ToFileName(), dir / "missing/list.xlsx");
}

TEST(ExportFile, AWriteThatFailsOrCannotStartIsReportedAndLeavesNothing) {
    QelTestDir dir;
    QelString path;
    EXPECT_EQ(qel::WriteNewFile(Q(dir / "missing"), u"x", u".txt", "bytes", path), ENOENT);
    EXPECT_EQ(path.ToFileName(), dir / "missing/x.txt");
    // A file size limit makes the kernel refuse the rest, as a full disk would.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit {4096, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int error = qel::WriteNewFile(Q(dir.path()), u"big", u".txt", std::string(100000, 'x'), path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(TreeText(dir.path()), "");
}

// Escaped text cells; further sheets each start with the header.
TEST(ListWorkbook, HoldsTheHeaderThenEveryPathAsEscapedText) {
    QelTestDir dir;
    const std::vector<std::u16string> paths = {u"/a/b&c<d>.txt", u"/x/é写.txt", QelString::FromFileName("/bad\xff").str(),
                                               u"/r/f3", u"/r/f4"};
    const std::string file = dir / "list.xlsx";
    _tag_ListWorkbookLayout layout;
    layout.header = "Folders and files";
    layout.rowsPerSheet = 3;  // the header and two paths
    std::string reason;
    ASSERT_TRUE(qel::WriteListWorkbook(Q(file), paths.size(), At(paths), layout, &reason)) << reason;
    const QelSheetCells sheets[] = {
        {{"A1", "Folders and files"}, {"A2", "/a/b&amp;c&lt;d&gt;.txt"}, {"A3", "/x/\xC3\xA9\xE5\x86\x99.txt"}},
        {{"A1", "Folders and files"}, {"A2", "/bad\xEF\xBF\xBD"}, {"A3", "/r/f3"}},
        {{"A1", "Folders and files"}, {"A2", "/r/f4"}}};
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(TextCells(Sheet(file, n)), sheets[n - 1]) << n;
    EXPECT_EQ(Sheet(file, 4), "");
    // An empty list still gives a sheet with its header; a missing folder fails with a reason.
    ASSERT_TRUE(qel::WriteListWorkbook(Q(dir / "empty.xlsx"), 0, At(paths)));
    EXPECT_EQ(TextCells(Sheet(dir / "empty.xlsx", 1)), (QelSheetCells{{"A1", "Result List"}}));
    EXPECT_FALSE(qel::WriteListWorkbook(Q(dir / "missing/x.xlsx"), 1, At(paths), {}, &reason));
    EXPECT_NE(reason, "");
}
