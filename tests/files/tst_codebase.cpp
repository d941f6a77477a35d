// The local codebase: which files a walk keeps (the size bound, the NUL
// rule, hidden files, FIFOs, links to folders), the walk order and its stop
// at a file that cannot be opened, and the load on a worker with progress,
// cancel and the finished map handed over.
#include "TestFiles.h"
#include "files/LocalCodebase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace {

using TestFiles::write;

// count small q files spread over folders of ten.
void writeTree(const QTemporaryDir& dir, int count)
{
    for (int i = 0; i < count; ++i)
        QVERIFY(write(dir.filePath(QStringLiteral("d%1/f%2.q").arg(i / 10).arg(i)),
                      QByteArray("f") + QByteArray::number(i) + ":{x+1}\n"));
}

QStringList names(const LocalCodebase::FileMap& files, const QString& root)
{
    QStringList out;
    for (const auto& [path, text] : files)
        out << QDir(root).relativeFilePath(path);
    return out;
}

} // namespace

class TestCodebase : public QObject {
    Q_OBJECT
private slots:
    void fileRules_data();
    void fileRules();
    void oddEntriesAreSkipped();
    void unreadableFileEndsTheWalk();
    void cancelStopsTheWalk();
    void loadOnAWorker();
    void cancelALoad();
};

void TestCodebase::fileRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("text");
    const int mib = 1048576;
    QTest::newRow("ten bytes") << "small.q" << QByteArray("a:{x*2}\r\n;") << true << "a:{x*2}\r\n;";
    QTest::newRow("empty") << "empty.q" << QByteArray() << true << "";
    QTest::newRow("one byte under 1 MiB") << "big.q" << QByteArray(mib - 1, 'x') << true << QString(mib - 1, u'x');
    QTest::newRow("exactly 1 MiB") << "limit.q" << QByteArray(mib, 'x') << false << "";
    QTest::newRow("2 MiB") << "huge.txt" << QByteArray(2 * mib, 'y') << false << "";
    QTest::newRow("first byte NUL") << "nul.q" << QByteArray("\0abc:1\n", 7) << false << "";
    QTest::newRow("NUL late: text up to it") << "late.q" << QByteArray("abc:1\n\0zz", 9) << true << "abc:1\n";
    QTest::newRow("NUL in the first half: binary") << "half.bin" << QByteArray("abc\0defghij", 11) << false << "";
    QTest::newRow("UTF-8") << "utf8.q" << QByteArray("s:\"\xc3\xa9t\xc3\xa9\"\n") << true << "s:\"\u00e9t\u00e9\"\n";
    QTest::newRow("not UTF-8: converted as far as it goes") << "latin1.q" << QByteArray("s:\"\xe9t\xe9\"") << true
                                                            << "s:\"\ufffdt\ufffd\"";
    QTest::newRow("hidden file in a hidden folder") << ".cfg/.hidden.q" << QByteArray("h:1") << true << "h:1";
    QTest::newRow("any extension") << "notes/readme.md" << QByteArray("# notes\n") << true << "# notes\n";
}

void TestCodebase::fileRules()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, kept);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(write(dir.filePath(name), bytes));
    // A ten-byte neighbour is always kept: the rule leaves out one file, not the walk.
    QVERIFY(write(dir.filePath("zz/ten.q"), "t:1234567\n"));
    const LocalCodebase::Walk walk = LocalCodebase::walk(dir.path());
    QVERIFY(walk.failedPath.isEmpty());
    QCOMPARE(walk.filesSeen, 2);
    const QString path = QFileInfo(dir.filePath(name)).absoluteFilePath();
    QCOMPARE(walk.files.count(path) == 1, kept);
    if (kept)
        QCOMPARE(walk.files.at(path), text);
    QCOMPARE(walk.files.at(QFileInfo(dir.filePath("zz/ten.q")).absoluteFilePath()), QStringLiteral("t:1234567\n"));
}

void TestCodebase::oddEntriesAreSkipped()
{
    QTemporaryDir dir;
    QVERIFY(write(dir.filePath("src/a.q"), "a:1\n"));
    QVERIFY(write(dir.filePath("src/lib/b.q"), "b:2\n"));
#if defined(Q_OS_UNIX)
    // A FIFO would block a reader; a link back up the tree would never end.
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("src/pipe.q")).constData(), 0600), 0);
    QVERIFY(QFile::link(dir.path(), dir.filePath("src/lib/up")));
    QVERIFY(QFile::link(dir.filePath("src/a.q"), dir.filePath("src/alias.q")));
#endif
    const LocalCodebase::Walk walk = LocalCodebase::walk(dir.path());
    QStringList expected{"src/a.q", "src/lib/b.q"};
#if defined(Q_OS_UNIX)
    expected.insert(1, "src/alias.q"); // a link to a file is read as the file
