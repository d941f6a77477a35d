// The search-files dialog: reading a folder (the NUL rule, the size bound,
// the mask, no sub-folders, no FIFOs), the tree of a fill (filters, root
// folder, sorting of logs and of automatic saves, function items, the
// selection kept across fills), and the dialog over a real folder.
#include "files/CDlgRemoteFiles.h"
#include "files/LocalCodebase.h"
#include "files/CDlgViewLogs.h"
#include "files/CodebaseMatch.h"
#include "files/SearchFiles.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace {

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The tree as indented lines: "text" per node, two blanks a level.
QString outline(const SearchFiles::Node& node, int depth = 0)
{
    QString out = QString(depth * 2, u' ') + node.text + u'\n';
    for (const SearchFiles::Node& child : node.children)
        out += outline(child, depth + 1);
    return out;
}

} // namespace

class TestSearchFiles : public QObject {
    Q_OBJECT
private slots:
    void acceptedText_data();
    void acceptedText();
    void loadReadsMatchingRegularFiles();
    void filters_data();
    void filters();
    void containsIgnoringCase_data();
    void containsIgnoringCase();
    void logsNewestFirstAndSavesByDocumentName();
    void functionsAndKeptSelection();
    void dialogOverAFolder();
    void dialogItemsAndFilters();
    void unreadableFileEndsTheLoad();
    void counterparts();
    void remoteInventory();
};

void TestSearchFiles::acceptedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QByteArray("a:1\n") << true << "a:1\n";
    QTest::newRow("utf-8") << QByteArray("s:\"\xc3\xa9\"") << true << "s:\"\u00e9\"";
    QTest::newRow("empty") << QByteArray() << true << "";
    QTest::newRow("NUL late: text up to it") << QByteArray("abcdef\0x", 8) << true << "abcdef";
    QTest::newRow("NUL early: binary") << QByteArray("a\0bcdefgh", 9) << false << "";
}

void TestSearchFiles::acceptedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, kept);
    QFETCH(QString, text);
    const std::optional<QString> got = SearchFiles::acceptedText(bytes);
    QCOMPARE(got.has_value(), kept);
    if (kept)
        QCOMPARE(*got, text);
}

void TestSearchFiles::loadReadsMatchingRegularFiles()
{
    QTemporaryDir dir;
    QVERIFY(write(dir.filePath("queries_2026.12.01.log"), "a:1\n"));
    QVERIFY(write(dir.filePath("queries_2026.12.02.log"), "b:2\n"));
    QVERIFY(write(dir.filePath("other.log"), "c:3\n"));
    QVERIFY(write(dir.filePath("queries_big.log"), QByteArray(SearchFiles::kMaxFileBytes, 'x')));
    QVERIFY(QDir(dir.path()).mkpath("queries_sub.log"));
    QVERIFY(write(dir.filePath("queries_sub.log/queries_inner.log"), "d:4\n"));
#if defined(Q_OS_UNIX)
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("queries_fifo.log")).constData(), 0600), 0);
#endif
    const SearchFiles::FileMap files = SearchFiles::load(dir.path(), QStringLiteral("queries_*.log"));
    QStringList names;
    for (const auto& [path, text] : files)
        names << QFileInfo(path).fileName() + u'=' + text.trimmed();
    QCOMPARE(names, QStringList({"queries_2026.12.01.log=a:1", "queries_2026.12.02.log=b:2"}));
}

void TestSearchFiles::filters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("nameCase");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("bodyCase");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("none") << "" << false << "" << false << QStringList({"b.q", "a.q", "c.q"});
    QTest::newRow("name, any case") << "A.Q" << false << "" << false << QStringList({"a.q"});
    QTest::newRow("name, match case") << "A.Q" << true << "" << false << QStringList();
    QTest::newRow("body, any case") << "" << false << "SELECT" << false << QStringList({"b.q", "a.q"});
    QTest::newRow("body, match case") << "" << false << "select" << true << QStringList({"a.q"});
    QTest::newRow("both") << "b" << false << "select" << false << QStringList({"b.q"});
}

void TestSearchFiles::containsIgnoringCase_data()
{
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("found");
    QTest::newRow("ascii, other case") << "x: select from t" << "SELECT From" << false << true;
    QTest::newRow("ascii, match case") << "x: select from t" << "SELECT" << true << false;
    QTest::newRow("ascii, absent") << "x: select from t" << "update" << false << false;
    QTest::newRow("empty needle") << "" << "" << false << true;
    // Beyond ASCII the texts compare in their upper-case forms.
    QTest::newRow("sharp s upper-cases to SS") << "/ stra\u00dfe" << "STRASSE" << false << true;
    QTest::newRow("accented needle") << "caf\u00e9 au lait" << "CAF\u00c9" << false << true;
    QTest::newRow("accented, absent") << "caf\u00e9" << "cafe" << false << false;
}

