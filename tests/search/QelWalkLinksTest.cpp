// Links: by default a link is one entry, matched and listed as a file
// whatever it points to, and never entered. Followed, a link to a folder is
// entered as that folder, unless it leads back to a folder on the current path.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "QelTestTree.h"

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

QelWalkOptions Following() {
    QelWalkOptions options;
    options.followLinks = true;
    return options;
}

// A tree with every kind of link, and a folder outside it that one link reaches.
class WalkLinks : public ::testing::Test {
protected:
    void SetUp() override {
        outside.File("secret.txt");
        t.Dir("real");
        t.File("real/inside.txt");
        t.File("file.txt");
        t.Link("real", "dirlink");
        t.Link("file.txt", "filelink");
        t.Link("nowhere", "dangling");
        t.Link(outside.Root(), "out");  // leads out of the tree
        t.Dir("a");
        t.Link("..", "a/up");          // back to the root
        t.Link(".", "a/self");
        t.Link(t.Root(), "a/top");     // to the root, absolute
    }
    CTestTree outside;
    CTestTree t;
};

TEST_F(WalkLinks, EveryLinkIsAFileAndNothingBehindOneIsReached) {
    const SearchOutcome got = Search(t.RootString(), Strings({u""}), {},
                                     Strings({u"dirlink", u"out", u"up", u"self", u"top", u"real"}));
    EXPECT_EQ(Bytes(got.folders), std::vector<std::string>{t.Path("real")});
    EXPECT_EQ(Sorted(Bytes(got.files)),
              Sorted({t.Path("real/inside.txt"), t.Path("file.txt"), t.Path("dirlink"), t.Path("filelink"),
                      t.Path("dangling"), t.Path("out"), t.Path("a/up"), t.Path("a/self"), t.Path("a/top")}));
}

TEST_F(WalkLinks, LinksAreMatchedByTheirOwnNamesAsFiles) {
    // The extension rule sees the link's name, not its target's.
    t.Link("real/inside.txt", "alias.doc");
    const SearchOutcome got = Search(t.RootString(), {}, Strings({u"doc", u"txt"}), {});
    EXPECT_EQ(Sorted(Bytes(got.files)), Sorted({t.Path("real/inside.txt"), t.Path("file.txt"), t.Path("alias.doc")}));
}

TEST_F(WalkLinks, FollowedLinksAreEnteredButCyclesEndAtOnce) {
    const SearchOutcome got = SearchWithOptions(t.RootString(), Strings({u"inside", u"secret"}), {},
                                                Strings({u"dirlink", u"out", u"up", u"self", u"top"}), Following());
    // Links back to a folder on the path are reported as folders, not entered.
    EXPECT_EQ(Sorted(Bytes(got.folders)),
              Sorted({t.Path("dirlink"), t.Path("out"), t.Path("a/up"), t.Path("a/self"), t.Path("a/top")}));
    EXPECT_EQ(Sorted(Bytes(got.files)),
              Sorted({t.Path("real/inside.txt"), t.Path("dirlink/inside.txt"), t.Path("out/secret.txt")}));
}

TEST(WalkLinksFollowed, ACycleOfTwoLinksIsWalkedOnceEachWay) {
    CTestTree t;
    t.Dir("c");
    t.Link("../d", "c/tod");
    t.Dir("d");
    t.Link("../c", "d/toc");
    const SearchOutcome got = SearchWithOptions(t.RootString(), {}, {}, Strings({u"tod", u"toc"}), Following());
    EXPECT_EQ(Sorted(Bytes(got.folders)),
              Sorted({t.Path("c/tod"), t.Path("d/toc"), t.Path("c/tod/toc"), t.Path("d/toc/tod")}));
}

TEST(WalkLinksFollowed, TwoLinksToOneFolderAreBothEntered) {
    // Not a cycle: the same folder under two paths, each path reported once.
    CTestTree t;
    t.Dir("shared");
    t.File("shared/x.txt");
    t.Dir("p");
    t.Dir("q");
    t.Link("../shared", "p/s");
    t.Link("../shared", "q/s");
    const SearchOutcome got = SearchWithOptions(t.RootString(), {}, Strings({u"txt"}), {}, Following());
    EXPECT_EQ(Sorted(Bytes(got.files)), Sorted({t.Path("shared/x.txt"), t.Path("p/s/x.txt"), t.Path("q/s/x.txt")}));
}

TEST(WalkLinksRoot, RootGivenAsALinkIsWalkedEitherWay) {
    CTestTree t;
    t.Dir("real");
    t.File("real/x.txt");
    t.Link("real", "alias");
    const QelString root = QelString::FromFileName(t.Path("alias"));
    EXPECT_EQ(Bytes(Search(root, {}, Strings({u"txt"}), {}).files), std::vector<std::string>{t.Path("alias/x.txt")});
    EXPECT_EQ(Bytes(SearchWithOptions(root, {}, Strings({u"txt"}), {}, Following()).files),
              std::vector<std::string>{t.Path("alias/x.txt")});
}

// Followed links leave the root's file system: a pseudo one is never
// entered, another real one only without sameFileSystem. The links lie at the
// top and in a sub-folder, which the read-ahead helper may walk.
TEST(WalkLinksFollowed, FileSystemBoundary) {
    if (access("/proc/sys/fs/file-max", F_OK) != 0) GTEST_SKIP() << "no /proc here";
    char shm[] = "/dev/shm/qelwalk.XXXXXX";
    if (!mkdtemp(shm)) GTEST_SKIP() << "no /dev/shm here";
    CTestTree t;
    struct stat treeSt, shmSt;
    ASSERT_EQ(stat(t.Root().c_str(), &treeSt), 0);
    ASSERT_EQ(stat(shm, &shmSt), 0);
    const std::string shmFile = std::string(shm) + "/onshm.txt";
    std::ofstream(shmFile) << "x";
    t.Dir("sub");
    for (const std::string at : {"", "sub/"}) {
        t.Link("/proc/sys/fs", at + "procl");
        t.Link(shm, at + "shml");
    }
    const QelStringArray names = Strings({u"file-max", u"onshm"}), folders = Strings({u"procl", u"shml"});
    const std::vector<std::string> links = {t.Path("procl"), t.Path("shml"), t.Path("sub/procl"), t.Path("sub/shml")};
    for (const bool sameFileSystem : {false, true}) {
        QelWalkOptions options = Following();
        options.sameFileSystem = sameFileSystem;
        const SearchOutcome got = SearchWithOptions(t.RootString(), names, {}, folders, options);
        EXPECT_EQ(Sorted(Bytes(got.folders)), links) << sameFileSystem;
        std::vector<std::string> files;
        if (!sameFileSystem || shmSt.st_dev == treeSt.st_dev) files = {t.Path("shml/onshm.txt"), t.Path("sub/shml/onshm.txt")};
        EXPECT_EQ(Sorted(Bytes(got.files)), files) << sameFileSystem;
    }
    unlink(shmFile.c_str());
    rmdir(shm);
}

}  // namespace
