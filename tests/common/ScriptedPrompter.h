// A prompter for tests: each expected question is planned with its exact text,
// caption, buttons and icon and the answer to give. A question that was not
// planned, or that differs from the plan, fails the running test.
#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QString>

#include <optional>

class ScriptedPrompter : public Prompter {
public:
    struct Expected {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
        Answer answer;
        // Checked when given.
        std::optional<Answer> defaultButton;
    };

    // defaultButton, when given, is the default the question must have.
    ScriptedPrompter& expect(const QString& text, const QString& caption, Buttons buttons, Icon icon, Answer answer,
                             std::optional<Answer> defaultButton = std::nullopt);
    // An OK-only message with caption "Tovo".
    ScriptedPrompter& expectInform(const QString& text, Icon icon = Icon::Information,
                                   const QString& caption = QStringLiteral("Tovo"));

    // A default that is not among the buttons fails the running test.
    Answer ask(const QString& text, const QString& caption, Buttons buttons, Icon icon, Answer defaultButton) override;

    // Planned questions not yet asked.
    int pending() const { return m_plan.size(); }
    // Every question asked so far, in order (texts only).
    const QStringList& asked() const { return m_asked; }
    // The default button of every question asked so far, in order.
    const QList<Answer>& defaults() const { return m_defaults; }

private:
    QList<Expected> m_plan;
    QStringList m_asked;
    QList<Answer> m_defaults;
};
