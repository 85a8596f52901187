// The file operations the settings need beside the profile functions: whole-file reading and
// replacing (to move a file or take a mark off it), and the questions that decide where the
// file lives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mb {

bool fileExists(const std::wstring& path);
// Refused for the file itself (read-only, no permission), not because another program holds it
// open for a moment. Opening it for writing changes nothing in it.
bool fileRefusesWriting(const std::wstring& path);
// A new file of our own can be made in the folder of path (it is gone again at once).
bool folderAcceptsNewFile(const std::wstring& path);
// Last-write time of a file, or nothing when it cannot be asked.
std::optional<uint64_t> lastWriteTime(const std::wstring& path);
// The whole file, up to 16 MiB; false when it cannot be read.
bool readWhole(const std::wstring& path, std::string& bytes);
// The bytes go into a new file beside path, which then replaces path in one step: a crash
// leaves the old file or the new one, never a part of either.
bool replaceWhole(const std::wstring& path, std::string_view bytes);
// A new file holding bytes; false, and nothing touched, when the file exists already.
bool createWithText(const std::wstring& path, std::string_view bytes);
// The same file, compared as Windows compares names (without case).
bool samePath(const std::wstring& a, const std::wstring& b);
// The folder of a file, with its parents, when it does not exist yet.
void createFolderOf(const std::wstring& path);

}  // namespace mb
