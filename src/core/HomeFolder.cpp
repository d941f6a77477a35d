#include "core/HomeFolder.h"

#include <QDir>
#include <QRegularExpression>
#include <QtGlobal>

QString HomeFolder::filePath(const QString& name) const
{
    if (m_path.endsWith(u'/') || m_path.endsWith(u'\\'))
        return m_path + name;
    return m_path + QDir::separator() + name;
}

QString HomeFolder::expandEnvironment(const QString& text)
{
#ifdef Q_OS_WIN
    static const QRegularExpression pattern(QStringLiteral(R"(%([^%]+)%)"));
#else
    static const QRegularExpression pattern(QStringLiteral(R"(%([^%]+)%|\$\{([A-Za-z_][A-Za-z0-9_]*)\}|\$([A-Za-z_][A-Za-z0-9_]*))"));
#endif
    QString out;
    qsizetype last = 0;
    auto it = pattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QString name;
        for (int g = 1; g <= m.lastCapturedIndex() && name.isEmpty(); ++g)
            name = m.captured(g);
        out += text.mid(last, m.capturedStart() - last);
        if (qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
            out += qEnvironmentVariable(name.toLocal8Bit().constData());
        else
            out += m.captured(0);
        last = m.capturedEnd();
    }
    out += text.mid(last);
    return out.left(4096);
}
