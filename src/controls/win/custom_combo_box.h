// The boss selector: a closed box ("VantorCustomComboBox") that shows the selected item's
// name in its colour with a small white arrow, and a top-most popup list
// ("VantorCustomComboBoxPopup") that shows every item with its " [active/total]" counts.
// While open, the popup holds the mouse capture and the keyboard focus; a click on a row,
// Enter or Space chooses; a click elsewhere, Escape or a focus loss closes it.
//
// The parent receives WM_COMMAND (code in the high word, id in the low word, the box as
// lParam): CBN_DROPDOWN once the popup is up, CBN_SELCHANGE on every choice (also of the item
// already selected; the selection is updated first), then CBN_CLOSEUP once it is gone, by
// whatever path.
//
// The selected name shrinks to fit the box down to 8 points, then ends in an ellipsis; the
// window text keeps it whole. Rows, arrow and margins follow the box's DPI, the popup's too.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "controls/combo_list.h"
#include "controls/win/buffered_control.h"
#include "controls/win/combo_box_popup.h"

namespace mb {

inline constexpr wchar_t kCustomComboBoxClass[] = L"VantorCustomComboBox";

class CustomComboBox : public BufferedControl<CustomComboBox> {
public:
    // Closes an open popup (with CBN_CLOSEUP) and destroys the box's window.
    ~CustomComboBox();

    // Registers the box's and the popup's classes on first use and creates the box.
    bool create(HWND parent, int x, int y, int width, int height, int id);

    // Appends a copy; the first item becomes the selection silently. Returns its index.
    int addItem(const std::string& text, COLORREF color, void* data, int activeCount, int totalCount);
    // Empties the list and closes the popup if it is open.
    void clearItems();
    // New colour and counts of one item; out-of-range indices are ignored.
    void updateItem(int index, COLORREF color, int activeCount, int totalCount);
    // -1 for none; other out-of-range indices are ignored. Sends nothing.
    void setSelection(int index);

    void* selectedData() const { return items_.data(items_.selectedIndex()); }
    void* itemData(int index) const { return items_.data(index); }
    const ComboItem* item(int index) const { return items_.item(index); }
    int itemCount() const { return items_.count(); }
    int selectedIndex() const { return items_.selectedIndex(); }
    int hoverIndex() const { return items_.hoverIndex(); }
    bool isOpen() const { return popupOpen_; }

    // Opens the popup, or gives an open popup the foreground and focus again. A popup that
    // does not get the foreground (Windows refuses it to a process the user is not working
    // in, such as when the hotkey fires over a game) would get no focus and so never lose
    // it: it is closed again at once, with CBN_CLOSEUP, rather than left over the game.
    void showPopup();
    void closePopup();
    // Repaints the box (after a batch of updateItem calls).
    void refresh();

    // The foreground check that decides whether the popup stays open; GetForegroundWindow
    // unless replaced (tests stand in for a refusal that Wine never makes). Empty restores it.
    void setForegroundQuery(std::function<HWND()> query);

    HWND popupWindow() const { return popup_.window(); }
    // The popup's row height at the box's DPI (28 at 96 DPI).
    int itemHeight() const;

private:
    friend class BufferedControl<CustomComboBox>;
    friend class ComboBoxPopup;
    static ControlClass windowClass() { return {kCustomComboBoxClass, CS_OWNDC, IDC_ARROW}; }
    // An open popup closes (with CBN_CLOSEUP): its rows and place were measured at the old DPI.
    void dpiChanged();
    void draw(HDC dc);
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void openPopup();
    // Asks for the foreground and focus for the popup; closes it when it did not become the
    // foreground window.
    void claimForegroundOrClose();
    void finishClose();
    void notify(WORD code);
    void updateWindowText();

    ComboList items_;     // the items with selectedIndex and hoverIndex
    HoverTracker hover_;  // pointer over the closed box
    ComboBoxPopup popup_{*this};
    bool popupOpen_ = false;
    int fontSize_ = 14;
    TextFitMemo fittedName_;   // the size the selected name was last drawn at
    std::wstring windowText_;  // the selected name as last written to the window text
    std::function<HWND()> foregroundWindow_ = &::GetForegroundWindow;
};

}  // namespace mb
