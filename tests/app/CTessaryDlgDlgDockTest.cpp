#include <QGuiApplication>
#include <QScreen>

#include "QelMainWindowFixture.h"

using ResultWindowPlace = QelMainWindowFixture;

TEST_F(ResultWindowPlace, NeverOverTheMainWindowAndBackDockedAfterTheUserClosedIt) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    Open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize frame = dialog->frameGeometry().size();
    // Low on the screen: 250 px left below, so the result window is made shorter.
    dialog->move(40, screen.bottom() - 250 - frame.height() + 1);
    Search(tree);
    CQelResultSubWnd* results = dialog->GetResultSubWnd();
    ASSERT_NE(results, nullptr);
    QRect main = dialog->frameGeometry();
    EXPECT_EQ(results->frameGeometry(), QRect(main.left(), main.bottom() + 1, main.width(), 250));

    // Lower still: it goes above, and follows the main window there.
    dialog->move(40, screen.bottom() - 100 - frame.height() + 1);
    main = dialog->frameGeometry();
    EXPECT_EQ(results->frameGeometry(), QRect(main.left(), main.top() - 400, main.width(), 400));

    // Closed by the user and the main window moved: the next results bring it back docked under it.
    results->close();
    dialog->move(70, 20);
    Search(tree);
    main = dialog->frameGeometry();
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(results->frameGeometry(), QRect(main.left(), main.bottom() + 1, main.width(), 400));
}
