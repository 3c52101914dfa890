#include "QelDialogButtons.h"

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

}  // namespace qel
