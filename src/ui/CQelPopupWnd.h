#pragma once
// A borderless popup list built from a JSON description: an editable option
// list with a toolbar (add, delete, up, down) or a pick list that closes on
// double-click or Enter, choosing the highlighted row. It closes on Escape and
// when it loses the user's attention (a click outside or deactivation), where
// a pick list chooses nothing, and hands its result to the delegate once, as
// JSON.

#include <QWidget>
#include <string>

#include "IQelButtonDelegate.h"
#include "QelPopupDesc.h"

class CQelButton;
class CQelPopupListModel;
class IQelPopupWndDelegate;
class QTableView;

class CQelPopupWnd : public QWidget, private IQelButtonDelegate {
    Q_OBJECT
public:
    static constexpr unsigned kListId = 2011;
    static constexpr unsigned kFirstToolId = 3000;
    static constexpr int kToolbarHeight = 20;

    CQelPopupWnd();
    ~CQelPopupWnd() override;

    // Not owned; set before CreatePopup. Null means no result is delivered.
    void SetDelegate(IQelPopupWndDelegate* delegate) { m_delegate = delegate; }

    // Builds and shows the popup at (x, y) in screen coordinates, moved left
    // or up so that it ends inside the nearest screen. 1 on success; 0 when
    // the description does not parse or lacks what a popup needs (nothing
    // is shown then).
    int CreatePopup(QWidget* parent, const QelString& description, int x, int y);
    int CreatePopup(QWidget* parent, const std::string& descriptionUtf8, int x, int y);

    // Delete this object once it has closed (for owners that do not keep it).
    void SetDeleteOnClose(bool on) { m_deleteOnClose = on; }

    int GetDispType() const { return m_desc.dispType; }
    const QelPopupDesc& GetDescription() const { return m_desc; }
    // The list (null before CreatePopup and after closing).
    QTableView* GetList() const { return m_list; }
    const QelArray<CQelButton*>& GetButtons() const { return m_buttons; }
    // Background of row (the block colours with their period).
    QelColorRef RowColor(int row) const;
    // The result JSON as it would be delivered now (a pick list: -1 until a row is chosen).
    std::string BuildResult() const;
    bool IsClosed() const { return m_closed; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnButtonDown(unsigned id) override;
    void OnButtonUp(unsigned id) override;
    void OnButtonClick(unsigned id) override;

    void BuildContent();
    void CreateToolbar();
    QRect ListRect() const;
    void PostClose();
    void ChooseSelectedRow();
    void RunToolAction(const QelString& action);
    void MoveSelection(int delta);
    int SelectedRow() const;
    void SelectRow(int row);

    QelPopupDesc m_desc;
    QTableView* m_list = nullptr;
    CQelPopupListModel* m_model = nullptr;
    QelArray<CQelButton*> m_buttons;
    IQelPopupWndDelegate* m_delegate = nullptr;
    QString m_listFontFace = QStringLiteral(u"돋움체");
    int m_listFontHeight = 12;
    int m_toolbarHeight = 0;
    bool m_closed = false;
    bool m_closePosted = false;
    bool m_rowChosen = false;  // a pick list's row was double-clicked or Entered
    bool m_deleteOnClose = false;
};
