#include "connect/ServerTargets.h"

#include "connect/AuthPlugins.h"
#include "connect/CQHelper.h"
#include "connect/CredentialCache.h"
#include "connect/HeadlessPrompter.h"
#include "core/HomeFolder.h"
#include "core/settings/CDlgQSettings.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

QString ServerTargets::defaultHomeFolder()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!exeDir.isEmpty() && QFileInfo(exeDir).isWritable())
        return exeDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(data);
    return data;
}

QString ServerTargets::namePathOf(const QString& text)
{
    if (text.startsWith(u'`'))
        return text;
    return u'`' + QStringList(text.split(u'/', Qt::SkipEmptyParts)).join(u'`');
}

bool ServerTargets::list(const QString& home, QList<ServerEntry>* entries, QString* error)
{
    const QString path = HomeFolder(home).filePath(QStringLiteral("Servers.cfg"));
    entries->clear();
    if (!QFile::exists(path))
        return true;
    HeadlessPrompter prompter;
    ServerList servers(path, prompter);
    if (!servers.load()) {
        *error = path + QStringLiteral(": ") + servers.errorString();
        return false;
    }
    *entries = servers.entries();
    return true;
}

int ServerTargets::open(const QString& home, const QString& namePath, const Options& options, QString* symbol,
                        QString* error)
{
    QList<ServerEntry> entries;
    if (!list(home, &entries, error))
        return -1;
    // Two entries of one name: the later line wins, as in the window.
    const ServerEntry* found = nullptr;
    for (const ServerEntry& entry : entries)
        if (entry.namePath == namePath)
            found = &entry;
    if (!found) {
        *error = QStringLiteral("no server named ") + namePath + QStringLiteral(" in ")
            + HomeFolder(home).filePath(QStringLiteral("Servers.cfg"));
        return -1;
    }
    *symbol = found->symbol;

    SettingsStore store(options.profile);
    CDlgQSettings q;
    q.load(store);
    if (options.tls)
        q.EnableTLS = true;
    AuthPlugins plugins;
    plugins.scan(home);
    CredentialCache cache;
    HeadlessPrompter prompter;
    SessionContext context{&q, nullptr, &prompter, &plugins, &cache, {}};
    const int timeoutSec = store.readInt(QString::fromLatin1(kept::ConnectTimeoutSec.name), kept::ConnectTimeoutSec.def);
    context.connectCall = [&](const QByteArray& host, int port, const QByteArray& credentials, int timeoutMs,
                              int capability) {
        Q_UNUSED(timeoutMs);
        const int ms = options.timeoutMs >= 0 ? options.timeoutMs : std::clamp(timeoutSec, 0, 86400) * 1000;
        return khpunc(host.constData(), port, credentials.constData(), ms, capability);
    };
    CQHelper session(context);
    const int result = session.open(found->symbol);
    if (!prompter.texts().isEmpty()) {
        // A question or message the window would have shown stops the program.
        if (result > 0)
            session.close();
        *error = prompter.texts().join(u'\n');
        return result > 0 ? -1 : result;
    }
    if (result <= 0) {
        switch (result) {
        case 0: *error = QStringLiteral("access denied"); break;
        case -2: *error = QStringLiteral("timed out"); break;
        case -3: *error = QStringLiteral("TLS set-up failed"); break;
        default: *error = QStringLiteral("cannot connect"); break;
        }
        return result;
    }
    return session.releaseHandle();
}
