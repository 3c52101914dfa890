// The destination dialog and the Copy, Move, Delete and Trash commands of the result
// window, driven headless on a real temporary tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTest>
#include <QToolButton>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "../fileops/QelTreeFixture.h"
#include "CDlgDestSelect.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "IQelResultSubWndDelegate.h"

namespace {

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

struct Notices : IQelResultSubWndDelegate {
    std::vector<std::string> seen;  // "progress|summary"
    void onNotifyEvent(const QelString&, const QelString& p1, const QelString& p2) override {
        seen.push_back(p1.ToStdString() + "|" + p2.ToStdString());
    }
};

// Records every message box instead of showing it.
class BoxRecorder {
public:
    BoxRecorder() {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind, const QString& text) {
            texts.push_back(text.toStdString());
            return CQelMessageBox::Answer::Ok;
        });
    }
    ~BoxRecorder() { CQelMessageBox::SetHandler({}); }
    std::vector<std::string> texts;
};

// Answers the next modal destination dialog with fill, from inside its event loop.
void AnswerDestDialog(std::function<void(CDlgDestSelect&)> fill) {
    QTimer::singleShot(0, [fill] {
        auto* dialog = qobject_cast<CDlgDestSelect*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        fill(*dialog);
    });
}

std::string Record(const std::vector<std::string>& files, const std::vector<std::string>& folders) {
    Json::Value record(Json::objectValue);
    record["width"] = 600;
    record["height"] = 300;
    for (const auto& f : files) record["fileresultlist"].append(f);
    for (const auto& d : folders) record["dirresultlist"].append(d);
    return Json::FastWriter().write(record);
}

}  // namespace

TEST(CDlgDestSelect, TitleUniqueNameWarningAndPicker) {
    BoxRecorder boxes;
    CDlgDestSelect dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Dest Select Dialog");
    dialog.SetTitleText("Please specify a path to move.");
    EXPECT_EQ(dialog.windowTitle(), "Please specify a path to move.");
    EXPECT_TRUE(dialog.GetUniqueNameCheck()->isChecked());
    EXPECT_EQ(dialog.GetUniqueNameCheck()->text(), "Make UniqueName");
    dialog.GetUniqueNameCheck()->click();  // unticked: warned
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Items whose name already exists in the destination are left as they are."});
    dialog.GetUniqueNameCheck()->click();  // ticked again: nothing
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(dialog.GetBrowseButton()->isVisibleTo(&dialog));
}

TEST(CDlgDestSelect, OkNeedsAnAbsoluteDestination) {
    BoxRecorder boxes;
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
        dialog.GetUniqueNameCheck()->setChecked(false);
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.typed;
        EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.typed;
        EXPECT_EQ(boxes.texts, c.accepted ? std::vector<std::string>{} : std::vector<std::string>{"Please specify the path."})
            << c.typed;
        if (c.accepted) {
            EXPECT_EQ(dialog.GetDestination().ToStdString(), c.destination);
            EXPECT_FALSE(dialog.GetMakeUniqueName());
        }
    }
    ::setenv("HOME", home.c_str(), 1);  // the Trash is found through the real one
}

// The Status cell of every row, in list order.
std::vector<std::string> Statuses(const CQelResultSubWnd& window) {
    std::vector<std::string> out;
    const CQelResultListModel* model = window.GetListModel();
    for (int r = 0; r < model->rowCount(); ++r)
        out.push_back(model->index(r, CQelResultListModel::kStatus).data().toString().toStdString());
    return out;
}

TEST(CQelResultSubWndFileCmds, CopyAndMoveNameTheCountAndTellEachRowsOutcome) {
    QelTestDir dir;
    BoxRecorder boxes;
    MakeFile(dir / "s/a.txt", "A");
    MakeFile(dir / "s/b.txt", "B");
    MakeFile(dir / "s/f/in.txt", "in");
    QWidget owner;
    CQelResultSubWnd window;
    Notices notices;
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
    EXPECT_EQ(notices.seen, (std::vector<std::string>{"Copy [0/3] Process| Succces:1, Failed:0",
                                                      "Copy [1/3] Process| Succces:1, Failed:1",
                                                      "Copy [2/3] Process| Succces:2, Failed:1",
                                                      "Result Copy to Dest Complete!| Succces:2, Failed:1"}));
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "A");
    EXPECT_EQ(ReadBytes(dir / "dst/b.txt"), "taken");
    EXPECT_EQ(ReadBytes(dir / "dst/f/in.txt"), "in");
    EXPECT_EQ(Statuses(window), (std::vector<std::string>{"Copied", "Failed: File exists", "Copied"}));

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
    EXPECT_EQ(Statuses(window)[1], "Moved to " + (dir / "m/b.txt"));
    EXPECT_TRUE(window.GetListModel()->IsGone(1));
    EXPECT_FALSE(window.GetListModel()->IsGone(0));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Items whose name already exists in the destination are left as they are."});
}

