// The real message boxes, answered as the user answers them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "CQelMessageBox.h"

namespace {

// Runs open while act answers the box it shows; returns open's result and the box's icon.
template <typename Open>
auto Answered(const std::function<void(QMessageBox*)>& act, Open open, QMessageBox::Icon& icon) {
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            icon = box->icon();
            act(box);
        }
    });
    look.start(5);
    return open();
}

std::function<void(QMessageBox*)> Press(Qt::Key key) {
    return [key](QMessageBox* box) { QTest::keyClick(box, key); };
}
std::function<void(QMessageBox*)> Click(const char* text) {
    return [text](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            if (button->text() == text) button->click();
    };
}

}  // namespace

TEST(CQelMessageBox, EachBoxShowsItsKindAndAnswersWithTheButtonChosen) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const auto alternative = [](const char* text) {
        return [text] { return CQelMessageBox::AskWithAlternative(nullptr, text, QStringLiteral("Over"), QStringLiteral("Skip")); };
    };
    EXPECT_EQ(Answered(Click("Over"), alternative("a"), icon), CQelMessageBox::Answer::Yes);
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(Answered(Click("Skip"), alternative("b"), icon), CQelMessageBox::Answer::Alternative);
    EXPECT_EQ(Answered(Press(Qt::Key_Escape), alternative("c"), icon), CQelMessageBox::Answer::No);
    EXPECT_EQ(Answered(Press(Qt::Key_Return), alternative("d"), icon), CQelMessageBox::Answer::Yes);  // the default
    for (const auto& [preset, enter] : {std::pair{CQelMessageBox::Answer::Yes, true}, {CQelMessageBox::Answer::No, false}})
        EXPECT_EQ(Answered(Press(Qt::Key_Return), [p = preset] { return CQelMessageBox::Ask(nullptr, "e", "", p); }, icon),
                  enter);
    for (const auto& [kind, shown] : {std::pair{CQelMessageBox::Kind::Warning, QMessageBox::Warning},
                                      {CQelMessageBox::Kind::Error, QMessageBox::Critical},
                                      {CQelMessageBox::Kind::Information, QMessageBox::Information}}) {
        Answered(Press(Qt::Key_Return), [k = kind] { return CQelMessageBox::Show(nullptr, "f", k), 0; }, icon);
        EXPECT_EQ(icon, shown);
    }
    EXPECT_EQ(CQelMessageBox::LastText(), "f");
}
