// The system's own files: bounded reads of regular files only, whole
// replacement that keeps permissions and follows links, private files, and
// the private temporary folder of a session.
#include "core/files/PrivateTempFolder.h"
#include "core/files/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace {

constexpr QFileDevice::Permissions kOwnerRw = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

bool writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// What group and others may do, ignoring Qt's "user" bits.
QFileDevice::Permissions othersOf(const QString& path) { return QFile::permissions(path) & kOthers; }

} // namespace

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    void readsOnlyRegularFilesWithinTheBound();
    void replaceKeepsPermissionsAndFollowsLinks();
    void replaceLeavesNoTemporaryFiles();
    void newPrivateFilesAreOwnerOnly();
    void makePrivateNarrowsAnOpenFile();
    void appendCreatesPrivateLog();
    void newFilesFollowTheUmask_data();
    void newFilesFollowTheUmask();
    void tempFolderIsPrivateAndGoesAway();
};

void TestFiles::readsOnlyRegularFilesWithinTheBound()
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain"));
    QVERIFY(writeRaw(plain, "0123456789"));
    QByteArray bytes;
    QString error;
    QVERIFY(SafeFile::read(plain, 10, &bytes, &error));
    QCOMPARE(bytes, QByteArray("0123456789"));
    QVERIFY(!SafeFile::read(plain, 9, &bytes, &error));
    QVERIFY(error.contains(QStringLiteral("larger")));
    QVERIFY(bytes.isEmpty());

    QVERIFY(!SafeFile::read(dir.path(), 1000, &bytes, &error));
    QCOMPARE(error, QStringLiteral("not a regular file"));
    QVERIFY(!SafeFile::read(dir.filePath(QStringLiteral("missing")), 1000, &bytes, &error));
    QVERIFY(SafeFile::isRegular(plain));
    QVERIFY(!SafeFile::isRegular(dir.path()));
#ifndef Q_OS_WIN
    // A FIFO would block the reader for ever; a link to an endless device would never end.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!SafeFile::isRegular(fifo));
    QVERIFY(!SafeFile::read(fifo, 1000, &bytes, &error));
    QCOMPARE(error, QStringLiteral("not a regular file"));
    const QString zero = dir.filePath(QStringLiteral("zero"));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
    QVERIFY(!SafeFile::read(zero, 1 << 20, &bytes, &error));
    QCOMPARE(error, QStringLiteral("not a regular file"));
    // A link to a regular file reads as the file.
    const QString link = dir.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(plain, link));
    QVERIFY(SafeFile::read(link, 100, &bytes, &error));
    QCOMPARE(bytes, QByteArray("0123456789"));
#endif
}

void TestFiles::replaceKeepsPermissionsAndFollowsLinks()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.cfg"));
    QVERIFY(writeRaw(real, "old\r\n"));
    QVERIFY(QFile::setPermissions(real, kOwnerRw));
    QString error;
    QVERIFY2(SafeFile::replace(real, "new\r\n", SafeFile::Access::Default, &error), qPrintable(error));
    QCOMPARE(readRaw(real), QByteArray("new\r\n"));
    QCOMPARE(othersOf(real), QFileDevice::Permissions());

#ifndef Q_OS_WIN
    // A group-readable file stays group-readable: the user chose that.
    QVERIFY(QFile::setPermissions(real, kOwnerRw | QFileDevice::ReadGroup));
    QVERIFY(SafeFile::replace(real, "again\r\n", SafeFile::Access::Private, &error));
    QCOMPARE(othersOf(real), QFileDevice::Permissions(QFileDevice::ReadGroup));
    QVERIFY(QFile::setPermissions(real, kOwnerRw));

    // Through a link (itself in another folder): the target is rewritten, the link stays a link.
    QTemporaryDir other;
    const QString link = other.filePath(QStringLiteral("Servers.cfg"));
    QVERIFY(QFile::link(real, link));
    QVERIFY2(SafeFile::replace(link, "via link\r\n", SafeFile::Access::Private, &error), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readRaw(real), QByteArray("via link\r\n"));
    QCOMPARE(othersOf(real), QFileDevice::Permissions());
    QCOMPARE(QDir(other.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList {QStringLiteral("Servers.cfg")});

    // A FIFO is never replaced by a plain file.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!SafeFile::replace(fifo, "x", SafeFile::Access::Private, &error));
    QVERIFY(!QFileInfo(fifo).isFile());
#endif
}

void TestFiles::replaceLeavesNoTemporaryFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Servers.cfg"));
    QString error;
    for (int i = 0; i < 5; ++i)
        QVERIFY(SafeFile::replace(path, QByteArray::number(i), SafeFile::Access::Private, &error));
    QCOMPARE(readRaw(path), QByteArray("4"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList {QStringLiteral("Servers.cfg")});
    // A folder that cannot be written: the target is left as it was.
#ifndef Q_OS_WIN
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool refused = !SafeFile::replace(path, "lost", SafeFile::Access::Private, &error);
    QVERIFY(QFile::setPermissions(dir.path(), kOwnerRw | QFileDevice::ExeOwner));
    if (::geteuid() != 0) {
        QVERIFY(refused);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readRaw(path), QByteArray("4"));
    }
#endif
}

