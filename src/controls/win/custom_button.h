// A flat dark button ("VantorCustomButton") that turns lighter under the pointer and sends
// WM_COMMAND (BN_CLICKED) to its parent the moment the left button goes down. No capture,
// nothing on release, no pressed look.
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/control_base.h"

namespace mb {

inline constexpr wchar_t kCustomButtonClass[] = L"VantorCustomButton";

class CustomButton {
public:
    CustomButton() = default;
    ~CustomButton();
    CustomButton(const CustomButton&) = delete;
    CustomButton& operator=(const CustomButton&) = delete;

    bool create(HWND parent, int x, int y, int width, int height, int id);
    void setText(const std::wstring& text);
    void setFontSize(int points);
    void setBounds(int x, int y, int width, int height);

    HWND window() const { return window_; }
    const std::wstring& text() const { return text_; }
    bool hovered() const { return hovered_; }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    int id_ = 0;
    std::wstring text_;
    int fontSize_ = 14;
    bool hovered_ = false;
    bool trackingLeave_ = false;  // a TME_LEAVE request is outstanding
    BackBuffer buffer_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace mb