void TestSearchFiles::containsIgnoringCase()
{
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(bool, found);
    QCOMPARE(SearchFiles::contains(haystack, needle, matchCase), found);
}

void TestSearchFiles::filters()
{
    QFETCH(QString, name);
    QFETCH(bool, nameCase);
    QFETCH(QString, body);
    QFETCH(bool, bodyCase);
    QFETCH(QStringList, listed);
    const SearchFiles::FileMap files{{"/w/x/a.q", "select from t"}, {"/w/x/b.q", "SELECT 1"}, {"/w/x/c.q", "1+1"}};
    SearchFiles::Filter filter{name, nameCase, body, bodyCase};
    const SearchFiles::Layout layout = SearchFiles::layout("Query Logs", files, filter, {}, {}, {}, {});
    QCOMPARE(layout.root.text, QStringLiteral("Query Logs /w/x"));
    QStringList got;
    for (const SearchFiles::Node& n : layout.root.children)
        got << n.text;
    // Query logs are listed by full path, newest (greatest) first.
    QStringList expected = listed;
    std::sort(expected.begin(), expected.end(), std::greater<>());
    QCOMPARE(got, expected);
    QCOMPARE(layout.files, int(listed.size()));
}

void TestSearchFiles::logsNewestFirstAndSavesByDocumentName()
{
    const SearchFiles::FileMap logs{{"/h/queries_2026.01.02.log", "x"},
                                    {"/h/queries_2026.12.01.log", "y"},
                                    {"/h/queries_2025.06.30.log", "z"}};
    const SearchFiles::Layout l = SearchFiles::layout("Query Logs", logs, {}, {}, {}, {}, {});
    QCOMPARE(outline(l.root), QStringLiteral("Query Logs /h\n  queries_2026.12.01.log\n  queries_2026.01.02.log\n"
                                             "  queries_2025.06.30.log\n"));
    // The first file listed is chosen, in path order, not the first shown.
    QCOMPARE(l.selectedPath, QStringLiteral("/h/queries_2025.06.30.log"));
    // Automatic saves: 32 characters, a dot, the document's name; sorted by that name.
    const QString id(32, u'f');
    const QString other(32, u'0');
    const SearchFiles::FileMap saves{{"/d/" + other + ".zeta.q", "1"},
                                     {"/d/" + id + ".report.q", "2"},
                                     {"/d/alpha.q", "3"}};
    const SearchFiles::Layout s = SearchFiles::layout("Temp Saved Files", saves, {}, {}, {}, {}, {});
    QStringList order;
    for (const SearchFiles::Node& n : s.root.children)
        order << SearchFiles::sortName(n.path);
    QCOMPARE(order, QStringList({"alpha.q", "report.q", "zeta.q"}));
    // Sub-folders and no common folder.
    const SearchFiles::FileMap nested{{"/r/a/x.q", "1"}, {"/r/b/y.q", "2"}, {"/r/A/z.q", "3"}};
    QCOMPARE(outline(SearchFiles::layout("T", nested, {}, {}, {}, {}, {}).root),
             QStringLiteral("T /r\n  A\n    z.q\n    x.q\n  b\n    y.q\n")); // "a" joins "A"
    QCOMPARE(SearchFiles::rootFolder({{"x.q", "1"}, {"y.q", "2"}}), QString());
}

void TestSearchFiles::functionsAndKeptSelection()
{
    const SearchFiles::FileMap files{{"/s/a.q", "f:{x}\ng:{y}"}, {"/s/b.q", "h:{z}"}};
    auto functionsOf = [](const QString& path) {
        QList<SearchFiles::Function> out;
        if (path == "/s/a.q")
            out = {{".u.f", 1}, {"g", 2}};
        return out;
    };
    SearchFiles::Layout l = SearchFiles::layout("Temp Saved Files", files, {}, {}, {}, {}, functionsOf);
    QCOMPARE(outline(l.root), QStringLiteral("Temp Saved Files /s\n  a.q\n    .u.f\n    g\n  b.q\n"));
    QCOMPARE(l.selectedPath, QStringLiteral("/s/a.q")); // the first file listed
    // The previous selection is kept: a file, then a function item.
    l = SearchFiles::layout("Temp Saved Files", files, {}, "/s/b.q", {}, {}, functionsOf);
    QCOMPARE(l.selectedPath, QStringLiteral("/s/b.q"));
    l = SearchFiles::layout("Temp Saved Files", files, {}, "/s/a.q", "g", {}, functionsOf);
    QCOMPARE(l.selectedPath, QStringLiteral("/s/a.q"));
    QCOMPARE(l.selectedFunction, QStringLiteral("g"));
    // A pending path wins.
    l = SearchFiles::layout("Temp Saved Files", files, {}, "/s/a.q", "g", "/s/b.q", functionsOf);
    QCOMPARE(l.selectedPath, QStringLiteral("/s/b.q"));
    QVERIFY(l.selectedFunction.isEmpty());
}

