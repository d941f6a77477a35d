// The watch list's logic: adding and toggling, the combined query's exact
// text, the reply's values with the changed and error sets and their tints,
// the file format, and the item model over the list.
#include "ValueNotation.h"
#include "core/values/KRender.h"
#include "watch/WatchFile.h"
#include "watch/WatchList.h"
#include "watch/WatchListModel.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using QPairList = QList<QPair<QString, bool>>;

namespace {

// A list of (expression, checked) pairs.
WatchList makeList(const QList<QPair<QString, bool>>& items)
{
    WatchList list;
    for (const auto& [expression, checked] : items)
        list.append(expression, checked);
    return list;
}

KPtr value(const QString& notation)
{
    QString error;
    KPtr x = ValueNotation::parse(notation, &error);
    if (!x)
        qFatal("bad notation %s: %s", qPrintable(notation), qPrintable(error));
    return x;
}

// The reply a q instance gives to a watch query: the items, then 1 and 0h.
KPtr reply(const QList<KPtr>& items)
{
    K x = ktn(0, items.size() + 2);
    for (qsizetype i = 0; i < items.size(); ++i)
        kK(x)[i] = r1(items.at(i).get());
    kK(x)[items.size()] = kj(1);
    kK(x)[items.size() + 1] = kh(0);
    return KPtr(x);
}

// Longs print bare, as in q's console.
KRender consoleRenderer()
{
    RenderOptions options;
    options.postfixInts = true;
    return KRender(options);
}

KPtr signal(const char* error)
{
    return KPtr(ks((QByteArray("!SIGNAL!") + error).constData()));
}

} // namespace

class TestWatchList : public QObject {
    Q_OBJECT
private slots:
    void addTrimsAndToggles_data();
    void addTrimsAndToggles();
    void queryText_data();
    void queryText();
    void exitAndDoubleBackslashAreRefused();
    void replyValuesAndSets();
    void replyThatIsNoListChangesNothing_data();
    void replyThatIsNoListChangesNothing();
    void failedEvaluationFailsEachWatch();
    void itemsRemovedOrAddedDuringEvaluation();
    void tints_data();
    void tints();
    void fileParse_data();
    void fileParse();
    void fileRoundTrip();
    void fileLoadCreatesAndRefuses();
    void fileBounds();
    void modelEditsAndChecks();
    void modelColoursAndRows();
};

void TestWatchList::addTrimsAndToggles_data()
{
    QTest::addColumn<QStringList>("adds");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<QStringList>("expected"); // expressions after the adds
    QTest::addColumn<int>("lastResult");
    using R = WatchList::AddResult;
    QTest::newRow("trimmed") << QStringList{QStringLiteral(" \t x \r\n")} << true << QStringList{"x"} << int(R::Added);
    QTest::newRow("empty") << QStringList{QString()} << true << QStringList{} << int(R::Empty);
    QTest::newRow("blanks only") << QStringList{QStringLiteral(" \t\r\n")} << true << QStringList{} << int(R::Empty);
    QTest::newRow("toggled off") << QStringList{"x", "y", "x"} << true << QStringList{"y"} << int(R::ToggledOff);
    QTest::newRow("toggle after trimming") << QStringList{"x", " x "} << true << QStringList{} << int(R::ToggledOff);
    QTest::newRow("present, no toggle") << QStringList{"x", "x"} << false << QStringList{"x"} << int(R::AlreadyPresent);
    QTest::newRow("case-sensitive") << QStringList{"x", "X"} << true << QStringList{"x", "X"} << int(R::Added);
}

void TestWatchList::addTrimsAndToggles()
{
    QFETCH(QStringList, adds);
    QFETCH(bool, toggle);
    QFETCH(QStringList, expected);
    QFETCH(int, lastResult);
    WatchList list;
    WatchList::AddResult result = WatchList::AddResult::Empty;
    for (const QString& text : adds)
        result = list.add(text, toggle);
    QCOMPARE(int(result), lastResult);
    QStringList got;
    for (const WatchItem& item : list.items()) {
        got << item.expression;
        QVERIFY(item.checked);
        QVERIFY(item.value.isEmpty());
    }
    QCOMPARE(got, expected);
}

