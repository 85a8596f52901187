#include "controls/win/custom_combo_box.h"

#include <utility>

#include "controls/combo_layout.h"

namespace mb {

namespace {

ControlRect fromRect(const RECT& r) { return ControlRect{r.left, r.top, r.right, r.bottom}; }

// Item names are UTF-8 in memory; invalid sequences come out as U+FFFD.
std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

void setArrowCursor() { ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); }

}  // namespace

CustomComboBox::~CustomComboBox() {
    closePopup();
    buffer_.releaseBackBuffer();
    if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
    unbindControl(window_, this);
    window_ = nullptr;
}

bool CustomComboBox::create(HWND parent, int x, int y, int width, int height, int id) {
    static bool registered = false;
    parent_ = parent;
    width_ = width;
    height_ = height;
    id_ = id;
    // The box's class comes first: it names the window created.
    window_ = createRegisteredControl(
        registered,
        {controlClass(kCustomComboBoxClass,
                      &controlWindowProc<CustomComboBox, &CustomComboBox::handleBoxMessage, WM_NCCREATE>, CS_OWNDC,
                      IDC_ARROW),
         controlClass(kCustomComboBoxPopupClass,
                      &controlWindowProc<CustomComboBox, &CustomComboBox::handlePopupMessage, WM_NCCREATE>,
                      CS_DROPSHADOW | CS_SAVEBITS, IDC_ARROW)},
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, x, y, width, height, id, this);
    if (!window_) return false;
    buffer_.rebuildBackBuffer(window_, width_, height_, false);
    return true;
}

void CustomComboBox::setBounds(int x, int y, int width, int height) { moveControl(window_, x, y, width, height); }

int CustomComboBox::addItem(const std::string& text, COLORREF color, void* data, int activeCount, int totalCount) {
    const int index = items_.add(ComboItem{text, static_cast<ItemColor>(color), data, activeCount, totalCount});
    updateWindowText();
    invalidateControl(window_);
    return index;
}

void CustomComboBox::clearItems() {
    items_.clear();
    closePopup();
    updateWindowText();
    invalidateControl(window_);
}

void CustomComboBox::updateItem(int index, COLORREF color, int activeCount, int totalCount) {
    if (!items_.update(index, static_cast<ItemColor>(color), activeCount, totalCount)) return;
    if (popupOpen_) invalidateControl(popup_);
    invalidateControl(window_);
}

void CustomComboBox::setSelection(int index) {
    if (!items_.select(index)) return;
    updateWindowText();
    invalidateControl(window_);
}

void CustomComboBox::updateWindowText() {
    // The selected name is the box's window text too, for screen readers and inspection tools.
    const ComboItem* selected = items_.selectedItem();
    syncWindowText(window_, windowText_, selected ? widen(selected->text) : std::wstring());
}

void CustomComboBox::refresh() { invalidateControl(window_); }

void CustomComboBox::notify(WORD code) { sendCommand(parent_, id_, code, window_); }

void CustomComboBox::setForegroundQuery(std::function<HWND()> query) {
    foregroundWindow_ = query ? std::move(query) : std::function<HWND()>(&::GetForegroundWindow);
}

void CustomComboBox::showPopup() {
    if (popupOpen_ && popup_) {
        claimForegroundOrClose();
        return;
    }
    openPopup();
}

void CustomComboBox::claimForegroundOrClose() {
    ::SetForegroundWindow(popup_);
    ::SetFocus(popup_);
    if (foregroundWindow_() != popup_) closePopup();
}

void CustomComboBox::openPopup() {
    if (popupOpen_ || items_.count() == 0 || !window_) return;
    popupWidth_ = width_;
    popupHeight_ = popupHeightFor(items_.count(), itemHeight_);

    RECT box{};
    ::GetWindowRect(window_, &box);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    PixelPoint at{box.left, box.bottom};  // without monitor information: plainly under the box
    if (::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor))
        at = placePopup(fromRect(box), fromRect(monitor.rcMonitor), popupWidth_, popupHeight_);

    HWND popup = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCustomComboBoxPopupClass, L"",
                                   WS_POPUP | WS_VISIBLE | WS_BORDER, at.x, at.y, popupWidth_, popupHeight_, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), this);
    if (!popup) return;
    popup_ = popup;
    popupOpen_ = true;
    items_.beginHover();

    setArrowCursor();
    ::SetCapture(popup_);
    ::SetForegroundWindow(popup_);
    ::SetFocus(popup_);
    notify(CBN_DROPDOWN);
    // The parent's handling of CBN_DROPDOWN may have moved the focus.
    if (popupOpen_ && popup_ && ::IsWindow(popup_)) claimForegroundOrClose();
}

void CustomComboBox::closePopup() {
    if (!popupOpen_) return;
    // Cleared first: the WM_KILLFOCUS that the next steps cause in the popup then finds it
    // closed and does nothing.
    popupOpen_ = false;
    HWND popup = std::exchange(popup_, nullptr);
    if (popup && ::GetCapture() == popup) ::ReleaseCapture();
    if (popup) ::DestroyWindow(popup);
    finishClose();
}