void TestSearchFiles::dialogOverAFolder()
{
    QTemporaryDir dir;
    QVERIFY(write(dir.filePath("queries_2026.12.09.log"), "/ 09:00\nselect from trade\n"));
    QVERIFY(write(dir.filePath("queries_2026.12.10.log"), "/ 10:00\ncount quote\nselect from quote\n"));
    CDlgViewLogs dialog;
    QString opened;
    dialog.setOpenFile([&opened](const QString& path) { opened = path; });
    QSignalSpy loaded(&dialog, &CDlgViewLogs::loaded);
    dialog.load(QStringLiteral("Query Logs"), dir.path(), QStringLiteral("queries_*.log"));
    dialog.show();
    QVERIFY(loaded.wait(10000));
    QTreeWidgetItem* root = dialog.tree()->topLevelItem(0);
    QVERIFY(root);
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(root->child(0)->text(0), QStringLiteral("queries_2026.12.10.log"));
    // The first file listed (in path order, before the newest-first sort) is selected and previewed.
    QCOMPARE(dialog.selectedEdit()->text(), QFileInfo(dir.filePath("queries_2026.12.09.log")).absoluteFilePath());
    QVERIFY(dialog.preview()->toPlainText().contains(QStringLiteral("select from trade")));
    QVERIFY(dialog.openButton()->isEnabled());

    // A body filter: only the file holding it, the match marked and found again with F3.
    dialog.bodyFilter()->setText(QStringLiteral("trade"));
    dialog.fill();
    QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 1);
    QCOMPARE(dialog.preview()->extraSelections().size(), 1);
    QCOMPARE(dialog.preview()->textCursor().selectedText(), QStringLiteral("trade"));
    QVERIFY(!dialog.findNext(true)); // one match only
    dialog.bodyFilter()->setText(QStringLiteral("nothing like it"));
    dialog.fill();
    QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 0);
    QVERIFY(!dialog.openButton()->isEnabled());

    // Typing refills after the timer, not at once.
    dialog.bodyFilter()->clear();
    QTest::keyClicks(dialog.bodyFilter(), QStringLiteral("select"));
    QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(dialog.tree()->topLevelItem(0)->childCount(), 2, 5000);

    dialog.openButton()->click();
    QVERIFY(!opened.isEmpty());
    QVERIFY(!dialog.isVisible());
}