void TestWatchList::queryText_data()
{
    QTest::addColumn<QPairList>("items");
    QTest::addColumn<QString>("query");
    using L = QList<QPair<QString, bool>>;
    QTest::newRow("one") << L{{"x", true}} << QStringLiteral(R"((@[value;"x";`$"!SIGNAL!",];1;0h))");
    QTest::newRow("checked only, in order")
        << L{{"a", true}, {"b", false}, {"c", true}}
        << QStringLiteral(R"((@[value;"a";`$"!SIGNAL!",];@[value;"c";`$"!SIGNAL!",];1;0h))");
    QTest::newRow("quote escaped") << L{{R"(x like "a*")", true}}
                                   << QStringLiteral(R"((@[value;"x like \"a*\"";`$"!SIGNAL!",];1;0h))");
    QTest::newRow("backslash doubled, then quotes")
        << L{{R"(a\"b)", true}} << QStringLiteral(R"((@[value;"a\\\"b";`$"!SIGNAL!",];1;0h))");
    QTest::newRow("none checked") << L{{"a", false}, {"b", false}} << QString();
    QTest::newRow("empty list") << L{} << QString();
}

void TestWatchList::queryText()
{
    QFETCH(QPairList, items);
    QFETCH(QString, query);
    WatchList list = makeList(items);
    const WatchList::Query built = list.buildQuery();
    QCOMPARE(built.text, query);
    int checked = 0;
    for (const auto& item : items)
        checked += item.second ? 1 : 0;
    QCOMPARE(built.ids.size(), query.isEmpty() ? 0 : checked);
}

void TestWatchList::exitAndDoubleBackslashAreRefused()
{
    // "exit" anywhere (case-sensitive) and two backslashes never reach the instance.
    WatchList list = makeList({{"a", true}, {"myexitCode", true}, {"\\\\", true}, {"Exit", true}, {"a\\b", true}});
    const WatchList::Query query = list.buildQuery();
    QCOMPARE(query.text, QStringLiteral(R"((@[value;"a";`$"!SIGNAL!",];@[value;"Exit";`$"!SIGNAL!",];)"
                                        R"(@[value;"a\\b";`$"!SIGNAL!",];1;0h))"));
    QCOMPARE(query.refused, (QList<int>{1, 2}));
    for (int row : {1, 2}) {
        QCOMPARE(list.at(row).expression, QStringLiteral("Seriously?"));
        QVERIFY(!list.at(row).checked);
    }
    // Only refused items: nothing to send, both unchecked.
    WatchList only = makeList({{"exit 0", true}});
    QVERIFY(only.buildQuery().text.isEmpty());
    QVERIFY(!only.at(0).checked);
}

void TestWatchList::replyValuesAndSets()
{
    WatchList list = makeList({{"n", true}, {"off", false}, {"bad", true}, {"d", true}});
    KRender renderer = consoleRenderer();
    WatchList::Query query = list.buildQuery();
    QVERIFY(list.applyReply(query, reply({value("42"), signal("type"), value("`a`b!1 2")}).get(), renderer));
    QCOMPARE(list.at(0).value, QStringLiteral("42"));
    QVERIFY(list.at(1).value.isEmpty());
    QCOMPARE(list.at(2).value, QStringLiteral("ERROR: '!type"));
    QCOMPARE(list.at(3).value, renderer.render(value("`a`b!1 2").get()));
    // Everything is new: all changed; the failure is in the error set.
    QVERIFY(list.isChanged("n") && list.isChanged("bad") && list.isChanged("d"));
    QVERIFY(!list.isChanged("off"));
    QVERIFY(list.isError("bad") && !list.isError("n"));

    // The same values again: unchanged; a new value: changed.
    query = list.buildQuery();
    QVERIFY(list.applyReply(query, reply({value("43"), signal("type"), value("`a`b!1 2")}).get(), renderer));
    QVERIFY(list.isChanged("n"));
    QVERIFY(!list.isChanged("d"));
    QVERIFY(list.isError("bad"));
    // A failing expression that succeeds leaves the error set.
    query = list.buildQuery();
    QVERIFY(list.applyReply(query, reply({value("43"), value("1b"), value("`a`b!1 2")}).get(), renderer));
    QVERIFY(!list.isError("bad"));
    QCOMPARE(list.at(2).value, QStringLiteral("1b"));
    QVERIFY(!list.isChanged("n"));
    QVERIFY(list.hasChanges());
}

