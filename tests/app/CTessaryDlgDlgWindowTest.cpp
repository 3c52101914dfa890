#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "CQelWinUtilFunc.h"
#include "CTessaryDlgDlg.h"
#include "QelCtlTypes.h"
#include "QelMainWindowFixture.h"

namespace {

using MainWindow = QelMainWindowFixture;

std::string LastPos(int left, int top, int right, int bottom) {
    return "{\"applastpos\": {\"left\": " + std::to_string(left) + ", \"top\": " + std::to_string(top) +
           ", \"right\": " + std::to_string(right) + ", \"bottom\": " + std::to_string(bottom) + "}}";
}

}  // namespace

TEST_F(MainWindow, StartsWithTitleControlsAndWelcomeLabel) {
    CTessaryDlgDlg dialog;
    dialog.show();
    const std::string version = CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "QelTessary.Windows.Client (" + version + ")");
    EXPECT_TRUE(dialog.GetIncludeSubCheck()->isChecked());
    EXPECT_EQ(dialog.GetIncludeSubCheck()->text(), "Include SubPath");
    EXPECT_FALSE(dialog.GetAfterSearchCheck()->isChecked());
    EXPECT_EQ(dialog.GetAfterSearchCheck()->text(), "After Search");
    EXPECT_EQ(dialog.GetExitButton()->text(), "Exit");
    EXPECT_FALSE(dialog.findChild<QProgressBar*>("updateProgress")->isVisible());
    EXPECT_FALSE(dialog.findChild<QPushButton*>("okButton")->isVisible());
    EXPECT_TRUE(dialog.findChild<QPushButton*>("filterNewButton")->isEnabled());

    CQelLabel* status = dialog.GetStatusLabel();
    EXPECT_EQ(Caption(status), "Welcome Corvane Tessary");
    EXPECT_EQ(status->GetPropColor(u"bgcolor"), QelRGB(0x34, 0x3d, 0x45));
    EXPECT_EQ(status->GetPropColor(u"fgcolor"), QelRGB(0x4b, 0x9c, 0xd6));
    EXPECT_EQ(status->GetPropString(u"font").ToStdString(), "맑은 고딕,-12,700,0,0,0,129");
    EXPECT_TRUE(status->GetPropBool(u"elispisis"));
    const _tag_borderInfo border = status->GetPropBorder(u"border");
    EXPECT_TRUE(border.draw);
    EXPECT_EQ(border.width, 1);
    EXPECT_EQ(border.corner, 0.0f);
    EXPECT_EQ(border.color, QelRGB(0x2f, 0x4f, 0x4f));
}

TEST_F(MainWindow, AfterSearchEnablesTheJobListAndItsButtons) {
    CTessaryDlgDlg dialog;
    dialog.show();
    const std::vector<QWidget*> jobControls = {dialog.GetJobCombo(), dialog.findChild<QPushButton*>("jobNewButton"),
                                               dialog.findChild<QPushButton*>("jobModifyButton"),
                                               dialog.findChild<QPushButton*>("jobDeleteButton")};
    for (QWidget* w : jobControls) EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    QTest::mouseClick(dialog.GetAfterSearchCheck(), Qt::LeftButton);
    for (QWidget* w : jobControls) EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    QTest::mouseClick(dialog.GetAfterSearchCheck(), Qt::LeftButton);
    for (QWidget* w : jobControls) EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
}

TEST_F(MainWindow, FirstRunWritesThreeEmptyArraysAndThePositionOnExit) {
    CTessaryDlgDlg dialog;
    dialog.show();
    EXPECT_EQ(dialog.GetFilterCombo()->count(), 0);
    EXPECT_EQ(dialog.GetJobCombo()->count(), 0);
    EXPECT_EQ(dialog.GetHistoryLines().GetCount(), 0);
    dialog.GetExitButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    const Json::Value saved = home.ReadUserEnv();
    for (const char* key : {"aftersearchjob", "searchfilter", "searchpathhistory"}) {
        EXPECT_TRUE(saved[key].isArray()) << key;
        EXPECT_EQ(saved[key].size(), 0u) << key;
    }
    EXPECT_EQ(saved["applastpos"]["left"].asInt(), dialog.pos().x());
    EXPECT_EQ(saved["applastpos"]["top"].asInt(), dialog.pos().y());
    EXPECT_EQ(saved["applastpos"]["right"].asInt(), dialog.pos().x() + dialog.width());
    EXPECT_EQ(saved["applastpos"]["bottom"].asInt(), dialog.pos().y() + dialog.height());
}

