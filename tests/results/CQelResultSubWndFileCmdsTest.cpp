// The destination dialog and the Copy, Move, Delete and Trash commands of the result
// window, driven headless on a real temporary tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include <cstdlib>
#include <functional>

#include "../fileops/QelTreeFixture.h"
#include "CDlgDestSelect.h"
#include "QelResultWindowFixture.h"

namespace {

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

// Answers the next modal destination dialog with fill, from inside its event loop.
void AnswerDestDialog(std::function<void(CDlgDestSelect&)> fill) {
    QTimer::singleShot(0, [fill] {
        auto* dialog = qobject_cast<CDlgDestSelect*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        fill(*dialog);
    });
}

const char kUniqueWarning[] = "Items whose name already exists in the destination are left as they are.";

}  // namespace

TEST(CDlgDestSelect, OkNeedsAnAbsoluteDestinationAndUntickingUniqueNamesWarns) {
    QelBoxRecorder boxes;
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/tester", 1);
    const struct {
        const char* typed;
        bool accepted;
        const char* destination;
    } cases[] = {{"", false, ""}, {"relative/dir", false, ""}, {"~/backup/", true, "/home/tester/backup"},
                 {"/srv/data", true, "/srv/data"}};
    for (const auto& c : cases) {
        boxes.texts.clear();
        CDlgDestSelect dialog(nullptr);
        dialog.show();
        dialog.GetDestEdit()->setText(c.typed);
        EXPECT_TRUE(dialog.GetUniqueNameCheck()->isChecked());
        dialog.GetUniqueNameCheck()->click();  // unticked: warned
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.typed;
        EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.typed;
        const Texts expected = c.accepted ? Texts{kUniqueWarning} : Texts{kUniqueWarning, "Please specify the path."};
        EXPECT_EQ(boxes.texts, expected) << c.typed;
        if (c.accepted) {
            EXPECT_EQ(dialog.GetDestination().ToStdString(), c.destination);
            EXPECT_FALSE(dialog.GetMakeUniqueName());
        }
    }
    ::setenv("HOME", home.c_str(), 1);  // the Trash is found through the real one
}

TEST(CQelResultSubWndFileCmds, CopyAndMoveNameTheCountAndTellEachRowsOutcome) {
    QelTestDir dir;
    QelBoxRecorder boxes;
    MakeFile(dir / "s/a.txt", "A");
    MakeFile(dir / "s/b.txt", "B");
    MakeFile(dir / "s/f/in.txt", "in");
    QWidget owner;
    CQelResultSubWnd window;
    QelNotices notices;
    window.SetDelegate(&notices);
    ASSERT_TRUE(window.CreateSubWnd(&owner, Record({dir / "s/a.txt", dir / "s/b.txt"}, {dir / "s/f"}), 0, 0));
    window.GetListView()->selectRow(1);  // the buttons act on every row whatever is selected

    AnswerDestDialog([](CDlgDestSelect& dialog) { dialog.reject(); });
    window.GetCommandButton(CQelResultSubWnd::kCopy)->click();
    EXPECT_TRUE(notices.seen.empty());

    AnswerDestDialog([&](CDlgDestSelect& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Please specify a path to copy. (3 items)");
        dialog.GetDestEdit()->setText(QString::fromStdString(dir / "dst"));
        dialog.GetUniqueNameCheck()->click();
        dialog.accept();
    });
    MakeFile(dir / "dst/b.txt", "taken");  // never replaced: that row fails with the reason
    window.GetCommandButton(CQelResultSubWnd::kCopy)->click();
    EXPECT_TRUE(owner.isEnabled());  // enabled again after the frame
    EXPECT_EQ(notices.seen, (Texts{"MSG|Copy [0/3] Process| Succces:1, Failed:0", "MSG|Copy [1/3] Process| Succces:1, Failed:1",
                                   "MSG|Copy [2/3] Process| Succces:2, Failed:1",
                                   "MSG|Result Copy to Dest Complete!| Succces:2, Failed:1"}));
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "A");
    EXPECT_EQ(ReadBytes(dir / "dst/b.txt"), "taken");
    EXPECT_EQ(ReadBytes(dir / "dst/f/in.txt"), "in");
    EXPECT_EQ(Column(window, CQelResultListModel::kStatus), (Texts{"Copied", "Failed: File exists", "Copied"}));

    // Move Selected: the selected row only, which then no longer exists where it was.
    AnswerDestDialog([&](CDlgDestSelect& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Please specify a path to move. (1 item)");
        dialog.GetDestEdit()->setText(QString::fromStdString(dir / "m"));
        dialog.GetUniqueNameCheck()->setChecked(false);
        dialog.accept();
    });
    window.CopyOrMoveRows(true, window.SelectedRowIndexes());
    EXPECT_EQ(ReadBytes(dir / "m/b.txt"), "B");
    EXPECT_TRUE(Exists(dir / "s/a.txt"));
    EXPECT_EQ(Column(window, CQelResultListModel::kStatus)[1], "Moved to " + (dir / "m/b.txt"));
    EXPECT_TRUE(window.GetListModel()->IsGone(1));
    EXPECT_FALSE(window.GetListModel()->IsGone(0));
    EXPECT_EQ(boxes.texts, Texts{kUniqueWarning});
}

