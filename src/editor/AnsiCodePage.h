// The system's ANSI code page: the code page of Windows on Windows, and
// Windows-1252 elsewhere, so that files move between the platforms unchanged.
#pragma once

#include <QByteArray>
#include <QString>

class AnsiCodePage {
public:
    // Characters the code page cannot hold become "?"; *lossless tells whether any did.
    static QByteArray encode(const QString& text, bool* lossless = nullptr);
    static QString decode(const QByteArray& bytes);
    // Whether the text survives a round trip through the code page.
    static bool canHold(const QString& text);
};
