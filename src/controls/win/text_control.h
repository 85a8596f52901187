// What the label and the button share: one line of text at a font size, kept as the window
// text too, painted as a solid fill under centred white "Segoe UI" text. Text wider than the
// control shrinks down to 8 points, and below that ends in an ellipsis (fitTextPoints); the
// window text stays whole. Each of them derives from TextControl and adds only its class and
// its fill.
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/buffered_control.h"

namespace mb {

// How a text control looks: its fill, its text colour and its face.
struct TextLook {
    COLORREF fill = palette::kBackground;
    COLORREF text = palette::kText;
    FontFace face = kControlFace;
};

// The paint of a text control: fill over the whole width x height, then the text centred on
// one line as fitted, at the DPI (nothing more when it is empty).
void drawCentredText(HDC dc, int width, int height, const TextLook& look, const std::wstring& text, const TextFit& fit,
                     int dpi);

template <typename Control>
class TextControl : public BufferedControl<Control> {
public:
    // Registers the class on first use and creates the child window. False on failure.
    bool create(HWND parent, int x, int y, int width, int height, int id) {
        if (!this->createWindow(WS_CHILD | WS_VISIBLE, 0, parent, x, y, width, height, id)) return false;
        if (!text_.empty()) ::SetWindowTextW(this->window(), text_.c_str());
        return true;
    }
    // The new text (or size) is on screen when these return.
    void setText(const std::wstring& text) {
        // The same text gives the same pixels: labels rewritten ten times a second stay idle.
        if (this->window() && text == text_) return;
        text_ = text;
        // The window text too, so screen readers and other processes can read what is shown.
        if (this->window()) ::SetWindowTextW(this->window(), text_.c_str());
        this->invalidate(true);
    }
    void setFontSize(int points) {
        fontSize_ = points;
        this->invalidate(true);
    }

    const std::wstring& text() const { return text_; }
    int fontSize() const { return fontSize_; }

protected:
    static constexpr bool kTransparentText = true;

    // On screen when setDpi returns, like a new text or size.
    void dpiChanged() { this->invalidate(true); }
    void drawText(HDC dc, const TextLook& look) {
        const TextFit fit = fitPointText(dc, fitted_, text_, this->width(), fontSize_, this->dpi(), look.face);
        drawCentredText(dc, this->width(), this->height(), look, text_, fit, this->dpi());
    }

private:
    std::wstring text_;
    int fontSize_ = 14;
    TextFitMemo fitted_;
};

}  // namespace mb
