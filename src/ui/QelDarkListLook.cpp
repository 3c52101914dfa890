#include "QelDarkListLook.h"

#include <QAbstractItemView>
#include <QFont>
#include <QPalette>

void ApplyDarkListLook(QAbstractItemView* list) {
    QPalette palette = list->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, QColor(43, 43, 43));
        palette.setColor(group, QPalette::AlternateBase, QColor(63, 63, 63));
        palette.setColor(group, QPalette::Text, QColor(81, 156, 214));
    }
    list->setPalette(palette);
    list->setAlternatingRowColors(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPixelSize(12);
    list->setFont(font);
}