#endif
    QCOMPARE(names(walk.files, dir.path()), expected);
    // A root that cannot be listed contributes nothing.
    const LocalCodebase::Walk none = LocalCodebase::walk(dir.filePath("missing"));
    QVERIFY(none.files.empty());
    QVERIFY(none.failedPath.isEmpty());
}

void TestCodebase::unreadableFileEndsTheWalk()
{
    QTemporaryDir dir;
    // Folders a, b, c each hold one file; the walk meets them in listing order.
    QVERIFY(write(dir.filePath("a/first.q"), "f:1\n"));
    QVERIFY(write(dir.filePath("c/last.q"), "l:1\n"));
    const QString locked = dir.filePath("b/locked.q");
    if (!TestFiles::makeUnreadable(locked))
        QSKIP("no file here refuses to be read");
    QStringList order;
    for (const QFileInfo& info : QDir(dir.path()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted))
        order << info.fileName();
    const LocalCodebase::Walk walk = LocalCodebase::walk(dir.path());
    const QString lockedPath = QFileInfo(locked).absoluteFilePath();
    QCOMPARE(walk.failedPath, lockedPath);
    QCOMPARE(walk.failure, QStringLiteral("Access to %1 was denied.").arg(lockedPath));
    // What was read before the failure stays; nothing after it is read.
    QStringList before;
    for (const QString& folder : order) {
        if (folder == "b")
            break;
        before << folder + (folder == "a" ? "/first.q" : "/last.q");
    }
    before.sort();
    QCOMPARE(names(walk.files, dir.path()), before);
}

void TestCodebase::cancelStopsTheWalk()
{
    QTemporaryDir dir;
    writeTree(dir, 250);
    std::atomic<bool> cancel{false};
    QList<int> reports;
    const LocalCodebase::Walk walk = LocalCodebase::walk(dir.path(), &cancel, [&](int seen, qint64 bytes) {
        reports << seen;
        QVERIFY(bytes > 0);
        cancel = true;
    });
    QVERIFY(walk.cancelled);
    QCOMPARE(reports, QList<int>{LocalCodebase::kProgressEvery});
    QCOMPARE(walk.filesSeen, LocalCodebase::kProgressEvery);
    QCOMPARE(int(walk.files.size()), LocalCodebase::kProgressEvery);
}

void TestCodebase::loadOnAWorker()
{
    QTemporaryDir dir;
    writeTree(dir, 250);
    LocalCodebase codebase;
    QSignalSpy progress(&codebase, &LocalCodebase::progress);
    QSignalSpy changed(&codebase, &LocalCodebase::changed);
    QSignalSpy finished(&codebase, &LocalCodebase::finished);
    QVERIFY(codebase.load(dir.path()));
    QVERIFY(codebase.isLoading());
    QVERIFY(codebase.isEmpty());
    QCOMPARE(codebase.root(), dir.path());
    QVERIFY(!codebase.load(dir.path())); // one load at a time
    QVERIFY(finished.wait(20000));
    QVERIFY(!codebase.isLoading());
    QCOMPARE(finished.at(0).at(0).value<LocalCodebase::Outcome>(), LocalCodebase::Outcome::Loaded);
    QCOMPARE(int(codebase.files().size()), 250);
    QCOMPARE(codebase.files().at(QFileInfo(dir.filePath("d12/f123.q")).absoluteFilePath()), QStringLiteral("f123:{x+1}\n"));
    // Every hundred files, then the total.
    QList<int> seen;
    for (const QList<QVariant>& report : progress)
        seen << report.at(0).toInt();
    QCOMPARE(seen, (QList<int>{100, 200, 250}));
    QCOMPARE(changed.count(), 2); // emptied, then filled
    // A second load starts empty again.
    QVERIFY(codebase.load(dir.filePath("d0")));
    QVERIFY(codebase.isEmpty());
    QVERIFY(finished.wait(20000));
    QCOMPARE(int(codebase.files().size()), 10);
}

void TestCodebase::cancelALoad()
{
    QTemporaryDir dir;
    writeTree(dir, 3000);
    LocalCodebase codebase;
    QSignalSpy finished(&codebase, &LocalCodebase::finished);
    QVERIFY(codebase.load(dir.path()));
    codebase.cancel();
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).value<LocalCodebase::Outcome>(), LocalCodebase::Outcome::Cancelled);
    QVERIFY(codebase.files().size() < 3000);
    QVERIFY(!codebase.isLoading());
    // Cancelled or not, the next load runs whole.
    QVERIFY(codebase.load(dir.path()));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(1).at(0).value<LocalCodebase::Outcome>(), LocalCodebase::Outcome::Loaded);
    QCOMPARE(int(codebase.files().size()), 3000);
    // The owner may go while its worker reads: the worker stops and nothing
    // reaches the gone owner (the sanitizer build checks).
    auto gone = std::make_unique<LocalCodebase>();
    QVERIFY(gone->load(dir.path()));
    gone.reset();
    QCoreApplication::processEvents();
}

QTEST_GUILESS_MAIN(TestCodebase)
#include "tst_codebase.moc"
