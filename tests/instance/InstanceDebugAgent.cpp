#include "InstanceDebugAgent.h"

#include "InstanceRule.h"
#include "TestInstance.h"
#include "ValueNotation.h"

#include <QMutexLocker>
#include <QRegularExpression>

namespace {

KPtr str(const QString& text)
{
    return KPtr(kp(text.toUtf8().constData()));
}

KPtr error(const QString& text)
{
    return KPtr(krr(text.toUtf8().constData()));
}

KPtr list(const QList<KPtr>& items)
{
    K x = ktn(0, items.size());
    for (int i = 0; i < items.size(); ++i)
        kK(x)[i] = items[i] ? r1(items[i].get()) : ka(101);
    return KPtr(x);
}

KPtr genericNull()
{
    K x = ka(101);
    x->g = 0;
    return KPtr(x);
}

const QString kEntry = QStringLiteral("{\"Entry point\"}");

} // namespace

bool InstanceDebugAgent::applyScript(const QString& script, QString* error)
{
    QMutexLocker lock(&m_mutex);
    // The agent's entry program: apply with one argument, return, return.
    Function& entry = m_functions[QStringLiteral("entry")];
    entry.source = kEntry;
    entry.statements = QStringList{QStringLiteral("\"Entry point\"")};
    entry.code = QByteArray::fromHex("0a010000");
    const QStringList lines = script.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const int colon = int(line.indexOf(u':'));
        const QString key = line.left(colon).trimmed();
        const QString value = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
        const QString first = value.section(u' ', 0, 0);
        const QString rest = value.section(u' ', 1).trimmed();
        auto fail = [&](const QString& why) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(n + 1).arg(why);
            return false;
        };
        if (key == QLatin1String("agent")) {
            m_present = value != QLatin1String("absent");
            m_dotD = value == QLatin1String("dotd");
        } else if (key == QLatin1String("prepared")) {
            m_everPrepared = value == QLatin1String("yes");
        } else if (key == QLatin1String("function")) {
            m_functions[first].source = rest;
        } else if (key == QLatin1String("statement")) {
            if (!m_functions.contains(first))
                return fail(QStringLiteral("unknown function %1").arg(first));
            m_functions[first].statements << rest;
        } else if (key == QLatin1String("code")) {
            m_functions[first].code = QByteArray::fromHex(rest.mid(rest.startsWith(QLatin1String("0x")) ? 2 : 0).toLatin1());
        } else if (key == QLatin1String("step")) {
            Step s;
            const QStringList words = value.split(u' ', Qt::SkipEmptyParts);
            bool ok = words.size() >= 2 && m_functions.contains(words[0]);
            s.function = words.value(0);
            s.statement = words.value(1).toInt(&ok);
            for (const QString& w : words.mid(2)) {
                const QString k = w.section(u'=', 0, 0), v = w.section(u'=', 1);
                if (k == QLatin1String("n"))
                    s.byteIndex = v.toInt();
                else if (k == QLatin1String("caller"))
                    s.callers << qMakePair(v.section(u':', 0, 0), v.section(u':', 1).toInt());
                else if (k == QLatin1String("stack") && ValueNotation::parse(v))
                    s.stack << v;
                else if (!ValueNotation::parse(v))
                    return fail(QStringLiteral("invalid value %1").arg(v));
                else
                    s.locals << qMakePair(k, v);
            }
            if (!ok)
                return fail(QStringLiteral("step needs a known function and a statement"));
            m_steps << s;
        } else if (key == QLatin1String("exception")) {
            if (m_steps.isEmpty())
                return fail(QStringLiteral("exception before any step"));
            m_steps.last().exception = value;
        } else if (key == QLatin1String("fixed-by")) {
            if (m_steps.isEmpty() || m_steps.last().exception.isEmpty())
                return fail(QStringLiteral("fixed-by without an exception"));
            m_steps.last().fixedBy = value;
        } else if (key == QLatin1String("prepared-stack")) {
            m_preparedStack = value.split(u' ', Qt::SkipEmptyParts);
            for (const QString& v : m_preparedStack)
                if (!ValueNotation::parse(v))
                    return fail(QStringLiteral("invalid value %1").arg(v));
        } else if (key == QLatin1String("result")) {
            if (!ValueNotation::parse(value))
                return fail(QStringLiteral("invalid result %1").arg(value));
            m_result = value;
        } else {
            return fail(QStringLiteral("unknown key %1").arg(key));
        }
    }
    return true;
}

