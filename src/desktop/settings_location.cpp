#include "desktop/settings_location.h"

namespace mb {

SettingsFile chooseSettingsFile(bool besideExists, bool besideWritable, bool fallbackExists) {
    if (besideExists && (besideWritable || !fallbackExists)) return SettingsFile::kBesideExecutable;
    return fallbackExists ? SettingsFile::kFallback : SettingsFile::kBesideExecutable;
}

}  // namespace mb
