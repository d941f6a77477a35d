// Toolbar icons stay visible whatever the toolbar's colour: every drawn icon
// holds ink at 3:1 or better against light and dark toolbars; ink too faint is
// lightened on dark toolbars and darkened on light ones, its hue kept.
#include "app/CActionRegistry.h"
#include "app/CommandIcons.h"
#include "app/CommandIds.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

class TestCommandIcons : public QObject {
    Q_OBJECT
private slots:
    void iconsStandOut_data();
    void iconsStandOut();
    void ink_data();
    void ink();
};

void TestCommandIcons::iconsStandOut_data()
{
    QTest::addColumn<QColor>("toolbar");
    QTest::newRow("Visual Studio 2008") << QColor(233, 236, 242);
    QTest::newRow("Windows 2000") << QColor(212, 208, 200);
    QTest::newRow("Dark") << QColor(43, 45, 48);
    QTest::newRow("Office 2007 black") << QColor(53, 53, 56);
    QTest::newRow("black") << QColor(0, 0, 0);
}

void TestCommandIcons::iconsStandOut()
{
    QFETCH(QColor, toolbar);
    int drawn = 0;
    for (int id : CActionRegistry::allCommands()) {
        if (id == cmd::FileNew || id == cmd::FileOpen || id == cmd::FileSave)
            continue; // the style's own icons
        const QIcon icon = CommandIcons::icon(id, toolbar);
        if (icon.isNull())
            continue;
        ++drawn;
        QImage onBar(32, 32, QImage::Format_RGB32);
        onBar.fill(toolbar);
        QPainter(&onBar).drawPixmap(0, 0, icon.pixmap(32, 32));
        double best = 1;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                best = std::max(best, CommandIcons::contrast(QColor(onBar.pixel(x, y)), toolbar));
        QVERIFY2(best >= 3.0, qPrintable(QStringLiteral("command %1: %2:1").arg(id).arg(best, 0, 'f', 2)));
    }
    QVERIFY(drawn >= 25);
}

void TestCommandIcons::ink_data()
{
    QTest::addColumn<uint>("colour");
    QTest::addColumn<QColor>("toolbar");
    QTest::addColumn<bool>("kept");
    QTest::newRow("grey on light") << 0x404040u << QColor(233, 236, 242) << true;
    QTest::newRow("blue on light") << 0x1565c0u << QColor(233, 236, 242) << true;
    QTest::newRow("grey on dark") << 0x404040u << QColor(43, 45, 48) << false;
    QTest::newRow("blue on dark") << 0x1565c0u << QColor(43, 45, 48) << false;
    QTest::newRow("dark red on black") << 0x8b0000u << QColor(0, 0, 0) << false;
    QTest::newRow("red, already visible on black") << 0xc62828u << QColor(0, 0, 0) << true;
    QTest::newRow("gold, already visible on dark") << 0xb8860bu << QColor(43, 45, 48) << true;
    QTest::newRow("gold on light, darkened") << 0xb8860bu << QColor(212, 208, 200) << false;
}

void TestCommandIcons::ink()
{
    QFETCH(uint, colour);
    QFETCH(QColor, toolbar);
    QFETCH(bool, kept);
    const QColor original = QColor::fromRgb(colour);
    const QColor ink = CommandIcons::ink(colour, toolbar);
    QCOMPARE(ink == original, kept);
    if (!kept) {
        QVERIFY(CommandIcons::contrast(ink, toolbar) >= 3.0);
        // Away from the toolbar's own lightness.
        QCOMPARE(ink.lightness() > original.lightness(), toolbar.lightness() < 128);
        if (original.hslSaturation() > 0)
            QVERIFY(std::abs(ink.hslHue() - original.hslHue()) <= 3);
    }
}

QTEST_MAIN(TestCommandIcons)
#include "tst_commandicons.moc"
