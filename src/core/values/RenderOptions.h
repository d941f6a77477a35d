// The settings that change how KRender prints a value, taken from the live Q
// settings at the moment of use so that callers and tests need no store.
#pragma once

#include <QLocale>

class CDlgQSettings;

struct RenderOptions {
    int floatPrecision = 7; // significant digits, 1..32
    bool postfixInts = false;
    bool escapeSlash = true;
    bool nullsAreEmpty = false;      // element mode only
    bool numberLocaleFormat = false; // element mode only
    int maxTableRowsAsText = 10;
    QLocale locale; // used by numberLocaleFormat

    static RenderOptions from(const CDlgQSettings& settings);
    // The same, into existing options: the locale is left as it is (building
    // one for every cell of a large export cost more than rendering it).
    static void update(RenderOptions& options, const CDlgQSettings& settings);
};
