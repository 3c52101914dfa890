// The result window as the user drives it, headless over real files: for each
// command the question asked, the rows' status and the status line. What the commands do to files, names and export formats is
// proven by the tests of those layers.
#include <gtest/gtest.h>
#include <json/writer.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

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
using Window = CQelResultSubWnd;
constexpr int kFullPath = CQelResultListModel::kFullPath, kStatus = CQelResultListModel::kStatus;

// GIO reads XDG_DATA_HOME once, on first use: the tests' own Trash is named
// before the program starts, so no test can reach the user's real one.
const bool kPrivateTrash = ::setenv("XDG_DATA_HOME", QEL_TEST_DATA_HOME, 1) == 0;

// Runs answer on the next modal dialog of type D once it shows.
template <typename D>
void WhenShown(std::function<void(D&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

// Answers the next destination dialog: unique names unticked, a relative
// path first (which OK refuses), then destination ("" cancels).
void AnswerDestination(const std::string& destination, std::string* title) {
    WhenShown<CDlgDestSelect>([=](CDlgDestSelect& dialog) {
        dialog.GetUniqueNameCheck()->click();  // ticked at first
        dialog.GetDestEdit()->setText("relative/dir");
        dialog.accept();
        *title = dialog.windowTitle().toStdString() + (dialog.isVisible() ? "" : " (closed by a refused OK)");
        dialog.GetDestEdit()->setText(QString::fromStdString(destination));
        destination.empty() ? dialog.reject() : dialog.accept();
    });
}

// A window over the rows, with the desktop played by the fixture: it records
// every program asked for and every item handed over, and answers as set.
class ResultWindow : public ::testing::Test, public IQelProgramLauncher {
public:
    // Every message box is recorded and answered from m_answers, then with Ok.
    void SetUp() override {
        m_oldModuleDir = CQelDirMng::GetInstance()->GetModuleDir();
        CQelDirMng::GetInstance()->SetModuleDir(Q(m_dir.path()));  // "user" lands here
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind, const QString& text) {
            m_boxes.push_back(text.toStdString());
            const Answer answer = m_answers.empty() ? Answer::Ok : m_answers.front();
            if (!m_answers.empty()) m_answers.pop_front();
            return answer;
        });
    }
    void TearDown() override {
        CQelMessageBox::SetHandler({});
        CQelDirMng::GetInstance()->SetModuleDir(m_oldModuleDir);
    }
    QelString FindProgram(const QelString& extension) override { return QelString::FromUtf8(m_programs[extension.ToStdString()]); }
    bool Open(const QelString& program, const QelString& file) override { return Call(program.ToStdString() + " " + file.ToFileName()); }
    bool Open(const QelString& path) override { return Call("open " + path.ToFileName()); }
    bool ShowInFolder(const QelString& path) override { return Call("show " + path.ToFileName()); }
    bool Call(const std::string& call) {
        m_calls.push_back(call);
        if (!m_starts) m_lastFailure = QelString(u"no file manager");
        return m_starts;
    }

    void Show(const Texts& files, const Texts& folders = {}, bool owned = false) {
        Json::Value record;
        record["width"] = 700, record["height"] = 400;
        for (const std::string& f : files) record["fileresultlist"].append(f);
        for (const std::string& d : folders) record["dirresultlist"].append(d);
        ASSERT_TRUE(m_window.CreateSubWnd(owned ? &m_owner : nullptr, Json::FastWriter().write(record), 0, 0));
        m_window.SetDelegate(&m_notices);
        m_window.SetProgramLauncher(this);
    }
    void Click(int command) { QTest::mouseClick(m_window.GetCommandButton(command), Qt::LeftButton); }
    QTableView* List() const { return m_window.GetListView(); }
    // One column in list order.
    Texts Column(int column) const {
        Texts out;
        for (int r = 0; r < m_window.GetListModel()->rowCount(); ++r)
            out.push_back(m_window.GetListModel()->index(r, column).data().toString().toStdString());
        return out;
    }

    QelTestDir m_dir;
    QelString m_oldModuleDir;
    Texts m_boxes;
    std::deque<Answer> m_answers;
    std::map<std::string, std::string> m_programs{{".txt", "/usr/bin/qel-editor"}, {".xlsx", "/usr/bin/qel-sheets"}};
    bool m_starts = true;
    Texts m_calls;
    QelNotices m_notices;
    QWidget m_owner;
    Window m_window;
};

}  // namespace