void InstanceDebugAgent::install(TestInstance& instance)
{
    auto rule = std::make_shared<InstanceRule>();
    QString fixes;
    {
        QMutexLocker lock(&m_mutex);
        for (const Step& s : m_steps)
            if (!s.fixedBy.isEmpty())
                fixes += QStringLiteral("|") + QRegularExpression::escape(s.fixedBy) + QStringLiteral("$");
    }
    rule->pattern = QRegularExpression(
        QStringLiteral("^(count \\.d$|\\.d\\.|\\.z\\.deb\\.|/ Tovo debugger agent|\\{@\\[eval;parse x;") + fixes + QStringLiteral(")"));
    rule->usesPattern = true;
    rule->compute = [this](const QString& text) { return answer(text); };
    instance.addRule(rule);
}

int InstanceDebugAgent::injections() const
{
    QMutexLocker lock(&m_mutex);
    return m_injections;
}

QString InstanceDebugAgent::preparedCall() const
{
    QMutexLocker lock(&m_mutex);
    return m_call;
}

int InstanceDebugAgent::position() const
{
    QMutexLocker lock(&m_mutex);
    return m_position;
}

QSet<int> InstanceDebugAgent::breakpoints(const QString& function) const
{
    QMutexLocker lock(&m_mutex);
    return m_breakpoints.value(function);
}

int InstanceDebugAgent::handledSignals() const
{
    QMutexLocker lock(&m_mutex);
    return m_e;
}

int InstanceDebugAgent::timeoutSec() const
{
    QMutexLocker lock(&m_mutex);
    return m_timeout;
}

bool InstanceDebugAgent::native() const
{
    QMutexLocker lock(&m_mutex);
    return m_native;
}

QString InstanceDebugAgent::functionNamed(const QString& nameOrSource) const
{
    if (m_functions.contains(nameOrSource))
        return nameOrSource;
    for (auto it = m_functions.begin(); it != m_functions.end(); ++it)
        if (it->source == nameOrSource)
            return it.key();
    return QString();
}

KPtr InstanceDebugAgent::lambda(const QString& function) const
{
    return ValueNotation::parse(function.isEmpty() ? kEntry : m_functions.value(function).source);
}

KPtr InstanceDebugAgent::linesAnswer(const QStringList& lines) const
{
    if (lines.size() == 1)
        return str(lines[0]);
    QList<KPtr> items;
    for (const QString& l : lines)
        items << str(l);
    return list(items);
}

KPtr InstanceDebugAgent::listing(const QString& function) const
{
    QStringList lines;
    const QStringList& statements = m_functions.value(function).statements;
    const QSet<int> marks = m_breakpoints.value(function);
    for (int i = 0; i < statements.size(); ++i)
        lines << QStringLiteral("%1:%2 %3").arg(i).arg(QString(QChar(marks.contains(i) ? u'*' : u' '))).arg(statements[i]);
    return linesAnswer(lines);
}

QString InstanceDebugAgent::currentLineText() const
{
    if (m_position == -2)
        return QStringLiteral("Not running");
    if (m_position == -1)
        return QStringLiteral("Current line: 0: \"Entry point\"");
    const Step& s = m_steps[m_position];
    return QStringLiteral("Current line: %1: %2").arg(s.statement).arg(m_functions.value(s.function).statements.value(s.statement));
}

QStringList InstanceDebugAgent::printedStack() const
{
    QStringList lines{QStringLiteral("Top of the stack: ")};
    if (m_position == -1) {
        for (int i = int(m_preparedStack.size()) - 1; i >= 0; --i)
            lines << QStringLiteral(".z.deb.st[%1]: %2").arg(i).arg(m_preparedStack[i]);
        return lines;
    }
    if (m_position < 0)
        return lines;
    const Step& s = m_steps[m_position];
    // Values sit above the call records; each is shown as its q text.
    for (int i = int(s.stack.size()) - 1; i >= 0; --i)
        lines << QStringLiteral(".z.deb.st[%1]: %2").arg(s.callers.size() + i).arg(s.stack[i]);
    for (int i = int(s.callers.size()) - 1; i >= 0; --i)
        lines << QStringLiteral(".z.deb.st[%1]: Fn call, line: %2: %3")
                     .arg(i)
                     .arg(s.callers[i].second)
                     .arg(m_functions.value(s.callers[i].first).statements.value(s.callers[i].second));
    return lines;
}