TEST(CQelResultSubWndFileCmds, DeleteAsksAndEachAnswerDoesWhatItSays) {
    ASSERT_TRUE(kPrivateTrash);
    const std::string data = QEL_TEST_DATA_HOME;
    QelTestDir dir;
    struct stat here {}, trash {};
    std::filesystem::create_directories(data);
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat(data.c_str(), &trash) != 0 || here.st_dev != trash.st_dev)
        GTEST_SKIP() << "the test folder and XDG_DATA_HOME lie on different file systems";
    using Answer = CQelMessageBox::Answer;
    const struct {
        Answer answer;
        std::string status;
        bool inTrash;
    } cases[] = {{Answer::No, "", false}, {Answer::Alternative, "Deleted", false}, {Answer::Yes, "In Trash", true}};
    for (const auto& c : cases) {
        const std::string name = "del" + std::to_string(static_cast<int>(c.answer)) + ".txt";
        MakeFile(dir / name, "x");
        MakeFile(dir / "keep.txt", "k");
        QelBoxRecorder boxes;
        boxes.answers = {c.answer};
        CQelResultSubWnd window;
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({dir / name, dir / "keep.txt"}, {}), 0, 0));
        window.GetListView()->selectRow(0);
        window.DeleteRows(window.SelectedRowIndexes(), "selected");
        EXPECT_EQ(boxes.texts, Texts{"Move the 1 selected item to the Trash?"});
        EXPECT_EQ(Exists(dir / name), c.status.empty()) << c.status;
        EXPECT_TRUE(Exists(dir / "keep.txt"));
        EXPECT_EQ(Column(window, CQelResultListModel::kStatus), (Texts{c.status, ""}));
        EXPECT_EQ(Exists(data + "/Trash/files/" + name), c.inTrash) << c.status;
    }
    std::filesystem::remove_all(data + "/Trash");
}

TEST(CQelResultSubWndFileCmds, StopDuringALongDeleteEndsAfterTheCurrentItem) {
    QelTestDir dir;
    Texts files;
    for (int i = 0; i < 5; ++i) MakeFile(files.emplace_back(dir / ("f" + std::to_string(i))), "x");
    CQelResultSubWnd window;
    struct StopAtFirst : QelNotices {
        CQelResultSubWnd* window = nullptr;
        bool stopShown = false;
        void onNotifyEvent(const QelString& e, const QelString& p1, const QelString& p2) override {
            if (seen.empty()) {
                stopShown = window->GetStopButton()->isVisible();
                QTest::keyClick(window, Qt::Key_Escape);
            }
            QelNotices::onNotifyEvent(e, p1, p2);
        }
    } notices;
    notices.window = &window;
    window.SetDelegate(&notices);
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(files, {}), 0, 0));
    QelBoxRecorder boxes;
    boxes.answers = {CQelMessageBox::Answer::Alternative};
    window.GetCommandButton(CQelResultSubWnd::kDelete)->click();
    EXPECT_TRUE(notices.stopShown);
    EXPECT_FALSE(window.GetStopButton()->isVisible());
    EXPECT_EQ(notices.seen.back(), "MSG|Result Delete Stopped!| Succces:1, Failed:0, Not done:4");
    EXPECT_EQ(Column(window, CQelResultListModel::kStatus), (Texts{"Deleted", "", "", "", ""}));
    for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(Exists(files[i]), i > 0) << files[i];
}
