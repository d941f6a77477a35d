// Grid content as HTML: the page opened in the browser (with the result's
// server, query and time above the grid) and the clipboard's "HTML Format"
// envelope around a fragment.
#pragma once

#include <QByteArray>
#include <QString>

struct GridColors;
class CKTableRenderer;
class QIODevice;

class HtmlExport {
public:
    // The fragment (UTF-8) in the envelope whose header gives the byte offsets
    // of "<html>", of the end, and of the two fragment comments.
    static QByteArray clipboardEnvelope(const QByteArray& fragment);

    // The four row-colour rules of the page: ko, ke, o, e.
    static QString styleSheet(const GridColors& colours);

    // The whole page, UTF-8 with a byte-order mark.
    static bool writePage(const CKTableRenderer& grid, QIODevice& out);
};
