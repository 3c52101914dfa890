// The result window as the user drives it, headless over real files: its rows
// and place, sorting and opening, and for each command the question asked, the
// rows' status and the status line. What the commands do to files, names and
// export formats is proven by the tests of those layers.
#include <gtest/gtest.h>
#include <json/writer.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>

#include <deque>
#include <functional>
#include <map>
#include <regex>

#include "CDlgDestSelect.h"
#include "CDlgReaNameRule.h"
#include "CQelDirMng.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "IQelProgramLauncher.h"
#include "QelResultTestKit.h"
#include "QelXlsxReadBack.h"

namespace {

using Answer = CQelMessageBox::Answer;
constexpr int kName = CQelResultListModel::kName, kPath = CQelResultListModel::kPath,
              kFullPath = CQelResultListModel::kFullPath, kStatus = CQelResultListModel::kStatus;

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

std::string Record(const Texts& files, const Texts& folders, int width = 600, int height = 300) {
    Json::Value record(Json::objectValue);
    record["width"] = width;
    record["height"] = height;
    record["fileresultlist"] = record["dirresultlist"] = Json::Value(Json::arrayValue);
    for (const std::string& f : files) record["fileresultlist"].append(f);
    for (const std::string& d : folders) record["dirresultlist"].append(d);
    return Json::FastWriter().write(record);
}

// Records every message box; answers from answers, then with Ok.
struct QelBoxRecorder {
    QelBoxRecorder() {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind kind, const QString& text) {
            texts.push_back(text.toStdString());
            kinds.push_back(kind);
            if (answers.empty()) return Answer::Ok;
            const Answer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~QelBoxRecorder() { CQelMessageBox::SetHandler({}); }
    Texts texts;
    std::vector<CQelMessageBox::Kind> kinds;
    std::deque<Answer> answers;
};

// Stands in for the desktop: records every program asked for and every item
// handed over, and answers as set.
struct QelRecordingLauncher : IQelProgramLauncher {
    QelString FindProgram(const QelString& extension) override {
        const auto it = programs.find(extension.ToStdString());
        return QelString::FromUtf8(it == programs.end() ? "" : it->second);
    }
    bool Open(const QelString& program, const QelString& file) override {
        return Record(program.ToStdString() + " " + file.ToFileName());
    }
    bool Open(const QelString& path) override { return Record("open " + path.ToFileName()); }
    bool ShowInFolder(const QelString& path) override { return Record("show " + path.ToFileName()); }
    bool Record(std::string call) {
        calls.push_back(std::move(call));
        if (!starts) m_lastFailure = QelString(u"no file manager");
        return starts;
    }
    std::map<std::string, std::string> programs;  // extension -> program
    bool starts = true;
    Texts calls;
};

// Runs answer on the next modal dialog of type D once it shows.
template <typename D>
void WhenShown(std::function<void(D&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

// Answers the next destination dialog with destination ("" cancels), unique names unticked.
void AnswerDestination(const std::string& destination, std::string* title) {
    WhenShown<CDlgDestSelect>([=](CDlgDestSelect& dialog) {
        *title = dialog.windowTitle().toStdString();
        dialog.GetDestEdit()->setText(QString::fromStdString(destination));
        dialog.GetUniqueNameCheck()->setChecked(false);
        destination.empty() ? dialog.reject() : dialog.accept();
    });
}

class ResultWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldModuleDir = CQelDirMng::GetInstance()->GetModuleDir();
        CQelDirMng::GetInstance()->SetModuleDir(Q(m_dir.path()));  // "user" lands here
        m_launcher.programs = {{".txt", "/usr/bin/qel-editor"}, {".xlsx", "/usr/bin/qel-sheets"}};
    }
    void TearDown() override { CQelDirMng::GetInstance()->SetModuleDir(m_oldModuleDir); }

    void Open(const Texts& files, const Texts& folders = {}, bool owned = false) {
        ASSERT_TRUE(m_window.CreateSubWnd(owned ? &m_owner : nullptr, Record(files, folders, 700, 400), 0, 0));
        m_window.SetDelegate(&m_notices);
        m_window.SetProgramLauncher(&m_launcher);
    }
    void Click(int command) { QTest::mouseClick(m_window.GetCommandButton(command), Qt::LeftButton); }
    QTableView* List() const { return m_window.GetListView(); }
    // One column in list order, or as shown.
    Texts Column(int column, bool shown = false) const {
        const QAbstractItemModel* model = shown ? List()->model() : m_window.GetListModel();
        Texts out;
        for (int r = 0; r < model->rowCount(); ++r) out.push_back(model->index(r, column).data().toString().toStdString());
        return out;
    }
    void ClickHeading(int column) {
        QHeaderView* header = List()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    std::string CopiedSelection() {
        QTest::keyClick(List(), Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text().toStdString();
    }

    QelTestDir m_dir;
    QelString m_oldModuleDir;
    QelBoxRecorder m_boxes;
    QelRecordingLauncher m_launcher;
    QelNotices m_notices;
    QWidget m_owner;
    CQelResultSubWnd m_window;
};

const Texts kSorted = {"/t/file10.txt", "/t/file2.txt", "/u/File1.txt", "/a/b"}, kSortedFolders = {"/t/dir3", "/a/dir20"};

}  // namespace

TEST_F(ResultWindow, ShowsTheRecordWhereToldAndANewOneReplacesTheRows) {
    for (const char* unreadable : {"{\"width\": 300,", "[1, 2]"}) EXPECT_FALSE(m_window.CreateSubWnd(nullptr, unreadable, 10, 10));
    EXPECT_FALSE(m_window.isVisible());
    ASSERT_TRUE(m_window.CreateSubWnd(nullptr, Record({"/t/a.txt", "/t/b.txt"}, {"/t/sub"}, 700, 400), 40, 60));
    EXPECT_EQ(QRect(m_window.pos(), m_window.size()), QRect(40, 60, 700, 400));
    EXPECT_EQ(Column(kName), (Texts{"a.txt", "b.txt", "sub"}));
    EXPECT_EQ(Column(CQelResultListModel::kType), (Texts{"File", "File", "Folder"}));
    EXPECT_EQ(Column(kFullPath), (Texts{"/t/a.txt", "/t/b.txt", "/t/sub"}));
    EXPECT_FALSE(m_window.UpdateResult("{\"fileresultlist\": ["));
    EXPECT_EQ(Column(kName).size(), 3u);  // an unreadable update keeps the rows
    // A window the user closed comes back with the next results, where it was;
    // a missing key empties that kind of row, and the size stays.
    m_window.move(30, 40);
    m_window.close();
    ASSERT_TRUE(m_window.UpdateResult("{\"dirresultlist\": [\"/t/d1\"]}"));
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_EQ(QRect(m_window.pos(), m_window.size()), QRect(30, 40, 700, 400));
    EXPECT_EQ(Column(kFullPath), Texts{"/t/d1"});

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    CQelResultSubWnd corner;  // moved left and up to fit the screen
    ASSERT_TRUE(corner.CreateSubWnd(nullptr, Record({}, {}, 300, 200), screen.width() - 50, screen.height() - 20));
    EXPECT_EQ(corner.pos(), QPoint(screen.width() - 300, screen.height() - 200));
}

TEST_F(ResultWindow, AnOperationDisablesTheOwnerWhileItRunsAndNotifiesOnce) {
    m_owner.show();
    Open({}, {}, true);
    std::vector<bool> during;  // owner enabled, busy, this window enabled, wait cursor
    m_window.RunOperation([&] {
        const QCursor* cursor = QApplication::overrideCursor();
        during = {m_owner.isEnabled(), m_window.IsBusy(), m_window.isEnabled(), cursor && cursor->shape() == Qt::WaitCursor};
        return QelString(u"Copy Complete!!");
    });
    EXPECT_EQ(during, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(m_notices.seen, Texts{"MSG|Copy Complete!!|"});
    EXPECT_TRUE(m_owner.isEnabled() && !m_window.IsBusy() && !QApplication::overrideCursor());
    m_window.EndBusy();  // ending a frame that never began changes nothing
    EXPECT_TRUE(m_owner.isEnabled());
}

TEST_F(ResultWindow, HeadingsSortTheShownRowsOnlyAndTheOrderOutlivesNewResults) {
    Open(kSorted, kSortedFolders);
    List()->selectRow(1);  // /t/file2.txt
    const std::pair<int, Texts> cases[] = {
        {kName, {"b", "dir3", "dir20", "File1.txt", "file2.txt", "file10.txt"}},
        {kName, {"file10.txt", "file2.txt", "File1.txt", "dir20", "dir3", "b"}},
        {kPath, {"b", "dir20", "dir3", "file2.txt", "file10.txt", "File1.txt"}},
    };
    for (const auto& [column, names] : cases) {
        ClickHeading(column);
        EXPECT_EQ(Column(kName, true), names) << "column " << column;
        EXPECT_EQ(Column(kFullPath), (Texts{"/t/file10.txt", "/t/file2.txt", "/u/File1.txt", "/a/b", "/t/dir3", "/a/dir20"}));
        EXPECT_EQ(CopiedSelection(), "/t/file2.txt\n");  // the selection stays on its row
    }
    ASSERT_TRUE(m_window.UpdateResult(Record({"/n/x10", "/n/x9"}, {"/n/w"})));
    EXPECT_EQ(Column(kName, true), (Texts{"w", "x9", "x10"}));
}

TEST_F(ResultWindow, OpeningAndTheContextMenuHandTheShownRowToTheDesktop) {
    Open(kSorted, kSortedFolders);
    ClickHeading(kName);
    ClickHeading(kName);  // descending: file10.txt, file2.txt, File1.txt, dir20, dir3, b
    const QPoint second = List()->visualRect(List()->model()->index(1, 0)).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, second);
    List()->setCurrentIndex(List()->model()->index(3, 0));
    QTest::keyClick(List(), Qt::Key_Return);
    List()->selectRow(2);
    std::unique_ptr<QMenu> menu(m_window.MakeContextMenu(4));  // Open, Open Containing Folder, Copy Full Path
    for (QAction* action : menu->actions().mid(0, 3)) action->trigger();
    EXPECT_EQ(m_launcher.calls, (Texts{"open /t/file2.txt", "open /a/dir20", "open /t/dir3", "show /t/dir3"}));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "/u/File1.txt\n");  // the selection, not the row
    m_window.OpenShownRow(6);  // past the last row: nothing happens
    EXPECT_EQ(m_launcher.calls.size(), 4u);
    // A desktop that cannot open or show the item says so; these rows name
    // nothing on disk, so the user learns the item is gone.
    m_launcher.starts = false;
    m_window.OpenShownRow(0);
    m_window.ShowShownRowInFolder(0);
    EXPECT_EQ(m_boxes.texts, (Texts{"This item was moved or deleted.",
                                    "The containing folder of \"/t/file10.txt\" could not be opened.\nno file manager"}));
}

TEST(CDlgDestSelect, OkNeedsAnAbsoluteDestinationAndUntickingUniqueNamesWarns) {
    QelBoxRecorder boxes;
    const std::string warning = "Items whose name already exists in the destination are left as they are.";
    for (const bool absolute : {false, true}) {
        boxes.texts.clear();
        CDlgDestSelect dialog(nullptr);
        dialog.show();
        dialog.GetDestEdit()->setText(absolute ? "/srv/data/" : "relative/dir");
        EXPECT_TRUE(dialog.GetUniqueNameCheck()->isChecked());
        dialog.GetUniqueNameCheck()->click();
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, absolute);
        EXPECT_EQ(boxes.texts, absolute ? Texts{warning} : (Texts{warning, "Please specify the path."}));
        EXPECT_TRUE(!absolute || (dialog.GetDestination().ToStdString() == "/srv/data" && !dialog.GetMakeUniqueName()));
    }
}

TEST_F(ResultWindow, CopyAndMoveNameTheCountAndShowEachRowsOutcome) {
    MakeTree(m_dir.path(), {"s/a.txt=A", "s/b.txt=B", "s/f/in.txt=in", "dst/b.txt=taken"});
    Open({m_dir / "s/a.txt", m_dir / "s/b.txt"}, {m_dir / "s/f"}, true);
    List()->selectRow(1);  // the buttons act on every row whatever is selected
    std::string title;
    AnswerDestination("", &title);
    Click(CQelResultSubWnd::kCopy);
    EXPECT_TRUE(m_notices.seen.empty());
    AnswerDestination(m_dir / "dst", &title);
    Click(CQelResultSubWnd::kCopy);
    EXPECT_EQ(title, "Please specify a path to copy. (3 items)");
    EXPECT_TRUE(m_owner.isEnabled());
    EXPECT_EQ(m_notices.seen.back(), "MSG|Result Copy to Dest Complete!| Succces:2, Failed:1");
    EXPECT_EQ(TreeText(m_dir / "dst"), "a.txt=A b.txt=taken f/ f/in.txt=in");
    EXPECT_EQ(Column(kStatus), (Texts{"Copied", "Failed: File exists", "Copied"}));
    // Move Selected: the selected row only, which then no longer exists where it was.
    AnswerDestination(m_dir / "m", &title);
    m_window.CopyOrMoveRows(true, m_window.SelectedRowIndexes());
    EXPECT_EQ(title, "Please specify a path to move. (1 item)");
    EXPECT_EQ(TreeText(m_dir / "m") + "|" + TreeText(m_dir / "s"), "b.txt=B|a.txt=A f/ f/in.txt=in");
    EXPECT_EQ(Column(kStatus)[1], "Moved to " + (m_dir / "m/b.txt"));
    EXPECT_EQ(std::make_pair(m_window.GetListModel()->IsGone(0), m_window.GetListModel()->IsGone(1)), std::make_pair(false, true));
    EXPECT_TRUE(m_boxes.texts.empty());
}

TEST_F(ResultWindow, DeleteAsksFirstAndEachAnswerDoesWhatItSays) {
    ASSERT_TRUE(kPrivateTrash);
    const std::string data = QEL_TEST_DATA_HOME;
    struct stat here {}, trash {};
    std::filesystem::create_directories(data);
    if (::stat(m_dir.path().c_str(), &here) != 0 || ::stat(data.c_str(), &trash) != 0 || here.st_dev != trash.st_dev)
        GTEST_SKIP() << "the test folder and XDG_DATA_HOME lie on different file systems";
    const struct {
        Answer answer;
        std::string status;
        bool inTrash;
    } cases[] = {{Answer::No, "", false}, {Answer::Alternative, "Deleted", false}, {Answer::Yes, "In Trash", true}};
    for (const auto& c : cases) {
        const std::string name = "del" + std::to_string(static_cast<int>(c.answer)) + ".txt";
        MakeTree(m_dir.path(), {name + "=x", "keep.txt=k"});
        m_boxes.texts.clear();
        m_boxes.answers = {c.answer};
        CQelResultSubWnd window;
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Record({m_dir / name, m_dir / "keep.txt"}, {}), 0, 0));
        window.GetListView()->selectRow(0);
        window.DeleteRows(window.SelectedRowIndexes(), "selected");
        EXPECT_EQ(m_boxes.texts, Texts{"Move the 1 selected item to the Trash?"});
        EXPECT_EQ(ReadBytes(m_dir / name) + ReadBytes(m_dir / "keep.txt"), (c.status.empty() ? "x" : "") + std::string("k"));
        EXPECT_EQ(window.GetListModel()->index(0, kStatus).data().toString().toStdString(), c.status);
        EXPECT_EQ(Exists(data + "/Trash/files/" + name), c.inTrash) << c.status;
    }
    std::filesystem::remove_all(data + "/Trash");
}