TEST(CQelResultSubWndFileCmds, DeleteAsksAndEachAnswerDoesWhatItSays) {
    ASSERT_TRUE(kPrivateTrash);
    const char* data = QEL_TEST_DATA_HOME;
    QelTestDir dir;
    struct stat here {}, trash {};
    std::filesystem::create_directories(data);
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat(data, &trash) != 0 || here.st_dev != trash.st_dev)
        GTEST_SKIP() << "the test folder and XDG_DATA_HOME lie on different file systems";
    const struct {
        CQelMessageBox::Answer answer;
        std::string status;
        bool inTrash;
    } cases[] = {{CQelMessageBox::Answer::No, "", false},
                 {CQelMessageBox::Answer::Alternative, "Deleted", false},
                 {CQelMessageBox::Answer::Yes, "In Trash", true}};
    for (const auto& c : cases) {
        const std::string name = "del" + std::to_string(static_cast<int>(c.answer)) + ".txt";
        MakeFile(dir / name, "x");
        MakeFile(dir / "keep.txt", "k");
        std::vector<std::string> asked;
        CQelMessageBox::SetHandler([&](CQelMessageBox::Kind, const QString& text) {
            asked.push_back(text.toStdString());
            return c.answer;
        });
        CQelResultSubWnd window;
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({dir / name, dir / "keep.txt"}, {}), 0, 0));
        window.GetListView()->selectRow(0);
        window.DeleteRows(window.SelectedRowIndexes(), "selected");
        CQelMessageBox::SetHandler({});
        EXPECT_EQ(asked, std::vector<std::string>{"Move the 1 selected item to the Trash?"});
        EXPECT_EQ(Exists(dir / name), c.status.empty()) << c.status;
        EXPECT_TRUE(Exists(dir / "keep.txt"));
        EXPECT_EQ(Statuses(window), (std::vector<std::string>{c.status, ""}));
        EXPECT_EQ(Exists(std::string(data) + "/Trash/files/" + name), c.inTrash) << c.status;
    }
    std::filesystem::remove_all(std::string(data) + "/Trash");
}

TEST(CQelResultSubWndFileCmds, StopDuringALongDeleteEndsAfterTheCurrentItem) {
    QelTestDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) files.push_back(dir / ("f" + std::to_string(i)));
    for (const std::string& f : files) MakeFile(f, "x");
    CQelResultSubWnd window;
    struct StopAtFirst : Notices {
        CQelResultSubWnd* window = nullptr;
        bool stopShown = false;
        void onNotifyEvent(const QelString& e, const QelString& p1, const QelString& p2) override {
            if (seen.empty()) {
                stopShown = window->GetStopButton()->isVisible();
                QTest::keyClick(window, Qt::Key_Escape);
            }
            Notices::onNotifyEvent(e, p1, p2);
        }
    } notices;
    notices.window = &window;
    window.SetDelegate(&notices);
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(files, {}), 0, 0));
    CQelMessageBox::SetHandler([](CQelMessageBox::Kind, const QString&) { return CQelMessageBox::Answer::Alternative; });
    window.GetCommandButton(CQelResultSubWnd::kDelete)->click();
    CQelMessageBox::SetHandler({});
    EXPECT_TRUE(notices.stopShown);
    EXPECT_FALSE(window.GetStopButton()->isVisible());
    EXPECT_EQ(notices.seen.back(), "Result Delete Stopped!| Succces:1, Failed:0, Not done:4");
    EXPECT_FALSE(Exists(files[0]));
    for (std::size_t i = 1; i < files.size(); ++i) EXPECT_TRUE(Exists(files[i])) << files[i];
    EXPECT_EQ(Statuses(window), (std::vector<std::string>{"Deleted", "", "", "", ""}));
}
