// Where the settings file lives, and how a file saved by another editor is recognised; the
// decisions only, so that both builds share them and the file code only applies them.
#pragma once

#include <string_view>

namespace mb {

inline constexpr wchar_t kSettingsFileName[] = L"Marrowbell.ini";
// Folder under %LOCALAPPDATA% for the settings when the executable's folder cannot be written
// (a 64-bit program in "Program Files" gets no file virtualisation).
inline constexpr wchar_t kSettingsFallbackFolder[] = L"Marrowbell";

enum class SettingsFile { kBesideExecutable, kFallback };

// The file to use at start-up. The one beside the executable wins when it exists, except when
// it cannot be written and the fallback exists: that fallback was made from it by an earlier
// save that could not write it, so it holds the newer record. With neither file the one beside
// the executable is tried first, and the first save that fails moves to the fallback.
SettingsFile chooseSettingsFile(bool besideExists, bool besideWritable, bool fallbackExists);

// "UTF-8 with BOM" (PowerShell 5, some editors): EF BB BF at the start. The profile functions
// know only the UTF-16 marks and would read the three bytes as part of the first line, which
// hides the first section.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr bool startsWithUtf8Bom(std::string_view bytes) { return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

}  // namespace mb
