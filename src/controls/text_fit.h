// The size a line of text is drawn at in a control that may be too narrow for it: the wanted
// size when it fits; else the largest smaller size, down to a lowest one, that fits; else the
// lowest size ending in an ellipsis, so the start of the text always shows. Centred text that
// is merely clipped loses both its ends. Platform-free: the caller measures.
#pragma once

#include <functional>
#include <string>

namespace mb {

// Below this a control's text is cut with an ellipsis instead of shrinking further.
inline constexpr int kLowestTextPoints = 8;

struct TextFit {
    int points = 0;
    bool ellipsis = false;  // drawn ending in "…" (DT_END_ELLIPSIS)
    friend bool operator==(const TextFit&, const TextFit&) = default;
};

// Binary search for the largest size in [lowest, highest] that fits; lowest when no larger one
// does or when highest < lowest. lowest itself is never measured: the caller has measured it,
// or draws at it whatever happens. fits must be monotone: true up to some size, false above.
int largestFitting(int lowest, int highest, const std::function<bool(int)>& fits);

// The width in pixels of the text at a size in points, through the font that would draw it.
// It must not shrink as the size grows.
using TextWidthAt = std::function<int(int points)>;

// Text as wide as availableWidth fits. The wanted size is measured first, so text that fits
// costs one measurement; a wanted size at or below the lowest is never enlarged, only ended in
// an ellipsis when it does not fit.
TextFit fitTextPoints(int wantedPoints, int lowestPoints, int availableWidth, const TextWidthAt& widthAt);

// One control's last decision, so that a repaint of unchanged text measures nothing.
class TextFitMemo {
public:
    // fitTextPoints down to kLowestTextPoints, measuring only when the text, the width, the
    // size or the DPI differ from the last call. Empty text is never measured.
    TextFit fit(const std::wstring& text, int availableWidth, int points, int dpi, const TextWidthAt& widthAt);

private:
    bool known_ = false;
    std::wstring text_;
    int width_ = 0;
    int points_ = 0;
    int dpi_ = 0;
    TextFit last_;
};

}  // namespace mb