void TestWatchList::replyThatIsNoListChangesNothing_data()
{
    QTest::addColumn<QString>("notation"); // empty: no reply at all
    QTest::newRow("no reply") << QString();
    QTest::newRow("an atom") << QStringLiteral("42");
    QTest::newRow("a simple list") << QStringLiteral("1 2 3");
    QTest::newRow("too few items") << QStringLiteral("(1;2)");
}

void TestWatchList::replyThatIsNoListChangesNothing()
{
    QFETCH(QString, notation);
    WatchList list = makeList({{"a", true}, {"b", true}, {"c", true}});
    KRender renderer = consoleRenderer();
    WatchList::Query query = list.buildQuery();
    QVERIFY(list.applyReply(query, reply({value("1"), value("2"), value("3")}).get(), renderer));
    query = list.buildQuery();
    const KPtr bad = notation.isEmpty() ? KPtr() : value(notation);
    QVERIFY(!list.applyReply(query, bad.get(), renderer));
    // A q error for the whole query changes nothing either.
    KPtr error(krr("parse"));
    QVERIFY(!list.applyReply(query, error.get(), renderer));
    QCOMPARE(list.at(2).value, QStringLiteral("3"));
    QVERIFY(list.isChanged("c")); // the sets of the last good reply stay
}

void TestWatchList::failedEvaluationFailsEachWatch()
{
    WatchList list = makeList({{"a", true}, {"off", false}, {"b", true}});
    KRender renderer = consoleRenderer();
    WatchList::Query query = list.buildQuery();
    QVERIFY(list.applyReply(query, reply({value("1"), value("2")}).get(), renderer));
    query = list.buildQuery();
    list.applyFailure(query, QStringLiteral("wsfull"));
    for (int row : {0, 2}) {
        QCOMPARE(list.at(row).value, QStringLiteral("ERROR: 'wsfull"));
        QVERIFY(list.isError(list.at(row).expression));
        QCOMPARE(list.tint(row, 1), WatchList::Tint::Error);
        QCOMPARE(list.tint(row, 0), WatchList::Tint::Error);
    }
    QVERIFY(list.at(1).value.isEmpty());
    QCOMPARE(list.tint(1, 1), WatchList::Tint::Inactive);
    QVERIFY(list.isChanged("a"));
    // The same failure again changes nothing; a good reply clears the errors.
    list.applyFailure(list.buildQuery(), QStringLiteral("wsfull"));
    QVERIFY(!list.hasChanges());
    QVERIFY(list.applyReply(list.buildQuery(), reply({value("1"), value("2")}).get(), renderer));
    QVERIFY(!list.isError("a") && !list.isError("b"));
}

void TestWatchList::itemsRemovedOrAddedDuringEvaluation()
{
    WatchList list = makeList({{"a", true}, {"b", true}});
    KRender renderer = consoleRenderer();
    const WatchList::Query query = list.buildQuery();
    list.remove(0);
    list.append(QStringLiteral("c"), true);
    QVERIFY(list.applyReply(query, reply({value("1"), value("2")}).get(), renderer));
    QCOMPARE(list.at(0).expression, QStringLiteral("b"));
    QCOMPARE(list.at(0).value, QStringLiteral("2"));
    QVERIFY(list.at(1).value.isEmpty());
}

void TestWatchList::tints_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("item"); // notation of the reply item, or !err
    QTest::addColumn<bool>("evaluatedTwice");
    QTest::addColumn<int>("expressionTint");
    QTest::addColumn<int>("valueTint");
    using T = WatchList::Tint;
    QTest::newRow("changed") << true << "1" << false << int(T::Normal) << int(T::Changed);
    QTest::newRow("unchanged") << true << "1" << true << int(T::Normal) << int(T::Normal);
    QTest::newRow("error") << true << "!type" << false << int(T::Error) << int(T::Error);
    QTest::newRow("error again") << true << "!type" << true << int(T::Error) << int(T::Error);
    QTest::newRow("unchecked") << false << "1" << false << int(T::Inactive) << int(T::Inactive);
}

void TestWatchList::tints()
{
    QFETCH(bool, checked);
    QFETCH(QString, item);
    QFETCH(bool, evaluatedTwice);
    QFETCH(int, expressionTint);
    QFETCH(int, valueTint);
    WatchList list = makeList({{"x", true}});
    KRender renderer = consoleRenderer();
    const KPtr answer = item.startsWith(u'!') ? signal(item.mid(1).toUtf8().constData()) : value(item);
    for (int i = 0; i < (evaluatedTwice ? 2 : 1); ++i) {
        const WatchList::Query query = list.buildQuery();
        QVERIFY(list.applyReply(query, reply({answer}).get(), renderer));
    }
    list.setChecked(0, checked);
    QCOMPARE(int(list.tint(0, WatchList::ExpressionColumn)), expressionTint);
    QCOMPARE(int(list.tint(0, WatchList::ValueColumn)), valueTint);
}

