// Settings kept by single windows and the shared values outside the settings
// section: their stored names and defaults.
#pragma once

struct KeptSetting {
    const char* name;
    int def;
};

namespace kept {
// In the settings section.
inline constexpr KeptSetting ApplicationLook{"ApplicationLook", 210};
inline constexpr KeptSetting ChartY0{"ChartY0", 0};
inline constexpr KeptSetting ConnectTimeoutSec{"ConnectTimeoutSec", 5};
inline constexpr KeptSetting ConnectAfterSaving{"ConnectAfterSaving", 1};
inline constexpr KeptSetting KeywordsAreBold{"KeywordsAreBold", 1};
inline constexpr const char* LastTreePath = "LastTreePath";
// In "Custom", shared by all profiles.
inline constexpr KeptSetting MRULength{"MRULength", 4};
inline constexpr const char* ActiveServer = "ActiveServer";
// The layout version of the stored settings.
inline constexpr int CurrentVersion = 119;
} // namespace kept
