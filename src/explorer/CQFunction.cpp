#include "explorer/CQFunction.h"

#include "explorer/KReplyAccess.h"

#include "core/values/KRender.h"

#include <QStringList>

namespace {
QString console(K x)
{
    if (!x)
        return {};
    return renderConsole(x, RenderOptions());
}

// A reference list: trimmed, names separated by ", ".
QString nameListText(const QString& text)
{
    QString t = CQFunction::cleanUp(text);
    if (t.isEmpty())
        return t;
    return CQFunction::trimTicks(t).replace(QLatin1Char('`'), QLatin1String(", "));
}

QString bracketed(const QString& cleaned)
{
    QString t = CQFunction::trimTicks(cleaned).replace(QLatin1Char('`'), QLatin1Char(';'));
    if (t == QLatin1String("()"))
        t.clear();
    return t.isEmpty() ? t : QLatin1Char('[') + t + QLatin1Char(']');
}

// The source text of a body item: the string itself, not its quoted console
// text, so that a body keeps its lines; other values as console text.
QString sourceText(K x)
{
    if (x && x->t == KC)
        return QString::fromUtf8(kC(x), qsizetype(x->n));
    return console(x);
}

// Items of a value that holds K items (general list, projection, composition).
J itemCount(K x) { return x && (x->t == 0 || x->t == KPROJECTION || x->t == KCOMPOSITION) ? x->n : 0; }
} // namespace

CQFunction::CQFunction(QString nameSpace, QString shortName, int type, K definition, const QString& freeParameters,
                       const QString& nestedGlobals, const QString& symbols, bool hidePureIndirects)
    : CQEntity(std::move(nameSpace), std::move(shortName), type)
{
    m_symbols = nameListText(symbols);
    m_nestedGlobals = nameListText(nestedGlobals);
    if (definition && definition->t == 0 && definition->n > 0)
        readDefinition(definition);
    else
        definition = nullptr;
    if (hidePureIndirects && !m_nestedGlobals.isEmpty())
        keepIndirectsInBody();
    if (m_body.startsWith(QLatin1String("`code")))
        m_body.remove(0, 1);
    if (definition)
        applyKind(definition, freeParameters);
}

QString CQFunction::cleanUp(QString text)
{
    if (text.startsWith(QLatin1String("enlist ")))
        text.remove(0, 7);
    if (text == QLatin1String("`symbol$()"))
        text.clear();
    return text;
}

QString CQFunction::trimTicks(const QString& text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    auto trimmed = [](QChar c) { return c == QLatin1Char('`') || c.isSpace(); };
    while (from < to && trimmed(text.at(from)))
        ++from;
    while (to > from && trimmed(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

void CQFunction::readDefinition(K definition)
{
    const J n = definition->n;
    QString globals = cleanUp(console(KReplyAccess::item(definition, 3)));
    if (!globals.isEmpty() && !globals.startsWith(QLatin1String("``"))) {
        qsizetype start = 0;
        while (start < globals.size() && globals.at(start) == QLatin1Char('`'))
            ++start;
        const qsizetype end = globals.indexOf(QLatin1Char('`'), start);
        m_functionNamespace = globals.mid(start, end < 0 ? -1 : end - start);
        globals = end < 0 ? QString() : globals.mid(end);
    }
    if (!globals.isEmpty())
        m_globals = trimTicks(globals).replace(QLatin1Char('`'), QLatin1String(", "));

    m_parameters = bracketed(cleanUp(console(KReplyAccess::item(definition, 1))));
    m_displayName = m_shortName + m_parameters;

    m_locals = trimTicks(cleanUp(console(KReplyAccess::item(definition, 2)))).replace(QLatin1Char('`'),
                                                                                       QLatin1String(", "));
    if (m_locals == QLatin1String("()"))
        m_locals.clear();

    if (n > 4)
        m_body = sourceText(KReplyAccess::item(definition, 4));
    if (n > 7) {
        m_origin = KReplyAccess::text(KReplyAccess::item(definition, 5)).value_or(QString());
        m_fileName = KReplyAccess::text(KReplyAccess::item(definition, 6)).value_or(QString());
        m_fileLine = KReplyAccess::integer(KReplyAccess::item(definition, 7)).value_or(-1);
    }
}

void CQFunction::keepIndirectsInBody()
{
    QStringList kept;
    const QString nsPrefix = QLatin1Char('.') + m_functionNamespace + QLatin1Char('.');
    for (const QString& name : m_nestedGlobals.split(QLatin1String(", "))) {
        QString shortForm = name;
        if (shortForm.startsWith(QLatin1String(".q.")))
            shortForm.remove(0, 3);
        if (!m_functionNamespace.isEmpty() && shortForm.startsWith(nsPrefix))
            shortForm.remove(0, nsPrefix.size());
        if (m_body.contains(shortForm))
            kept << name;
    }
    m_nestedGlobals = kept.join(QLatin1String(", "));
}

void CQFunction::applyKind(K definition, const QString& freeParameters)
{
    const K value = KReplyAccess::item(definition, 0);
    if (m_type == KPROJECTION) {
        m_baseBody = m_body;
        const QString free = cleanUp(freeParameters);
        if (free == QLatin1String("`")) {
            m_parameters.clear();
        } else {
            m_parameters = trimTicks(free).replace(QLatin1Char('`'), QLatin1Char(';'));
            m_parameters = QLatin1Char('[') + m_parameters + QLatin1Char(']');
        }
        m_displayName = m_shortName + m_parameters;
        const J items = itemCount(value);
        m_body = items > 0 ? console(kK(value)[0]) : QString();
        if (m_body == QLatin1String("()"))
            m_body = QStringLiteral("code");
        QStringList arguments;
        for (J i = 1; i < items; ++i) {
            // An elided argument (the generic null) shows as nothing: f[1;].
            K argument = kK(value)[i];
            arguments << (argument && argument->t == KUNARY && argument->g == 0 ? QString() : console(argument));
        }
        m_projectionArguments = QLatin1Char('[') + arguments.join(QLatin1Char(';')) + QLatin1Char(']');
        m_body += m_projectionArguments;
    } else if (m_type == KCOMPOSITION) {
        const J items = itemCount(value);
        QStringList rest;
        for (J i = 1; i < items; ++i)
            rest << console(kK(value)[i]);
        m_body = (items > 0 ? console(kK(value)[0]) : QString()) + rest.join(QLatin1Char(';'));
    } else if (m_type >= KEACH && m_type <= KEACHLEFT) {
        static const char* const adverbs[] = {"'", "/", "\\", "':", "/:", "\\:"};
        m_baseBody = m_body;
        m_body = console(value) + QLatin1String(adverbs[m_type - KEACH]);
    }
}

QString CQFunction::typeText(int type)
{
    switch (type) {
    case 100: return QStringLiteral("Lambda");
    case 101: return QStringLiteral("Primitive (unary)");
    case 102: return QStringLiteral("Primitive (binary)");
    case 103: return QStringLiteral("Primitive (ternary)");
    case 104: return QStringLiteral("Projection");
    case 105: return QStringLiteral("Composition");
    case 106: return QStringLiteral("f'");
    case 107: return QStringLiteral("f/");
    case 108: return QStringLiteral("f\\");
    case 109: return QStringLiteral("f':");
    case 110: return QStringLiteral("f/:");
    case 111: return QStringLiteral("f\\:");
    case 112: return QStringLiteral("Dynamic load (external)");
    case 113: return QStringLiteral("Undefined");
    default: return {};
    }
}
