// The dark colour scheme: every token readable on the editor's background,
// plain text readable on every highlight and row background (WCAG 2, 4.5:1),
// and the contrast measure itself against known values.
#include "core/colors/CDialogFontsColors.h"
#include "core/colors/ColorSchemePresets.h"

#include <QtTest>

using E = CDialogFontsColors;
using P = ColorSchemePresets;

class TestSchemePresets : public QObject {
    Q_OBJECT
private slots:
    void contrastMeasure_data();
    void contrastMeasure();
    void darkContrast_data();
    void darkContrast();
    void presetsApplyAndRecognise();
};

void TestSchemePresets::contrastMeasure_data()
{
    QTest::addColumn<uint>("a");
    QTest::addColumn<uint>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << 0x000000u << 0xFFFFFFu << 21.0;
    QTest::newRow("same colour") << 0x336699u << 0x336699u << 1.0;
    QTest::newRow("grey 767676 on white, the 4.5 threshold") << 0x767676u << 0xFFFFFFu << 4.54;
    // Channel order matters: pure green is far brighter than pure blue.
    QTest::newRow("green (00FF00) on black") << 0x00FF00u << 0x000000u << 15.3;
    QTest::newRow("blue (reference FF0000) on black") << 0xFF0000u << 0x000000u << 2.44;
    QTest::newRow("red (reference 0000FF) on black") << 0x0000FFu << 0x000000u << 5.25;
}

void TestSchemePresets::contrastMeasure()
{
    QFETCH(uint, a);
    QFETCH(uint, b);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(P::contrastRatio(a, b) - ratio) < 0.01, qPrintable(QString::number(P::contrastRatio(a, b))));
    QCOMPARE(P::contrastRatio(a, b), P::contrastRatio(b, a));
}

void TestSchemePresets::darkContrast_data()
{
    QTest::addColumn<int>("foreground");
    QTest::addColumn<int>("background");
    // Every token colour on the editor's background.
    for (int e = E::Default; e <= E::ParseError; ++e)
        QTest::addRow("%s on Background", qPrintable(E::elementName(e))) << e << int(E::Background);
    // Watch colours on the watch pane's background.
    for (int e : {E::ChangedValue, E::InactiveWatch, E::UndefinedErrorWatch})
        QTest::addRow("%s on Background", qPrintable(E::elementName(e))) << e << int(E::Background);
    // Plain text on every other background: highlights and grid rows.
    for (int b : {E::BracketsBackground, E::BracketsContentBackground, E::MarkedTextBackground, E::OddRowsBackground,
                  E::EvenRowsBackground, E::KeyOddRowsBackground, E::KeyEvenRowsBackground, E::BreakpointBackground,
                  E::CurrentLineBackground})
        QTest::addRow("Default on %s", qPrintable(E::elementName(b))) << int(E::Default) << b;
}

void TestSchemePresets::darkContrast()
{
    QFETCH(int, foreground);
    QFETCH(int, background);
    const double ratio = P::contrastRatio(P::darkColor(foreground), P::darkColor(background));
    QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1:1").arg(ratio, 0, 'f', 2)));
}

void TestSchemePresets::presetsApplyAndRecognise()
{
    CDialogFontsColors scheme;
    QVERIFY(P::isLightPreset(scheme));
    QVERIFY(!P::isDarkPreset(scheme));
    P::applyDark(scheme);
    QVERIFY(scheme.isModified());
    QVERIFY(P::isDarkPreset(scheme));
    QVERIFY(!P::isLightPreset(scheme));
    // The dark scheme is dark: its background darker than its text.
    QVERIFY(P::relativeLuminance(scheme.color(E::Background)) < 0.05);
    QVERIFY(P::relativeLuminance(scheme.color(E::Default)) > 0.5);
    scheme.setColor(E::Comment, 0x123456);
    QVERIFY(!P::isDarkPreset(scheme)); // a user's own change is no longer the preset
    P::applyLight(scheme);
    QVERIFY(P::isLightPreset(scheme));
}

QTEST_GUILESS_MAIN(TestSchemePresets)
#include "tst_schemepresets.moc"
