#include "ScriptedPrompter.h"

#include <QTest>

ScriptedPrompter& ScriptedPrompter::expect(const QString& text, const QString& caption, Buttons buttons, Icon icon,
                                           Answer answer, std::optional<Answer> defaultButton)
{
    m_plan.append({text, caption, buttons, icon, answer, defaultButton});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectInform(const QString& text, Icon icon, const QString& caption)
{
    return expect(text, caption, Buttons::Ok, icon, Answer::Ok);
}

Prompter::Answer ScriptedPrompter::ask(const QString& text, const QString& caption, Buttons buttons, Icon icon,
                                       Answer defaultButton)
{
    m_asked.append(text);
    m_defaults.append(defaultButton);
    if (!offers(buttons, defaultButton))
        QTest::qFail(qPrintable(QStringLiteral("default answer %1 is not among the buttons %2 of \"%3\"")
                                    .arg(int(defaultButton))
                                    .arg(int(buttons))
                                    .arg(text)),
                     __FILE__, __LINE__);
    if (m_plan.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: \"%1\" (caption \"%2\")").arg(text, caption)),
                     __FILE__, __LINE__);
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    const Expected e = m_plan.takeFirst();
    if (e.text != text || e.caption != caption || e.buttons != buttons || e.icon != icon) {
        QTest::qFail(qPrintable(QStringLiteral("question differs from plan:\n  asked:    \"%1\" / \"%2\" / %3 / %4\n"
                                               "  expected: \"%5\" / \"%6\" / %7 / %8")
                                    .arg(text, caption)
                                    .arg(int(buttons))
                                    .arg(int(icon))
                                    .arg(e.text, e.caption)
                                    .arg(int(e.buttons))
                                    .arg(int(e.icon))),
                     __FILE__, __LINE__);
    }
    if (e.defaultButton && *e.defaultButton != defaultButton)
        QTest::qFail(qPrintable(QStringLiteral("default answer of \"%1\" is %2, expected %3")
                                    .arg(text)
                                    .arg(int(defaultButton))
                                    .arg(int(*e.defaultButton))),
                     __FILE__, __LINE__);
    return e.answer;
}
