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

// The first lines of a settings file the overlay creates: how to point it at a tracker, by
// editing one line. The profile functions keep comment lines where they are, so the block stays
// at the top; the section it opens holds nothing until the player writes that line.
inline constexpr std::string_view kNewSettingsFileHeader =
    "; Marrowbell settings. Marrowbell writes [Window], [Hotkeys] and [Selection] itself.\r\n"
    "; To point it at your community's tracker: close Marrowbell, remove the \";\" in front of\r\n"
    "; TrackerUrl below, put the tracker's base address (without \"/api\") after the \"=\",\r\n"
    "; save, and start Marrowbell again. README.txt explains every key.\r\n"
    "[Network]\r\n"
    ";TrackerUrl=https://tracker.example.org\r\n";

// "UTF-8 with BOM" (PowerShell 5, some editors): EF BB BF at the start. The profile functions
// know only the UTF-16 marks and would read the three bytes as part of the first line, which
// hides the first section.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr bool startsWithUtf8Bom(std::string_view bytes) { return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

}  // namespace mb
