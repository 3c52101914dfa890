#include "CQelResultSubWnd.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QWindow>

#include "CCaption.h"
#include "CQelImgMngr.h"
#include "CQelLogMng.h"
#include "CQelResultListModel.h"
#include "IQelResultSubWndDelegate.h"
#include "QelDialogButtons.h"
#include "QelResultRecord.h"

namespace {

constexpr int kCaptionHeight = 18;
constexpr int kOperationWidth = 100;
constexpr int kOperationCaptionHeight = 40;
constexpr int kButtonTop = 42;
constexpr int kButtonHeight = 30;
constexpr int kButtonStep = 32;
constexpr int kRowHeight = 16;

struct CommandButtonInfo {
    int id;
    const char* text;
    const char16_t* image;
};

constexpr CommandButtonInfo kCommandButtons[CQelResultSubWnd::kCommandCount] = {
    {CQelResultSubWnd::kCopy, "Copy", u"RCopy.png"},
    {CQelResultSubWnd::kMove, "Move", u"RMove.png"},
    {CQelResultSubWnd::kDelete, "Delete", u"RDelete.png"},
    {CQelResultSubWnd::kRename, "Rename", u"RRename.png"},
    {CQelResultSubWnd::kSaveExcel, "Save Excel", u"RSaveExcel.png"},
    {CQelResultSubWnd::kSaveTxt, "Save TXT", u"RSaveTxt.png"},
};

const QColor kListBackground(43, 43, 43);
const QColor kListText(81, 156, 214);

int IntMember(const Json::Value& object, const char* key) {
    const Json::Value& value = object[key];
    return value.isInt() ? value.asInt() : 0;
}

// The screen rectangle a window placed at (x, y) must fit in: the monitor
// under the point or the nearest one; with a single monitor the primary screen.
QRect MonitorRect(int x, int y) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        return primary ? QRect(QPoint(0, 0), primary->geometry().size()) : QRect();
    }
    const QPoint point(x, y);
    const QScreen* best = nullptr;
    long long bestDistance = 0;
    for (const QScreen* screen : screens) {
        const QRect geometry = screen->geometry();
        const long long dx = std::max({geometry.left() - x, 0, x - geometry.right()});
        const long long dy = std::max({geometry.top() - y, 0, y - geometry.bottom()});
        const long long distance = dx * dx + dy * dy;
        if (!best || distance < bestDistance) {
            best = screen;
            bestDistance = distance;
        }
    }
    return best->geometry();
}

}  // namespace

CQelResultSubWnd::CQelResultSubWnd() : QWidget(nullptr, Qt::Tool) {
    // A window of its own, not a child widget of the main window: disabling
    // the main window during a search or an operation must leave this one
    // enabled and painting.
    resize(10, 10);
}

CQelResultSubWnd::~CQelResultSubWnd() = default;

bool CQelResultSubWnd::CreateSubWnd(QWidget* parent, std::string jsonText, int x, int y) {
    m_owner = parent;
    QelResultRows rows;
    const bool read = qel::ReadResultRecord(jsonText, rows, m_model);
    std::string().swap(jsonText);
    if (!read) {
        m_model = Json::Value();
        CQelLogMng::GetInstance()->Write(u"CreateSubWnd Json Read Failed");
        return false;
    }
    const int width = IntMember(m_model, "width");
    const int height = IntMember(m_model, "height");

    const QRect monitor = MonitorRect(x, y);
    if (x + width > monitor.left() + monitor.width()) x = monitor.left() + monitor.width() - width;
    if (y + height > monitor.top() + monitor.height()) y = monitor.top() + monitor.height() - height;

    move(x, y);
    resize(width, height);
    BuildContents();
    m_listModel->SetRows(std::move(rows));
    if (parent) {
        // Stays above its owner, as an owned pop-up does.
        winId();
        parent->window()->winId();
        windowHandle()->setTransientParent(parent->window()->windowHandle());
    }
    show();
    return true;
}

bool CQelResultSubWnd::UpdateResult(std::string jsonText) {
    if (!qel::IsResultRecord(jsonText)) {
        CQelLogMng::GetInstance()->Write(u"Update Json Read Failed");
        return false;
    }
    m_listModel->SetRows({});  // the old rows go before the new ones are built
    QelResultRows rows;
    Json::Value others;  // the size stays as created
    qel::ReadResultRecord(jsonText, rows, others);
    std::string().swap(jsonText);
    m_listModel->SetRows(std::move(rows));
    m_model["searchpath"] = others["searchpath"];  // the new rows lie below the new search's folder
    // Closed by the user since the last search: the new results bring it back where it was.
    if (m_list && !isVisible()) show();
    return true;
}

void CQelResultSubWnd::BeginBusy() {
    if (m_busy) return;
    m_busy = true;
    setCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_owner) m_owner->setEnabled(false);
}

void CQelResultSubWnd::EndBusy() {
    if (!m_busy) return;
    if (m_owner) m_owner->setEnabled(true);
    QApplication::restoreOverrideCursor();
    unsetCursor();
    m_busy = false;
}

void CQelResultSubWnd::RunOperation(const std::function<QelString()>& work) {
    RunOperationWithDetail([&work] { return OperationNotice{work(), QelString(u"")}; });
}