TEST_F(ResultWindow, CopyAndMoveNameTheCountAndShowEachRowsOutcome) {
    MakeTree(m_dir.path(), {"s/a.txt=A", "s/b.txt=B", "s/f/in.txt=in", "dst/b.txt=taken"});
    Show({m_dir / "s/a.txt", m_dir / "s/b.txt"}, {m_dir / "s/f"}, true);
    List()->selectRow(1);  // the buttons act on every row whatever is selected
    std::string title;
    AnswerDestination("", &title);
    Click(Window::kCopy);
    EXPECT_TRUE(m_notices.seen.empty());
    AnswerDestination(m_dir / "dst", &title);
    Click(Window::kCopy);
    EXPECT_EQ(title, "Please specify a path to copy. (3 items)");
    EXPECT_TRUE(m_owner.isEnabled());
    EXPECT_EQ(m_notices.seen.back(), "MSG|Result Copy to Dest Complete!| Succces:2, Failed:1");
    EXPECT_EQ(Column(kStatus), (Texts{"Copied", "Failed: File exists", "Copied"}));
    // Move Selected: the selected row only, which then no longer exists where it was.
    AnswerDestination(m_dir / "m", &title);
    m_window.CopyOrMoveRows(true, m_window.SelectedRowIndexes());
    EXPECT_EQ(title, "Please specify a path to move. (1 item)");
    EXPECT_EQ(Column(kStatus), (Texts{"Copied", "Moved to " + (m_dir / "m/b.txt"), "Copied"}));
    EXPECT_TRUE(!m_window.GetListModel()->IsGone(0) && m_window.GetListModel()->IsGone(1));
    const std::string warning = "Items whose name already exists in the destination are left as they are.", relative = "Please specify the path.";
    EXPECT_EQ(m_boxes, (Texts{warning, relative, warning, relative, warning, relative}));
}

TEST_F(ResultWindow, DeleteAsksFirstAndEachAnswerDoesWhatItSays) {
    ASSERT_TRUE(kPrivateTrash);
    const std::string trash = std::string(QEL_TEST_DATA_HOME) + "/Trash";
    std::filesystem::create_directories(QEL_TEST_DATA_HOME);
    struct stat here {}, there {};
    if (::stat(m_dir.path().c_str(), &here) != 0 || ::stat(QEL_TEST_DATA_HOME, &there) != 0 || here.st_dev != there.st_dev)
        GTEST_SKIP() << "the test folder and XDG_DATA_HOME lie on different file systems";
    const std::pair<Answer, std::string> cases[] = {{Answer::No, ""}, {Answer::Alternative, "Deleted"}, {Answer::Yes, "In Trash"}};
    for (const auto& [answer, status] : cases) {
        const std::string name = "del" + std::to_string(static_cast<int>(answer)) + ".txt";
        MakeTree(m_dir.path(), {name + "=x", "keep.txt=k"});
        m_boxes.clear();
        m_answers = {answer};
        Show({m_dir / name, m_dir / "keep.txt"});
        List()->selectRow(0);
        m_window.DeleteRows(m_window.SelectedRowIndexes(), "selected");
        EXPECT_EQ(m_boxes, Texts{"Move the 1 selected item to the Trash?"});
        EXPECT_EQ(ReadBytes(m_dir / name) + ReadBytes(m_dir / "keep.txt"), (status.empty() ? "x" : "") + std::string("k"));
        EXPECT_EQ(Column(kStatus), (Texts{status, ""}));
        EXPECT_EQ(Exists(trash + "/files/" + name), answer == Answer::Yes) << status;
    }
    std::filesystem::remove_all(trash);
}

