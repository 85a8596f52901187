#include "desktop/settings_location.h"

namespace mb {

SettingsFile chooseSettingsFile(bool besideExists, bool fallbackExists, bool fallbackIsNewer) {
    if (!fallbackExists) return SettingsFile::kBesideExecutable;
    return besideExists && !fallbackIsNewer ? SettingsFile::kBesideExecutable : SettingsFile::kFallback;
}

}  // namespace mb
