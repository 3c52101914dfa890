#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include "CQelDesktopLauncher.h"
#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSortModel.h"
#include "CQelResultSubWnd.h"

namespace {

using Texts = std::vector<std::string>;

std::string Record(const Texts& files, const Texts& folders, int width = 0) {
    Json::Value record(Json::objectValue);
    if (width) record["width"] = width, record["height"] = 400;
    record["fileresultlist"] = Json::Value(Json::arrayValue);
    record["dirresultlist"] = Json::Value(Json::arrayValue);
    for (const std::string& f : files) record["fileresultlist"].append(f);
    for (const std::string& d : folders) record["dirresultlist"].append(d);
    return Json::FastWriter().write(record);
}

// Records what the result window hands to the desktop; answers with ok.
struct RecordingLauncher : CQelDesktopLauncher {
    bool Open(const QelString& path) override { return Record("open " + path.ToStdString()); }
    bool ShowInFolder(const QelString& path) override { return Record("show " + path.ToStdString()); }
    bool Record(std::string call) {
        calls.push_back(std::move(call));
        if (!ok) m_lastFailure = QelString(u"no file manager");
        return ok;
    }
    Texts calls;
    bool ok = true;
};

class ResultListView : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.CreateSubWnd(nullptr, Record(kFiles, kFolders, 700), 0, 0));
        window.SetDesktopLauncher(&launcher);
        list = window.GetListView();
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind, const QString& text) {
            boxes.push_back(text.toStdString());
            return CQelMessageBox::Answer::Ok;
        });
    }
    void TearDown() override { CQelMessageBox::SetHandler({}); }

    // A column of the rows as shown.
    Texts Shown(int column) const {
        Texts out;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            out.push_back(list->model()->index(r, column).data().toString().toStdString());
        return out;
    }
    // Full paths of the rows the operations act on.
    Texts ListOrder() const {
        Texts out;
        for (const QelResultRow& row : window.GetListModel()->Rows()) out.push_back(qel::Utf16ToUtf8(row.fullPath));
        return out;
    }
    void ClickHeading(int column) {
        QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    QPoint RowPoint(int row) const { return list->visualRect(list->model()->index(row, 0)).center(); }

    const Texts kFiles = {"/t/file10.txt", "/t/file2.txt", "/u/File1.txt", "/a/b"};
    const Texts kFolders = {"/t/dir3", "/a/dir20"};
    CQelResultSubWnd window;
    RecordingLauncher launcher;
    QTableView* list = nullptr;
    Texts boxes;
};

}  // namespace

TEST_F(ResultListView, HeadingsSortTheShownRowsOnlyAndTheOrderOutlivesNewResults) {
    const Texts listOrder = ListOrder();
    EXPECT_EQ(Shown(CQelResultListModel::kFullPath), (Texts{kFiles[0], kFiles[1], kFiles[2], kFiles[3], kFolders[0],
                                                            kFolders[1]}));
    list->selectRow(1);  // /t/file2.txt
    const struct {
        int column;
        int clicks;
        Texts names;
    } cases[] = {
        {CQelResultListModel::kName, 1, {"b", "dir3", "dir20", "File1.txt", "file2.txt", "file10.txt"}},
        {CQelResultListModel::kName, 1, {"file10.txt", "file2.txt", "File1.txt", "dir20", "dir3", "b"}},
        {CQelResultListModel::kType, 1, {"b", "File1.txt", "file2.txt", "file10.txt", "dir3", "dir20"}},
        {CQelResultListModel::kPath, 1, {"b", "dir20", "dir3", "file2.txt", "file10.txt", "File1.txt"}},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < c.clicks; ++i) ClickHeading(c.column);
        EXPECT_EQ(Shown(CQelResultListModel::kName), c.names) << "column " << c.column;
        EXPECT_EQ(ListOrder(), listOrder);  // the operations' order stays
        // The selection stays on its row wherever that row now shows.
        EXPECT_EQ(window.SelectedPathsText().toStdString(), "/t/file2.txt\n");
    }
    // The rows alternate their backgrounds by shown place.
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(list->model()->index(r, 0).data(Qt::BackgroundRole), CQelResultListModel::RowBackground(r));

    ASSERT_TRUE(window.UpdateResult(Record({"/n/x10", "/n/x9"}, {"/n/w"})));
    EXPECT_EQ(Shown(CQelResultListModel::kName), (Texts{"w", "x9", "x10"}));
    EXPECT_EQ(ListOrder(), (Texts{"/n/x10", "/n/x9", "/n/w"}));
}

