#include "debugger/DebugTexts.h"

#include <QDir>
#include <QFile>

QString DebugTexts::injectQuestion(const QString& server)
{
    return QStringLiteral("Current instance (%1) doesn't contain debugger.\nDo you want to inject it?\n\n"
                          "WARNING: Using debugger can lead to CRASHES and\nHIGH LOAD/SLOW RESPONSE\n\n"
                          "By selecting YES you are confirming that this is\nYOUR OWN DEVELOPER's INSTANCE!")
        .arg(server);
}

QString DebugTexts::prepare(const QString& prefix, const QString& call)
{
    return prefix + QStringLiteral("i[{") + call + QStringLiteral("};()]");
}

QString DebugTexts::step(const QString& prefix, Step step)
{
    switch (step) {
    case Step::Into: return prefix + QStringLiteral("l[]");
    case Step::Over: return prefix + QStringLiteral("next[]");
    case Step::Out: return prefix + QStringLiteral("ef[]");
    case Step::Run: return prefix + QStringLiteral("cont[]");
    case Step::Single: return prefix + QStringLiteral("s[]");
    }
    return QString();
}

QString DebugTexts::addBreakpoint(const QString& prefix, const QString& function, int line)
{
    return prefix + QStringLiteral("ba[%1;%2]").arg(function).arg(line);
}

QString DebugTexts::deleteBreakpoint(const QString& prefix, const QString& function, const QString& line)
{
    return prefix + QStringLiteral("bd[%1;%2]").arg(function, line);
}

QString DebugTexts::handledSignals(const QString& prefix, int count)
{
    return prefix + QStringLiteral("e:%1").arg(count);
}

QString DebugTexts::timeout(const QString& prefix, int seconds)
{
    return prefix + QStringLiteral("timeout:`second$%1").arg(seconds);
}

QString DebugTexts::native(const QString& prefix, bool on)
{
    return prefix + QStringLiteral("na:") + (on ? QStringLiteral("1b") : QStringLiteral("0b"));
}

QString DebugTexts::listing(const QString& prefix, const QString& function)
{
    return prefix + QStringLiteral("pf[") + function + u']';
}

QString DebugTexts::stackValue(const QString& prefix, int index, bool top)
{
    return top ? prefix + QStringLiteral("a`") : prefix + QStringLiteral("st[%1]").arg(index);
}

QString DebugTexts::variable(const QString& prefix, const QString& name, int stackIndex)
{
    if (stackIndex < 0)
        return prefix + QStringLiteral("a`") + name;
    return prefix + QStringLiteral("st[%1][3]`").arg(stackIndex) + name;
}

QString DebugTexts::stateQuery(const QString& prefix, const QString& override)
{
    static const char* const kItems[] = {
        R"({$[4<>type @[-8!;x;`l];\"locked\";x]}each .z.deb.a`.f)",
        R"((enlist .z.deb.psn[5000]),{$[0h<>type x;$[4242<-22!x;.Q.s1[x];x];$[(1#x)~(),`:dbg:fncall;(last where x[2]>=key .z.deb.rfn[x[3][`.f]];{$[4<>type @[-8!;x;`l];\"locked\";x]}x[3;`.f];{$[4242<-22!x;.Q.s1[x];x]} each {$[4<>type @[-8!;x;`l];\"locked\";x]}each x[3];`:dbg:fncall);{$[4242<-22!x;.Q.s1[x];x]} each x]]} each .z.deb.st,enlist (`:dbg:fncall;0x00;.z.deb.n;.z.deb.a))",
        R"(where each {({(key x)!{key x}each {.z.deb.rfn[x]} each key x}x) in' x} 1_.z.deb.bps[])",
        R"({$[4<>type @[-8!;x;`l];\"locked\";x]}each {$[4242<-22!x;.Q.s1[x];x]} each .z.deb.a)",
        ".z.deb.pl[]",
        ".z.deb.c",
        ".z.deb.n",
        ".z.deb.e",
        "`int$.z.deb.timeout",
        ".z.deb.na",
    };
    QString text;
    if (!override.isEmpty()) {
        text = override;
    } else {
        text = QStringLiteral(R"({@[eval;parse x; {"ERROR: '",x}]}each()");
        for (int i = 0; i < 10; ++i) {
            if (i)
                text += u';';
            text += u'"' + QString::fromLatin1(kItems[i]) + u'"';
        }
        text += u')';
    }
    return text.replace(kAgentPrefix, prefix);
}

QString DebugTexts::readOverride(const QString& folder)
{
    QFile file(QDir(folder).filePath(QStringLiteral("debug.txt")));
    if (folder.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QString joined;
    // A few hundred lines at most in practice; a huge file is cut rather
    // than read whole into the query.
    constexpr qint64 kLimit = 1 << 20;
    const QByteArray bytes = file.read(kLimit);
    for (const QByteArray& line : bytes.split('\n'))
        joined += QString::fromUtf8(line).remove(u'\r');
    return joined;
}
