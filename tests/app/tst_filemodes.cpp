// Permissions of the files Tovo writes: a saved script, Watches.cfg and
// graph.cfg follow the user's umask; the server list, a query log and the
// settings file hold credentials and are the owner's alone whatever the
// umask; rewriting a file keeps the permissions it had.
#include "chart/GraphConfig.h"
#include "connect/ServerList.h"
#include "core/HomeFolder.h"
#include "core/settings/SettingsStore.h"
#include "editor/CDocEditor.h"
#include "editor/CTovoDoc.h"
#include "query/QueryLog.h"
#include "watch/WatchFile.h"

#include "ScriptedPrompter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/types.h>

namespace {

struct PlainEditor : CDocEditor {
    QString text = QStringLiteral("a:1\rb:2\r");
    bool modified = false;
    QString documentText() const override { return text; }
    void replaceDocumentText(const QString& t) override { text = t; }
    void loadDocumentText(const QString& t) override { text = t; }
    bool isDocumentModified() const override { return modified; }
    void setDocumentModified(bool m) override { modified = m; }
};

// The umask for the life of the object.
class Umask {
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t m_old;
};

int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Writes the kind of file in folder the way Tovo does; its path, or empty
// when writing failed.
QString write(const QString& kind, const QString& folder, int generation)
{
    const QDir dir(folder);
    ScriptedPrompter prompter;
    if (kind == QLatin1String("script")) {
        PlainEditor editor;
        editor.text += QString::number(generation);
        CTovoDoc doc(editor);
        const QString path = dir.filePath(QStringLiteral("trade.q"));
        return doc.save(path, 1, prompter) == CTovoDoc::SaveResult::Saved ? path : QString();
    }
    if (kind == QLatin1String("Watches.cfg")) {
        const QString path = dir.filePath(kind);
        QString error;
        WatchItem item;
        item.expression = QStringLiteral("x%1").arg(generation);
        return WatchFile::save(path, {item}, &error) ? path : QString();
    }
    if (kind == QLatin1String("Watches.cfg at start")) {
        // Loading creates the file empty when it is missing.
        const QString path = dir.filePath(QStringLiteral("Watches.cfg"));
        return WatchFile::load(path).ok ? path : QString();
    }
    if (kind == QLatin1String("graph.cfg")) {
        const QString path = dir.filePath(kind);
        return GraphConfig::save(path, {0xff0000u + QRgb(generation), 0x00ff00u}) ? path : QString();
    }
    if (kind == QLatin1String("Servers.cfg")) {
        const QString path = dir.filePath(kind);
        ServerList list(path, prompter);
        list.load();
        return list.save(QStringLiteral("s%1").arg(generation), QStringLiteral("`:127.0.0.1:5001:u:secret"), QString(), 0)
                == ServerList::Result::Done
            ? path
            : QString();
    }
    if (kind == QLatin1String("query log")) {
        QueryLog log(HomeFolder(folder), prompter);
        const QDateTime now(QDate(2026, 1, 2), QTime(10, 0));
        return log.log(QStringLiteral("`:127.0.0.1:5001:u:secret"), QStringLiteral("trade.q"), QStringLiteral("til 3"), now)
            ? dir.filePath(QueryLog::fileName(now.date()))
            : QString();
    }
    if (kind == QLatin1String("settings")) {
        const QString path = dir.filePath(QStringLiteral("Tovo.ini"));
        SettingsStore store(path, QString());
        store.writeCustomText(QStringLiteral("ActiveServer"), QStringLiteral("`:127.0.0.1:5001:u:secret%1").arg(generation));
        store.sync();
        return path;
    }
    return QString();
}

} // namespace

class TestFileModes : public QObject {
    Q_OBJECT
private slots:
    void newFilesFollowTheUmask_data();
    void newFilesFollowTheUmask();
    void rewritesKeepThePermissions_data();
    void rewritesKeepThePermissions();
};

void TestFileModes::newFilesFollowTheUmask_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode");
    for (const char* kind : {"script", "Watches.cfg", "Watches.cfg at start", "graph.cfg"}) {
        QTest::addRow("%s, umask 022", kind) << kind << 022 << 0644;
        QTest::addRow("%s, umask 077", kind) << kind << 077 << 0600;
        QTest::addRow("%s, umask 002", kind) << kind << 002 << 0664;
    }
    // Credentials: never readable by others, even under a permissive umask.
    for (const char* kind : {"Servers.cfg", "query log", "settings"}) {
        QTest::addRow("%s, umask 022", kind) << kind << 022 << 0600;
        QTest::addRow("%s, umask 000", kind) << kind << 000 << 0600;
    }
}

void TestFileModes::newFilesFollowTheUmask()
{
    QFETCH(QString, kind);
    QFETCH(int, umask);
    QFETCH(int, mode);
    QTemporaryDir dir;
    QString path;
    {
        const Umask mask(mode_t(umask & 0777));
        path = write(kind, dir.path(), 0);
    }
    QVERIFY2(!path.isEmpty(), qPrintable(kind));
    QCOMPARE(QString::number(modeOf(path), 8), QString::number(mode, 8));
}

void TestFileModes::rewritesKeepThePermissions_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    for (const char* kind : {"script", "Watches.cfg", "graph.cfg", "Servers.cfg", "query log"}) {
        QTest::addRow("%s at 0640", kind) << kind << 0640;
        QTest::addRow("%s at 0600", kind) << kind << 0600;
    }
    QTest::addRow("script at 0664") << "script" << 0664;
}

void TestFileModes::rewritesKeepThePermissions()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const Umask mask(022);
    const QString path = write(kind, dir.path(), 0);
    QVERIFY(!path.isEmpty());
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
    const QByteArray before = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QCOMPARE(write(kind, dir.path(), 1), path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY2(f.readAll() != before, "the file was not rewritten");
    QCOMPARE(QString::number(modeOf(path), 8), QString::number(mode, 8));
}

QTEST_GUILESS_MAIN(TestFileModes)
#include "tst_filemodes.moc"