// While a command runs its owner is disabled and Stop shows; Stop (Escape)
// ends the run after the current item.
TEST_F(ResultWindow, StopDuringALongDeleteEndsAfterTheCurrentItem) {
    MakeTree(m_dir.path(), {"f0=x", "f1=x", "f2=x", "f3=x", "f4=x"});
    std::vector<bool> during;  // owner enabled, busy, Stop shown, wait cursor
    m_notices.onNotice = [&] {
        if (!during.empty()) return;
        const QCursor* cursor = QApplication::overrideCursor();
        during = {m_owner.isEnabled(), m_window.IsBusy(), m_window.GetStopButton()->isVisible(), cursor && cursor->shape() == Qt::WaitCursor};
        QTest::keyClick(&m_window, Qt::Key_Escape);
    };
    m_owner.show();
    Show({m_dir / "f0", m_dir / "f1", m_dir / "f2", m_dir / "f3", m_dir / "f4"}, {}, true);
    m_answers = {Answer::Alternative};
    Click(Window::kDelete);
    EXPECT_EQ(during, (std::vector<bool>{false, true, true, true}));
    EXPECT_TRUE(m_owner.isEnabled() && !m_window.IsBusy() && !QApplication::overrideCursor() && !m_window.GetStopButton()->isVisible());
    EXPECT_EQ(m_notices.seen.back(), "MSG|Result Delete Stopped!| Succces:1, Failed:0, Not done:4");
    EXPECT_EQ(Column(kStatus), (Texts{"Deleted", "", "", "", ""}));
}

// Each save writes the rows in list order into "user" and opens the file with
// the program registered for it, or says where the file is; a program that
// does not start and a file that cannot be written are told.
TEST_F(ResultWindow, SavesWriteTheRowsIntoUserAndOpenThemOrSayWhereTheyAre) {
    Show({"/t/b.txt", "/t/a.txt"}, {"/t/\xEB\xB3\xB4"});
    List()->sortByColumn(CQelResultListModel::kName, Qt::AscendingOrder);  // the shown order plays no part
    m_programs.erase(".xlsx");
    Click(Window::kSaveTxt);
    Click(Window::kSaveExcel);
    Texts saved;
    for (const std::string& leaf : Names(m_dir / "user")) saved.push_back(m_dir / "user/" + leaf);
    ASSERT_EQ(saved.size(), 2u);  // in name order: the .txt first
    EXPECT_EQ(m_calls, Texts{"/usr/bin/qel-editor " + saved[0]});
    EXPECT_EQ(m_notices.seen, (Texts{"MSG|Result List TXT Make Complete!| Saved as \"" + saved[0] + "\"",
                                     "MSG|Result List Excel Send Complete!| Saved as \"" + saved[1] + "\""}));
    for (const std::string& text : {ReadBytes(saved[0]), Unzipped(saved[1], "xl/worksheets/sheet1.xml")}) {
        const std::size_t b = text.find("/t/b.txt"), a = text.find("/t/a.txt"), last = text.find("/t/\xEB\xB3\xB4");
        EXPECT_TRUE(b < a && a < last && last != std::string::npos) << text;
    }
    m_programs.erase(".txt");
    Click(Window::kSaveTxt);
    m_programs[".txt"] = "/usr/bin/qel-editor";
    m_starts = false;
    Click(Window::kSaveTxt);
    std::filesystem::remove_all(m_dir / "user");
    WriteBytes(m_dir / "user", "a file where the folder should be");
    Click(Window::kSaveTxt);
    ASSERT_EQ(m_boxes.size(), 4u);
    EXPECT_EQ(Texts(m_boxes.begin(), m_boxes.begin() + 3),
              (Texts{"The workbook was saved as \"" + saved[1] + "\".\nNo program is registered to open .xlsx files.",
                     "No registered programs found.", "\".txt\" Failed to run the registered program."}));
    EXPECT_TRUE(std::regex_match(m_boxes[3], std::regex(".*" + m_dir.path() + "/user/.*_Result\\.txt.*Not a directory")))
        << m_boxes[3];
    EXPECT_EQ(m_notices.seen.back(), "MSG|Result List TXT Make Failed!|");
}

