#include "controls/text_fit.h"

#include <algorithm>

namespace mb {

TextFit fitTextPoints(int wantedPoints, int lowestPoints, int availableWidth, const TextWidthAt& widthAt) {
    const auto fits = [&](int points) { return widthAt(points) <= availableWidth; };
    if (fits(wantedPoints)) return {wantedPoints, false};
    if (wantedPoints <= lowestPoints || !fits(lowestPoints)) return {std::min(wantedPoints, lowestPoints), true};
    // The lowest size fits and the wanted one does not: halve the sizes between them.
    int fitting = lowestPoints;
    int tooWide = wantedPoints;
    while (tooWide - fitting > 1) {
        const int middle = fitting + (tooWide - fitting) / 2;
        (fits(middle) ? fitting : tooWide) = middle;
    }
    return {fitting, false};
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
