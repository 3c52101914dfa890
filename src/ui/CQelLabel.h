#pragma once
// Owner-drawn static text: a plain caption on one or several lines, or a meta
// caption of styled words. Its look and text live in its property bag.

#include <QWidget>

#include "CQelCtlBase.h"
#include "QelMetaCaption.h"

class CQelLabel : public QWidget, public CQelCtlBase {
    Q_OBJECT
public:
    explicit CQelLabel(QWidget* parent = nullptr);
    ~CQelLabel() override;

    // Places the label in parent at rect and remembers the control identifier.
    void Create(QWidget* parent, const QRect& rect, unsigned id);
    unsigned GetCtrlId() const { return m_ctrlId; }

    // Adds "singleline", "metacaption" and "elispisis" after the base properties.
    void InitProperties() override;
    // "caption" and "metacaption" repaint at once.
    void SetPropString(const QelString& name, const QelString& text) override;
    // "visible" shows or hides the label; "enable" enables or disables it and repaints.
    void SetPropBool(const QelString& name, bool value) override;

    // The meta caption as laid out by the last paint (tests and tools read it).
    const QelArray<_tag_MetaLineInfo>& GetMetaLines() const { return m_metaLines; }

signals:
    // The left button was pressed and released over the label (for owners
    // that use a label as a clickable field).
    void Clicked(unsigned id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    unsigned m_ctrlId = 0;
    QelArray<_tag_MetaLineInfo> m_metaLines;
};
