// A flat dark button ("VantorCustomButton") that turns lighter under the pointer and sends
// WM_COMMAND (BN_CLICKED) to its parent the moment the left button goes down. No capture,
// nothing on release, no pressed look.
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/text_control.h"

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

    HWND window() const { return control_.window(); }
    const std::wstring& text() const { return control_.text(); }
    bool hovered() const { return hover_.hovered(); }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TextControl control_;  // window, parent, id, text, font size, back buffer, client size
    HoverTracker hover_;
};

}  // namespace mb
