// The live Q settings: loaded from the store when the main frame is built and
// whenever the settings dialog opens; the rest of the system reads these fields.
#pragma once

#include "core/settings/SettingsTable.h"

#include <QString>

#include <cstdint>

class SettingsStore;

class CDlgQSettings {
public:
#define TOVO_INT_FIELD(field, name, def, lo, hi) int field = def;
#define TOVO_FLAG_FIELD(field, name, def) bool field = def;
#define TOVO_TEXT_FIELD(field, name, def, maxlen) QString field = QStringLiteral(def);
    TOVO_Q_INT_SETTINGS(TOVO_INT_FIELD)
    TOVO_Q_FLAG_SETTINGS(TOVO_FLAG_FIELD)
    TOVO_Q_TEXT_SETTINGS(TOVO_TEXT_FIELD)

    // Whether the program was started with --async; without it AsyncQuerying
    // loads and saves as 0.
    bool asyncAllowed = false;

    void load(const SettingsStore& store);
    // Writes every value of the page, changed or not.
    void save(SettingsStore& store) const;

    // The separator character for CSV exports; never empty.
    QString csvSeparator() const { return CSVSeparator.isEmpty() ? QStringLiteral(",") : CSVSeparator; }

private:
    void saveFields(SettingsStore& store) const;
};

class CDlgEditorSettings {
public:
    TOVO_EDITOR_INT_SETTINGS(TOVO_INT_FIELD)
    TOVO_EDITOR_FLAG_SETTINGS(TOVO_FLAG_FIELD)
    TOVO_EDITOR_TEXT_SETTINGS(TOVO_TEXT_FIELD)
#undef TOVO_INT_FIELD
#undef TOVO_FLAG_FIELD
#undef TOVO_TEXT_FIELD

    void load(const SettingsStore& store);
    void save(SettingsStore& store) const;
};

// The limits of an integer setting of either page, by stored name.
struct SettingLimits {
    int lo = INT32_MIN;
    int hi = INT32_MAX;
};
SettingLimits settingLimits(const char* name);
