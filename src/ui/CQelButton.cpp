#include "CQelButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "CQelMemDC.h"
#include "IQelButtonDelegate.h"
#include "QelCaptionPainter.h"
#include "QelCtlPaint.h"
#include "QelQtConvert.h"

CQelButton::CQelButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    InitProperties();
}

CQelButton::~CQelButton() = default;

void CQelButton::Create(QWidget* parent, const QRect& rect, unsigned id) {
    m_ctrlId = id;
    PlaceCtl(*this, parent, rect, *this);
}

void CQelButton::InitProperties() {
    CQelCtlBase::InitProperties();
    RegisterProp<unsigned long>(u"bgcolor", u"#F5F5F5");
    RegisterProp<unsigned long>(u"fgcolor", u"#1E1E1E");
    RegisterProp<_tag_borderInfo>(u"border", u"true,0,0,1,#CCCEDB");
    RegisterProp<int>(u"halign", u"1");
    RegisterProp<bool>(u"singleline", u"true");
    RegisterProp<unsigned long>(u"clrfocus", u"#C9DEF5");
    RegisterProp<unsigned long>(u"clrpress", u"#F5F5F5");
    RegisterProp<unsigned long>(u"clrselect", u"#F5F5F5");
    RegisterProp<unsigned long>(u"clrfocusborder", u"#C9DEF5");
    RegisterProp<unsigned long>(u"clrpressborder", u"#007ACC");
    RegisterProp<unsigned long>(u"clrselectborder", u"#F5F5F5");
    RegisterProp<unsigned long>(u"clrdisableback", u"#F5F5F5");
    RegisterProp<unsigned long>(u"clrdisabletext", u"#A2A4A5");
    RegisterProp<QelString>(u"imgback", u"");
    RegisterProp<QelString>(u"icon", u"");
    RegisterProp<bool>(u"verttext", u"false");
}

void CQelButton::SetPropString(const QelString& name, const QelString& text) {
    CQelCtlBase::SetPropString(name, text);
    if (name == QelString(u"caption") || name == QelString(u"metacaption")) repaint();
}

void CQelButton::SetPropBool(const QelString& name, bool value) {
    CQelCtlBase::SetPropBool(name, value);
    if (name == QelString(u"visible"))
        setVisible(value);
    else if (name == QelString(u"enable"))
        setEnabled(value);
}

void CQelButton::paintEvent(QPaintEvent*) {
    QPainter screen(this);
    CQelMemDC memDC(&screen, rect());
    QPainter& painter = memDC.Painter();

    static const char16_t* const kFill[] = {u"bgcolor", u"clrfocus", u"clrpress", u"clrdisableback"};
    const _tag_borderInfo border = GetPropBorder(u"border");
    const QelColorRef fill = GetPropColor(kFill[m_state]);
    QRect area = rect();
    if (!border.draw) {
        painter.fillRect(area, ToQColor(fill));
    } else {
        QelColorRef frame = border.color;
        if (m_state == StateHover) frame = GetPropColor(u"clrfocusborder");
        if (m_state == StatePressed) frame = GetPropColor(u"clrpressborder");
        if (m_state == StateDisabled) frame = QelSysColor(QelColorInactiveBorder);
        const int corner = static_cast<int>(border.corner);
        FillRoundFrame(painter, area.left(), area.top(), area.right() + 1, area.bottom() + 1, corner, corner,
                       border.width, frame, fill);
        area.adjust(border.width, border.width, -border.width, -border.width);
    }
    area = ApplyPadding(area, *this);

    if (!GetPropBool(u"singleline"))
        QelCaptionPainter::DrawMultiLine(painter, area, *this);
    else if (!GetPropBool(u"verttext"))
        QelCaptionPainter::DrawSingleLine(painter, area, *this);
    else
        QelCaptionPainter::DrawVertical(painter, area, *this);
}

void CQelButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_state != StateDisabled) {
        m_state = StatePressed;
        if (m_delegate) m_delegate->OnButtonDown(m_ctrlId);
        update();
    }
    QWidget::mousePressEvent(event);
}

void CQelButton::mouseReleaseEvent(QMouseEvent* event) {
    // Qt keeps sending the mouse to the widget it was pressed on; a release
    // outside the button is a release elsewhere, which clicks nothing.
    if (!rect().contains(event->position().toPoint())) {
        LeaveButton();
    } else if (event->button() == Qt::LeftButton && m_state == StatePressed) {
        m_state = StateNormal;
        if (m_delegate) {
            m_delegate->OnButtonUp(m_ctrlId);
            m_delegate->OnButtonClick(m_ctrlId);
        }
        update();
    }
    QWidget::mouseReleaseEvent(event);
}

void CQelButton::mouseMoveEvent(QMouseEvent* event) {
    // While a button is held Qt reports moves outside too: that is leaving.
    if (!rect().contains(event->position().toPoint())) {
        LeaveButton();
    } else if (m_state == StateNormal || m_state == StateHover) {
        m_state = StateHover;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void CQelButton::leaveEvent(QEvent* event) {
    LeaveButton();
    QWidget::leaveEvent(event);
}

void CQelButton::LeaveButton() {
    if (m_state == StateDisabled || m_state == StateNormal) return;
    m_state = StateNormal;
    update();
}

void CQelButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) m_state = isEnabled() ? StateNormal : StateDisabled;
    QWidget::changeEvent(event);
}
