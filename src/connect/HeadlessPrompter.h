// A prompter for programs without a window: every question is answered No
// (or Cancel, or OK for a message) and its text kept, so that the caller can
// report it as an error.
#pragma once

#include "core/Prompter.h"

#include <QStringList>

class HeadlessPrompter : public Prompter {
public:
    Answer ask(const QString& text, const QString&, Buttons buttons, Icon, Answer) override
    {
        m_texts.append(text);
        switch (buttons) {
        case Buttons::Ok: return Answer::Ok;
        case Buttons::YesNo: return Answer::No;
        default: return Answer::Cancel;
        }
    }
    const QStringList& texts() const { return m_texts; }

private:
    QStringList m_texts;
};
