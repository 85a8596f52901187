// The open list of the boss selector ("VantorCustomComboBoxPopup"): a top-most tool window of
// its own, with no parent or owner, that shows every item of its box with its counts. The box
// decides when it opens and closes; the popup paints the rows and turns the pointer and the
// keys it receives into the box's highlight, choice and close.
#pragma once

#include <windows.h>

#include "controls/win/buffered_control.h"

namespace mb {

class CustomComboBox;

inline constexpr wchar_t kCustomComboBoxPopupClass[] = L"VantorCustomComboBoxPopup";

// The arrow pointer, set at once: the popup holds the capture, which brings no WM_SETCURSOR.
void setArrowCursor();

class ComboBoxPopup : public BufferedControl<ComboBoxPopup> {
public:
    explicit ComboBoxPopup(CustomComboBox& box) : box_(box) {}

    // Creates the window at screen point (x, y), width x height with its border. False on failure.
    bool create(int x, int y, int width, int height);
    // Gives up the mouse capture if it holds it, then destroys the window.
    void close();

private:
    friend class BufferedControl<ComboBoxPopup>;
    static ControlClass windowClass() { return {kCustomComboBoxPopupClass, CS_DROPSHADOW | CS_SAVEBITS, IDC_ARROW}; }
    void draw(HDC dc) const;
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onKey(WPARAM key);
    int rowAt(LPARAM lParam) const;

    CustomComboBox& box_;
    // The size it was made at, border included: what a press is tested against, so a press on
    // the right or bottom border counts for the row it borders.
    int outerWidth_ = 0;
    int outerHeight_ = 0;
};

}  // namespace mb
