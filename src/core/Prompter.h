// The one way the system asks the user a question or tells them something.
// Logic classes are handed a Prompter; the application shows message boxes,
// tests install a scripted prompter that checks the exact text.
#pragma once

#include <QString>

class Prompter {
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

    virtual ~Prompter() = default;

    // defaultButton is the answer that Enter gives (and the button that has
    // the keyboard focus); it is one of buttons. A question whose answer
    // deletes, injects or overwrites something defaults to the safe answer.
    virtual Answer ask(const QString& text, const QString& caption, Buttons buttons, Icon icon,
                       Answer defaultButton) = 0;

    // A message with only an OK button.
    void inform(const QString& text, const QString& caption = QStringLiteral("Tovo"),
                Icon icon = Icon::Information)
    {
        ask(text, caption, Buttons::Ok, icon, Answer::Ok);
    }

    // Whether answer is one of the buttons' answers.
    static bool offers(Buttons buttons, Answer answer)
    {
        switch (buttons) {
        case Buttons::Ok: return answer == Answer::Ok;
        case Buttons::OkCancel: return answer == Answer::Ok || answer == Answer::Cancel;
        case Buttons::YesNo: return answer == Answer::Yes || answer == Answer::No;
        case Buttons::YesNoCancel: return answer == Answer::Yes || answer == Answer::No || answer == Answer::Cancel;
        case Buttons::RetryCancel: return answer == Answer::Retry || answer == Answer::Cancel;
        case Buttons::AbortRetryIgnore:
            return answer == Answer::Abort || answer == Answer::Retry || answer == Answer::Ignore;
        }
        return false;
    }
};
