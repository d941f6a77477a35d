// Stored window rectangles fitted to the screens of today.
#include "core/WindowGeometry.h"

#include <QTest>

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void clamp_data();
    void clamp();
};

void TestGeometry::clamp_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("expected");
    const QList<QRect> one {QRect(0, 0, 1920, 1040)};
    const QList<QRect> two {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1000)};
    const QSize none;
    QTest::newRow("fits: unchanged") << QRect(100, 50, 800, 600) << one << none << QRect(100, 50, 800, 600);
    QTest::newRow("huge: the whole screen") << QRect(0, 0, 32767, 32767) << one << none << QRect(0, 0, 1920, 1040);
    QTest::newRow("huge and far away") << QRect(30000, 30000, 32767, 32767) << one << none << QRect(0, 0, 1920, 1040);
    QTest::newRow("off to the right: moved back") << QRect(5000, 100, 800, 600) << one << none
                                                  << QRect(1120, 100, 800, 600);
    QTest::newRow("above and left: moved in") << QRect(-900, -700, 800, 600) << one << none << QRect(0, 0, 800, 600);
    QTest::newRow("on the second screen: stays there") << QRect(2000, 100, 800, 600) << two << none
                                                       << QRect(2000, 100, 800, 600);
    QTest::newRow("too big for the second screen") << QRect(1900, 0, 3000, 3000) << two << none
                                                   << QRect(1920, 0, 1280, 1000);
    QTest::newRow("screen gone: onto the first") << QRect(4000, 0, 800, 600) << two << none << QRect(1120, 0, 800, 600);
    QTest::newRow("invalid: default size, centred") << QRect(0, 0, -5, -5) << one << none << QRect(360, 120, 1200, 800);
    QTest::newRow("window cannot be smaller than the screen: top left") << QRect(30000, 30000, 32767, 32767)
                                                                        << QList<QRect> {QRect(0, 0, 800, 600)}
                                                                        << QSize(981, 407) << QRect(0, 0, 981, 600);
    QTest::newRow("no screens known: as stored") << QRect(1, 2, 3, 4) << QList<QRect>() << none << QRect(1, 2, 3, 4);
}

void TestGeometry::clamp()
{
    QFETCH(QRect, stored);
    QFETCH(QList<QRect>, screens);
    QFETCH(QSize, minimum);
    QFETCH(QRect, expected);
    QCOMPARE(WindowGeometry::clamp(stored, screens, minimum), expected);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
