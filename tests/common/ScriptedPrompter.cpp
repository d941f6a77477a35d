#include "ScriptedPrompter.h"

#include <QTest>

ScriptedPrompter& ScriptedPrompter::expect(const QString& text, const QString& caption, Buttons buttons, Icon icon,
                                           Answer answer)
{
    m_plan.append({text, caption, buttons, icon, answer});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectInform(const QString& text, Icon icon, const QString& caption)
{
    return expect(text, caption, Buttons::Ok, icon, Answer::Ok);
}

Prompter::Answer ScriptedPrompter::ask(const QString& text, const QString& caption, Buttons buttons, Icon icon)
{
    m_asked.append(text);
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
    return e.answer;
}
