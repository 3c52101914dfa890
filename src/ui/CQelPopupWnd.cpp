#include "CQelPopupWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTableView>
#include <algorithm>
#include <climits>

#include "CQelButton.h"
#include "CQelLogMng.h"
#include "CQelPopupEditDelegate.h"
#include "CQelPopupListModel.h"
#include "IQelPopupWndDelegate.h"
#include "QelCtlPaint.h"
#include "QelQtConvert.h"

namespace {

// The screen containing the point, else the one nearest to it.
QRect NearestScreenRect(const QPoint& point) {
    if (QScreen* screen = QGuiApplication::screenAt(point)) return screen->geometry();
    QRect best;
    long long bestDistance = LLONG_MAX;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const long long dx = point.x() < g.left() ? g.left() - point.x() : std::max(0, point.x() - g.right());
        const long long dy = point.y() < g.top() ? g.top() - point.y() : std::max(0, point.y() - g.bottom());
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = g;
        }
    }
    return best;
}

bool IsInside(const QObject* object, const QWidget* window) {
    for (; object; object = object->parent())
        if (object == window) return true;
    return false;
}

}  // namespace

// A Qt popup window: placed where asked also on Wayland, keyboard and mouse
// go to it while it is open, and a click outside closes it, which is how it
// loses the user's attention.
CQelPopupWnd::CQelPopupWnd() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CQelPopupWnd::~CQelPopupWnd() { qApp->removeEventFilter(this); }

int CQelPopupWnd::CreatePopup(QWidget* parent, const QelString& description, int x, int y) {
    return CreatePopup(parent, description.ToStdString(), x, y);
}

int CQelPopupWnd::CreatePopup(QWidget* parent, const std::string& descriptionUtf8, int x, int y) {
    CQelLogMng* log = CQelLogMng::GetInstance();
    log->Write(u"CreatePopup Start");
    if (m_list || m_closed) return 0;  // one popup per object
    setParent(parent, windowFlags());
    hide();
    QelString error;
    if (!QelPopupDescParser::Parse(descriptionUtf8, m_desc, &error)) {
        log->Write(u"CreatePopup Json OPT Read Failed");
        return 0;
    }
    log->Write(u"CreatePopup Json OPT Read Success");

    // Keep the popup inside the nearest screen on the right and at the bottom.
    const QRect screen = NearestScreenRect(QPoint(x, y));
    if (!screen.isNull()) {
        if (x + m_desc.width > screen.x() + screen.width()) x = screen.x() + screen.width() - m_desc.width;
        if (y + m_desc.height > screen.y() + screen.height()) y = screen.y() + screen.height() - m_desc.height;
    }
    setGeometry(x, y, m_desc.width, m_desc.height);

    BuildContent();
    qApp->installEventFilter(this);
    m_list->setFocus();
    show();
    log->Write(u"CreatePopup End");
    return 1;
}

QRect CQelPopupWnd::ListRect() const {
    return QRect(1, 1, std::max(0, width() - 2), std::max(0, height() - m_toolbarHeight - 2));
}

void CQelPopupWnd::BuildContent() {
    m_toolbarHeight = m_desc.hasToolbar ? kToolbarHeight : 0;

    m_model = new CQelPopupListModel(m_desc, this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("qelPopupList"));
    m_list->setProperty("ctrlId", kListId);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new CQelPopupEditDelegate(m_list));
    m_list->setGeometry(ListRect());
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setVisible(m_desc.showHeader);
    m_list->horizontalHeader()->setHighlightSections(false);

    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, ToQColor(m_desc.bgColor));
    palette.setColor(QPalette::Window, ToQColor(m_desc.bgColor));
    palette.setColor(QPalette::Text, ToQColor(m_desc.txtColor));
    m_list->setPalette(palette);
    // The header takes the popup's colours too, so a dark popup has no light strip on top.
    QPalette headerPalette = m_list->horizontalHeader()->palette();
    headerPalette.setColor(QPalette::Button, ToQColor(m_desc.bgColor));
    headerPalette.setColor(QPalette::Window, ToQColor(m_desc.bgColor));
    headerPalette.setColor(QPalette::ButtonText, ToQColor(m_desc.txtColor));
    m_list->horizontalHeader()->setPalette(headerPalette);

    QelLogFont listFont;
    listFont.lfFaceName = FromQString(m_listFontFace);
    listFont.lfHeight = m_listFontHeight;
    listFont.lfCharSet = 129;
    m_list->setFont(ToQFont(listFont));
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);

    if (m_desc.colItems.GetCount() > 0) {
        m_list->horizontalHeader()->setStretchLastSection(false);
        for (int i = 0; i < m_desc.colItems.GetCount(); ++i) m_list->setColumnWidth(i, m_desc.colItemWidths[i]);
    } else {
        m_list->horizontalHeader()->setStretchLastSection(true);
    }

    connect(m_list, &QAbstractItemView::doubleClicked, this, [this]() { ChooseSelectedRow(); });
    m_list->show();
    if (m_toolbarHeight) CreateToolbar();
}

