// A line of centred white text on the dark background ("VantorCustomLabel").
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/text_control.h"

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

    HWND window() const { return control_.window(); }
    const std::wstring& text() const { return control_.text(); }
    int fontSize() const { return control_.fontSize(); }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TextControl control_;  // window, parent, id, text, font size, back buffer, client size
};

}  // namespace mb