void TestSearchFiles::dialogItemsAndFilters()
{
    // Folders open, files keep their functions folded; a double click opens
    // a file (the dialog stays) or jumps to a function; a new namespace load
    // empties the filters.
    QTemporaryDir dir;
    QVERIFY(write(dir.filePath("a.q"), "f:{x}\ng:{y}\n"));
    QVERIFY(write(dir.filePath("b.q"), "h:{z}\n"));
    CDlgViewLogs dialog;
    QString opened, jumped;
    qint64 stamp = 1;
    dialog.setOpenFile([&opened](const QString& path) { opened = path; });
    dialog.setJumpTo([&jumped](const QString& name) { jumped = name; });
    dialog.setLoadStamp([&stamp] { return stamp; });
    const QString a = QFileInfo(dir.filePath("a.q")).absoluteFilePath();
    dialog.setFunctionsOf([a](const QString& path) {
        QList<SearchFiles::Function> out;
        if (path == a)
            out = {{".u.f", 1}, {"g", 2}};
        return out;
    });
    QSignalSpy loaded(&dialog, &CDlgViewLogs::loaded);
    dialog.load(QStringLiteral("Temp Saved Files"), dir.path(), QStringLiteral("*.q"));
    dialog.show();
    QVERIFY(loaded.wait(10000));
    QTreeWidgetItem* root = dialog.tree()->topLevelItem(0);
    QVERIFY(root->isExpanded());
    QTreeWidgetItem* fileA = root->child(0);
    QCOMPARE(fileA->text(0), QStringLiteral("a.q"));
    QCOMPARE(fileA->childCount(), 2);
    QVERIFY(!fileA->isExpanded());
    // A double click on a file with functions under it only folds or unfolds it.
    dialog.activate(fileA);
    QVERIFY(opened.isEmpty());
    dialog.activate(root->child(1));
    QCOMPARE(opened, QFileInfo(dir.filePath("b.q")).absoluteFilePath());
    QVERIFY(dialog.isVisible());
    dialog.activate(fileA->child(1));
    QCOMPARE(jumped, QStringLiteral("g"));
    // Through the tree's own signal too.
    jumped.clear();
    emit dialog.tree()->itemDoubleClicked(fileA->child(0), 0);
    QCOMPARE(jumped, QStringLiteral(".u.f"));

    dialog.nameFilter()->setText(QStringLiteral("a."));
    dialog.bodyFilter()->setText(QStringLiteral("f"));
    dialog.load(QStringLiteral("Temp Saved Files"), dir.path(), QStringLiteral("*.q"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(dialog.nameFilter()->text(), QStringLiteral("a.")); // same load: the filters stay
    stamp = 2;
    dialog.load(QStringLiteral("Temp Saved Files"), dir.path(), QStringLiteral("*.q"));
    QVERIFY(loaded.wait(10000));
    QVERIFY(dialog.nameFilter()->text().isEmpty());
    QVERIFY(dialog.bodyFilter()->text().isEmpty());
    QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 2);
}

void TestSearchFiles::unreadableFileEndsTheLoad()
{
#if defined(Q_OS_LINUX)
    // A regular file whose reading fails (as root, permissions do not: a
    // link to the process's memory file gives an I/O error at offset 0).
    QTemporaryDir dir;
    QVERIFY(write(dir.filePath("a.log"), "a:1\n"));
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), dir.filePath("b.log")));
    QVERIFY(write(dir.filePath("c.log"), "c:3\n"));
    QString error;
    const SearchFiles::FileMap files = SearchFiles::load(dir.path(), QStringLiteral("*.log"), &error);
    // The files before it stay; the load ends there, naming the file.
    QCOMPARE(int(files.size()), 1);
    QCOMPARE(QFileInfo(files.begin()->first).fileName(), QStringLiteral("a.log"));
    QVERIFY2(error.startsWith(QStringLiteral("An error occurred while reading ") + QFileInfo(dir.filePath("b.log")).absoluteFilePath()),
             qPrintable(error));

    // The dialog fills nothing and tells why.
    CDlgViewLogs dialog;
    QStringList told;
    dialog.setFailed([&told](const QString& text) { told << text; });
    QSignalSpy loaded(&dialog, &CDlgViewLogs::loaded);
    dialog.load(QStringLiteral("Query Logs"), dir.path(), QStringLiteral("*.log"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(told, QStringList{error});
    QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 0);
    QCOMPARE(int(dialog.files().size()), 1);
#else
    QSKIP("needs a file whose reading fails");
#endif
}

void TestSearchFiles::counterparts()
{
    // Same name and same length with CR LF counted once; the first such file wins.
    const SearchFiles::FileMap local{{"/home/me/a/utils.q", "f:1\r\ng:2\r\n"},
                                     {"/home/me/b/utils.q", "f:1\ng:2\n"},
                                     {"/home/me/feed.q", "other text"}};
    CodebaseMatch match;
    QCOMPARE(CodebaseMatch::lengthOf(QStringLiteral("a\r\nb\n")), 4);
    QCOMPARE(CodebaseMatch::fileName(QStringLiteral("C:\\q\\x.q")), QStringLiteral("x.q"));
    QCOMPARE(match.counterpart("/srv/q/utils.q", "f:1\ng:2\n", local, true), QStringLiteral("/home/me/a/utils.q"));
    QCOMPARE(match.counterpart("/srv/q/feed.q", "a different length", local, true), QString());
    QCOMPARE(match.counterpart("/srv/q/none.q", "x", local, true), QString());
    // The pair is known both ways.
    QCOMPARE(match.counterpart("/home/me/a/utils.q", QString(), {}, false), QStringLiteral("/srv/q/utils.q"));
}

