// A line of centred white text on the dark background ("VantorCustomLabel").
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/control_base.h"

namespace mb {

inline constexpr wchar_t kCustomLabelClass[] = L"VantorCustomLabel";

class CustomLabel {
public:
    CustomLabel() = default;
    ~CustomLabel();
    CustomLabel(const CustomLabel&) = delete;
    CustomLabel& operator=(const CustomLabel&) = delete;

    // Registers the class on first use and creates the child window. False on failure.
    bool create(HWND parent, int x, int y, int width, int height, int id);
    // The new text (or size) is on screen when these return.
    void setText(const std::wstring& text);
    void setFontSize(int points);
    void setBounds(int x, int y, int width, int height);

    HWND window() const { return window_; }
    const std::wstring& text() const { return text_; }
    int fontSize() const { return fontSize_; }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    int id_ = 0;
    std::wstring text_;
    int fontSize_ = 14;
    BackBuffer buffer_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace mb
