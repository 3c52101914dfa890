#include <QPushButton>

#include "QelMainWindowFixture.h"

using ResultNotices = QelMainWindowFixture;

TEST_F(ResultNotices, ADeleteEndsOnTheStatusLabelWithItsCounts) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    Open();
    Search(tree);
    ASSERT_EQ(Rows().size(), 5u);
    answers = {CQelMessageBox::Answer::Alternative};  // "Delete Permanently"
    dialog->GetResultSubWnd()->GetCommandButton(CQelResultSubWnd::kDelete)->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Move the 5 found items to the Trash?");
    // Three files, then "sub" with all below it; "sub/deeper/sub" is gone by its turn.
    EXPECT_EQ(Status(), "Result Delete Complete! Succces:4, Failed:1");
    EXPECT_TRUE(dialog->isEnabled());
    EXPECT_TRUE(std::filesystem::exists(tree + "/b.md"));
    EXPECT_FALSE(std::filesystem::exists(tree + "/sub"));
    EXPECT_FALSE(std::filesystem::exists(tree + "/a.txt"));
}
