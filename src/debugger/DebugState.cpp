#include "debugger/DebugState.h"

#include <QRegularExpression>

namespace {

QString stringOf(K x)
{
    if (!x || x->t != KC)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(kG(x)), int(x->n));
}

bool isString(K x)
{
    return x && x->t == KC;
}

bool isErrorText(K x)
{
    return isString(x) && stringOf(x).startsWith(QStringLiteral("ERROR: '"));
}

bool intOf(K x, long long& out)
{
    if (!x)
        return false;
    switch (x->t) {
    case -KJ: out = x->j; return true;
    case -KI: out = x->i; return true;
    case -KH: out = x->h; return true;
    case -KB: out = x->g; return true;
    default: return false;
    }
}

bool isSymbol(K x, const char* name)
{
    return x && x->t == -KS && x->s && qstrcmp(x->s, name) == 0;
}

bool isGenericNull(K x)
{
    return x && x->t == 101 && x->g == 0;
}

// Item i of a list as a value of its own (a typed list's item as an atom).
KPtr itemOf(K list, J i)
{
    switch (list->t) {
    case 0: return KPtr(r1(kK(list)[i]));
    case KB: return KPtr(kb(kG(list)[i]));
    case KG: { K x = ka(-KG); x->g = kG(list)[i]; return KPtr(x); }
    case KH: return KPtr(kh(kH(list)[i]));
    case KI: return KPtr(ki(kI(list)[i]));
    case KJ: return KPtr(kj(kJ(list)[i]));
    case KE: return KPtr(ke(kE(list)[i]));
    case KF: return KPtr(kf(kF(list)[i]));
    case KC: return KPtr(kc(kC(list)[i]));
    case KS: return KPtr(ks(kS(list)[i]));
    default: return KPtr(r1(list));
    }
}

QString collapseBlanks(QString text)
{
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    return text;
}

} // namespace

std::pair<int, int> DebugState::byteSelection() const
{
    if (byteIndex < 0 || 2 * byteIndex + 4 > byteCode.size())
        return {-1, -1};
    return {2 * byteIndex + 2, 2 * byteIndex + 4};
}

QString DebugState::breakpointSet() const
{
    QString set = QStringLiteral(";");
    for (const DebugBreakpoint& b : breakpoints)
        if (b.function == function)
            set += QString::number(b.line) + u';';
    return set;
}

int DebugStateParser::currentLine(const QString& text)
{
    static const QString kLead = QStringLiteral("Current line: ");
    const int at = text.indexOf(kLead);
    if (at < 0)
        return -1;
    const int from = at + int(kLead.size());
    const int colon = text.indexOf(u':', from);
    bool ok = false;
    const int n = text.mid(from, colon < 0 ? -1 : colon - from).trimmed().toInt(&ok);
    return ok ? n : -1;
}

QList<DebugVariable> DebugStateParser::variables(K frame, const Render& render)
{
    QList<DebugVariable> out;
    if (!frame || frame->t != XD)
        return out;
    K keys = kK(frame)[0], values = kK(frame)[1];
    if (!keys || keys->t != KS || !values || values->n != keys->n)
        return out;
    for (J i = 0; i < keys->n; ++i) {
        DebugVariable v;
        v.name = QString::fromUtf8(kS(keys)[i]);
        v.internal = v.name.startsWith(u'.');
        v.value = render(itemOf(values, i).get());
        out << v;
    }
    return out;
}

