#include "core/settings/CDlgQSettings.h"

#include "core/settings/SettingsStore.h"

#include <algorithm>

namespace {
// Values from the store are untrusted: numbers outside a setting's limits are
// brought back inside them, texts are cut to their length.
int clampInt(int value, int lo, int hi) { return std::clamp(value, lo, hi); }
QString cutText(const QString& value, int maxLen) { return maxLen > 0 ? value.left(maxLen) : value; }
} // namespace

#define TOVO_LOAD_INT(field, name, def, lo, hi) field = clampInt(store.readInt(QStringLiteral(name), def), lo, hi);
#define TOVO_LOAD_FLAG(field, name, def) field = store.readInt(QStringLiteral(name), def ? 1 : 0) != 0;
#define TOVO_LOAD_TEXT(field, name, def, maxlen) field = cutText(store.readText(QStringLiteral(name), QStringLiteral(def)), maxlen);
#define TOVO_SAVE_INT(field, name, def, lo, hi) store.writeInt(QStringLiteral(name), field);
#define TOVO_SAVE_FLAG(field, name, def) store.writeInt(QStringLiteral(name), field ? 1 : 0);
#define TOVO_SAVE_TEXT(field, name, def, maxlen) store.writeText(QStringLiteral(name), field);

void CDlgQSettings::load(const SettingsStore& store)
{
    TOVO_Q_INT_SETTINGS(TOVO_LOAD_INT)
    TOVO_Q_FLAG_SETTINGS(TOVO_LOAD_FLAG)
    TOVO_Q_TEXT_SETTINGS(TOVO_LOAD_TEXT)
    if (CSVSeparator.isEmpty())
        CSVSeparator = QStringLiteral(",");
    if (!asyncAllowed)
        AsyncQuerying = false;
}

void CDlgQSettings::save(SettingsStore& store) const
{
    CDlgQSettings copy = *this;
    if (copy.CSVSeparator.isEmpty())
        copy.CSVSeparator = QStringLiteral(",");
    if (!copy.asyncAllowed)
        copy.AsyncQuerying = false;
    copy.saveFields(store);
}

void CDlgQSettings::saveFields(SettingsStore& store) const
{
    TOVO_Q_INT_SETTINGS(TOVO_SAVE_INT)
    TOVO_Q_FLAG_SETTINGS(TOVO_SAVE_FLAG)
    TOVO_Q_TEXT_SETTINGS(TOVO_SAVE_TEXT)
}

void CDlgEditorSettings::load(const SettingsStore& store)
{
    TOVO_EDITOR_INT_SETTINGS(TOVO_LOAD_INT)
    TOVO_EDITOR_FLAG_SETTINGS(TOVO_LOAD_FLAG)
    TOVO_EDITOR_TEXT_SETTINGS(TOVO_LOAD_TEXT)
}

void CDlgEditorSettings::save(SettingsStore& store) const
{
    TOVO_EDITOR_INT_SETTINGS(TOVO_SAVE_INT)
    TOVO_EDITOR_FLAG_SETTINGS(TOVO_SAVE_FLAG)
    TOVO_EDITOR_TEXT_SETTINGS(TOVO_SAVE_TEXT)
}

SettingLimits settingLimits(const char* name)
{
    const QLatin1StringView wanted(name);
#define TOVO_LIMIT(field, key, def, lo, hi)                                                                           \
    if (wanted == QLatin1StringView(key))                                                                             \
        return SettingLimits{lo, hi};
    TOVO_Q_INT_SETTINGS(TOVO_LIMIT)
    TOVO_EDITOR_INT_SETTINGS(TOVO_LIMIT)
#undef TOVO_LIMIT
    return SettingLimits{};
}