void TestWatchList::fileParse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expressions");
    QTest::addColumn<QList<bool>>("checked");
    QTest::newRow("tab marks checked") << QByteArray("\tx\r\ny\r\n") << QStringList{"x", "y"} << QList<bool>{true, false};
    QTest::newRow("LF only, no last newline") << QByteArray("\tx\ny") << QStringList{"x", "y"} << QList<bool>{true, false};
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\n\t\r\n") << QStringList{"a", "", ""}
                                      << QList<bool>{false, false, true};
    QTest::newRow("only the first tab") << QByteArray("\t\tx \r\n") << QStringList{"\tx "} << QList<bool>{true};
    QTest::newRow("tab inside") << QByteArray(" \tx\r\n") << QStringList{" \tx"} << QList<bool>{false};
    QTest::newRow("bare CR stays") << QByteArray("a\rb\n") << QStringList{"a\rb"} << QList<bool>{false};
    QTest::newRow("junk kept") << QByteArray("\x01\x02zz\xff\n", 6) << QStringList{QString::fromLocal8Bit("\x01\x02zz\xff")}
                               << QList<bool>{false};
    QTest::newRow("NUL kept") << QByteArray("a\0b\n", 4) << QStringList{QString::fromLatin1("a\0b", 3)} << QList<bool>{false};
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QList<bool>{};
}

void TestWatchList::fileParse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expressions);
    QFETCH(QList<bool>, checked);
    const QList<WatchItem> items = WatchFile::parse(bytes);
    QCOMPARE(items.size(), expressions.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        QCOMPARE(items.at(i).expression, expressions.at(i));
        QCOMPARE(items.at(i).checked, checked.at(i));
        QVERIFY(items.at(i).value.isEmpty());
    }
}

void TestWatchList::fileRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Watches.cfg"));
    const QByteArray original("\tx\r\ny\r\n\r\n\tcount select from t where s like \"a*\"\r\n");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(original);
    file.close();
    WatchFile::Loaded loaded = WatchFile::load(path);
    QVERIFY(loaded.ok);
    QCOMPARE(loaded.items.size(), 4);
    QVERIFY(loaded.items.at(0).checked && !loaded.items.at(1).checked);
    // Values are not stored.
    loaded.items[0].value = QStringLiteral("42");
    QString error;
    QVERIFY(WatchFile::save(path, loaded.items, &error));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), original);
}

void TestWatchList::fileLoadCreatesAndRefuses()
{
    QTemporaryDir dir;
    // A missing file is created empty.
    const QString missing = dir.filePath(QStringLiteral("Watches.cfg"));
    WatchFile::Loaded loaded = WatchFile::load(missing);
    QVERIFY(loaded.ok);
    QVERIFY(loaded.items.isEmpty());
    QVERIFY(QFile::exists(missing));
    // A folder is no watch file; neither is a path in a missing folder.
    for (const QString& path : {dir.path(), dir.filePath(QStringLiteral("no/such/Watches.cfg"))}) {
        loaded = WatchFile::load(path);
        QVERIFY2(!loaded.ok, qPrintable(path));
        QVERIFY(!loaded.error.isEmpty());
        QVERIFY(!WatchFile::read(path).ok);
    }
    // A read-only file: loading it as the list's own file is refused; reading it is fine.
    const QString readOnly = dir.filePath(QStringLiteral("ro.cfg"));
    QFile file(readOnly);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\tx\n");
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner));
    if (QFile(readOnly).open(QIODevice::ReadWrite)) // running as root: permissions do not bite
        QSKIP("files are writable whatever their permissions");
    QVERIFY(!WatchFile::load(readOnly).ok);
    loaded = WatchFile::read(readOnly);
    QVERIFY(loaded.ok);
    QCOMPARE(loaded.items.size(), 1);
    QCOMPARE(WatchFile::openFailureText(QStringLiteral("/h/Watches.cfg")),
             QStringLiteral("Can't open file /h/Watches.cfg for writing.\nMake sure readonly attribute is off and you "
                            "have permissions for tovo dir, then try launching tovo again."));
}