bool DebugStateParser::parse(K reply, const Render& render, DebugState& state)
{
    if (!reply || reply->t != 0 || reply->n != 10)
        return false;
    state = DebugState();
    state.itemErrors = QStringList(10, QString());
    K* items = kK(reply);
    for (int i = 0; i < 10; ++i)
        if (isErrorText(items[i]))
            state.itemErrors[i] = stringOf(items[i]);

    // 0: the current function, or "locked".
    if (state.itemErrors[0].isEmpty() && items[0]) {
        if (isString(items[0])) {
            state.function = stringOf(items[0]);
        } else {
            state.function = render(items[0]);
            state.functionKnown = items[0]->t == 100;
        }
    } else {
        state.function = state.itemErrors[0];
    }

    // 1: the printed stack, then every stack entry, the current frame last.
    K stack = items[1];
    if (state.itemErrors[1].isEmpty() && stack && stack->t == 0 && stack->n > 0) {
        DebugStackEntry printed;
        printed.kind = DebugStackEntry::Printed;
        printed.text = DebugAnswer::lines(kK(stack)[0], render).join(u'\n');
        state.stack << printed;
        for (J i = 1; i < stack->n; ++i) {
            K x = kK(stack)[i];
            const bool top = i == stack->n - 1;
            if (!top && isGenericNull(x))
                continue; // the free part of the agent's stack
            DebugStackEntry e;
            e.stackIndex = top ? -1 : int(i - 1);
            e.top = top;
            long long line = -1;
            if (x && x->t == 0 && x->n == 4 && isSymbol(kK(x)[3], ":dbg:fncall") && intOf(kK(x)[0], line)) {
                e.kind = DebugStackEntry::Call;
                e.line = int(line);
                K fn = kK(x)[1];
                e.function = isString(fn) ? stringOf(fn) : render(fn);
                e.frame = KPtr(kK(x)[2] ? r1(kK(x)[2]) : nullptr);
            } else {
                e.kind = DebugStackEntry::Value;
                e.text = collapseBlanks(isString(x) ? stringOf(x) : render(x));
            }
            state.stack << e;
        }
    }

    // 2: statement numbers with a breakpoint, per function.
    K bps = items[2];
    if (state.itemErrors[2].isEmpty() && bps && bps->t == XD) {
        K keys = kK(bps)[0], values = kK(bps)[1];
        const J n = keys && values ? std::min(keys->n, values->n) : 0;
        for (J i = 0; i < n && keys->t == 0 && values->t == 0; ++i) {
            const QString fn = render(kK(keys)[i]);
            K lines = kK(values)[i];
            for (J j = 0; lines && lines->t == KJ && j < lines->n; ++j)
                state.breakpoints << DebugBreakpoint{fn, int(kJ(lines)[j])};
            for (J j = 0; lines && lines->t == KI && j < lines->n; ++j)
                state.breakpoints << DebugBreakpoint{fn, kI(lines)[j]};
        }
    }

    // 3: the current frame's arguments, locals and own entries.
    if (state.itemErrors[3].isEmpty())
        state.variables = variables(items[3], render);

    // 4: the current line.
    if (state.itemErrors[4].isEmpty())
        state.currentLine = currentLine(isString(items[4]) ? stringOf(items[4]) : QString());

    // 5, 6: the byte code and the index of the current byte.
    if (state.itemErrors[5].isEmpty() && items[5] && items[5]->t == KG)
        state.byteCode = render(items[5]);
    long long v = 0;
    if (state.itemErrors[6].isEmpty() && intOf(items[6], v))
        state.byteIndex = int(v);
    if (state.itemErrors[7].isEmpty() && intOf(items[7], v))
        state.handledSignals = int(v);
    if (state.itemErrors[8].isEmpty() && intOf(items[8], v))
        state.timeoutSec = int(v);
    if (state.itemErrors[9].isEmpty() && items[9] && items[9]->t == -KB)
        state.native = items[9]->g ? 1 : 0;
    return true;
}

QStringList DebugAnswer::lines(K answer, const DebugStateParser::Render& render)
{
    if (!answer)
        return {};
    if (isString(answer))
        return stringOf(answer).split(u'\n');
    if (answer->t == 0) {
        bool allStrings = answer->n > 0;
        for (J i = 0; i < answer->n && allStrings; ++i)
            allStrings = isString(kK(answer)[i]) || (kK(answer)[i] && kK(answer)[i]->t == -KC);
        if (allStrings) {
            QStringList out;
            for (J i = 0; i < answer->n; ++i) {
                K s = kK(answer)[i];
                out << (isString(s) ? stringOf(s) : QString(QChar::fromLatin1(s->g)));
            }
            return out;
        }
    }
    return render(answer).split(u'\n');
}

DebugAnswer DebugAnswer::from(K answer, const DebugStateParser::Render& render)
{
    DebugAnswer a;
    if (!answer) {
        a.text = QStringLiteral("Query returned NULL");
        return a;
    }
    if (answer->t == 0 && answer->n > 0 && isString(kK(answer)[0])) {
        a.text = lines(answer, render).join(u'\n');
    } else {
        a.text = render(answer);
        if (a.text.size() >= 3 && a.text.startsWith(u'"') && a.text.endsWith(u'"'))
            a.text = a.text.mid(1, a.text.size() - 2);
    }
    a.exception = a.text.startsWith(QStringLiteral("Exception"));
    return a;
}
