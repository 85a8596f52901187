// A fresh, empty folder under the temporary directory, removed with everything in it when
// the owner goes.
#pragma once

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

namespace mb::test {

class TempFolder {
public:
    TempFolder() {
        static std::atomic<unsigned> counter{0};
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        for (;;) {
            path_ = std::wstring(base) + L"mb-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                    std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++);
            if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(path_), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

}  // namespace mb::test
