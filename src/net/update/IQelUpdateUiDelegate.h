#pragma once
// What the update check needs from the window it belongs to. Every call comes
// from an HTTP worker thread; the window carries it out on its own thread and
// returns when it is done, so a question's answer is known on return.

#include "QelString.h"

class IQelUpdateUiDelegate {
public:
    enum class Icon { Information, Warning };

    virtual ~IQelUpdateUiDelegate() = default;

    // Shows text with an OK button; returns once the user closed it.
    virtual void ShowMessage(Icon icon, const QelString& text) = 0;
    // Asks a Yes/No question with a question icon; true for Yes. A window
    // that is gone answers No.
    virtual bool AskYesNo(const QelString& text) = 0;
    // The download's progress bar: shown at 0 of 0..100, moved, hidden.
    virtual void ShowProgress() = 0;
    virtual void SetProgress(int percent) = 0;
    virtual void HideProgress() = 0;
    // Leaves the program through its Exit command, so the settings are saved.
    virtual void CloseProgram() = 0;
    // The check has nothing more to do: no request outstanding, no box open.
    virtual void OnUpdateCheckEnded() = 0;
};
