// A prompter for tests: each expected question is planned with its exact text,
// caption, buttons and icon and the answer to give. A question that was not
// planned, or that differs from the plan, fails the running test.
#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QString>

class ScriptedPrompter : public Prompter {
public:
    struct Expected {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
        Answer answer;
    };

    ScriptedPrompter& expect(const QString& text, const QString& caption, Buttons buttons, Icon icon, Answer answer);
    // An OK-only message with caption "Tovo".
    ScriptedPrompter& expectInform(const QString& text, Icon icon = Icon::Information,
                                   const QString& caption = QStringLiteral("Tovo"));

    Answer ask(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;

    // Planned questions not yet asked.
    int pending() const { return m_plan.size(); }
    // Every question asked so far, in order (texts only).
    const QStringList& asked() const { return m_asked; }

private:
    QList<Expected> m_plan;
    QStringList m_asked;
};
