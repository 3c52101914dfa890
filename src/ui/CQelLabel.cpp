#include "CQelLabel.h"

#include <QMouseEvent>
#include <QPainter>

#include "QelCaptionPainter.h"
#include "QelCtlPaint.h"
#include "QelMetaPainter.h"

CQelLabel::CQelLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    InitProperties();
}

CQelLabel::~CQelLabel() = default;

void CQelLabel::Create(QWidget* parent, const QRect& rect, unsigned id) {
    m_ctrlId = id;
    PlaceCtl(*this, parent, rect, *this);
}

void CQelLabel::InitProperties() {
    CQelCtlBase::InitProperties();
    RegisterProp<bool>(u"singleline", u"true");
    RegisterProp<QelString>(u"metacaption", u"");
    RegisterProp<bool>(u"elispisis", u"false");
}

void CQelLabel::SetPropString(const QelString& name, const QelString& text) {
    CQelCtlBase::SetPropString(name, text);
    if (name == QelString(u"caption") || name == QelString(u"metacaption")) repaint();
}

void CQelLabel::SetPropBool(const QelString& name, bool value) {
    CQelCtlBase::SetPropBool(name, value);
    if (name == QelString(u"visible")) {
        setVisible(value);
    } else if (name == QelString(u"enable")) {
        setEnabled(value);
        repaint();
    }
}

void CQelLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = ApplyPadding(PaintCtlBackground(painter, rect(), *this), *this);
    if (!GetPropString(u"metacaption").IsEmpty()) {
        if (!QelMetaPainter::Layout(*this, area, m_metaLines)) return;
        if (GetPropBool(u"singleline"))
            QelMetaPainter::DrawSingleLine(painter, area, *this, m_metaLines);
        else
            QelMetaPainter::DrawMultiLine(painter, area, *this, m_metaLines);
        return;
    }
    if (GetPropBool(u"singleline"))
        QelCaptionPainter::DrawSingleLine(painter, area, *this);
    else
        QelCaptionPainter::DrawMultiLine(painter, area, *this);
}

void CQelLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked(m_ctrlId);
    QWidget::mouseReleaseEvent(event);
}
