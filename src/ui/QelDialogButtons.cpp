#include "QelDialogButtons.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include "CQelImgMngr.h"

namespace qel {

QPushButton* MakeDialogButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void SetButtonImageIfPresent(QPushButton* button, const char16_t* imageName, int style) {
    CQelImgMngr* images = CQelImgMngr::GetInstance();
    if (images->GetImage(imageName)->isNull()) return;
    if (!button->text().isEmpty()) button->setToolTip(button->text());
    images->SetButtonImage(button, imageName, style);
}

QHBoxLayout* MakeSaveCancelRow(QWidget* parent, QPushButton*& save, QPushButton*& cancel) {
    save = MakeDialogButton(QStringLiteral("Save"), QStringLiteral("saveButton"), parent);
    cancel = MakeDialogButton(QStringLiteral("Cancel"), QStringLiteral("cancelButton"), parent);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(save);
    row->addWidget(cancel);
    return row;
}

bool StopOnEscape(QKeyEvent* event, QPushButton* stop) {
    if (event->key() != Qt::Key_Escape || !stop || stop->isHidden()) return false;
    stop->click();
    event->accept();
    return true;
}

}  // namespace qel
