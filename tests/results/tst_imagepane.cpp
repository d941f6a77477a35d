#include "core/files/PrivateTempFolder.h"
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

namespace {
QByteArray encode(const char* format)
{
    QImage picture(37, 21, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return encoded;
}
} // namespace

void TestImagePane::pictureReplies_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QSize>("size");
    QTest::newRow("png") << encode("PNG") << QSize(37, 21);
    QTest::newRow("jpeg") << encode("JPEG") << QSize(37, 21);
    // Qt writes no GIF: the smallest GIF picture, byte for byte.
    QTest::newRow("gif") << QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c"
                                                "00000000010001000002024401003b")
                         << QSize(1, 1);
}

void TestImagePane::pictureReplies()
{
    QFETCH(QByteArray, encoded);
    QFETCH(QSize, size);
    QVERIFY(!encoded.isEmpty());
    KPtr reply(ktn(KG, encoded.size()));
    memcpy(kG(reply.get()), encoded.constData(), size_t(encoded.size()));
    QCOMPARE(ReplyDisplay::detectMedia(reply.get()), ReplyDisplay::Media::Picture);
    PrivateTempFolder folder;
    const QString path = ReplyDisplay::writePictureFile(reply.get(), folder);
    QVERIFY(path.endsWith(QStringLiteral(".png")));

    CImagePane pane;
    QSignalSpy shown(&pane, &CImagePane::showRequested);
    pane.showImageFile(path);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(pane.image().size(), size);
    QCOMPARE(pane.widget()->size(), size);
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