// The part of the close that follows the popup window's end, by any path.
void CustomComboBox::finishClose() {
    popupBuffer_.releaseBackBuffer();
    notify(CBN_CLOSEUP);
    invalidateControl(window_);
}

void CustomComboBox::paintBox(HWND window) {
    paintBuffered(window, buffer_, width_, height_, false, [&](HDC dc) {
        const RECT client{0, 0, width_, height_};
        fillSolid(dc, client, hover_.fill());
        frameSolid(dc, client, palette::kBorder);

        const auto arrow = comboArrowPoints(width_, height_);
        POINT points[3];
        for (size_t i = 0; i < arrow.size(); ++i) points[i] = POINT{arrow[i].x, arrow[i].y};
        {
            UniqueBrush brush(::CreateSolidBrush(RGB(255, 255, 255)));
            UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
            SelectScope selectBrush(dc, brush.get());
            SelectScope selectPen(dc, pen.get());
            ::Polygon(dc, points, 3);
        }

        if (const ComboItem* selected = items_.selectedItem()) {
            UniqueFont font = createPointFont(fontSize_);
            SelectScope selectFont(dc, font.get());
            ::SetTextColor(dc, selected->color);
            ::SetBkMode(dc, TRANSPARENT);
            const std::wstring text = widen(selected->text);
            RECT textRect = toRect(comboTextRect(width_, height_));
            ::DrawTextW(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER);
        }
    });
}

void CustomComboBox::paintPopup(HWND window) {
    paintBuffered(window, popupBuffer_, popupWidth_, popupHeight_, false, [&](HDC dc) {
        fillSolid(dc, RECT{0, 0, popupWidth_, popupHeight_}, palette::kBackground);
        UniqueFont font = createPointFont(fontSize_);
        SelectScope selectFont(dc, font.get());
        ::SetBkMode(dc, TRANSPARENT);
        for (int i = 0; i < items_.count(); ++i) {
            const ComboItem& entry = *items_.item(i);
            switch (popupRowFill(i, items_.hoverIndex(), items_.selectedIndex())) {
            case PopupRowFill::Hover:
                fillSolid(dc, toRect(popupRowRect(i, itemHeight_, popupWidth_)), palette::kHover);
                break;
            case PopupRowFill::Selected:
                fillSolid(dc, toRect(popupRowRect(i, itemHeight_, popupWidth_)), palette::kSelectedRow);
                break;
            case PopupRowFill::Background:
                break;
            }
            ::SetTextColor(dc, entry.color);
            const std::wstring text = widen(popupItemLabel(entry));
            RECT textRect = toRect(popupRowTextRect(i, itemHeight_, popupWidth_));
            ::DrawTextW(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER);
        }
    });
}

LRESULT CustomComboBox::handleBoxMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        window_ = window;
        break;
    case WM_SIZE:
        width_ = static_cast<short>(LOWORD(lParam));
        height_ = static_cast<short>(HIWORD(lParam));
        buffer_.rebuildBackBuffer(window, width_, height_, false);
        invalidateControl(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paintBox(window);
        return 0;
    case WM_MOUSEMOVE:
        if (hover_.onMouseMove(window)) invalidateControl(window);
        return 0;
    case WM_MOUSELEAVE:
        hover_.onMouseLeave();
        invalidateControl(window);
        return 0;
    case WM_LBUTTONDOWN:
        // With the popup holding the capture this arrives only when the capture was lost.
        if (popupOpen_) {
            closePopup();
            invalidateControl(window);
        } else {
            openPopup();
        }
        return 0;
    case WM_NCDESTROY:
        window_ = nullptr;
        windowText_.clear();
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CustomComboBox::handlePopupMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        setArrowCursor();
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paintPopup(window);
        return 0;
    case WM_MOUSEMOVE: {
        setArrowCursor();
        const int row = popupRowAt(mouseX(lParam), mouseY(lParam), popupWidth_, popupHeight_, itemHeight_);
        if (items_.setHover(row)) invalidateControl(window);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        // With the capture, a press anywhere on the screen lands here; only one on a row chooses.
        const int row = popupRowAt(mouseX(lParam), mouseY(lParam), popupWidth_, popupHeight_, itemHeight_);
        if (popupOpen_ && items_.isValid(row)) {
            setSelection(row);
            notify(CBN_SELCHANGE);
        }
        closePopup();
        return 0;
    }
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_RETURN:
        case VK_SPACE:
            if (popupOpen_ && items_.chooseHovered()) {
                updateWindowText();
                notify(CBN_SELCHANGE);
            }
            closePopup();
            return 0;
        case VK_ESCAPE:
            closePopup();
            return 0;
        case VK_UP:
            items_.hoverUp();
            invalidateControl(window);
            return 0;
        case VK_DOWN:
            items_.hoverDown();
            invalidateControl(window);
            return 0;
        default:
            return 0;
        }
    case WM_KILLFOCUS:
        closePopup();
        return 0;
    case WM_NCDESTROY:
        if (popup_ == window) {
            // Destroyed by someone else while open: finish the close so the owner still hears
            // CBN_CLOSEUP and the box no longer thinks a popup exists.
            popup_ = nullptr;
            if (popupOpen_) {
                popupOpen_ = false;
                finishClose();
            }
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mb
