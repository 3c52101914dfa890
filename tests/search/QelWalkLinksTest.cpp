// Links: a link to a folder is a folder and is entered, unless it leads back
// to a folder on the current path; links to files and dangling links are files.

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

TEST(WalkLinks, LinkKindsAreClassifiedByTheirTarget) {
    CTestTree t;
    t.Dir("real");
    t.File("real/inside.txt");
    t.File("file.txt");
    t.Link("real", "dirlink");
    t.Link("file.txt", "filelink");
    t.Link("nowhere", "dangling");
    const SearchOutcome got = Search(t.RootString(), Strings({u"link", u"dangling", u"inside"}), {},
                                     Strings({u"dirlink", u"filelink", u"dangling"}));
    EXPECT_EQ(Bytes(got.folders), std::vector<std::string>{t.Path("dirlink")});
    EXPECT_EQ(Sorted(Bytes(got.files)), Sorted({t.Path("filelink"), t.Path("dangling"), t.Path("real/inside.txt"),
                                                 t.Path("dirlink/inside.txt")}));
}

TEST(WalkLinks, CyclesAreMatchedButNeverEnteredAgain) {
    CTestTree t;
    t.Dir("a");
    t.Dir("a/b");
    t.File("a/b/f.txt");
    t.Link("..", "a/b/up");        // to the parent
    t.Link(".", "a/b/self");       // to itself
    t.Link(t.Root(), "a/b/top");   // to the root, absolute
    t.Dir("c");
    t.Link("../d", "c/tod");       // c -> d -> c: a cycle of two links
    t.Dir("d");
    t.Link("../c", "d/toc");
    const SearchOutcome got =
        Search(t.RootString(), Strings({u"f.txt"}), {}, Strings({u"up", u"self", u"top", u"tod", u"toc"}));
    EXPECT_EQ(Sorted(Bytes(got.folders)), Sorted({t.Path("a/b/up"), t.Path("a/b/self"), t.Path("a/b/top"),
                                                   t.Path("c/tod"), t.Path("d/toc"), t.Path("c/tod/toc"),
                                                   t.Path("d/toc/tod")}));
    EXPECT_EQ(Bytes(got.files), std::vector<std::string>{t.Path("a/b/f.txt")});
}

TEST(WalkLinks, TwoLinksToOneFolderAreBothEntered) {
    // Not a cycle: the same folder under two paths, each path reported once.
    CTestTree t;
    t.Dir("shared");
    t.File("shared/x.txt");
    t.Dir("p");
    t.Dir("q");
    t.Link("../shared", "p/s");
    t.Link("../shared", "q/s");
    const SearchOutcome got = Search(t.RootString(), {}, Strings({u"txt"}), {});
    EXPECT_EQ(Sorted(Bytes(got.files)), Sorted({t.Path("shared/x.txt"), t.Path("p/s/x.txt"), t.Path("q/s/x.txt")}));
}

TEST(WalkLinks, RootGivenAsALinkIsWalked) {
    CTestTree t;
    t.Dir("real");
    t.File("real/x.txt");
    t.Link("real", "alias");
    const SearchOutcome got = Search(QelString::FromFileName(t.Path("alias")), {}, Strings({u"txt"}), {});
    EXPECT_EQ(Bytes(got.files), std::vector<std::string>{t.Path("alias/x.txt")});
}

}  // namespace
