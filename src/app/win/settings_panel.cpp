#include "app/win/settings_panel.h"

#include <string>

#include "app/app_constants.h"
#include "app/win/placement.h"
#include "desktop/settings_values.h"

namespace mb {
namespace {

std::wstring percentText(int value) { return std::to_wstring(value) + L"%"; }

}  // namespace

void SettingsPanel::create(HWND parent, int opacity, int textScale) {
    opacitySlider_.create(parent, 0, 0, 0, 0, kIdOpacitySlider);
    opacitySlider_.setRange(kMinOpacity, kMaxOpacity);
    opacitySlider_.setValue(opacity);
    opacityValue_.create(parent, 0, 0, 0, 0, kIdOpacityValue);
    showOpacity(opacity);
    textScaleSlider_.create(parent, 0, 0, 0, 0, kIdTextScaleSlider);
    textScaleSlider_.setRange(kMinTextScale, kMaxTextScale);
    textScaleSlider_.setValue(textScale);
    textScaleValue_.create(parent, 0, 0, 0, 0, kIdTextScaleValue);
    showTextScale(textScale);
    opacityCaption_.create(parent, 0, 0, 0, 0, kIdOpacityCaption);
    opacityCaption_.setText(L"Transparency:");
    textScaleCaption_.create(parent, 0, 0, 0, 0, kIdTextScaleCaption);
    textScaleCaption_.setText(L"Text Scale:");
}

void SettingsPanel::place(const MainLayout& layout, bool shown) {
    applyPlacement(textScaleCaption_, layout[LayoutControl::TextScaleCaption]);
    applyPlacement(textScaleSlider_, layout[LayoutControl::TextScaleSlider]);
    applyPlacement(textScaleValue_, layout[LayoutControl::TextScaleValueLabel]);
    applyPlacement(opacityCaption_, layout[LayoutControl::OpacityCaption]);
    applyPlacement(opacitySlider_, layout[LayoutControl::OpacitySlider]);
    applyPlacement(opacityValue_, layout[LayoutControl::OpacityValueLabel]);
    if (!shown) return;
    showOpacity(opacitySlider_.value());
    showTextScale(textScaleSlider_.value());
}

void SettingsPanel::setDpi(int dpi) {
    opacitySlider_.setDpi(dpi);
    opacityCaption_.setDpi(dpi);
    opacityValue_.setDpi(dpi);
    textScaleSlider_.setDpi(dpi);
    textScaleCaption_.setDpi(dpi);
    textScaleValue_.setDpi(dpi);
}

SettingsPanel::Slider SettingsPanel::sliderOf(HWND window) const {
    if (!window) return Slider::None;
    if (window == opacitySlider_.window()) return Slider::Opacity;
    if (window == textScaleSlider_.window()) return Slider::TextScale;
    return Slider::None;
}

void SettingsPanel::showOpacity(int percent) { opacityValue_.setText(percentText(percent)); }

void SettingsPanel::showTextScale(int percent) { textScaleValue_.setText(percentText(percent)); }

}  // namespace mb
