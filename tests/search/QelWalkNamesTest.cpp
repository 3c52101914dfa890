// Names are kept exactly as the kernel gives them: the path a result carries
// names the very file that was found.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "QelTestTree.h"

namespace {

ino_t InodeOf(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(WalkNames, OddNamesRoundTripToTheSameFile) {
    CTestTree t;
    const std::vector<std::string> odd = {
        "notes.txt ",      "notes.txt",   " lead.txt",        "line\nfeed.txt", "back\\slash.txt",
        "bad\xff\xfe.txt", "half\xC3.txt", "caf\xC3\xA9.txt", "tab\there.txt",  "sp  .txt",
        "\xED\xB2\x80.txt", "..txt"};
    t.Dir("d ");
    t.Dir(".d");  // two bytes with a leading dot: no "." or ".."
    for (const std::string& name : odd) t.File("d /" + name, name);
    const SearchOutcome got = Search(t.RootString(), {}, Strings({u"txt", u"txt "}), Strings({u"d ", u".d"}));
    std::vector<std::string> folders = Bytes(got.folders);
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{t.Path(".d"), t.Path("d ")}));
    std::vector<std::string> files = Bytes(got.files), expected;
    for (const std::string& name : odd) expected.push_back(t.Path("d /" + name));
    std::sort(files.begin(), files.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(files, expected);
    for (const QelString& path : got.files) {
        const std::string bytes = path.ToFileName();
        const std::string name = bytes.substr(bytes.rfind('/') + 1);
        EXPECT_EQ(InodeOf(bytes), InodeOf(t.Path("d /" + name))) << bytes;
        EXPECT_NE(InodeOf(bytes), 0u) << bytes;
    }
}

TEST(WalkNames, ResultTextDecodesNamesLosslessly) {
    CTestTree t;
    t.File("caf\xC3\xA9");
    t.File("raw\xff");
    const SearchOutcome got = Search(t.RootString(), Strings({u"caf\u00e9", u"raw"}), {}, {});
    ASSERT_EQ(got.files.size(), 2u);
    std::vector<std::u16string> names;
    for (const QelString& p : got.files) names.push_back(p.str().substr(p.str().rfind(u'/') + 1));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names[0], u"caf\u00e9");
    EXPECT_EQ(names[1], std::u16string(u"raw") + char16_t(0xDCFF));
    // A criterion holding the raw byte's stand-in finds that name and no other.
    QelStringArray raw;
    raw.Add(QelString(std::u16string(1, char16_t(0xDCFF))));
    EXPECT_EQ(Bytes(Search(t.RootString(), raw, {}, {}).files), std::vector<std::string>{t.Path("raw\xff")});
}

}  // namespace
