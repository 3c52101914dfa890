// Reading settings and view files that are not what they claim to be.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "CQelFile.h"
#include "QelFileRead.h"
#include "QelTestDir.h"

namespace {

using qel::QelFileReadStatus;

QelString Path(const std::string& path) { return QelString::FromFileName(path); }

QelFileReadStatus StatusOf(const std::string& path, std::string& bytes, std::size_t limit = qel::kMaxSettingsFileBytes) {
    return qel::ReadRegularFile(Path(path), bytes, limit).status;
}

}  // namespace

TEST(QelFileRead, ReadsRegularFilesWholeAndThroughLinks) {
    QelTestDir dir;
    const std::string content = std::string(200000, 'x') + "end";
    WriteBytes(dir / "big.json", content);
    std::filesystem::create_symlink(dir / "big.json", dir / "link.json");
    for (const char* leaf : {"big.json", "link.json"}) {
        std::string bytes;
        EXPECT_EQ(StatusOf(dir / leaf, bytes), QelFileReadStatus::kOk) << leaf;
        EXPECT_EQ(bytes, content) << leaf;
    }
}

TEST(QelFileRead, RefusesWhatIsNotARegularFileWithoutBlocking) {
    QelTestDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.json").c_str(), 0600), 0);  // a blocking open would hang here
    std::filesystem::create_symlink("/dev/zero", dir / "zero.json");
    std::filesystem::create_symlink("/dev/urandom", dir / "random.json");
    std::filesystem::create_directories(dir / "folder.json");
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling.json");
    const std::vector<std::pair<std::string, QelFileReadStatus>> cases = {
        {"fifo.json", QelFileReadStatus::kNotRegular},  {"zero.json", QelFileReadStatus::kNotRegular},
        {"random.json", QelFileReadStatus::kNotRegular}, {"folder.json", QelFileReadStatus::kNotRegular},
        {"dangling.json", QelFileReadStatus::kMissing},  {"missing.json", QelFileReadStatus::kMissing}};
    for (const auto& [leaf, expected] : cases) {
        std::string bytes = "stale";
        EXPECT_EQ(StatusOf(dir / leaf, bytes), expected) << leaf;
        EXPECT_TRUE(bytes.empty()) << leaf;
    }
}

TEST(QelFileRead, RefusesFilesOverTheLimit) {
    QelTestDir dir;
    WriteBytes(dir / "at.json", std::string(4096, 'a'));
    WriteBytes(dir / "over.json", std::string(4097, 'a'));
    std::string bytes;
    EXPECT_EQ(StatusOf(dir / "at.json", bytes, 4096), QelFileReadStatus::kOk);
    EXPECT_EQ(bytes.size(), 4096u);
    EXPECT_EQ(StatusOf(dir / "over.json", bytes, 4096), QelFileReadStatus::kTooLarge);
    EXPECT_TRUE(bytes.empty());
    // The real limit, on a sparse file that costs no disk.
    const std::string huge = dir / "huge.json";
    WriteBytes(huge, "{}");
    std::filesystem::resize_file(huge, qel::kMaxSettingsFileBytes + 1);
    EXPECT_EQ(StatusOf(huge, bytes), QelFileReadStatus::kTooLarge);
    EXPECT_EQ(qel::DescribeFileRead({QelFileReadStatus::kTooLarge, 0}).ToStdString(), "larger than 64 MiB");
}

TEST(QelFileRead, AFileTheUserMayNotReadIsReportedNotMissing) {
    QelTestDir dir;
    ::chmod(dir.path().c_str(), 0755);
    WriteBytes(dir / "locked.json", "{}");
    ::chmod((dir / "locked.json").c_str(), 0);
    ASSERT_EQ(::chown((dir / "locked.json").c_str(), ::geteuid() == 0 ? kUnprivilegedId : ::geteuid(), -1), 0);
    const std::string path = dir / "locked.json";
    EXPECT_TRUE(RunUnprivileged([&] {
        std::string bytes;
        const qel::QelFileReadResult result = qel::ReadRegularFile(Path(path), bytes);
        return result.status == QelFileReadStatus::kFailed && result.error == EACCES && result.Unreadable() &&
               qel::DescribeFileRead(result).ToStdString() == "Permission denied";
    }));
}

TEST(QelFileRead, TextModeReadStopsAtNulAndTurnsCrLfIntoLf) {
    QelTestDir dir;
    WriteBytes(dir / "t.json", std::string("{\r\n\"a\": 1\r\n}\0tail\r\n", 19));
    std::string text;
    EXPECT_TRUE(CQelFile::ReadText(Path(dir / "t.json"), 0, text).Ok());
    EXPECT_EQ(text, "{\n\"a\": 1\n}");
    EXPECT_TRUE(CQelFile::ReadText(Path(dir / "t.json"), 1, text).Ok());
    EXPECT_EQ(text, "{\r\n\"a\": 1\r\n}");
}
