#include "CCaption.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "QelQtConvert.h"

CCaption::CCaption(QWidget* parent)
    : QWidget(parent), m_caption(u""), m_tipText(u""), m_font(QStringLiteral("MS Shell Dlg"), 9, QFont::Bold) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CCaption::Create(unsigned style, const QRect& rect, QWidget* parent, unsigned id) {
    m_ctrlId = id;
    if (parent != parentWidget()) setParent(parent);
    setGeometry(rect);
    m_hasToolTip = (style & kStyleToolTip) != 0;
    if (style & kStyleVisible) show();
}

void CCaption::SetCaption(const QelString& caption) {
    m_caption = caption;
    update();
}

bool CCaption::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip:
        // The tip shows the text of the moment; without the tooltip style there is none.
        if (m_hasToolTip && !m_tipText.IsEmpty()) {
            const QString html = QStringLiteral("<p style='white-space:pre'>%1</p>")
                                     .arg(ToQString(m_tipText).toHtmlEscaped());
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), html, this, rect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::Leave:
        if (m_hasToolTip) QToolTip::hideText();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void CCaption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, QColor(0x3C, 0x3F, 0x41));
    // 3-D frame: light top and left edges, dark bottom and right edges.
    const QColor light(0x55, 0x55, 0x55);
    const QColor dark(0x30, 0x33, 0x34);
    painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), light);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), light);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), dark);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), dark);

    painter.setFont(m_font);
    painter.setPen(QColor(0x71, 0xA7, 0xC7));
    painter.drawText(r.adjusted(10, 0, -10, 0), Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignVCenter,
                     ToQString(m_caption));
}
