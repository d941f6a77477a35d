// tovo-cli highlight: a q script as coloured HTML, from a file or standard input.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void highlight();
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
    QVERIFY2(html.contains(QStringLiteral("<span style=\"color:#0000ff;font-weight:bold\">select</span>")),
             qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("<span style=\"color:#808080\">/ &lt;all&gt;</span>")));
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

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