void TestSearchFiles::remoteInventory()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("src/lib"));
    QVERIFY(write(dir.filePath("src/feed.q"), "upd:{x}\r\nrun:{y}\r\n"));
    QVERIFY(write(dir.filePath("src/lib/util.q"), "other\n"));
    const SearchFiles::FileMap remote{{"/q/feed.q", "upd:{x}\nrun:{y}\n"}, {"/q/report.q", "r:{z}\n"}};
    CDlgRemoteFiles dialog;
    QString opened, jumped;
    dialog.setOpenFile([&opened](const QString& path) { opened = path; });
    dialog.setJumpTo([&jumped](const QString& name) { jumped = name; });
    dialog.setFunctionsOf([](const QString& path) {
        QList<SearchFiles::Function> out;
        if (path == "/q/feed.q")
            out = {{".feed.upd", 1}, {".feed.run", 2}};
        return out;
    });
    dialog.setRemote(remote, 1);
    // "Show containing file": the file selected, the caret on the line.
    dialog.showFile("/q/feed.q", 2, ".feed.run");
    QCOMPARE(dialog.filesLabel()->text(), QStringLiteral("2 Files - 0 Matched"));
    QCOMPARE(dialog.functionsLabel()->text(), QStringLiteral("2 Functions"));
    QCOMPARE(dialog.tree()->currentItem()->text(0), QStringLiteral(".feed.run"));
    QCOMPARE(dialog.preview()->textCursor().blockNumber(), 1);
    QVERIFY(dialog.jumpButton()->isEnabled());
    QVERIFY(!dialog.openButton()->isEnabled()); // no local counterpart yet
    // A local codebase: feed.q matches despite its CR LF line ends.
    // "Pick Local...": the codebase reads the folder, then the dialog shows it.
    LocalCodebase codebase;
    dialog.setLocalCodebase(&codebase, [&codebase](const QString& folder) { QVERIFY(codebase.load(folder)); });
    connect(&codebase, &LocalCodebase::finished, &dialog, [&] { dialog.localPicked(codebase.root()); });
    QVERIFY(dialog.pickButton()->isEnabled());
    QSignalSpy loaded(&dialog, &CDlgRemoteFiles::localLoaded);
    dialog.pickLocal(dir.path());
    QVERIFY(loaded.wait(10000));
    QVERIFY(dialog.localRadio()->isChecked());
    QCOMPARE(dialog.filesLabel()->text(), QStringLiteral("2 Files - 1 Matched"));
    QCOMPARE(dialog.functionsLabel()->text(), QStringLiteral("2 Functions")); // under the local feed.q
    dialog.remoteRadio()->click();
    QCOMPARE(dialog.filesLabel()->text(), QStringLiteral("2 Files - 1 Matched"));
    dialog.tree()->setCurrentItem(dialog.tree()->findItems("feed.q", Qt::MatchExactly | Qt::MatchRecursive).value(0));
    QCOMPARE(dialog.matchedEdit()->text(), QFileInfo(dir.filePath("src/feed.q")).absoluteFilePath());
    QVERIFY(dialog.openButton()->isEnabled());
    if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty()) {
        dialog.show();
        dialog.grab().save(shots + QStringLiteral("/remote-files-matched.png"));
    }
    dialog.openButton()->click();
    QCOMPARE(opened, QFileInfo(dir.filePath("src/feed.q")).absoluteFilePath());
    // The body filter's matches, one after another with the up/down control and F3.
    dialog.bodyFilter()->setText(QStringLiteral("{"));
    dialog.refill();
    dialog.tree()->setCurrentItem(dialog.tree()->findItems("feed.q", Qt::MatchExactly | Qt::MatchRecursive).value(0));
    QVERIFY(dialog.nextButton()->isEnabled() && dialog.previousButton()->isEnabled());
    QTextEdit* preview = dialog.preview();
    QCOMPARE(preview->textCursor().selectedText(), QStringLiteral("{"));
    const int firstMatch = preview->textCursor().selectionStart();
    dialog.nextButton()->click();
    const int secondMatch = preview->textCursor().selectionStart();
    QVERIFY(secondMatch > firstMatch);
    QCOMPARE(preview->textCursor().selectedText(), QStringLiteral("{"));
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(preview->textCursor().selectionStart(), firstMatch);
    QTest::keyClick(&dialog, Qt::Key_F3);
    QCOMPARE(preview->textCursor().selectionStart(), secondMatch);
    dialog.bodyFilter()->clear();
    dialog.refill();
    QVERIFY(!dialog.nextButton()->isEnabled());
    // A name filter that matches nothing leaves the root alone.
    dialog.nameFilter()->setText("nothing");
    dialog.refill();
    QCOMPARE(dialog.filesLabel()->text(), QStringLiteral("0 Files - 0 Matched"));
    QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 0);
}

QTEST_MAIN(TestSearchFiles)
#include "tst_search_files.moc"