TEST_F(ResultWindow, RenameShowsThePreviewThenEachRowsOutcome) {
    const std::string tree = m_dir / "tree";
    MakeTree(tree, {"a.txt=a", "b.txt=b", "ab.txt=ab"});
    Show({tree + "/a.txt", tree + "/ab.txt", tree + "/b.txt"});
    std::string marks;
    for (const bool accept : {false, true}) {  // cancelled: nothing changes
        WhenShown<CDlgReaNameRule>([accept, &marks](CDlgReaNameRule& editor) {
            editor.findChild<QLineEdit*>("findAddEdit")->setText("a");
            editor.findChild<QLineEdit*>("replaceEdit")->setText("b");
            QTest::mouseClick(editor.findChild<QPushButton*>("addButton"), Qt::LeftButton);
            marks = editor.GetPreviewList()->topLevelItem(0)->text(2).toStdString();
            QTest::mouseClick(editor.findChild<QPushButton*>(accept ? "saveButton" : "cancelButton"), Qt::LeftButton);
        });
        Click(Window::kRename);
        EXPECT_EQ(m_notices.seen.size(), accept ? 1u : 0u);
    }
    EXPECT_EQ(marks, "Name taken twice");  // a.txt and b.txt would both be b.txt
    EXPECT_EQ(Column(kFullPath), (Texts{tree + "/a.txt", tree + "/bb.txt", tree + "/b.txt"}));
    EXPECT_EQ(Column(kStatus), (Texts{"Failed: File exists", "Renamed", ""}));
    EXPECT_EQ(m_notices.seen, Texts{"MSG|Result Rename Complete!| Succces:1, Failed:1"});
}

// The rule editor asks before a second Pre Add or Post Add and never holds two;
// a stored set that is no list is refused with its message.
TEST_F(ResultWindow, TheRuleEditorAsksBeforeASecondAddOfAKindAndRefusesASetThatIsNoList) {
    CDlgReaNameRule dialog(nullptr);
    const auto child = [&](const char* name) { return dialog.findChild<QWidget*>(name); };
    const auto add = [&](const char* type, const char* operation, const char* text) {
        static_cast<QComboBox*>(child("itemType"))->setCurrentText(type);
        static_cast<QComboBox*>(child("operation"))->setCurrentText(operation);
        static_cast<QLineEdit*>(child("findAddEdit"))->setText(text);
        QTest::mouseClick(child("addButton"), Qt::LeftButton);
    };
    m_answers = {Answer::Yes, Answer::No};
    add("File", "Pre Add", "2024_"), add("File", "Post Add", "_v1");
    add("Folder", "Pre Add", "2025_"), add("File", "Post Add", "_v2");  // the type plays no part
    EXPECT_EQ(m_boxes, (Texts{"Leading character is already added. Do you want to change it?",
                              "Trailing character has already been added. Do you want to change it?"}));
    QTest::mouseClick(child("saveButton"), Qt::LeftButton);
    EXPECT_EQ(Json::FastWriter().write(dialog.GetRuleSet()),
              "[{\"findadd\":\"2025_\",\"operate\":\"preadd\",\"replace\":\"\",\"type\":\"file\"},"
              "{\"findadd\":\"_v1\",\"operate\":\"postadd\",\"replace\":\"\",\"type\":\"file\"}]\n");
    EXPECT_FALSE(dialog.SetRuleSet("{\"type\":\"file\"}"));
    EXPECT_EQ(m_boxes.back(), "Cannot read setting items.");
}