KPtr InstanceDebugAgent::frame(const Step& step) const
{
    QList<KPtr> values;
    K keys = ktn(KS, 0);
    for (const auto& local : step.locals) {
        js(&keys, ss(local.first.toUtf8().constData()));
        values << ValueNotation::parse(local.second);
    }
    js(&keys, ss(".ns"));
    values << KPtr(ks(""));
    js(&keys, ss(".id"));
    values << KPtr(kj(m_position));
    return KPtr(xD(keys, list(values).release()));
}

KPtr InstanceDebugAgent::stateAnswer() const
{
    const bool running = m_position >= 0;
    const Step entry;
    const Step& s = running ? m_steps[m_position] : entry;
    QList<KPtr> items;
    if (!m_everPrepared) {
        for (int i = 0; i < 10; ++i)
            items << str(QStringLiteral("ERROR: 'n"));
        items[4] = str(currentLineText());
        items[7] = KPtr(kj(m_e));
        items[8] = KPtr(ki(m_timeout));
        items[9] = KPtr(kb(m_native));
        return list(items);
    }
    // 0: the current function
    items << lambda(s.function);
    // 1: the printed stack, the call records of the callers, the free
    // slots, the current frame
    QList<KPtr> stack{linesAnswer(printedStack())};
    if (running) {
        for (const auto& caller : s.callers) {
            K empty = xD(ktn(KS, 0), ktn(0, 0));
            stack << list({KPtr(kj(caller.second)), lambda(caller.first), KPtr(empty), KPtr(ks(":dbg:fncall"))});
        }
        for (const QString& v : s.stack)
            stack << ValueNotation::parse(v);
    } else if (m_position == -1) {
        for (const QString& v : m_preparedStack)
            stack << ValueNotation::parse(v);
    }
    for (int i = 0; i < 3; ++i)
        stack << genericNull();
    stack << list({KPtr(kj(s.statement)), lambda(s.function), frame(s), KPtr(ks(":dbg:fncall"))});
    items << list(stack);
    // 2: breakpoints by function
    QList<KPtr> fns, lines;
    for (auto it = m_breakpoints.begin(); it != m_breakpoints.end(); ++it) {
        if (it->isEmpty())
            continue;
        QList<int> sorted(it->begin(), it->end());
        std::sort(sorted.begin(), sorted.end());
        K l = ktn(KJ, sorted.size());
        for (int i = 0; i < sorted.size(); ++i)
            kJ(l)[i] = sorted[i];
        fns << lambda(it.key());
        lines << KPtr(l);
    }
    items << KPtr(xD(list(fns).release(), list(lines).release()));
    // 3: the frame
    items << frame(s);
    // 4: the current line
    items << str(currentLineText());
    // 5, 6: byte code and index
    const QByteArray code = running ? m_functions.value(s.function).code : QByteArray::fromHex("0a010000");
    K bytes = ktn(KG, code.size());
    memcpy(kG(bytes), code.constData(), size_t(code.size()));
    items << KPtr(bytes);
    items << KPtr(kj(running ? s.byteIndex : 0));
    items << KPtr(kj(m_e));
    items << KPtr(ki(m_timeout));
    items << KPtr(kb(m_native));
    return list(items);
}

bool InstanceDebugAgent::retryFails() const
{
    if (m_position < 0)
        return false;
    const Step& s = m_steps[m_position];
    return !s.exception.isEmpty() && !s.fixedBy.isEmpty() && !m_received.contains(s.fixedBy);
}

