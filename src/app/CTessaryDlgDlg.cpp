#include "CTessaryDlgDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "CQelAFJSubWnd.h"
#include "CQelDirMng.h"
#include "CQelImgMngr.h"
#include "CQelLabel.h"
#include "CQelLogMng.h"
#include "CQelMessageBox.h"
#include "CQelResultSubWnd.h"
#include "CQelWinUtilFunc.h"
#include "QelCtlTypes.h"
#include "QelDockPlacement.h"
#include "QelFileOps.h"
#include "QelHandOffRecord.h"
#include "QelLocalTime.h"
#include "QelPath.h"
#include "QelPathHistory.h"
#include "QelQtConvert.h"
#include "QelStatusColors.h"
#include "QelWebPages.h"

namespace {

constexpr char16_t kTemplateTitle[] = u"QelTessary.Windows.Client";
constexpr int kDefaultWidth = 600;

using qel::kStatusBackground;
using qel::kStatusCountText;
using qel::kStatusRunText;

// Small picture buttons beside the lists (style 2); kImageOnlyStyle for the picture-only ones.
constexpr int kEditButtonStyle = 2;

QPushButton* MakeImageButton(QWidget* parent, const char16_t* image, int style, const QString& name,
                             const QString& tip) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setToolTip(tip);
    CQelImgMngr::GetInstance()->SetButtonImage(button, image, style);
    return button;
}

// A named list in the main window: its combo box and the New, Modify and
// Delete buttons beside it, in grid row row from column 1 on.
struct ListRow {
    QComboBox* combo;
    QPushButton* newButton;
    QPushButton* modifyButton;
    QPushButton* deleteButton;
};

ListRow AddListRow(QWidget* parent, QGridLayout* grid, int row, const QString& noun) {
    ListRow widgets{};
    widgets.combo = new QComboBox(parent);
    widgets.combo->setObjectName(noun + QStringLiteral("Combo"));
    widgets.newButton = MakeImageButton(parent, u"PenAdd.png", kEditButtonStyle, noun + QStringLiteral("NewButton"),
                                        QStringLiteral("New ") + noun);
    widgets.modifyButton = MakeImageButton(parent, u"PenEdit.png", kEditButtonStyle,
                                           noun + QStringLiteral("ModifyButton"), QStringLiteral("Modify ") + noun);
    widgets.deleteButton = MakeImageButton(parent, u"PenDel.png", kEditButtonStyle,
                                           noun + QStringLiteral("DeleteButton"), QStringLiteral("Delete ") + noun);
    grid->addWidget(widgets.combo, row, 1);
    grid->addWidget(widgets.newButton, row, 2);
    grid->addWidget(widgets.modifyButton, row, 3);
    grid->addWidget(widgets.deleteButton, row, 4);
    return widgets;
}

QLabel* MakeLink(QWidget* parent, const QString& text, const QString& name) {
    auto* link = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), parent);
    link->setObjectName(name);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return link;
}

}  // namespace

CTessaryDlgDlg::CTessaryDlgDlg(QWidget* parent) : QDialog(parent) {
    BuildControls();
    resize(kDefaultWidth, sizeHint().height());  // room for the summary on the status label
    setWindowIcon(QIcon(QStringLiteral(":/qeltessary.svg")));
    setWindowTitle(ToQString(
        QelString::Formatted(u"%s (%s)", kTemplateTitle, CQelWinUtilFunc::GetInstance()->GetAppVersion())));
    LoadEnvironment();
    RestoreWindowPosition();

    m_includeSub->setChecked(true);
    SetUpStatusLabel();
    m_filterList.Fill();
    m_jobList.Fill();
    RestoreChoices();
    OnAfterSearchToggled(m_afterSearch->isChecked());
    m_filterList.SetOnChanged([this] { SaveAfterChange(); });
    m_jobList.SetOnChanged([this] { SaveAfterChange(); });
    qel::BuildHistoryDisplayLines(*m_env.history, m_historyLines);
    SetUpUpdateCheck();
}