TEST_F(ResultListView, SelectedRowsCopyAsFullPathsOnePerLine) {
    ClickHeading(CQelResultListModel::kName);  // b, dir3, dir20, File1.txt, file2.txt, file10.txt
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPoint(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(3));
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "/t/dir3\n/a/dir20\n/u/File1.txt\n");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(5));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(2));
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "/t/dir3\n/u/File1.txt\n/t/file10.txt\n");

    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 6);
}

TEST_F(ResultListView, OpeningAndTheContextMenuHandTheShownRowToTheDesktop) {
    ClickHeading(CQelResultListModel::kName);
    ClickHeading(CQelResultListModel::kName);  // descending: file10.txt, file2.txt, File1.txt, dir20, dir3, b
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPoint(1));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowPoint(1));
    list->setCurrentIndex(list->model()->index(3, 0));
    QTest::keyClick(list, Qt::Key_Return);

    list->selectRow(2);
    std::unique_ptr<QMenu> menu(window.MakeContextMenu(4));
    Texts texts;
    for (QAction* action : menu->actions()) texts.push_back(action->text().toStdString());
    EXPECT_EQ(texts, (Texts{"Open", "Open Containing Folder", "Copy Full Path", "", "Copy Selected To...",
                            "Move Selected To...", "Move Selected to Trash", "Rename Selected..."}));
    for (QAction* action : menu->actions().mid(0, 3)) action->trigger();
    EXPECT_EQ(launcher.calls, (Texts{"open /t/file2.txt", "open /a/dir20", "open /t/dir3", "show /t/dir3"}));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "/u/File1.txt\n");  // the selection, not the row
    EXPECT_TRUE(boxes.empty());

    // A desktop that cannot open or show the item says so.
    launcher.ok = false;
    window.OpenShownRow(0);
    window.ShowShownRowInFolder(0);
    // These rows name nothing on disk: the user learns the item is gone.
    EXPECT_EQ(boxes, (Texts{"This item was moved or deleted.",
                            "The containing folder of \"" + launcher.calls.back().substr(5) +
                                "\" could not be opened.\nno file manager"}));
}

TEST_F(ResultListView, CutCellsCarryTheirWholeTextAndUserWidthsSurviveNewResults) {
    const std::string deep = "/" + std::string(120, 'p') + "/deep.txt";
    ASSERT_TRUE(window.UpdateResult(Record({deep, "/t/short.txt"}, {})));
    const QAbstractItemModel* shown = list->model();
    EXPECT_EQ(window.CutCellText(shown->index(0, CQelResultListModel::kPath)).toStdString(), "/" + std::string(120, 'p'));
    EXPECT_EQ(window.CutCellText(shown->index(1, CQelResultListModel::kPath)), QString());
    EXPECT_EQ(window.CutCellText(shown->index(0, CQelResultListModel::kName)), QString());

    list->setColumnWidth(CQelResultListModel::kName, 30);
    list->setColumnWidth(CQelResultListModel::kPath, 500);
    EXPECT_EQ(window.CutCellText(shown->index(0, CQelResultListModel::kName)).toStdString(), "deep.txt");
    ASSERT_TRUE(window.UpdateResult(Record({"/t/a.txt"}, {})));
    EXPECT_EQ(list->columnWidth(CQelResultListModel::kName), 30);
    EXPECT_EQ(list->columnWidth(CQelResultListModel::kPath), 500);
}
