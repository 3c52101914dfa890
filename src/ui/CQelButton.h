#pragma once
// Owner-drawn push button with four states (normal, hover, pressed, disabled),
// a colour pair per state, optional vertical text and a delegate that hears
// presses, releases and clicks. It takes no focus and does not hold the mouse:
// leaving it while pressed cancels the click.

#include <QWidget>

#include "CQelCtlBase.h"

class IQelButtonDelegate;

class CQelButton : public QWidget, public CQelCtlBase {
    Q_OBJECT
public:
    enum State : unsigned short { StateNormal = 0, StateHover = 1, StatePressed = 2, StateDisabled = 3 };

    explicit CQelButton(QWidget* parent = nullptr);
    ~CQelButton() override;

    // Places the button in parent at rect and remembers the control identifier.
    void Create(QWidget* parent, const QRect& rect, unsigned id);
    unsigned GetCtrlId() const { return m_ctrlId; }

    // Not owned; null means no notifications.
    void SetDelegate(IQelButtonDelegate* delegate) { m_delegate = delegate; }
    IQelButtonDelegate* GetDelegate() const { return m_delegate; }

    State GetState() const { return m_state; }

    // Adds the button's colours and flags after the base properties and gives
    // "bgcolor", "fgcolor", "border" and "halign" the button's defaults.
    void InitProperties() override;
    // "caption" and "metacaption" repaint at once.
    void SetPropString(const QelString& name, const QelString& text) override;
    // "visible" shows or hides; "enable" enables or disables (state disabled or normal).
    void SetPropBool(const QelString& name, bool value) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void LeaveButton();

    State m_state = StateNormal;
    unsigned m_ctrlId = 0;
    IQelButtonDelegate* m_delegate = nullptr;
};
