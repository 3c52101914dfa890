#include "QelDarkListLook.h"

#include <QAbstractItemView>
#include <QFont>
#include <QPalette>

namespace qel {

void ApplyDarkListLook(QAbstractItemView* list, const QColor& textColor, bool alternateRows) {
    QPalette palette = list->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, kDarkListBackground);
        palette.setColor(group, QPalette::Window, kDarkListBackground);
        palette.setColor(group, QPalette::AlternateBase, alternateRows ? kDarkListOddRow : kDarkListBackground);
        palette.setColor(group, QPalette::Text, textColor);
    }
    list->setPalette(palette);
    list->setAlternatingRowColors(alternateRows);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPixelSize(12);
    list->setFont(font);
}

}  // namespace qel
