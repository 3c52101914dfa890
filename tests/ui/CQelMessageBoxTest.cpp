// The real message boxes, answered as the user answers them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "CQelMessageBox.h"

// Each case opens a box and answers it with a key or the button of that text.
TEST(CQelMessageBox, EachBoxShowsItsKindAndAnswersWithTheButtonChosen) {
    using A = CQelMessageBox::Answer;
    using K = CQelMessageBox::Kind;
    const auto alternative = [] { return CQelMessageBox::AskWithAlternative(nullptr, "t", "Over", "Skip"); };
    const auto ask = [](A preset) { return [preset] { return CQelMessageBox::Ask(nullptr, "t", "", preset) ? A::Yes : A::No; }; };
    const auto show = [](K kind) { return [kind] { return CQelMessageBox::Show(nullptr, "f", kind), A::Ok; }; };
    // press: a button's text, or "" for Return, "esc" for Escape.
    const struct { std::function<A()> open; const char* press; A answer; QMessageBox::Icon icon; } cases[] = {
        {alternative, "Over", A::Yes, QMessageBox::Question},  {alternative, "Skip", A::Alternative, QMessageBox::Question},
        {alternative, "esc", A::No, QMessageBox::Question},    {alternative, "", A::Yes, QMessageBox::Question},  // the default
        {ask(A::Yes), "", A::Yes, QMessageBox::Question},      {ask(A::No), "", A::No, QMessageBox::Question},
        {show(K::Warning), "", A::Ok, QMessageBox::Warning},   {show(K::Error), "", A::Ok, QMessageBox::Critical},
        {show(K::Information), "", A::Ok, QMessageBox::Information},
    };
    for (const auto& c : cases) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            icon = box->icon();
            if (!*c.press || std::string(c.press) == "esc") QTest::keyClick(box, *c.press ? Qt::Key_Escape : Qt::Key_Return);
            for (QAbstractButton* button : box->buttons())
                if (button->text() == c.press) button->click();
        });
        look.start(5);
        EXPECT_EQ(c.open(), c.answer) << c.press;
        EXPECT_EQ(icon, c.icon) << c.press;
    }
    EXPECT_EQ(CQelMessageBox::LastText(), "f");
}