CTessaryDlgDlg::~CTessaryDlgDlg() {
    // A popup still open must not report to a window that is going away.
    if (m_historyPopup) {
        m_historyPopup->SetDelegate(nullptr);
        delete m_historyPopup;
    }
    CQelFileMng* files = CQelFileMng::GetInstance();
    if (files->GetEventDelegate() == this) files->SetEventDelegate(nullptr);
}

void CTessaryDlgDlg::BuildControls() {
    auto* grid = new QGridLayout(this);

    grid->addWidget(new QLabel(QStringLiteral("Work Path"), this), 0, 0);
    m_pathEdit = new QLineEdit(this);
    m_pathEdit->setObjectName(QStringLiteral("pathEdit"));
    m_browseButton = new QToolButton(this);
    m_browseButton->setObjectName(QStringLiteral("browseButton"));
    m_browseButton->setText(QStringLiteral("..."));
    m_browseButton->setToolTip(QStringLiteral("Choose a folder"));
    connect(m_browseButton, &QToolButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Work Path"), m_pathEdit->text());
        if (!folder.isEmpty()) m_pathEdit->setText(folder);
    });
    auto* pathRow = new QHBoxLayout();
    pathRow->setSpacing(0);
    pathRow->addWidget(m_pathEdit, 1);
    pathRow->addWidget(m_browseButton);
    grid->addLayout(pathRow, 0, 1);
    m_historyButton = MakeImageButton(this, u"ArrowDown.png", kEditButtonStyle, QStringLiteral("historyButton"),
                                      QStringLiteral("Search path history"));
    m_historyDeleteButton = MakeImageButton(this, u"RDelete.png", kEditButtonStyle,
                                            QStringLiteral("historyDeleteButton"),
                                            QStringLiteral("Delete the chosen history entry"));
    connect(m_historyButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnHistoryPopup);
    connect(m_historyDeleteButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnHistoryDelete);
    grid->addWidget(m_historyButton, 0, 2);
    grid->addWidget(m_historyDeleteButton, 0, 3);

    m_includeSub = new QCheckBox(QStringLiteral("Include SubPath"), this);
    m_includeSub->setObjectName(QStringLiteral("includeSubCheck"));
    grid->addWidget(m_includeSub, 1, 1);

    grid->addWidget(new QLabel(QStringLiteral("Search Filter"), this), 2, 0);
    const ListRow filterRow = AddListRow(this, grid, 2, QStringLiteral("filter"));
    m_filterCombo = filterRow.combo;
    m_filterNewButton = filterRow.newButton;
    m_filterModifyButton = filterRow.modifyButton;
    m_filterDeleteButton = filterRow.deleteButton;
    m_filterList.SetComboBox(m_filterCombo);
    connect(m_filterNewButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnFilterNew);
    connect(m_filterModifyButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnFilterModify);
    connect(m_filterDeleteButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnFilterDelete);

    m_afterSearch = new QCheckBox(QStringLiteral("After Search"), this);
    m_afterSearch->setObjectName(QStringLiteral("afterSearchCheck"));
    connect(m_afterSearch, &QCheckBox::toggled, this, &CTessaryDlgDlg::OnAfterSearchToggled);
    grid->addWidget(m_afterSearch, 3, 0);
    const ListRow jobRow = AddListRow(this, grid, 3, QStringLiteral("job"));
    m_jobCombo = jobRow.combo;
    m_jobNewButton = jobRow.newButton;
    m_jobModifyButton = jobRow.modifyButton;
    m_jobDeleteButton = jobRow.deleteButton;
    m_jobList.SetComboBox(m_jobCombo);
    connect(m_jobNewButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnJobNew);
    connect(m_jobModifyButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnJobModify);
    connect(m_jobDeleteButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnJobDelete);

    auto* linkRow = new QHBoxLayout();
    m_manualLink = MakeLink(this, QStringLiteral("Go Manual"), QStringLiteral("manualLink"));
    m_blogLink = MakeLink(this, QStringLiteral("Visit Developer Blog"), QStringLiteral("blogLink"));
    m_versionLink = MakeLink(this, QStringLiteral("Check App Last Version"), QStringLiteral("versionLink"));
    connect(m_manualLink, &QLabel::linkActivated, this, [this] {
        QelString why;
        const QelString address = qel::ManualPageAddress(why);
        if (address.IsEmpty()) {
            CQelLogMng::GetInstance()->Write(u"Manual \"%s\" not opened: %s", qel::ManualPagePath(), why);
            CQelMessageBox::Show(this, QStringLiteral("The manual \"%1\" could not be opened (%2)!!")
                                           .arg(ToQString(qel::ManualPagePath()), ToQString(why)));
            return;
        }
        OpenWebPage(address);
    });
    connect(m_blogLink, &QLabel::linkActivated, this, [this] { OpenWebPage(qel::kDeveloperBlogAddress); });
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("updateProgress"));
    m_progress->hide();
    m_donateButton = MakeImageButton(this, u"DonateCoffee_Halvard.png", kImageOnlyStyle,
                                     QStringLiteral("donateButton"), QStringLiteral("Buy the developer a coffee"));
    connect(m_donateButton, &QPushButton::clicked, this, [this] { OpenWebPage(qel::kDonationAddress); });
    linkRow->addWidget(m_manualLink);
    linkRow->addWidget(m_blogLink);
    linkRow->addWidget(m_versionLink);
    linkRow->addWidget(m_progress, 1);
    linkRow->addStretch();
    linkRow->addWidget(m_donateButton);
    grid->addLayout(linkRow, 4, 0, 1, 5);

    auto* searchRow = new QHBoxLayout();
    m_searchButton = MakeImageButton(this, kSearchImage, kImageOnlyStyle, QStringLiteral("searchButton"),
                                     QStringLiteral("Search"));
    m_searchButton->setAccessibleName(QStringLiteral("Search"));
    connect(m_searchButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnSearch);
    connect(m_pathEdit, &QLineEdit::returnPressed, this, &CTessaryDlgDlg::OnSearch);
    m_status = new CQelLabel(this);
    m_status->Create(this, QRect(0, 0, 200, 26), 1048);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setMinimumHeight(26);
    m_exitButton = new QPushButton(QStringLiteral("Exit"), this);
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    m_exitButton->setAutoDefault(false);
    connect(m_exitButton, &QPushButton::clicked, this, &CTessaryDlgDlg::OnExit);
    // The template's default button stays hidden: Enter neither searches nor closes.
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setAutoDefault(false);
    m_okButton->hide();
    searchRow->addWidget(m_searchButton);
    searchRow->addWidget(m_status, 1);
    searchRow->addWidget(m_exitButton);
    grid->addLayout(searchRow, 5, 0, 1, 5);
    grid->setColumnStretch(1, 1);
}

