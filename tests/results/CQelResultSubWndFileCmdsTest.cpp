// The destination dialog and the Copy, Move and Delete buttons of the result
// window, driven headless on a real temporary tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "../fileops/QelTreeFixture.h"
#include "CDlgDestSelect.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "IQelResultSubWndDelegate.h"

namespace {

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
}

TEST(CQelResultSubWndFileCmds, CopyAsksForTheDestinationAndActsOnEveryRowInListOrder) {
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
    window.GetListView()->selectRow(1);  // the selection plays no part

    AnswerDestDialog([](CDlgDestSelect& dialog) { dialog.reject(); });
    window.GetCommandButton(CQelResultSubWnd::kCopy)->click();
    EXPECT_TRUE(notices.seen.empty());

    AnswerDestDialog([&](CDlgDestSelect& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Please specify a path to copy.");
        dialog.GetDestEdit()->setText(QString::fromStdString(dir / "dst"));
        dialog.GetUniqueNameCheck()->click();
        dialog.accept();
    });
    window.GetCommandButton(CQelResultSubWnd::kCopy)->click();
    EXPECT_TRUE(owner.isEnabled());  // enabled again after the frame
    EXPECT_EQ(notices.seen, (std::vector<std::string>{"Copy [0/3] Process| Succces:1, Failed:0",
                                                      "Copy [1/3] Process| Succces:2, Failed:0",
                                                      "Copy [2/3] Process| Succces:3, Failed:0",
                                                      "Result Copy to Dest Complete!|"}));
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "A");
    EXPECT_EQ(ReadBytes(dir / "dst/f/in.txt"), "in");
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Items whose name already exists in the destination are left as they are."});
}

TEST(CQelResultSubWndFileCmds, MoveAndDeleteLeaveTheRowsAndIgnoreClicksWhileBusy) {
    QelTestDir dir;
    BoxRecorder boxes;
    MakeFile(dir / "s/a.txt", "A");
    MakeFile(dir / "s/t/b.txt", "B");
    CQelResultSubWnd window;
    Notices notices;
    window.SetDelegate(&notices);
    ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({dir / "s/a.txt"}, {dir / "s/t"}), 0, 0));

    window.BeginBusy();
    window.GetCommandButton(CQelResultSubWnd::kDelete)->click();
    window.EndBusy();
    EXPECT_TRUE(notices.seen.empty());
    EXPECT_TRUE(Exists(dir / "s/a.txt"));

    AnswerDestDialog([&](CDlgDestSelect& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Please specify a path to move.");
        dialog.GetDestEdit()->setText(QString::fromStdString(dir / "m"));
        dialog.GetUniqueNameCheck()->setChecked(false);
        dialog.accept();
    });
    window.GetCommandButton(CQelResultSubWnd::kMove)->click();
    EXPECT_EQ(notices.seen.back(), "Result Move to Dest Complete!|");
    EXPECT_EQ(ReadBytes(dir / "m/t/b.txt"), "B");
    EXPECT_FALSE(Exists(dir / "s/a.txt"));
    EXPECT_EQ(window.GetListModel()->rowCount(), 2);  // rows still show the old places

    notices.seen.clear();
    window.GetCommandButton(CQelResultSubWnd::kDelete)->click();  // nothing left where the rows point
    EXPECT_EQ(notices.seen, (std::vector<std::string>{"Delete [0/2] Process| Succces:0, Failed:1",
                                                      "Delete [1/2] Process| Succces:0, Failed:2",
                                                      "Result Delete Complete!|"}));
    EXPECT_TRUE(boxes.texts.empty());
}