void TestWatchList::fileBounds()
{
    // More lines than a watch list holds: the first ones load, and the caller is told.
    QByteArray many;
    for (int i = 0; i < WatchFile::kMaxWatches + 5; ++i)
        many += "\tw" + QByteArray::number(i) + "\n";
    bool truncated = false;
    const QList<WatchItem> items = WatchFile::parse(many, &truncated);
    QVERIFY(truncated);
    QCOMPARE(items.size(), WatchFile::kMaxWatches);
    QCOMPARE(items.back().expression, QStringLiteral("w%1").arg(WatchFile::kMaxWatches - 1));
    WatchFile::parse("a\nb\n", &truncated);
    QVERIFY(!truncated);

    // A file larger than the byte bound: only its whole lines within the bound.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.cfg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray line(1000, 'x');
    for (qint64 written = 0; written <= WatchFile::kMaxBytes; written += line.size() + 1)
        file.write(line + '\n');
    file.close();
    const WatchFile::Loaded loaded = WatchFile::read(path);
    QVERIFY(loaded.ok);
    QVERIFY(loaded.truncated);
    QCOMPARE(loaded.items.size(), qsizetype(WatchFile::kMaxBytes / (line.size() + 1)));
    for (const WatchItem& item : loaded.items)
        QCOMPARE(item.expression.size(), line.size());
}

void TestWatchList::modelEditsAndChecks()
{
    WatchListModel model;
    model.reset(WatchFile::parse("\tx\ny\n"));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Expression"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
    QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(model.index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QVERIFY(!model.index(0, 1).data(Qt::CheckStateRole).isValid());
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));

    // A label edit takes a non-empty text only.
    QVERIFY(model.setData(model.index(1, 0), QStringLiteral("z")));
    QVERIFY(!model.setData(model.index(1, 0), QString()));
    QVERIFY(!model.setData(model.index(1, 1), QStringLiteral("v")));
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("z"));
    QVERIFY(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.list().at(1).checked);

    model.reverseChecked();
    QVERIFY(!model.list().at(0).checked && !model.list().at(1).checked);
    model.setAllChecked(true);
    QVERIFY(model.list().at(0).checked && model.list().at(1).checked);

    // Add: rows inserted and removed as the list changes.
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QCOMPARE(model.addExpression(QStringLiteral("w"), true), WatchList::AddResult::Added);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.front().at(1).toInt(), 2);
    QCOMPARE(model.addExpression(QStringLiteral("x"), true), WatchList::AddResult::ToggledOff);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.front().at(1).toInt(), 0);
    QCOMPARE(model.addExpression(QStringLiteral("z"), false), WatchList::AddResult::AlreadyPresent);
    QCOMPARE(model.rowCount(), 2);
    model.removeWatches({1, 0, 1, 7});
    QCOMPARE(model.rowCount(), 0);
}

void TestWatchList::modelColoursAndRows()
{
    WatchListModel model;
    model.setColours([](WatchList::Tint tint) { return QVariant(int(tint) * 10); });
    model.reset(WatchFile::parse("\ta\n\tb\nc\n"));
    KRender renderer = consoleRenderer();
    const WatchList::Query query = model.buildQuery();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.applyReply(query, reply({value("1"), signal("b")}).get(), renderer));
    QVERIFY(!changed.isEmpty());
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("1"));
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("ERROR: '!b"));
    QVERIFY(!model.index(0, 0).data(Qt::ForegroundRole).isValid()); // normal: the view's own colour
    QCOMPARE(model.index(0, 1).data(Qt::ForegroundRole).toInt(), int(WatchList::Tint::Changed) * 10);
    QCOMPARE(model.index(1, 0).data(Qt::ForegroundRole).toInt(), int(WatchList::Tint::Error) * 10);
    QCOMPARE(model.index(2, 1).data(Qt::ForegroundRole).toInt(), int(WatchList::Tint::Inactive) * 10);
    // Refused expressions are shown at once.
    model.appendWatch(QStringLiteral("exit 1"), true);
    changed.clear();
    model.buildQuery();
    QCOMPARE(model.index(3, 0).data().toString(), QStringLiteral("Seriously?"));
    QVERIFY(!changed.isEmpty());
}

QTEST_GUILESS_MAIN(TestWatchList)
#include "tst_watchlist.moc"
