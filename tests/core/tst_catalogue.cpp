// Type names and letters, attribute letters and names, size texts.
#include "core/values/ValueCatalogue.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void typeName_data();
    void typeName();
    void typeLetter_data();
    void typeLetter();
    void attributes_data();
    void attributes();
    void sizeText_data();
    void sizeText();
    void floatNull();
};

void TestCatalogue::typeName_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("mixed") << 0 << "mixed";
    QTest::newRow("boolean atom") << -1 << "boolean (Scalar)";
    QTest::newRow("long atom") << -7 << "long (Scalar)";
    QTest::newRow("long list") << 7 << "long";
    QTest::newRow("guid") << 2 << "guid";
    QTest::newRow("time atom") << -19 << "time (Scalar)";
    QTest::newRow("error") << -128 << "signal (Scalar)";
    QTest::newRow("table") << 98 << "table/flip";
    QTest::newRow("dictionary") << 99 << "dictionary/keyed table";
    QTest::newRow("lambda") << 100 << "lambda";
    QTest::newRow("ternary") << 103 << "ternary (operator)";
    QTest::newRow("projection") << 104 << "projection";
    QTest::newRow("each") << 106 << "f'";
    QTest::newRow("scan") << 108 << "f\\";
    QTest::newRow("each left") << 111 << "f\\:";
    QTest::newRow("dynamic load") << 112 << "dynamic load";
    QTest::newRow("enumeration atom") << -20 << "enumerated";
    QTest::newRow("enumeration") << 20 << "enumerated";
    QTest::newRow("mapped") << 77 << "enumerated";
    QTest::newRow("no code 3") << 3 << "enumerated";
}

void TestCatalogue::typeName()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QCOMPARE(ValueCatalogue::typeName(type), name);
}

void TestCatalogue::typeLetter_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("letter");
    const char* letters = " bgxhijefcspmdznuvt";
    const int codes[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    for (int row = 1; row < 19; ++row)
        QTest::addRow("code %d", codes[row]) << codes[row] << QString(QLatin1Char(letters[row]));
    QTest::newRow("mixed has none") << 0 << "";
    QTest::newRow("code 3 has none") << 3 << "";
    QTest::newRow("table has none") << 98 << "";
    QTest::newRow("atom code has none") << -7 << "";
    QTest::newRow("enumeration has none") << 20 << "";
}

void TestCatalogue::typeLetter()
{
    QFETCH(int, type);
    QFETCH(QString, letter);
    QCOMPARE(ValueCatalogue::typeLetter(type), letter);
}

void TestCatalogue::attributes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("letter");
    QTest::addColumn<QString>("name");
    QTest::newRow("none") << 0 << 0 << "none";
    QTest::newRow("sorted") << 1 << int('s') << "sorted";
    QTest::newRow("unique") << 2 << int('u') << "unique";
    QTest::newRow("parted") << 3 << int('p') << "parted";
    QTest::newRow("grouped") << 4 << int('g') << "grouped";
    QTest::newRow("digit 5") << 5 << int('5') << "";
    QTest::newRow("digit 9") << 9 << int('9') << "";
    QTest::newRow("10 has no letter") << 10 << 0 << "none";
    QTest::newRow("past the table") << 11 << 0 << "none";
    QTest::newRow("negative") << -1 << 0 << "none";
}

void TestCatalogue::attributes()
{
    QFETCH(int, code);
    QFETCH(int, letter);
    QFETCH(QString, name);
    const char got = ValueCatalogue::attributeLetter(code);
    QCOMPARE(int(got), letter);
    QCOMPARE(ValueCatalogue::attributeName(QChar(got)), name);
}

void TestCatalogue::sizeText_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("negative") << qint64(-1) << "Unknown";
    QTest::newRow("zero") << qint64(0) << "0 bytes";
    QTest::newRow("1024 not divided") << qint64(1024) << "1024 bytes";
    QTest::newRow("1025") << qint64(1025) << "~1.001KB";
    QTest::newRow("1536") << qint64(1536) << "~1.5KB";
    QTest::newRow("exactly 1024 KB") << qint64(1048576) << "~1024KB";
    QTest::newRow("one past 1024 KB") << qint64(1048577) << "~1MB";
    QTest::newRow("gigabytes") << qint64(3) * 1024 * 1024 * 1024 << "~3GB";
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "~8EB";
}

void TestCatalogue::sizeText()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(ValueCatalogue::sizeText(bytes), text);
}

void TestCatalogue::floatNull()
{
    QVERIFY(ValueCatalogue::isFloatNull(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(ValueCatalogue::isFloatNull(-std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(!ValueCatalogue::isFloatNull(std::numeric_limits<double>::infinity()));
    QVERIFY(!ValueCatalogue::isFloatNull(0.0));
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
