// The settings panel's look controls: the transparency and text-scale sliders with their
// captions and per-cent values. (The hotkey buttons of the panel are the hotkey bar's.)
#pragma once

#include <windows.h>

#include "controls/win/custom_label.h"
#include "controls/win/custom_slider.h"
#include "desktop/window_layout.h"

namespace mb {

class SettingsPanel {
public:
    enum class Slider { None, Opacity, TextScale };

    // The six controls at zero size, the sliders at the saved values.
    void create(HWND parent, int opacity, int textScale);
    // Shown, the value labels are written again from the sliders.
    void place(const MainLayout& layout, bool shown);

    void setDpi(int dpi);
    // Which slider a WM_HSCROLL came from.
    Slider sliderOf(HWND window) const;
    int opacity() const { return opacitySlider_.value(); }
    int textScale() const { return textScaleSlider_.value(); }
    void showOpacity(int percent);
    void showTextScale(int percent);

    const CustomSlider& opacitySlider() const { return opacitySlider_; }
    const CustomSlider& textScaleSlider() const { return textScaleSlider_; }
    const CustomLabel& opacityCaption() const { return opacityCaption_; }
    const CustomLabel& textScaleCaption() const { return textScaleCaption_; }
    const CustomLabel& opacityValue() const { return opacityValue_; }
    const CustomLabel& textScaleValue() const { return textScaleValue_; }

private:
    CustomSlider opacitySlider_;
    CustomLabel opacityCaption_;
    CustomLabel opacityValue_;
    CustomSlider textScaleSlider_;
    CustomLabel textScaleCaption_;
    CustomLabel textScaleValue_;
};

}  // namespace mb
