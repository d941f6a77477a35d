// tovo-cli chart: the chart of a table message as PNG and SVG, and its errors.
#include "ChartValues.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace cv;

namespace {

QByteArray message(K x)
{
    KPtr bytes(b9(3, x));
    r0(x);
    return QByteArray(reinterpret_cast<const char*>(kG(bytes.get())), qsizetype(bytes->n));
}

int runCli(const QStringList& args, const QByteArray& input, QByteArray* err = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(TOVO_CLI), QStringList{QStringLiteral("chart")} + args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return -1;
    if (err)
        *err = p.readAllStandardError();
    return p.exitCode();
}

K prices()
{
    std::vector<int> d;
    std::vector<double> a, b;
    for (int i = 0; i < 200; ++i) {
        d.push_back(8766 + i);
        a.push_back(100 + 10 * std::sin(i / 10.0));
        b.push_back(90 + i / 10.0);
    }
    return cv::table({"date", "open", "close"}, {vec(KD, d), vec(KF, a), vec(KF, b)});
}

} // namespace

class TestChartCli : public QObject {
    Q_OBJECT
private slots:
    void png();
    void svg();
    void errors();
};

void TestChartCli::png()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("c.png"));
    QByteArray err;
    QCOMPARE(runCli({QStringLiteral("--size"), QStringLiteral("400x300"), out}, message(prices()), &err), 0);
    QImage img(out);
    QCOMPARE(img.size(), QSize(400, 300));
    // The second series takes palette entry 1, red; the first entry is black.
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            red += img.pixel(x, y) == qRgb(255, 0, 0);
    QVERIFY(red > 100);
}

void TestChartCli::svg()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("c.svg"));
    QCOMPARE(runCli({QStringLiteral("--style"), QStringLiteral("2"), QStringLiteral("--x"), QStringLiteral("open"), out},
                    message(prices())),
             0);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray svg = f.readAll();
    QVERIFY(svg.contains("<svg"));
    // Scatter circles are shapes, not a picture.
    QVERIFY(svg.contains("<ellipse") || svg.contains("<circle"));
    QVERIFY(!svg.contains("<image"));
}

void TestChartCli::errors()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("c.png"));
    QByteArray err;
    QCOMPARE(runCli({out}, message(list<J>(KJ, {1, 2, 3})), &err), 1);
    QVERIFY(err.contains("tovo-cli chart: "));
    QCOMPARE(runCli({QStringLiteral("--x"), QStringLiteral("nope"), out}, message(prices()), &err), 1);
    QVERIFY(err.contains("nope"));
    QCOMPARE(runCli({QStringLiteral("--style"), QStringLiteral("7"), out}, message(prices())), 2);
    QCOMPARE(runCli({dir.filePath(QStringLiteral("c.gif"))}, message(prices()), &err), 1);
    QCOMPARE(runCli({out}, QByteArray("not a message")), 1);
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestChartCli)
#include "tst_chart_cli.moc"
