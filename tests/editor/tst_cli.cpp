// tovo-cli highlight: a q script as coloured HTML, from a file or standard input.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void highlight();
    void spanClasses_data();
    void spanClasses();
};

void TestCli::highlight()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.q"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("select x from t / <all>\r\n");
    f.close();

    QProcess p;
    p.start(QStringLiteral(TOVO_CLI), {QStringLiteral("highlight"), path});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(html.contains(QStringLiteral("<span class=\"keyword\" style=\"color:#0000ff;font-weight:bold\">select</span>")),
             qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("<span class=\"comment\" style=\"color:#808080\">/ &lt;all&gt;</span>")));
    QVERIFY(!html.contains(u'\r'));

    p.start(QStringLiteral(TOVO_CLI), {QStringLiteral("highlight")});
    p.write("`sym");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral(">`sym</span>")));

    p.start(QStringLiteral(TOVO_CLI), {QStringLiteral("highlight"), dir.filePath(QStringLiteral("missing.q"))});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardError().startsWith("tovo-cli highlight: "));
    p.start(QStringLiteral(TOVO_CLI), {QStringLiteral("highlight"), path, path});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
}

void TestCli::spanClasses_data()
{
    // The script, then a piece of it and the class of the span holding it.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("spanClass");
    QTest::newRow("keyword") << "select x from t" << "select" << "keyword";
    QTest::newRow("identifier") << "x:1" << "x" << "identifier";
    QTest::newRow("operator") << "x:1" << ":" << "operator";
    QTest::newRow("symbol") << "`abc" << "`abc" << "symbol";
    QTest::newRow("string") << "\"ab\"" << "&quot;ab&quot;" << "string";
    QTest::newRow("comment") << "1 / note" << "/ note" << "comment";
    QTest::newRow("long") << "42j" << "42j" << "long";
    QTest::newRow("timestamp") << "2020.01.01D12:00:00p" << "2020.01.01D12:00:00p" << "timestamp";
    QTest::newRow("parse error") << "12a" << "12a" << "parse-error";
}

void TestCli::spanClasses()
{
    QFETCH(QString, script);
    QFETCH(QString, piece);
    QFETCH(QString, spanClass);
    QProcess p;
    p.start(QStringLiteral(TOVO_CLI), {QStringLiteral("highlight")});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpression span(QStringLiteral("<span class=\"%1\" style=\"[^\"]*\">%2</span>")
                                      .arg(QRegularExpression::escape(spanClass), QRegularExpression::escape(piece)));
    QVERIFY2(span.match(html).hasMatch(), qPrintable(html));
    // Every span names its element.
    QCOMPARE(html.count(QStringLiteral("<span class=\"")), html.count(QStringLiteral("<span")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
