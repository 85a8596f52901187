#include "controls/win/custom_combo_box.h"

#include <utility>

#include "controls/combo_layout.h"
#include "core/win/utf8.h"

namespace mb {

CustomComboBox::~CustomComboBox() {
    closePopup();
    destroyWindow();
}

bool CustomComboBox::create(HWND parent, int x, int y, int width, int height, int id) {
    // The popup's class too, so that opening it later cannot fail on registration.
    return registerClass() && ComboBoxPopup::registerClass() &&
           createWindow(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, parent, x, y, width, height, id);
}

int CustomComboBox::addItem(const std::string& text, COLORREF color, void* data, int activeCount, int totalCount) {
    const int index = items_.add(ComboItem{text, static_cast<ItemColor>(color), data, activeCount, totalCount});
    updateWindowText();
    invalidate();
    return index;
}

void CustomComboBox::clearItems() {
    items_.clear();
    closePopup();
    updateWindowText();
    invalidate();
}

void CustomComboBox::updateItem(int index, COLORREF color, int activeCount, int totalCount) {
    if (!items_.update(index, static_cast<ItemColor>(color), activeCount, totalCount)) return;
    if (popupOpen_) invalidateControl(popup_.window());
    invalidate();
}

void CustomComboBox::setSelection(int index) {
    if (!items_.select(index)) return;
    updateWindowText();
    invalidate();
}

void CustomComboBox::updateWindowText() {
    // The selected name is the box's window text too, for screen readers and inspection tools.
    const ComboItem* selected = items_.selectedItem();
    syncWindowText(window(), windowText_, selected ? Utf8ToWide(selected->text) : std::wstring());
}

void CustomComboBox::refresh() { invalidate(); }

int CustomComboBox::itemHeight() const { return comboItemHeight(dpi()); }

void CustomComboBox::dpiChanged() {
    closePopup();
    invalidate();
}

void CustomComboBox::notify(WORD code) { sendCommand(parent(), id(), code, window()); }

void CustomComboBox::setForegroundQuery(std::function<HWND()> query) {
    foregroundWindow_ = query ? std::move(query) : std::function<HWND()>(&::GetForegroundWindow);
}

void CustomComboBox::showPopup() {
    if (popupOpen_ && popup_.window()) {
        claimForegroundOrClose();
        return;
    }
    openPopup();
}

void CustomComboBox::claimForegroundOrClose() {
    ::SetForegroundWindow(popup_.window());
    ::SetFocus(popup_.window());
    if (foregroundWindow_() != popup_.window()) closePopup();
}

void CustomComboBox::openPopup() {
    if (popupOpen_ || items_.count() == 0 || !window()) return;
    const int popupHeight = popupHeightFor(items_.count(), itemHeight());

    RECT box{};
    ::GetWindowRect(window(), &box);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    PixelPoint at{box.left, box.bottom};  // without monitor information: plainly under the box
    if (::GetMonitorInfoW(::MonitorFromWindow(window(), MONITOR_DEFAULTTONEAREST), &monitor))
        at = placePopup(toRect(box), toRect(monitor.rcMonitor), width(), popupHeight);

    if (!popup_.create(at.x, at.y, width(), popupHeight)) return;
    popupOpen_ = true;
    items_.beginHover();

    setArrowCursor();
    ::SetCapture(popup_.window());
    ::SetForegroundWindow(popup_.window());
    ::SetFocus(popup_.window());
    notify(CBN_DROPDOWN);
    // The parent's handling of CBN_DROPDOWN may have moved the focus.
    if (popupOpen_ && popup_.window()) claimForegroundOrClose();
}

void CustomComboBox::closePopup() {
    if (!popupOpen_) return;
    // Cleared first: the WM_KILLFOCUS that the next steps cause in the popup then finds it
    // closed and does nothing.
    popupOpen_ = false;
    popup_.close();
    finishClose();
}

// The part of the close that follows the popup window's end, by any path.
void CustomComboBox::finishClose() {
    notify(CBN_CLOSEUP);
    invalidate();
}

void CustomComboBox::draw(HDC dc) {
    const RECT client{0, 0, width(), height()};
    fillSolid(dc, client, hover_.fill());
    frameSolid(dc, client, palette::kBorder);  // one pixel at any DPI, a hairline

    const auto arrow = comboArrowPoints(width(), height(), dpi());
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
        const std::wstring text = Utf8ToWide(selected->text);
        RECT textRect = toRect(comboTextRect(width(), height(), dpi()));
        const TextFit fit = fitPointText(dc, fittedName_, text, textRect.right - textRect.left, fontSize_, dpi());
        UniqueFont font = createPointFont(fit.points, dpi());
        SelectScope selectFont(dc, font.get());
        ::SetTextColor(dc, selected->color);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | ellipsisFormat(fit));
    }
}

LRESULT CustomComboBox::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (hover_.onMouseMove(window)) invalidate();
        return 0;
    case WM_MOUSELEAVE:
        hover_.onMouseLeave();
        invalidate();
        return 0;
    case WM_LBUTTONDOWN:
        // With the popup holding the capture this arrives only when the capture was lost.
        if (popupOpen_) {
            closePopup();
            invalidate();
        } else {
            openPopup();
        }
        return 0;
    case WM_NCDESTROY:
        windowText_.clear();
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mb
