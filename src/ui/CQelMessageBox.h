#pragma once
// The program's one message-box service. Every message and Yes/No question
// goes through here, so tests can script the answers (SetHandler) and read
// what was shown instead of facing a modal box.

#include <QString>
#include <functional>

class QWidget;

class CQelMessageBox {
public:
    enum class Kind { Information, Warning, Error, Question };
    // Alternative: the second, riskier choice of AskWithAlternative.
    enum class Answer { Ok, Yes, No, Alternative };

    // Shows text with an OK button.
    static void Show(QWidget* parent, const QString& text, Kind kind = Kind::Information,
                     const QString& title = QString());
    // Asks a Yes/No question; true for Yes. The default button (Enter) is
    // No unless defaultAnswer says Yes.
    static bool Ask(QWidget* parent, const QString& text, const QString& title = QString(),
                    Answer defaultAnswer = Answer::No);
    // Asks with three buttons: yesText (the default, Answer::Yes),
    // alternativeText (Answer::Alternative) and Cancel (Answer::No, also Escape).
    // A handler's answer other than Yes or Alternative counts as Cancel.
    static Answer AskWithAlternative(QWidget* parent, const QString& text, const QString& yesText,
                                     const QString& alternativeText);

    // A handler replaces the modal boxes (tests); it gets the kind and text and
    // returns the answer. Pass an empty function to restore the real boxes.
    using Handler = std::function<Answer(Kind, const QString& text)>;
    static void SetHandler(Handler handler);
    // Text of the last box shown or handled (tests read it).
    static QString LastText();
    // Caption of the last box shown or handled (tests read it); empty for the default.
    static QString LastTitle();
    // Number of boxes shown or handled since start (tests read it).
    static int Count();
};
