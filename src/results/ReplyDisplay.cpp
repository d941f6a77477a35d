#include "results/ReplyDisplay.h"

#include "core/files/PrivateTempFolder.h"

#include <cstring>

namespace ReplyDisplay {

QString roundtripText(qint64 ms)
{
    if (ms < 1000)
        return QStringLiteral("%1ms").arg(ms, 3, 10, QLatin1Char('0'));
    const qint64 seconds = (ms / 1000) % 86400;
    QString text = QStringLiteral("%1:%2:%3.%4")
                       .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                       .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                       .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                       .arg(ms % 1000, 3, 10, QLatin1Char('0'));
    if (text.startsWith(QStringLiteral("00:")))
        text.remove(0, 3);
    return text;
}

GridRoute gridRoute(K reply, bool showDictionaries, bool showLists)
{
    if (!reply || reply->t < 0)
        return GridRoute::None;
    if (reply->t == XT)
        return GridRoute::Table;
    if (reply->t == XD || reply->t == SD) {
        if (reply->n == 2 && kK(reply)[0] && kK(reply)[1] && kK(reply)[0]->t == XT && kK(reply)[1]->t == XT)
            return GridRoute::KeyedTable;
        return showDictionaries ? GridRoute::Dictionary : GridRoute::None;
    }
    if (reply->t <= KT && reply->t != KC)
        return showLists ? GridRoute::List : GridRoute::None;
    return GridRoute::None;
}

Media detectMedia(K reply)
{
    if (!reply)
        return Media::None;
    if (reply->t == KG && reply->n > 8) {
        static const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF};
        static const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38};
        static const unsigned char png[] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
        const G* bytes = kG(reply);
        if (std::memcmp(bytes, jpeg, sizeof jpeg) == 0 || std::memcmp(bytes, gif, sizeof gif) == 0
            || std::memcmp(bytes, png, sizeof png) == 0)
            return Media::Picture;
    }
    if (reply->t == KC && reply->n > 6) {
        const QByteArray start = QByteArray(kC(reply), 6).toUpper();
        if (start == "<HTML>" || start == "<?XML ")
            return Media::Document;
    }
    return Media::None;
}

QString consoleText(const QString& valueText, qint64 ms, bool includeRoundtrip)
{
    if (!includeRoundtrip)
        return valueText;
    return QStringLiteral("(Roundtrip: ") + roundtripText(ms) + QStringLiteral(")\r\n") + valueText;
}

bool isError(const QString& consoleValueText) { return consoleValueText.startsWith(QStringLiteral("ERROR: ")); }

namespace {
// A new temporary file "tovoRes….<suffix>" holding prefix then the vector's bytes.
QString writeTemporary(K vector, PrivateTempFolder& folder, const QString& suffix, const QByteArray& prefix)
{
    const QString path = folder.writeFile(QStringLiteral("tovoRes"), suffix, prefix.constData(), prefix.size(),
                                          reinterpret_cast<const char*>(kG(vector)), vector->n);
    return path.size() > 1024 ? QString() : path;
}
} // namespace

QString writePictureFile(K reply, PrivateTempFolder& folder)
{
    if (!reply || reply->t != KG)
        return QString();
    return writeTemporary(reply, folder, QStringLiteral("png"), QByteArray());
}

QString writeShellFile(K reply, PrivateTempFolder& folder)
{
    if (reply && reply->t == KC) {
        const bool xml = reply->n >= 6 && std::memcmp(kC(reply), "<?xml ", 6) == 0;
        return writeTemporary(reply, folder, xml ? QStringLiteral("xml") : QStringLiteral("html"),
                              QByteArray("\xEF\xBB\xBF"));
    }
    return writePictureFile(reply, folder);
}

} // namespace ReplyDisplay
