// The one way the system asks the user a question or tells them something.
// Logic classes are handed a Prompter; the application shows message boxes,
// tests install a scripted prompter that checks the exact text.
#pragma once

#include <QString>

class Prompter {
public:
    // YesNoDefaultNo: Yes and No, with No answering Enter.
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore, YesNoDefaultNo };
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

    virtual ~Prompter() = default;

    virtual Answer ask(const QString& text, const QString& caption, Buttons buttons, Icon icon) = 0;

    // A message with only an OK button.
    void inform(const QString& text, const QString& caption = QStringLiteral("Tovo"),
                Icon icon = Icon::Information)
    {
        ask(text, caption, Buttons::Ok, icon);
    }
};