void CQelResultSubWnd::RunOperationWithDetail(const std::function<OperationNotice()>& work) {
    BeginBusy();
    const OperationNotice notice = work();
    if (m_delegate) m_delegate->onNotifyEvent(u"MSG", notice.text, notice.detail);
    EndBusy();
}

void CQelResultSubWnd::UpdateResultLists(QelStringArray& files, QelStringArray& folders,
                                         const QelString& searchPath) {
    m_listModel->SetRows({});  // the old rows go before the new ones are built
    CQelLogMng* log = CQelLogMng::GetInstance();
    if (log->IsEnabled()) {
        for (const QelString& path : files) log->Write(u"FileItem = %s", path);
        for (const QelString& path : folders) log->Write(u"DirItem = %s", path);
    }
    m_listModel->SetRows(qel::TakeResultRows(files, folders));
    // Kept as the text record keeps it, so both ways find the rows below the same folder.
    std::string root;
    qel::AppendUtf16AsUtf8(root, searchPath.view());
    m_model["searchpath"] = root;
    if (m_list && !isVisible()) show();
}

QPushButton* CQelResultSubWnd::GetCommandButton(int id) const {
    for (int i = 0; i < kCommandCount; ++i) {
        if (kCommandButtons[i].id == id) return m_buttons[static_cast<std::size_t>(i)];
    }
    return nullptr;
}

void CQelResultSubWnd::keyPressEvent(QKeyEvent* event) {
    if (!qel::StopOnEscape(event, m_stopButton)) QWidget::keyPressEvent(event);
}

void CQelResultSubWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void CQelResultSubWnd::BuildContents() {
    if (m_list) return;  // built once; later creations only refill

    m_caption = new CCaption(this);
    m_caption->Create(CCaption::kStyleVisible | CCaption::kStyleToolTip, QRect(0, 0, width(), kCaptionHeight), this,
                      5001);
    m_caption->SetCaption(u"Search result window");
    m_caption->SetTipText(u"This window is used to search results.");

    m_listModel = new CQelResultListModel(this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("resultList"));
    SetUpListView();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    // Fixed row heights keep scrolling through hundreds of thousands of rows cheap.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(CQelResultListModel::kName, 160);
    m_list->setColumnWidth(CQelResultListModel::kType, 60);
    m_list->setColumnWidth(CQelResultListModel::kPath, 348);
    m_list->setColumnWidth(CQelResultListModel::kStatus, 110);
    // What happened to a row shows beside its name, not after the long full path.
    m_list->horizontalHeader()->moveSection(CQelResultListModel::kStatus, CQelResultListModel::kPath);
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPixelSize(12);
    m_list->setFont(font);
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, kListBackground);
    palette.setColor(QPalette::Window, kListBackground);
    palette.setColor(QPalette::Text, kListText);
    m_list->setPalette(palette);

    m_operationCaption = new CCaption(this);
    m_operationCaption->Create(CCaption::kStyleVisible | CCaption::kStyleToolTip,
                               QRect(width() - kOperationWidth, kCaptionHeight, kOperationWidth, kOperationCaptionHeight),
                               this, 5002);
    m_operationCaption->SetCaption(u"Operation");
    m_operationCaption->SetTipText(u"Work on the results.");

    CQelImgMngr* images = CQelImgMngr::GetInstance();
    for (int i = 0; i < kCommandCount; ++i) {
        const CommandButtonInfo& info = kCommandButtons[i];
        auto* button = new QPushButton(QString::fromLatin1(info.text), this);
        button->setObjectName(QStringLiteral("command%1").arg(info.id));
        button->setAutoDefault(false);
        const QImage* image = images->GetImage(info.image);
        if (image && !image->isNull()) {
            button->setIcon(QPixmap::fromImage(*image));
            button->setIconSize(image->size().boundedTo(QSize(24, 24)));
        }
        m_buttons[static_cast<std::size_t>(i)] = button;
    }
    m_stopButton = qel::MakeDialogButton(QStringLiteral("Stop"), QStringLiteral("stopButton"), this);
    m_stopButton->setToolTip(QStringLiteral("Stop after the current item (Esc)"));
    connect(m_stopButton, &QPushButton::clicked, this, &CQelResultSubWnd::RequestOperationStop);
    m_stopButton->hide();  // shown while a command runs
    ConnectFileCommands();
    LayOut();
    for (QWidget* child : {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_caption),
                           static_cast<QWidget*>(m_operationCaption)}) {
        child->show();
    }
    for (QPushButton* button : m_buttons) button->show();
    ConnectExportCommands();
}

void CQelResultSubWnd::LayOut() {
    if (!m_list) return;
    const int w = width();
    const int h = height();
    m_caption->setGeometry(0, 0, w, kCaptionHeight);
    m_list->setGeometry(0, kCaptionHeight, w - kOperationWidth, h - kCaptionHeight);
    m_operationCaption->setGeometry(w - kOperationWidth, kCaptionHeight, kOperationWidth, kOperationCaptionHeight);
    // The command column keeps to the right edge so the list never covers it.
    for (int i = 0; i < kCommandCount; ++i) {
        m_buttons[static_cast<std::size_t>(i)]->setGeometry(w - kOperationWidth, kButtonTop + i * kButtonStep,
                                                             kOperationWidth, kButtonHeight);
    }
    m_stopButton->setGeometry(w - kOperationWidth, kButtonTop + kCommandCount * kButtonStep + kButtonStep / 2,
                              kOperationWidth, kButtonHeight);
}