void CTessaryDlgDlg::SetUpStatusLabel() {
    _tag_borderInfo border;
    border.draw = true;
    border.reserved = 0;
    border.corner = 0.0f;
    border.width = 1;
    border.color = QelRGB(0x2f, 0x4f, 0x4f);
    m_status->SetPropBorder(u"border", border);
    m_status->SetPropColor(u"bgcolor", kStatusBackground);
    m_status->SetPropColor(u"fgcolor", QelRGB(0x4b, 0x9c, 0xd6));
    m_status->SetPropString(u"font", u"맑은 고딕,-12,700,0,0,0,129");
    m_status->SetPropBool(u"elispisis", true);
    m_status->SetPropString(u"caption", u"Welcome Corvane Tessary");
}

void CTessaryDlgDlg::OnAfterSearchToggled(bool checked) {
    for (QWidget* widget : {static_cast<QWidget*>(m_jobCombo), static_cast<QWidget*>(m_jobNewButton),
                            static_cast<QWidget*>(m_jobModifyButton), static_cast<QWidget*>(m_jobDeleteButton)}) {
        widget->setEnabled(checked);
    }
}

void CTessaryDlgDlg::OpenWebPage(const QelString& address) {
    CQelWinUtilFunc* util = CQelWinUtilFunc::GetInstance();
    char16_t program[4096] = {};
    std::uint32_t length = sizeof(program) / sizeof(program[0]);
    if (util->_AssocQueryString(u".html", program, &length) != CQelWinUtilFunc::kStatusOk || program[0] == 0) {
        CQelMessageBox::Show(this, QStringLiteral("No registered programs found."));
        return;
    }
    if (!util->RunProcess(QelString::Formatted(u"%s \"%s\"", program, address))) {
        CQelMessageBox::Show(this, QStringLiteral("\".html\" Failed to run the registered program."),
                             CQelMessageBox::Kind::Error);
    }
}