void CQelPopupWnd::CreateToolbar() {
    const QRect list = ListRect();
    int x = list.left() + 2;
    for (int i = 0; i < m_desc.toolItems.GetCount(); ++i, x += 22) {
        const _tag_ToolItemInfo& item = m_desc.toolItems[i];
        auto* button = new CQelButton(this);
        button->Create(this, QRect(x, list.bottom() + 1, 20, 20), kFirstToolId + static_cast<unsigned>(i));
        button->SetDelegate(this);
        button->SetPropString(u"border", u"false,0,0,1,#CCCEDB");
        const QelString glyph = QelPopupDescParser::GlyphForToolItem(item.name);
        if (!glyph.IsEmpty()) button->SetPropString(u"caption", glyph);
        for (const auto& [name, color] : item.colors) button->SetPropColor(name, color);
        m_buttons.Add(button);
    }
}

QelColorRef CQelPopupWnd::RowColor(int row) const {
    return m_model ? m_model->RowColor(row) : m_desc.bgColor;
}

int CQelPopupWnd::SelectedRow() const {
    if (!m_list || !m_list->selectionModel()) return -1;
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CQelPopupWnd::SelectRow(int row) {
    const QModelIndex index = m_model->index(row, 0);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// A pick list reports a row only when the user chose it (double-click or
// Enter); Escape and a click outside choose nothing.
void CQelPopupWnd::ChooseSelectedRow() {
    if (m_desc.dispType != QelPopupDispCmbList || SelectedRow() < 0) return;
    m_rowChosen = true;
    PostClose();
}

std::string CQelPopupWnd::BuildResult() const {
    if (m_desc.dispType == QelPopupDispCmbList)
        return QelPopupDescParser::BuildPickListResult(m_rowChosen ? SelectedRow() : -1);
    QelStringArray rows;
    if (m_model)
        for (const QString& row : m_model->Rows()) rows.Add(FromQString(row));
    return QelPopupDescParser::BuildOptionListResult(rows);
}

void CQelPopupWnd::OnButtonDown(unsigned) {}
void CQelPopupWnd::OnButtonUp(unsigned) {}

void CQelPopupWnd::OnButtonClick(unsigned id) {
    const int index = static_cast<int>(id) - static_cast<int>(kFirstToolId);
    if (index < 0 || index >= m_desc.toolItems.GetCount()) return;
    QelStringArray parts;
    QelString::Split(m_desc.toolItems[index].act, u"|", parts);
    if (parts.GetCount() < 2 || !(parts[0] == QelString(u"func"))) return;
    RunToolAction(parts[1]);
}

void CQelPopupWnd::RunToolAction(const QelString& action) {
    if (!m_list) return;
    if (action == QelString(u"add")) {
        m_model->AppendRow(QString());
        const int row = m_model->rowCount() - 1;
        m_list->setFocus();
        SelectRow(row);
        m_list->edit(m_model->index(row, 0));
    } else if (action == QelString(u"del")) {
        m_model->RemoveRow(SelectedRow());
    } else if (action == QelString(u"up")) {
        MoveSelection(-1);
    } else if (action == QelString(u"down")) {
        MoveSelection(1);
    }
}

void CQelPopupWnd::MoveSelection(int delta) {
    const int row = SelectedRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= m_model->rowCount()) return;
    m_model->SwapRows(row, target);
    SelectRow(target);
}

void CQelPopupWnd::PostClose() {
    if (m_closePosted || m_closed) return;
    m_closePosted = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

bool CQelPopupWnd::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && m_list && !m_closed) {
        CQelLogMng::GetInstance()->Write(u"OnNcActivate WM_CLOSE");
        PostClose();
    }
    return QWidget::event(event);
}


bool CQelPopupWnd::eventFilter(QObject* watched, QEvent* event) {
    // Escape closes the popup from anywhere inside it, the row editor included.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && m_list &&
        !m_closed && IsInside(watched, this)) {
        CQelLogMng::GetInstance()->Write(u"KeyDown WM_CLOSE");
        PostClose();
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched == m_list && m_desc.dispType == QelPopupDispCmbList && !m_closed) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ChooseSelectedRow();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CQelPopupWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    FillRoundFrame(painter, 0, 0, width(), height(), 2, 2, 1, m_desc.lineColor, m_desc.bgColor);
}

void CQelPopupWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_list) return;
    m_list->setGeometry(ListRect());
    const QRect list = ListRect();
    for (int i = 0; i < m_buttons.GetCount(); ++i) m_buttons[i]->move(list.left() + 2 + 22 * i, list.bottom() + 1);
}

void CQelPopupWnd::closeEvent(QCloseEvent* event) {
    if (!m_closed && m_list) {
        // Not closed by its own Escape or double-click: Qt closed it for a click outside.
        if (!m_closePosted) CQelLogMng::GetInstance()->Write(u"OnNcActivate WM_CLOSE");
        m_closed = true;
        qApp->removeEventFilter(this);
        if (m_desc.dispType != QelPopupDispNone) {
            const std::string result = BuildResult();
            CQelLogMng::GetInstance()->Write(u"%s", QelString::FromUtf8(result));
            if (m_delegate) m_delegate->OnPopupResult(result.c_str());
        }
        delete m_list;
        m_list = nullptr;
        delete m_model;
        m_model = nullptr;
        for (CQelButton* button : m_buttons) delete button;
        m_buttons.RemoveAll();
        if (m_deleteOnClose) deleteLater();
    }
    event->accept();
}
