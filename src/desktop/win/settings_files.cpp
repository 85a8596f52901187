#include "desktop/win/settings_files.h"

#include <windows.h>
#include <shlobj.h>

#include "core/win/unique_handle.h"

namespace mb {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A settings file is a few hundred bytes; a larger one is left to the profile functions as is.
constexpr LONGLONG kMaxCopiedBytes = 16 << 20;

UniqueKernelHandle openFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE file = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

}  // namespace

bool fileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileRefusesWriting(const std::wstring& path) {
    if (openFile(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING)) return false;
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}

bool folderAcceptsNewFile(const std::wstring& path) {
    const std::wstring probe = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".probe";
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    return static_cast<bool>(UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file));
}

std::optional<uint64_t> lastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool readWhole(const std::wstring& path, std::string& bytes) {
    UniqueKernelHandle file = openFile(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxCopiedBytes) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (bytes.empty()) return true;
    return ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
}

bool replaceWhole(const std::wstring& path, std::string_view bytes) {
    const std::wstring temporary = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    bool written = false;
    {
        UniqueKernelHandle file = openFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!file) return false;
        DWORD put = 0;
        const bool all = bytes.empty() ||
                         (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                          put == bytes.size());
        written = all && ::FlushFileBuffers(file.get());
    }
    if (written && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

bool createWithText(const std::wstring& path, std::string_view bytes) {
    UniqueKernelHandle file = openFile(path, GENERIC_WRITE, 0, CREATE_NEW);
    DWORD put = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
           put == bytes.size();
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void createFolderOf(const std::wstring& path) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);  // "already there" is fine
}

}  // namespace mb
