#include "kdb/KPtr.h"
#include "results/CImagePane.h"
#include "results/ReplyDisplay.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

class TestImagePane : public QObject {
    Q_OBJECT
private slots:
    void pictureReplies_data();
    void pictureReplies();
    void unreadableFileLeavesViewEmpty();
};

void TestImagePane::pictureReplies_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png") << QByteArray("PNG");
    QTest::newRow("jpeg") << QByteArray("JPEG");
    QTest::newRow("gif") << QByteArray("GIF");
}

void TestImagePane::pictureReplies()
{
    QFETCH(QByteArray, format);
    QImage picture(37, 21, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, format.constData()))
        QSKIP("no writer for this format");
    KPtr reply(ktn(KG, encoded.size()));
    memcpy(kG(reply.get()), encoded.constData(), size_t(encoded.size()));
    QCOMPARE(ReplyDisplay::detectMedia(reply.get()), ReplyDisplay::Media::Picture);
    const QString path = ReplyDisplay::writePictureFile(reply.get());
    QVERIFY(path.endsWith(QStringLiteral(".png")));

    CImagePane pane;
    QSignalSpy shown(&pane, &CImagePane::showRequested);
    pane.showImageFile(path);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(pane.image().size(), QSize(37, 21));
    QCOMPARE(pane.widget()->size(), QSize(37, 21));
    QFile::remove(path);
}

void TestImagePane::unreadableFileLeavesViewEmpty()
{
    CImagePane pane;
    pane.showImageFile(QStringLiteral("/nonexistent/tovoResX.png"));
    QVERIFY(pane.image().isNull());
    QCOMPARE(pane.widget()->size(), QSize(100, 100));
}

QTEST_MAIN(TestImagePane)
#include "tst_imagepane.moc"
