#include "QelDarkListLook.h"

#include <QAbstractItemView>
#include <QFont>
#include <QPalette>

void ApplyDarkListLook(QAbstractItemView* list, const QColor& textColor, bool alternateRows) {
    const QColor background(43, 43, 43);
    QPalette palette = list->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::AlternateBase, alternateRows ? QColor(63, 63, 63) : background);
        palette.setColor(group, QPalette::Text, textColor);
    }
    list->setPalette(palette);
    list->setAlternatingRowColors(alternateRows);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPixelSize(12);
    list->setFont(font);
}
