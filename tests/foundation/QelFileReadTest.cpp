// Reading settings and view files that are not what they claim to be.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "QelFileRead.h"
#include "QelTreeText.h"

using qel::QelFileReadStatus;

// Regular files are read whole, also through links; what is no regular file
// is refused without blocking (a FIFO would hang a blocking open), and so is
// a file over the limit (the real one on a sparse file that costs no disk).
TEST(QelFileRead, ReadsRegularFilesWholeAndRefusesTheRestWithoutBlocking) {
    QelTestDir dir;
    const std::string content = std::string(200000, 'x') + "end";
    MakeTree(dir.path(), {"big.json=" + content, "link.json->big.json", "at.json=" + std::string(4096, 'a'), "over.json=" + std::string(4097, 'a'),
                          "huge.json={}", "zero.json->/dev/zero", "random.json->/dev/urandom", "folder.json/", "dangling.json->nowhere"});
    std::filesystem::resize_file(dir / "huge.json", qel::kMaxSettingsFileBytes + 1);
    ASSERT_EQ(::mkfifo((dir / "fifo.json").c_str(), 0600), 0);
    const struct { const char* leaf; std::size_t limit; QelFileReadStatus status; std::string bytes; } cases[] = {
        {"big.json", qel::kMaxSettingsFileBytes, QelFileReadStatus::kOk, content},
        {"link.json", qel::kMaxSettingsFileBytes, QelFileReadStatus::kOk, content},
        {"at.json", 4096, QelFileReadStatus::kOk, std::string(4096, 'a')}, {"over.json", 4096, QelFileReadStatus::kTooLarge, ""},
        {"huge.json", qel::kMaxSettingsFileBytes, QelFileReadStatus::kTooLarge, ""},
        {"fifo.json", 4096, QelFileReadStatus::kNotRegular, ""}, {"zero.json", 4096, QelFileReadStatus::kNotRegular, ""},
        {"random.json", 4096, QelFileReadStatus::kNotRegular, ""}, {"folder.json", 4096, QelFileReadStatus::kNotRegular, ""},
        {"dangling.json", 4096, QelFileReadStatus::kMissing, ""}, {"missing.json", 4096, QelFileReadStatus::kMissing, ""},
    };
    for (const auto& c : cases) {
        std::string bytes = "stale";
        EXPECT_EQ(qel::ReadRegularFile(QelString::FromFileName(dir / c.leaf), bytes, c.limit).status, c.status) << c.leaf;
        EXPECT_EQ(bytes, c.bytes) << c.leaf;
    }
}
