#include "controls/text_fit.h"

#include <algorithm>
#include <cstdint>

namespace mb {

int largestFitting(int lowest, int highest, const std::function<bool(int)>& fits) {
    // Between a size that fits (or stands in for one) and one that does not; in 64 bits, as
    // the size above highest may not fit in an int.
    int64_t fitting = lowest;
    int64_t tooLarge = int64_t{highest} + 1;
    while (tooLarge - fitting > 1) {
        const int64_t middle = fitting + (tooLarge - fitting) / 2;
        (fits(static_cast<int>(middle)) ? fitting : tooLarge) = middle;
    }
    return static_cast<int>(fitting);
}

TextFit fitTextPoints(int wantedPoints, int lowestPoints, int availableWidth, const TextWidthAt& widthAt) {
    const auto fits = [&](int points) { return widthAt(points) <= availableWidth; };
    if (fits(wantedPoints)) return {wantedPoints, false};
    if (wantedPoints <= lowestPoints || !fits(lowestPoints)) return {std::min(wantedPoints, lowestPoints), true};
    // The lowest size fits and the wanted one does not: the largest fitting size lies between.
    return {largestFitting(lowestPoints, wantedPoints - 1, fits), false};
}

TextFit TextFitMemo::fit(const std::wstring& text, int availableWidth, int points, int dpi,
                         const TextWidthAt& widthAt) {
    if (text.empty()) return {points, false};
    if (known_ && text == text_ && availableWidth == width_ && points == points_ && dpi == dpi_) return last_;
    last_ = fitTextPoints(points, kLowestTextPoints, availableWidth, widthAt);
    known_ = true;
    text_ = text;
    width_ = availableWidth;
    points_ = points;
    dpi_ = dpi;
    return last_;
}

}  // namespace mb
