#include "controls/win/combo_box_popup.h"

#include "controls/combo_layout.h"
#include "controls/win/custom_combo_box.h"
#include "core/win/utf8.h"

namespace mb {

void setArrowCursor() { ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); }

bool ComboBoxPopup::create(int x, int y, int width, int height) {
    outerWidth_ = width;
    outerHeight_ = height;
    return createWindow(WS_POPUP | WS_VISIBLE | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, nullptr, x, y, width,
                        height, 0);
}

void ComboBoxPopup::close() {
    if (window() && ::GetCapture() == window()) ::ReleaseCapture();
    destroyWindow();
}

int ComboBoxPopup::rowAt(LPARAM lParam) const {
    return popupRowAt(mouseX(lParam), mouseY(lParam), outerWidth_, outerHeight_, box_.itemHeight());
}

void ComboBoxPopup::draw(HDC dc) const {
    const ComboList& items = box_.items_;
    // The popup belongs to its box: it draws at the box's DPI, not at a DPI of its own.
    const int dpi = box_.dpi();
    const int rowHeight = box_.itemHeight();
    fillSolid(dc, RECT{0, 0, width(), height()}, palette::kBackground);
    UniqueFont font = createPointFont(box_.fontSize_, dpi);
    SelectScope selectFont(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < items.count(); ++i) {
        const ComboItem& entry = *items.item(i);
        switch (popupRowFill(i, items.hoverIndex(), items.selectedIndex())) {
        case PopupRowFill::Hover:
            fillSolid(dc, toRect(popupRowRect(i, rowHeight, width())), palette::kHover);
            break;
        case PopupRowFill::Selected:
            fillSolid(dc, toRect(popupRowRect(i, rowHeight, width())), palette::kSelectedRow);
            break;
        case PopupRowFill::Background:
            break;
        }
        ::SetTextColor(dc, entry.color);
        const std::wstring text = Utf8ToWide(popupItemLabel(entry));
        RECT textRect = toRect(popupRowTextRect(i, rowHeight, width(), dpi));
        ::DrawTextW(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    }
}

void ComboBoxPopup::onKey(WPARAM key) {
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
        if (box_.popupOpen_ && box_.items_.chooseHovered()) {
            box_.updateWindowText();
            box_.notify(CBN_SELCHANGE);
        }
        box_.closePopup();
        break;
    case VK_ESCAPE:
        box_.closePopup();
        break;
    case VK_UP:
        box_.items_.hoverUp();
        invalidate();
        break;
    case VK_DOWN:
        box_.items_.hoverDown();
        invalidate();
        break;
    default:
        break;
    }
}

LRESULT ComboBoxPopup::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        setArrowCursor();
        return 1;
    case WM_MOUSEMOVE:
        setArrowCursor();
        if (box_.items_.setHover(rowAt(lParam))) invalidate();
        return 0;
    case WM_LBUTTONDOWN: {
        // With the capture, a press anywhere on the screen lands here; only one on a row chooses.
        const int row = rowAt(lParam);
        if (box_.popupOpen_ && box_.items_.isValid(row)) {
            box_.setSelection(row);
            box_.notify(CBN_SELCHANGE);
        }
        box_.closePopup();
        return 0;
    }
    case WM_KEYDOWN:
        onKey(wParam);
        return 0;
    case WM_KILLFOCUS:
        box_.closePopup();
        return 0;
    case WM_NCDESTROY:
        // Destroyed by someone else while open: finish the close so the owner still hears
        // CBN_CLOSEUP and the box no longer thinks a popup exists.
        if (box_.popupOpen_) {
            box_.popupOpen_ = false;
            box_.finishClose();
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mb
