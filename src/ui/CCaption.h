#pragma once
// The dark title strip at the top of the sub-windows: one line of bold text
// and, when created with the tooltip style, a tooltip.

#include <QFont>
#include <QWidget>

#include "QelString.h"

class CCaption : public QWidget {
    Q_OBJECT
public:
    static constexpr unsigned kStyleToolTip = 0x4000;     // creates the tooltip
    static constexpr unsigned kStyleVisible = 0x10000000;  // shown once created

    explicit CCaption(QWidget* parent = nullptr);

    // Places the strip in parent at rect; style bits as above.
    void Create(unsigned style, const QRect& rect, QWidget* parent, unsigned id);
    unsigned GetCtrlId() const { return m_ctrlId; }

    void SetCaption(const QelString& caption);
    const QelString& GetCaption() const { return m_caption; }
    void SetTipText(const QelString& tip) { m_tipText = tip; }
    const QelString& GetTipText() const { return m_tipText; }
    bool HasToolTip() const { return m_hasToolTip; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QelString m_caption;
    QelString m_tipText;
    bool m_hasToolTip = false;
    unsigned m_ctrlId = 0;
    QFont m_font;
};
