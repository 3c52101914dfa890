// Links: by default a link is one entry, matched and listed as a file
// whatever it points to, and never entered. Followed, a link to a folder is
// entered as that folder, unless it leads back to a folder on the current path.

#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
