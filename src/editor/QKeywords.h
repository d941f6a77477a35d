// The q keyword list used by the colouriser and by help lookup.
#pragma once

#include <QString>
#include <QStringView>

class QKeywords {
public:
    // The list exactly as kept: a comma before the first and after the last word.
    static const QString& list();
    static bool contains(QStringView name);
    // The same test on UTF-8 bytes.
    static bool contains(const char* name, int length);
    static bool contains(const char16_t* name, int length);
};
