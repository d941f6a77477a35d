#include "app/FrameTitle.h"

#include <QTest>

class TestFrameTitle : public QObject {
    Q_OBJECT
private slots:
    void title_data();
    void title();
};

void TestFrameTitle::title_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("serverTitle");
    QTest::addColumn<QString>("expected");
    QTest::newRow("disconnected") << "" << "" << "Tovo";
    QTest::newRow("with credentials and tree title") << "`h:5001:u:p" << "\\eu\\prod" << "Tovo - h:5001 (\\eu\\prod)";
    QTest::newRow("not in server tree") << "`h:5001" << "" << "Tovo - h:5001";
    QTest::newRow("lone backquote first") << "`:h:5001" << "" << "Tovo - h:5001";
    QTest::newRow("runs of colons") << "`h::5001" << "" << "Tovo - h:5001";
    QTest::newRow("empty first token") << ":h:5001" << "" << "Tovo - h:5001";
    QTest::newRow("no backquote") << "h:5001" << "" << "Tovo - h:5001";
    QTest::newRow("line breaks in title") << "`h:1" << "a\r\nb\nc" << "Tovo - h:1 (a | b | c)";
    QTest::newRow("no port") << "`h" << "" << "Tovo - h:";
}

void TestFrameTitle::title()
{
    QFETCH(QString, server);
    QFETCH(QString, serverTitle);
    QFETCH(QString, expected);
    QCOMPARE(FrameTitle::frameTitle(server, serverTitle), expected);
    QCOMPARE(FrameTitle::caption(QStringLiteral("d.q"), expected), QStringLiteral("d.q - ") + expected);
}

QTEST_GUILESS_MAIN(TestFrameTitle)
#include "tst_frametitle.moc"