void TestFiles::newPrivateFilesAreOwnerOnly()
{
    QTemporaryDir dir;
    QString error;
    const QString privateFile = dir.filePath(QStringLiteral("Servers.cfg"));
    QVERIFY(SafeFile::replace(privateFile, "`:h:1:u:secret`x", SafeFile::Access::Private, &error));
    QCOMPARE(othersOf(privateFile), QFileDevice::Permissions());
    const QString ensured = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(SafeFile::ensure(ensured, SafeFile::Access::Private, &error));
    QVERIFY(QFileInfo(ensured).isFile());
    QCOMPARE(QFileInfo(ensured).size(), 0);
    QCOMPARE(othersOf(ensured), QFileDevice::Permissions());
}

void TestFiles::makePrivateNarrowsAnOpenFile()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX permissions");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tovo.conf"));
    QVERIFY(writeRaw(path, "[Custom]\nActiveServer=`:h:1:u:secret\n"));
    QVERIFY(QFile::setPermissions(path, kOwnerRw | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QString error;
    // ensure() only creates: an existing file keeps what the user gave it.
    QVERIFY(SafeFile::ensure(path, SafeFile::Access::Private, &error));
    QCOMPARE(othersOf(path), QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QVERIFY(SafeFile::makePrivate(path, &error));
    QCOMPARE(othersOf(path), QFileDevice::Permissions());
    QCOMPARE(readRaw(path), QByteArray("[Custom]\nActiveServer=`:h:1:u:secret\n"));
#endif
}

void TestFiles::appendCreatesPrivateLog()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("queries_2026.01.02.log"));
    QString error;
    QVERIFY(SafeFile::append(path, "a\n", SafeFile::Access::Private, &error));
    QVERIFY(SafeFile::append(path, "b\n", SafeFile::Access::Private, &error));
    QCOMPARE(readRaw(path), QByteArray("a\nb\n"));
    QCOMPARE(othersOf(path), QFileDevice::Permissions());
    QVERIFY(!SafeFile::append(dir.filePath(QStringLiteral("no/such/folder/x.log")), "c", SafeFile::Access::Private,
                              &error));
    QVERIFY(!error.isEmpty());
}

void TestFiles::newFilesFollowTheUmask_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("isPrivate");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode");
    for (const char* op : {"replace", "append", "ensure"}) {
        // Default: read and write for everyone less the umask.
        QTest::addRow("%s, default, 022", op) << op << false << 022 << 0644;
        QTest::addRow("%s, default, 077", op) << op << false << 077 << 0600;
        QTest::addRow("%s, default, 000", op) << op << false << 000 << 0666;
        // Private: the owner's alone, whatever the umask allows.
        QTest::addRow("%s, private, 000", op) << op << true << 000 << 0600;
        QTest::addRow("%s, private, 022", op) << op << true << 022 << 0600;
    }
}

void TestFiles::newFilesFollowTheUmask()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX permissions");
#else
    QFETCH(QString, operation);
    QFETCH(bool, isPrivate);
    QFETCH(int, umask);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.cfg"));
    const SafeFile::Access access = isPrivate ? SafeFile::Access::Private : SafeFile::Access::Default;
    QString error;
    const mode_t old = ::umask(mode_t(umask));
    const bool ok = operation == QLatin1String("replace") ? SafeFile::replace(path, "x\n", access, &error)
        : operation == QLatin1String("append")            ? SafeFile::append(path, "x\n", access, &error)
                                                          : SafeFile::ensure(path, access, &error);
    ::umask(old);
    QVERIFY2(ok, qPrintable(error));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(QString::number(st.st_mode & 0777, 8), QString::number(mode, 8));
    // Nothing is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"new.cfg"});
#endif
}

void TestFiles::tempFolderIsPrivateAndGoesAway()
{
    QTemporaryDir parent;
    QString folderPath, first, second;
    {
        PrivateTempFolder folder(parent.path());
        QVERIFY(!folder.exists()); // nothing is made until a file is needed
        QCOMPARE(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
        QString error;
        first = folder.writeFile(QStringLiteral("tovoRes"), QStringLiteral("html"), "<html>one", &error);
        QVERIFY2(!first.isEmpty(), qPrintable(error));
        second = folder.writeFile(QStringLiteral("tovoRes"), QStringLiteral("html"), "\xEF\xBB\xBF", 3, "<html>two", 9,
                                  &error);
        QVERIFY(!second.isEmpty());
        folderPath = folder.path();
        QVERIFY(first != second);
        QCOMPARE(QFileInfo(first).absolutePath(), QFileInfo(folderPath).absoluteFilePath());
        QVERIFY(QFileInfo(first).fileName().startsWith(QStringLiteral("tovoRes")));
        QVERIFY(first.endsWith(QStringLiteral(".html")));
        // At least 12 random characters between the prefix and the suffix.
        QVERIFY(QFileInfo(first).fileName().size() >= int(sizeof "tovoRes.html") - 1 + 12);
        QCOMPARE(readRaw(first), QByteArray("<html>one"));
        QCOMPARE(readRaw(second), QByteArray("\xEF\xBB\xBF<html>two"));
#ifndef Q_OS_WIN
        QCOMPARE(othersOf(folderPath), QFileDevice::Permissions());
        QCOMPARE(othersOf(first), QFileDevice::Permissions());
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(folderPath).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
#endif
        // Another session's folder is a different one.
        PrivateTempFolder another(parent.path());
        QVERIFY(another.path() != folderPath);
    }
    QVERIFY(!QFileInfo::exists(first));
    QVERIFY(!QFileInfo::exists(second));
    QVERIFY(!QFileInfo::exists(folderPath));
    QCOMPARE(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