KPtr InstanceDebugAgent::stepAnswer(const QString& command)
{
    if (m_position == -2)
        return str(QStringLiteral("Not running"));
    QStringList out;
    // The failed instruction runs again, on the same stack, and fails the
    // same way while its cause is there.
    if (retryFails())
        return linesAnswer(QStringList{QStringLiteral("Exception: ") + m_steps[m_position].exception} + printedStack()
                           + QStringList{currentLineText()});
    bool stopped = false;
    do {
        ++m_position;
        if (m_position >= m_steps.size()) {
            m_position = -2;
            return ValueNotation::parse(m_result);
        }
        const Step& s = m_steps[m_position];
        if (!s.exception.isEmpty()) {
            out << QStringLiteral("Exception: ") + s.exception;
            stopped = true;
        } else if (command == QLatin1String("cont[]") && m_breakpoints.value(s.function).contains(s.statement)) {
            out << QStringLiteral("Breakpoint");
            stopped = true;
        }
    } while (command == QLatin1String("cont[]") && !stopped);
    return linesAnswer(out + printedStack() + QStringList{currentLineText()});
}

KPtr InstanceDebugAgent::answer(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    if (text == QLatin1String("count .d"))
        return m_dotD ? KPtr(kj(3)) : error(QStringLiteral(".d"));
    if (text.startsWith(QLatin1String("/ Tovo debugger agent"))) {
        ++m_injections;
        m_present = true;
        return genericNull();
    }
    if (text.startsWith(QLatin1String("{@[eval;parse x;")))
        return m_present ? stateAnswer() : error(QStringLiteral(".z.deb.a"));
    for (const Step& s : m_steps) {
        if (!s.fixedBy.isEmpty() && text == s.fixedBy) {
            m_received.insert(text);
            return genericNull();
        }
    }
    QString command;
    if (text.startsWith(QLatin1String(".z.deb.")))
        command = text.mid(7);
    else if (text.startsWith(QLatin1String(".d.")) && m_dotD)
        command = text.mid(3);
    else
        return error(text.section(u'[', 0, 0));
    if (!m_present)
        return error(text.section(u'[', 0, 0));

    static const QRegularExpression kPrepare(QStringLiteral("^i\\[\\{(.*)\\};\\(\\)\\]$"));
    static const QRegularExpression kBreak(QStringLiteral("^b([ad])\\[(.*);(\\d+)\\]$"));
    static const QRegularExpression kList(QStringLiteral("^pf\\[(.*)\\]$"));
    static const QRegularExpression kTimeout(QStringLiteral("^timeout:`second\\$(\\d+)$"));
    static const QRegularExpression kSignals(QStringLiteral("^e:(\\d+)$"));
    QRegularExpressionMatch m;
    if (command == QLatin1String("a"))
        return KPtr(xD(ktn(KS, 0), ktn(0, 0)));
    if (command == QLatin1String("n"))
        return m_everPrepared ? KPtr(kj(m_position < 0 ? 0 : m_steps[m_position].byteIndex)) : error(QStringLiteral(".z.deb.n"));
    if ((m = kPrepare.match(command)).hasMatch()) {
        m_call = m.captured(1);
        m_everPrepared = true;
        m_position = -1;
        return linesAnswer(printedStack() + QStringList{currentLineText()});
    }
    if (command == QLatin1String("l[]") || command == QLatin1String("next[]") || command == QLatin1String("ef[]")
        || command == QLatin1String("s[]") || command == QLatin1String("cont[]"))
        return stepAnswer(command);
    if ((m = kBreak.match(command)).hasMatch()) {
        const QString fn = functionNamed(m.captured(2));
        if (fn.isEmpty())
            return error(m.captured(2));
        if (m.captured(1) == QLatin1String("a"))
            m_breakpoints[fn].insert(m.captured(3).toInt());
        else
            m_breakpoints[fn].remove(m.captured(3).toInt());
        return listing(fn);
    }
    if (command == QLatin1String("bc[]")) {
        m_breakpoints.clear();
        return str(QStringLiteral("Breakpoints cleared"));
    }
    if ((m = kList.match(command)).hasMatch()) {
        const QString fn = functionNamed(m.captured(1));
        return fn.isEmpty() ? error(m.captured(1)) : listing(fn);
    }
    if ((m = kSignals.match(command)).hasMatch()) {
        m_e = m.captured(1).toInt();
        return genericNull();
    }
    if ((m = kTimeout.match(command)).hasMatch()) {
        m_timeout = m.captured(1).toInt();
        return genericNull();
    }
    if (command == QLatin1String("na:1b") || command == QLatin1String("na:0b")) {
        m_native = command.endsWith(QLatin1String("1b"));
        return genericNull();
    }
    return error(QStringLiteral("unscripted agent command: ") + command);
}