void CTessaryDlgDlg::SetStatus(const QelString& text, std::uint32_t fgcolor) {
    m_status->SetPropColor(u"fgcolor", fgcolor);
    m_status->SetPropColor(u"bgcolor", kStatusBackground);
    m_status->SetPropString(u"caption", text);
}

void CTessaryDlgDlg::OnExit() {
    if (IsWorking() || !isEnabled()) return;
    if (!SaveSettings() && !m_sessionEnding) {
        const QelString file = CQelDirMng::GetInstance()->GetSubPath(u"user", qel::kEnvFileName, false);
        const QString question =
            QStringLiteral("The settings file \"%1\" could not be written!!\n"
                           "If you exit now, the filters, jobs and search path history of this run are lost.\n"
                           "Would you like to exit anyway?")
                .arg(ToQString(file));
        if (!CQelMessageBox::Ask(this, question)) return;
    }
    QDialog::done(QDialog::Accepted);
}

void CTessaryDlgDlg::BringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

// Escape and the close button stop the work under way instead of leaving.
void CTessaryDlgDlg::reject() {
    if (m_stopWork) {
        m_stopWork();
        return;
    }
    OnExit();
}

void CTessaryDlgDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();  // Enter searches from the path box (returnPressed) and nowhere else
        return;
    }
    // Escape pressed twice to stop a search must not also leave the program
    // and lose its rows: an Escape just after a stop is taken as part of it.
    if (event->key() == Qt::Key_Escape && !m_searching && m_lastSearchStop &&
        std::chrono::steady_clock::now() - *m_lastSearchStop < kEscapeAfterStopGrace) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CTessaryDlgDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    ApplySavedFrame();
    DockSubWindows();
}

void CTessaryDlgDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ApplySavedFrame();
    DockSubWindows();
}

void CTessaryDlgDlg::DockSubWindows() {
    if (m_resultWnd && m_resultWnd->isVisible()) DockSubWindow(m_resultWnd.get(), kResultSubWndHeight);
    if (m_jobWnd && m_jobWnd->isVisible()) DockSubWindow(m_jobWnd.get(), kJobSubWndHeight);
}

// The docked rectangle is the sub-window's outer one: its own frame is taken
// off the inside, or a title bar would push its bottom edge off the screen.
// The frame is known only once the window manager has put it on, so a
// sub-window whose frame changed since it was docked is docked again.
void CTessaryDlgDlg::DockSubWindow(QWidget* window, int height) {
    window->removeEventFilter(this);
    window->installEventFilter(this);
    const QRect docked = qel::DockedRect(this, height);
    const QSize frameExtra = window->frameGeometry().size() - window->size();
    window->setProperty(kDockedFrameProperty, frameExtra);
    window->move(docked.topLeft());
    window->resize((docked.size() - frameExtra).expandedTo(QSize(1, 1)));
}

bool CTessaryDlgDlg::eventFilter(QObject* watched, QEvent* event) {
    const bool placed = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    auto* window = qobject_cast<QWidget*>(watched);
    if (placed && window && window->isVisible() &&
        window->property(kDockedFrameProperty).toSize() != window->frameGeometry().size() - window->size()) {
        if (window == m_resultWnd.get()) DockSubWindow(window, kResultSubWndHeight);
        if (window == m_jobWnd.get()) DockSubWindow(window, kJobSubWndHeight);
    }
    return QDialog::eventFilter(watched, event);
}
