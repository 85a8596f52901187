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

// The file to use at start-up: the one that was written last. The fallback is only ever made
// from the file beside the executable, by a save that could not write there, so when both
// exist the newer one holds the newer record; a tie goes to the file beside the executable.
// With neither file the one beside the executable is tried first.
SettingsFile chooseSettingsFile(bool besideExists, bool fallbackExists, bool fallbackIsNewer);

// What a save does when the file kept refusing its writes for the whole retry time. It moves
// to the fallback only when the folder refuses a new file or the file itself refuses writing
// (read-only, no permission); a file another program holds open for a moment stays the file,
// and the next save writes the whole record there again.
constexpr bool divertAfterFailedSave(bool folderWritable, bool fileRefusesWriting) {
    return !folderWritable || fileRefusesWriting;
}

// "UTF-8 with BOM" (PowerShell 5, some editors): EF BB BF at the start. The profile functions
// know only the UTF-16 marks and would read the three bytes as part of the first line, which
// hides the first section.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr bool startsWithUtf8Bom(std::string_view bytes) { return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

}  // namespace mb
