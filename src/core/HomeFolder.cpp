#include "core/HomeFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtGlobal>

QString HomeFolder::filePath(const QString& name) const
{
    if (m_path.endsWith(u'/') || m_path.endsWith(u'\\'))
        return m_path + name;
    return m_path + QDir::separator() + name;
}

bool HomeFolder::ensureExists(QString* error) const
{
    const QFileInfo info(m_path);
    if (info.isDir())
        return true;
    if (m_path.isEmpty() || info.exists()) {
        *error = m_path.isEmpty() ? QStringLiteral("no path") : QStringLiteral("not a folder");
        return false;
    }
    // Made from the top down; every folder made here is the user's alone.
    QStringList missing;
    QString folder = QDir::cleanPath(QDir(m_path).absolutePath());
    while (!QFileInfo::exists(folder) && missing.size() < 64) {
        missing.prepend(folder);
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    constexpr QFileDevice::Permissions kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner
        | QFileDevice::ExeOwner;
    for (const QString& folder : missing) {
        if (!QDir().mkdir(folder, kPrivate) && !QFileInfo(folder).isDir()) {
            *error = QStringLiteral("cannot create ") + folder;
            return false;
        }
    }
    if (!QFileInfo(m_path).isDir()) {
        *error = QStringLiteral("cannot create the folder");
        return false;
    }
    return true;
}

QString HomeFolder::unavailableText(const QString& path, const QString& error)
{
    return QStringLiteral("Home folder %1 is not available (%2): the server list and query logs are not kept")
        .arg(QDir::toNativeSeparators(path), error);
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
