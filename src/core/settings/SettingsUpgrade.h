// The one-time upgrade of stored settings to the current layout version.
#pragma once

class SettingsStore;

namespace SettingsUpgrade {
// True when the store's version is older than the current one.
bool needed(const SettingsStore& store);
// Writes the current version and corrects the unprofiled section's values.
void run(SettingsStore& store);
} // namespace SettingsUpgrade