TEST_F(ResultWindow, StopDuringALongDeleteEndsAfterTheCurrentItem) {
    MakeTree(m_dir.path(), {"f0=x", "f1=x", "f2=x", "f3=x", "f4=x"});
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
    notices.window = &m_window;
    Open({m_dir / "f0", m_dir / "f1", m_dir / "f2", m_dir / "f3", m_dir / "f4"});
    m_window.SetDelegate(&notices);
    m_boxes.answers = {Answer::Alternative};
    Click(CQelResultSubWnd::kDelete);
    EXPECT_TRUE(notices.stopShown);
    EXPECT_FALSE(m_window.GetStopButton()->isVisible());
    EXPECT_EQ(notices.seen.back(), "MSG|Result Delete Stopped!| Succces:1, Failed:0, Not done:4");
    EXPECT_EQ(Column(kStatus), (Texts{"Deleted", "", "", "", ""}));
    EXPECT_EQ(TreeText(m_dir.path()), "f1=x f2=x f3=x f4=x");
}

// Each save writes the rows in list order into "user" under the next free
// dated name and opens it with the registered program, or says where it is.
TEST_F(ResultWindow, SavesWriteTheRowsIntoUserAndOpenThemOrSayWhereTheyAre) {
    Open({"/t/b.txt", "/t/a.txt"}, {"/t/\xEB\xB3\xB4"});
    const struct {
        int button;
        std::string extension, notice, noProgram;  // noProgram starting with '\n': after the path
        std::string content;
    } cases[] = {{CQelResultSubWnd::kSaveTxt, ".txt", "TXT Make", "No registered programs found.",
                  "Result List\r\n[0] /t/b.txt\r\n[1] /t/a.txt\r\n[2] /t/\xEB\xB3\xB4\r\n"},
                 {CQelResultSubWnd::kSaveExcel, ".xlsx", "Excel Send", "\nNo program is registered to open .xlsx files.",
                  "A4 /t/\xEB\xB3\xB4"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        std::filesystem::remove_all(m_dir / "user");
        m_boxes.texts.clear();
        m_notices.seen.clear();
        Click(c.button);
        const std::string program = m_launcher.programs[c.extension];
        m_launcher.programs.erase(c.extension);
        Click(c.button);  // within the same second as likely as not
        Texts saved;
        for (const std::string& leaf : Names(m_dir / "user")) {
            EXPECT_TRUE(std::regex_match(leaf, std::regex(R"(\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_Result(_2)?\.)" + c.extension.substr(1))))
                << leaf;
            saved.push_back(m_dir / "user/" + leaf);
        }
        ASSERT_EQ(saved.size(), 2u);
        EXPECT_EQ(m_launcher.calls.back(), program + " " + saved[0]);
        for (std::size_t i = 0; i < 2; ++i)
            EXPECT_EQ(m_notices.seen[i], "MSG|Result List " + c.notice + " Complete!| Saved as \"" + saved[i] + "\"");
        const std::string saidWhere = c.noProgram.starts_with('\n') ? "The workbook was saved as \"" + saved[1] + "\"." : "";
        EXPECT_EQ(m_boxes.texts, Texts{saidWhere + c.noProgram});
        const QelSheetCells cells = TextCells(Unzipped(saved[1], "xl/worksheets/sheet1.xml"));
        EXPECT_EQ(c.extension == ".txt" ? ReadBytes(saved[1]) : cells.back().first + " " + cells.back().second, c.content);
    }
    // A program that does not start, and a file that cannot be written, are told.
    m_launcher.programs[".txt"] = "/usr/bin/qel-editor";
    m_launcher.starts = false;
    m_boxes.texts.clear();
    Click(CQelResultSubWnd::kSaveTxt);
    EXPECT_EQ(m_boxes.texts, Texts{"\".txt\" Failed to run the registered program."});
    std::filesystem::remove_all(m_dir / "user");
    WriteBytes(m_dir / "user", "a file where the folder should be");
    Click(CQelResultSubWnd::kSaveTxt);
    ASSERT_EQ(m_boxes.texts.size(), 2u);
    EXPECT_TRUE(std::regex_match(m_boxes.texts[1], std::regex(".*" + m_dir.path() + "/user/.*_Result\\.txt.*Not a directory")))
        << m_boxes.texts[1];
    EXPECT_EQ(m_boxes.kinds.back(), CQelMessageBox::Kind::Error);
    EXPECT_EQ(m_notices.seen.back(), "MSG|Result List TXT Make Failed!|");
}

TEST_F(ResultWindow, RenameShowsThePreviewThenEachRowsOutcome) {
    const std::string tree = m_dir / "tree";
    MakeTree(tree, {"a.txt=a", "b.txt=b", "ab.txt=ab"});
    Open({tree + "/a.txt", tree + "/ab.txt", tree + "/b.txt"});
    Texts preview;
    for (const bool accept : {false, true}) {  // cancelled: nothing changes
        WhenShown<CDlgReaNameRule>([accept, &preview](CDlgReaNameRule& editor) {
            editor.findChild<QLineEdit*>("findAddEdit")->setText("a");
            editor.findChild<QLineEdit*>("replaceEdit")->setText("b");
            QTest::mouseClick(editor.findChild<QPushButton*>("addButton"), Qt::LeftButton);
            for (int i = 0; accept && i < editor.GetPreviewList()->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = editor.GetPreviewList()->topLevelItem(i);
                preview.push_back((item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
            }
            QTest::mouseClick(editor.findChild<QPushButton*>(accept ? "saveButton" : "cancelButton"), Qt::LeftButton);
        });
        Click(CQelResultSubWnd::kRename);
        EXPECT_EQ(m_notices.seen.size(), accept ? 1u : 0u);
    }
    EXPECT_EQ(preview, (Texts{"a.txt|b.txt|Name taken twice", "ab.txt|bb.txt|", "b.txt|b.txt|"}));
    EXPECT_EQ(TreeText(tree), "a.txt=a b.txt=b bb.txt=ab");
    EXPECT_EQ(Column(kFullPath), (Texts{tree + "/a.txt", tree + "/bb.txt", tree + "/b.txt"}));
    EXPECT_EQ(Column(kStatus), (Texts{"Failed: File exists", "Renamed", ""}));
    EXPECT_EQ(m_notices.seen, Texts{"MSG|Result Rename Complete!| Succces:1, Failed:1"});
}

// The rule editor through its widgets: the questions of Add with their
// answers, Delete, Save, and a stored set loaded.
TEST(CDlgReaNameRule, AddAsksWhereARuleWouldReplaceOrLoseTextAndSavesTheRowsShown) {
    QelBoxRecorder boxes;
    CDlgReaNameRule dialog(nullptr);
    const auto child = [&](const char* name) { return dialog.findChild<QWidget*>(name); };
    const auto add = [&](const char* type, const char* operation, const char* find, const char* replace = "") {
        static_cast<QComboBox*>(child("itemType"))->setCurrentText(type);
        static_cast<QComboBox*>(child("operation"))->setCurrentText(operation);
        static_cast<QLineEdit*>(child("findAddEdit"))->setText(find);
        static_cast<QLineEdit*>(child("replaceEdit"))->setText(replace);
        QTest::mouseClick(child("addButton"), Qt::LeftButton);
    };
    const auto rows = [&] {
        Texts out;
        auto* list = static_cast<QTreeWidget*>(child("ruleList"));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            out.push_back(QStringList({item->text(0), item->text(1), item->text(2), item->text(3)}).join(u'|').toStdString());
        }
        return out;
    };
    add("File", "Pre Add", "2024_");
    add("File", "Post Add", "_v1");
    boxes.answers = {Answer::Yes, Answer::No, Answer::Yes, Answer::Yes, Answer::No, Answer::Ok, Answer::Yes};
    add("Folder", "Pre Add", "2025_");  // the type plays no part
    add("File", "Pre Add", "2026_");
    add("File", "Post Add", "_v2");
    add("File", "Ext Change", ".txt", ".md");
    add("File", "Ext Change", "jpeg", "j.pg");  // No: nothing added
    add("File", "Change", "", "x");
    add("File", "Ext Change", ".", "x");  // nothing left once the dot is cleared
    const std::string leading = "Leading character is already added. Do you want to change it?",
                      dot = "Extension '.' Is not subject to change. Do you want to clear it and add it to the rule?",
                      find = "Please enter the text to find.";
    EXPECT_EQ(boxes.texts, (Texts{leading, leading, "Trailing character has already been added. Do you want to change it?",
                                  dot, dot, find, dot, find}));
    EXPECT_EQ(rows(), (Texts{"File|Pre Add|2025_|", "File|Post Add|_v2|", "File|Ext Change|txt|md"}));
    static_cast<QTreeWidget*>(child("ruleList"))->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(child("deleteButton"), Qt::LeftButton);
    QTest::mouseClick(child("saveButton"), Qt::LeftButton);
    EXPECT_EQ(Json::FastWriter().write(dialog.GetRuleSet()),
              "[{\"findadd\":\"2025_\",\"operate\":\"preadd\",\"replace\":\"\",\"type\":\"file\"},"
              "{\"findadd\":\"txt\",\"operate\":\"extchange\",\"replace\":\"md\",\"type\":\"file\"}]\n");
    ASSERT_TRUE(dialog.SetRuleSet(R"([{"type":"folder","operate":"postadd","findadd":"_old"},{"type":"odd","operate":"odd","findadd":"a"}])"));
    EXPECT_EQ(rows(), (Texts{"Folder|Post Add|_old|", "||a|"}));
    EXPECT_FALSE(dialog.SetRuleSet("{\"type\":\"file\"}"));
    EXPECT_EQ(boxes.texts.back(), "Cannot read setting items.");
    EXPECT_TRUE(rows().empty());
}