TEST_F(MainWindow, ConfigFiltersStayListedAfterAnUnchangedExit) {
    WriteTwoFilters();
    for (int run = 0; run < 2; ++run) {
        CTessaryDlgDlg dialog;
        dialog.show();
        EXPECT_EQ(ComboTexts(dialog.GetFilterCombo()), (std::vector<std::string>{"Text", "Empty"})) << "run " << run;
        EXPECT_EQ(dialog.GetFilterCombo()->currentIndex(), 0);
        dialog.OnExit();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(home.ReadUserEnv()["searchfilter"].isNull());
    }
}

TEST_F(MainWindow, JobAndFilterNamesComeFromTheRecordsInOrder) {
    home.WriteUserEnv(R"({"searchfilter": [{"name": "B"}, {"nameless": 1}, {"name": "A"}],
                          "aftersearchjob": [{"name": "Copy away", "list": []}]})");
    CTessaryDlgDlg dialog;
    EXPECT_EQ(ComboTexts(dialog.GetFilterCombo()), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(ComboTexts(dialog.GetJobCombo()), (std::vector<std::string>{"Copy away"}));
}

TEST_F(MainWindow, SavedPositionPlacesAndSizesTheWindow) {
    home.WriteUserEnv(LastPos(100, 50, 600, 350));
    CTessaryDlgDlg dialog;
    dialog.show();
    EXPECT_EQ(dialog.pos(), QPoint(100, 50));
    EXPECT_EQ(dialog.size(), QSize(500, 300));

    // Exit stores the same rectangle, so the window keeps its place run after run.
    dialog.OnExit();
    const Json::Value saved = home.ReadUserEnv()["applastpos"];
    EXPECT_EQ(saved["left"].asInt(), 100);
    EXPECT_EQ(saved["top"].asInt(), 50);
    EXPECT_EQ(saved["right"].asInt(), 600);
    EXPECT_EQ(saved["bottom"].asInt(), 350);
}

TEST_F(MainWindow, ZeroOrOffScreenPositionLeavesTheDefaultPlace) {
    QPoint defaultPos;
    QSize defaultSize;
    {
        CTessaryDlgDlg dialog;
        dialog.show();
        defaultPos = dialog.pos();
        defaultSize = dialog.size();
    }
    for (const std::string& saved : {LastPos(0, 0, 0, 0), LastPos(5000, 5000, 5500, 5300), LastPos(-900, 10, -400, 300)}) {
        home.WriteUserEnv(saved);
        CTessaryDlgDlg dialog;
        dialog.show();
        EXPECT_EQ(dialog.pos(), defaultPos) << saved;
        EXPECT_EQ(dialog.size(), defaultSize) << saved;
    }
}

TEST_F(MainWindow, FailedSaveAsksBeforeExiting) {
    home.WriteFile("user", "a file where the user folder belongs");
    CTessaryDlgDlg dialog;
    dialog.show();
    answers = {CQelMessageBox::Answer::No};
    dialog.GetExitButton()->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, CQelMessageBox::Kind::Question);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(home / "user/env.json")));
    EXPECT_TRUE(boxes[0].text.contains("could not be written"));
    EXPECT_TRUE(dialog.isVisible());

    answers = {CQelMessageBox::Answer::Yes};
    dialog.GetExitButton()->click();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MainWindow, EnterDoesNothingAndEscapeSavesAndExits) {
    WriteTwoFilters();
    const std::string tree = MakeTree();
    CTessaryDlgDlg dialog;
    dialog.show();
    dialog.GetPathEdit()->setText(QString::fromStdString(tree));
    dialog.GetPathEdit()->setFocus();
    QTest::keyClick(dialog.GetPathEdit(), Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.GetResultSubWnd(), nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(home.UserEnvExists());

    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(home.UserEnvExists());
    EXPECT_TRUE(home.ReadUserEnv()["applastpos"].isObject());
}

TEST_F(MainWindow, CloseButtonActsAsExit) {
    CTessaryDlgDlg dialog;
    dialog.show();
    EXPECT_TRUE(dialog.close());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(home.UserEnvExists());
}
