// Walk order and the shape of result paths: pre-order (with or without
// sub-folders) against a plain recursive readdir walk, root forms, progress
// events and appending calls.

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "QelSearchMatch.h"
#include "QelTestTree.h"

namespace {

// The reference: recursion over readdir, which lists a folder in the same
// order as the walker's getdents64 reads.
void ReferenceWalk(const std::string& dir, const std::string& prefix, const QelStringArray& names,
                   const QelStringArray& exts, const QelStringArray& folders, bool sub,
                   std::vector<std::string>& fileHits, std::vector<std::string>& folderHits) {
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr);
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        const QelString wide = QelString::FromFileName(name);
        if (e->d_type == DT_DIR) {
            if (MatchFolder(wide, folders)) folderHits.push_back(prefix + "/" + name);
            if (sub) ReferenceWalk(dir + "/" + name, prefix + "/" + name, names, exts, folders, sub, fileHits, folderHits);
        } else if (MatchFile(wide, names, exts)) {
            fileHits.push_back(prefix + "/" + name);
        }
    }
    closedir(d);
}

class WalkOrder : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* top : {"src", "docs", "lib", "build", ".git"}) {
            t.Dir(top);
            t.File(std::string(top) + "/a.txt");
            t.File(std::string(top) + "/readme");
            for (const char* mid : {"src", "lib", "data"}) {
                const std::string m = std::string(top) + "/" + mid;
                t.Dir(m);
                t.File(m + "/main.txt");
                t.File(m + "/b.cpp");
                t.Dir(m + "/src");
                t.File(m + "/src/deep.txt");
                t.File(m + "/src/zebra");
            }
        }
        t.File("root.txt");
        t.File("plain");
    }
    CTestTree t;
    const QelStringArray names = Strings({u"a"}), exts = Strings({u"txt"}), folders = Strings({u"src", u"lib"});
};

TEST_F(WalkOrder, PreOrderMatchesARecursiveWalk) {
    for (const bool sub : {true, false}) {
        std::vector<std::string> files, dirs;
        ReferenceWalk(t.Root(), t.Root(), names, exts, folders, sub, files, dirs);
        const SearchOutcome got = Search(t.RootString(), names, exts, folders, sub);
        EXPECT_EQ(Bytes(got.files), files) << "sub=" << sub;
        EXPECT_EQ(Bytes(got.folders), dirs) << "sub=" << sub;
    }
}

TEST(WalkRoot, RootIsUsedAsPassedWithoutADoubledSeparator) {
    CTestTree t;
    t.Dir("x");
    t.File("x/f.txt");
    const SearchOutcome slash = Search(QelString::FromFileName(t.Root() + "/"), Strings({u"f"}), {}, Strings({u"x"}));
    EXPECT_EQ(Bytes(slash.folders), std::vector<std::string>{t.Root() + "/x"});
    EXPECT_EQ(Bytes(slash.files), std::vector<std::string>{t.Root() + "/x/f.txt"});
    const SearchOutcome dotted = Search(QelString::FromFileName(t.Root() + "/x/."), Strings({u"f"}), {}, {});
    EXPECT_EQ(Bytes(dotted.files), std::vector<std::string>{t.Root() + "/x/./f.txt"});
}

class CountingDelegate : public IQelFileMngEventDelegate {
public:
    void OnSearchProgress(std::int32_t files, std::int32_t folders) override { events.emplace_back(files, folders); }
    std::vector<std::pair<int, int>> events;
};

TEST(WalkRoot, MissingFileOrEmptyRootYieldsNothingAndNoEvent) {
    CTestTree t;
    t.File("file.txt");
    for (const std::string& root : {t.Path("missing"), t.Path("file.txt"), std::string()}) {
        CountingDelegate d;
        const SearchOutcome got = Search(QelString::FromFileName(root), Strings({u""}), {}, Strings({u"x"}), true, &d);
        EXPECT_TRUE(got.files.empty()) << root;
        EXPECT_TRUE(got.folders.empty()) << root;
        EXPECT_TRUE(d.events.empty()) << root;
    }
}

TEST_F(WalkOrder, ProgressFollowsEveryAppendWithTheListSizes) {
    CountingDelegate d;
    const SearchOutcome got = Search(t.RootString(), names, exts, folders, true, &d);
    ASSERT_EQ(d.events.size(), got.files.size() + got.folders.size());
    std::pair<int, int> last{0, 0};
    for (const auto& e : d.events) {
        EXPECT_EQ(e.first + e.second, last.first + last.second + 1);
        EXPECT_GE(e.first, last.first);
        EXPECT_GE(e.second, last.second);
        last = e;
    }
    EXPECT_EQ(last, std::make_pair(static_cast<int>(got.files.size()), static_cast<int>(got.folders.size())));
}

TEST_F(WalkOrder, SecondCallAppendsAfterTheFirst) {
    CTestFileMng mng;
    QelStringArray files, dirs;
    mng.SearchFiles(t.RootString(), files, dirs, names, exts, folders, true);
    const QelStringArray firstFiles = files, firstDirs = dirs;
    ASSERT_FALSE(firstFiles.empty());
    mng.SearchFiles(t.RootString(), files, dirs, Strings({u"zebra"}), {}, {}, true);
    ASSERT_EQ(files.size(), firstFiles.size() + 15);
    EXPECT_TRUE(std::equal(firstFiles.begin(), firstFiles.end(), files.begin()));
    EXPECT_EQ(dirs, firstDirs);
    for (std::size_t i = firstFiles.size(); i < files.size(); ++i)
        EXPECT_TRUE(files[i].ToFileName().ends_with("/src/zebra"));
}

}  // namespace
