#include "CQelMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
CQelMessageBox::Handler& CurrentHandler() {
    static CQelMessageBox::Handler handler;
    return handler;
}
QString g_lastText;
QString g_lastTitle;
int g_count = 0;

QString TitleOr(const QString& title) { return title.isEmpty() ? QApplication::applicationName() : title; }
}  // namespace

void CQelMessageBox::Show(QWidget* parent, const QString& text, Kind kind, const QString& title) {
    g_lastText = text;
    g_lastTitle = title;
    ++g_count;
    if (CurrentHandler()) {
        CurrentHandler()(kind, text);
        return;
    }
    switch (kind) {
        case Kind::Warning:
            QMessageBox::warning(parent, TitleOr(title), text);
            break;
        case Kind::Error:
            QMessageBox::critical(parent, TitleOr(title), text);
            break;
        default:
            QMessageBox::information(parent, TitleOr(title), text);
            break;
    }
}

bool CQelMessageBox::Ask(QWidget* parent, const QString& text, const QString& title, Answer defaultAnswer) {
    g_lastText = text;
    g_lastTitle = title;
    ++g_count;
    if (CurrentHandler()) return CurrentHandler()(Kind::Question, text) == Answer::Yes;
    const QMessageBox::StandardButton preset = defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No;
    return QMessageBox::question(parent, TitleOr(title), text, QMessageBox::Yes | QMessageBox::No, preset) ==
           QMessageBox::Yes;
}

CQelMessageBox::Answer CQelMessageBox::AskWithAlternative(QWidget* parent, const QString& text,
                                                          const QString& yesText, const QString& alternativeText) {
    g_lastText = text;
    g_lastTitle.clear();
    ++g_count;
    if (CurrentHandler()) {
        const Answer answer = CurrentHandler()(Kind::Question, text);
        return answer == Answer::Yes || answer == Answer::Alternative ? answer : Answer::No;
    }
    QMessageBox box(QMessageBox::Question, TitleOr(QString()), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(yesText, QMessageBox::AcceptRole);
    QPushButton* alternative = box.addButton(alternativeText, QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return Answer::Yes;
    if (box.clickedButton() == alternative) return Answer::Alternative;
    return Answer::No;
}

void CQelMessageBox::SetHandler(Handler handler) { CurrentHandler() = std::move(handler); }
QString CQelMessageBox::LastText() { return g_lastText; }
QString CQelMessageBox::LastTitle() { return g_lastTitle; }
int CQelMessageBox::Count() { return g_count; }
