#include "core/settings/SettingsUpgrade.h"

#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SettingsTable.h"

namespace {
struct Correction {
    const char* name;
    bool whenAbsent;
    int badValue;
    int newValue;
};

// name, corrected when absent, the stored value that is corrected, the value written.
constexpr Correction kCorrections[] = {
    {"QMaxConsoleQueries", false, 0, 25},
    {"NamespaceSQTimeout", true, 60, 0},
    {"ConnectTimeoutSec", true, 0, 10},
    {"LogQueries", true, 0, 1},
    {"QCellCharsLimit", true, 0, 150},
    {"QGridShowDicts", true, 0, 1},
    {"QGridShowLists", true, 0, 1},
    {"QMaxConsoleResultLength", true, 50, 5},
    {"QNSFlattenNested", true, 1, 0},
    {"TypingDelayMS", true, 0, 250},
};
} // namespace

bool SettingsUpgrade::needed(const SettingsStore& store) { return store.version() < kept::CurrentVersion; }

void SettingsUpgrade::run(SettingsStore& store)
{
    store.setVersion(kept::CurrentVersion);
    for (const Correction& c : kCorrections) {
        const QString name = QString::fromLatin1(c.name);
        const bool present = store.containsBase(name);
        if ((!present && c.whenAbsent) || (present && store.readBaseInt(name, c.badValue + 1) == c.badValue))
            store.writeBaseInt(name, c.newValue);
    }
    store.writeBaseText(QStringLiteral("HelpURL"), QStringLiteral(TOVO_DEFAULT_HELP_URL));
    store.writeBaseText(QStringLiteral("AltHelpURL"), QStringLiteral(TOVO_DEFAULT_ALT_HELP_URL));
}
