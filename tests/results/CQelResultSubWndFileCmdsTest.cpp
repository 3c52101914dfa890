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

#include "CDlgDestSelect.h"
#include "QelResultWindowFixture.h"

namespace {

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

// Answers the next modal destination dialog with destination ("" cancels), unique names unticked.
void AnswerDestDialog(const std::string& destination, std::string* title = nullptr) {
    QTimer::singleShot(0, [destination, title] {
        auto* dialog = qobject_cast<CDlgDestSelect*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (title) *title = dialog->windowTitle().toStdString();
        dialog->GetDestEdit()->setText(QString::fromStdString(destination));
        dialog->GetUniqueNameCheck()->setChecked(false);
        destination.empty() ? dialog->reject() : dialog->accept();
    });
}

const char kUniqueWarning[] = "Items whose name already exists in the destination are left as they are.";

}  // namespace

TEST(CDlgDestSelect, OkNeedsAnAbsoluteDestinationAndUntickingUniqueNamesWarns) {
    QelBoxRecorder boxes;
    for (const bool absolute : {false, true}) {
        boxes.texts.clear();
        CDlgDestSelect dialog(nullptr);
        dialog.show();
        dialog.GetDestEdit()->setText(absolute ? "/srv/data/" : "relative/dir");
        EXPECT_TRUE(dialog.GetUniqueNameCheck()->isChecked());
        dialog.GetUniqueNameCheck()->click();  // unticked: warned
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, absolute);
        EXPECT_EQ(dialog.isVisible(), !absolute);
        EXPECT_EQ(boxes.texts, absolute ? Texts{kUniqueWarning} : (Texts{kUniqueWarning, "Please specify the path."}));
        if (absolute) {
            EXPECT_EQ(dialog.GetDestination().ToStdString(), "/srv/data");
            EXPECT_FALSE(dialog.GetMakeUniqueName());
        }
    }
}

TEST(CQelResultSubWndFileCmds, CopyAndMoveNameTheCountAndTellEachRowsOutcome) {
    QelTestDir dir;
    QelBoxRecorder boxes;
    MakeTree(dir.path(), {"s/a.txt=A", "s/b.txt=B", "s/f/in.txt=in", "dst/b.txt=taken"});
    QWidget owner;
    CQelResultSubWnd window;
    QelNotices notices;
    window.SetDelegate(&notices);
    ASSERT_TRUE(window.CreateSubWnd(&owner, Record({dir / "s/a.txt", dir / "s/b.txt"}, {dir / "s/f"}), 0, 0));
    window.GetListView()->selectRow(1);  // the buttons act on every row whatever is selected
    AnswerDestDialog("");
    window.GetCommandButton(CQelResultSubWnd::kCopy)->click();
    EXPECT_TRUE(notices.seen.empty());

    std::string title;
    AnswerDestDialog(dir / "dst", &title);
    window.GetCommandButton(CQelResultSubWnd::kCopy)->click();
    EXPECT_EQ(title, "Please specify a path to copy. (3 items)");
    EXPECT_TRUE(owner.isEnabled());  // enabled again after the frame
    EXPECT_EQ(notices.seen.back(), "MSG|Result Copy to Dest Complete!| Succces:2, Failed:1");
    EXPECT_EQ(TreeText(dir / "dst"), "a.txt=A b.txt=taken f/ f/in.txt=in");
    EXPECT_EQ(Column(window, CQelResultListModel::kStatus), (Texts{"Copied", "Failed: File exists", "Copied"}));

    // Move Selected: the selected row only, which then no longer exists where it was.
    AnswerDestDialog(dir / "m", &title);
    window.CopyOrMoveRows(true, window.SelectedRowIndexes());
    EXPECT_EQ(title, "Please specify a path to move. (1 item)");
    EXPECT_EQ(TreeText(dir / "m") + "|" + TreeText(dir / "s"), "b.txt=B|a.txt=A f/ f/in.txt=in");
    EXPECT_EQ(Column(window, CQelResultListModel::kStatus)[1], "Moved to " + (dir / "m/b.txt"));
    EXPECT_EQ(std::make_pair(window.GetListModel()->IsGone(0), window.GetListModel()->IsGone(1)), std::make_pair(false, true));
    EXPECT_TRUE(boxes.texts.empty());
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
        MakeTree(dir.path(), {name + "=x", "keep.txt=k"});
        QelBoxRecorder boxes;
        boxes.answers = {c.answer};
        CQelResultSubWnd window;
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({dir / name, dir / "keep.txt"}, {}), 0, 0));
        window.GetListView()->selectRow(0);
        window.DeleteRows(window.SelectedRowIndexes(), "selected");
        EXPECT_EQ(boxes.texts, Texts{"Move the 1 selected item to the Trash?"});
        EXPECT_EQ(ReadBytes(dir / name) + ReadBytes(dir / "keep.txt"), (c.status.empty() ? "x" : "") + std::string("k"));
        EXPECT_EQ(Column(window, CQelResultListModel::kStatus), (Texts{c.status, ""}));
        EXPECT_EQ(Exists(data + "/Trash/files/" + name), c.inTrash) << c.status;
    }
    std::filesystem::remove_all(data + "/Trash");
}

TEST(CQelResultSubWndFileCmds, StopDuringALongDeleteEndsAfterTheCurrentItem) {
    QelTestDir dir;
    MakeTree(dir.path(), {"f0=x", "f1=x", "f2=x", "f3=x", "f4=x"});
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
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({dir / "f0", dir / "f1", dir / "f2", dir / "f3", dir / "f4"}, {}), 0, 0));
    QelBoxRecorder boxes;
    boxes.answers = {CQelMessageBox::Answer::Alternative};
    window.GetCommandButton(CQelResultSubWnd::kDelete)->click();
    EXPECT_TRUE(notices.stopShown);
    EXPECT_FALSE(window.GetStopButton()->isVisible());
    EXPECT_EQ(notices.seen.back(), "MSG|Result Delete Stopped!| Succces:1, Failed:0, Not done:4");
    EXPECT_EQ(Column(window, CQelResultListModel::kStatus), (Texts{"Deleted", "", "", "", ""}));
    EXPECT_EQ(TreeText(dir.path()), "f1=x f2=x f3=x f4=x");
}
