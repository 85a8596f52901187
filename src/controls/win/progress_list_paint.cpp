#include "controls/win/progress_list_paint.h"

#include <algorithm>
#include <string>

#include "controls/progress_list_math.h"
#include "controls/progress_list_text.h"
#include "controls/text_fit.h"
#include "controls/win/control_base.h"
#include "core/dpi_scale.h"

namespace mb {
namespace pl = progress_list;

namespace {

// Largest cell height in [lowest, highest] at which the whole text fits into rect, found by a
// binary search that creates and measures a font at every step; lowest when nothing fits.
int fitFontHeight(HDC dc, std::wstring_view text, const RECT& rect, int lowest, int highest) {
    const LONG maxWidth = rect.right - rect.left;
    const LONG maxHeight = rect.bottom - rect.top;
    return largestFitting(lowest, highest, [&](int height) {
        const UniqueFont font = createListFont(height);
        const SIZE extent = textExtent(dc, font.get(), text);
        return extent.cx <= maxWidth && extent.cy <= maxHeight;
    });
}

// The label font of every row of one paint: the rows are all the same size, so one fitted
// font serves them all, and the sample's width fixes the label column so the bars line up
// whatever the channel number.
struct RowFont {
    HFONT font = nullptr;
    LONG sampleWidth = 0;
};

RowFont makeRowFont(HDC dc, const Rect& rowArea, int dpi, FontFitCache& fits, bool named) {
    const Rect inner = pl::labelFitArea(rowArea, named);
    RowFont made;
    made.font = fits.font(fits.fit(dc, pl::kLabelSample, toRect(inner), pl::fontCellHeight(pl::kLabelFontLowest, dpi),
                                   pl::labelFontHighest(inner)));
    made.sampleWidth = textExtent(dc, made.font, pl::kLabelSample).cx;
    return made;
}

// The name over the label and the bar, as large as its part of the row allows, ending in "…"
// when even 8 points are too wide for the row.
void drawName(HDC dc, const ChannelRow& row, const Rect& area, int dpi, FontFitCache& fits) {
    if (row.name.empty() || area.empty()) return;
    const int wanted = std::max(kLowestTextPoints, area.height() * 54 / dpi);  // a line is about 4/3 of its em
    const TextFit fit = fits.fitName(dc, row.name, area.width(), wanted, dpi);
    SelectScope fontScope(dc, fits.nameFont(fit.points, dpi));
    RECT rect = toRect(area);
    ::DrawTextW(dc, row.name.c_str(), -1, &rect, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | ellipsisFormat(fit));
}

void drawRow(HDC dc, const ChannelRow& row, const Rect& rowArea, const RowFont& rowFont, int dpi, FontFitCache& fits,
             bool named) {
    const pl::RowLayout layout = pl::layoutRow(rowArea, rowFont.sampleWidth, named);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, pl::labelColor(row));
    drawName(dc, row, layout.name, dpi, fits);
    SelectScope fontScope(dc, rowFont.font);
    std::wstring label = pl::rowLabel(row.channel, row.hpPercent);
    RECT labelRect = toRect(layout.label);
    ::DrawTextW(dc, label.c_str(), -1, &labelRect, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);

    if (layout.bar.empty()) return;  // no room for the bar beside the label
    RECT bar = toRect(layout.bar);
    fillSolid(dc, bar, pl::kBarTrack);
    if (row.hpPercent > 0) {
        RECT fill = bar;
        fill.right = pl::barFillRight(layout.bar, row.hpPercent);
        fillSolid(dc, fill, pl::barFillColor(row));
    }
    // A hairline at any DPI, like the frame: the DC's own pen, which is solid and one pixel wide.
    SelectScope penScope(dc, ::GetStockObject(DC_PEN));
    ::SetDCPenColor(dc, pl::kBarOutline);
    SelectScope brushScope(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, bar.left, bar.top, bar.right, bar.bottom);

    std::wstring overlay = pl::overlayText(row);
    if (overlay.empty()) return;
    const UINT centred = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_CENTER;
    ::SetTextColor(dc, pl::kOverlayOutline);
    // The outline is as much bolder as the text is larger.
    const int reach = scaleForDpi(1, dpi);
    for (const pl::Offset& offset : pl::kOutlineOffsets) {
        RECT shifted = bar;
        ::OffsetRect(&shifted, offset.dx * reach, offset.dy * reach);
        ::DrawTextW(dc, overlay.c_str(), -1, &shifted, centred);
    }
    ::SetTextColor(dc, pl::kOverlayText);
    ::DrawTextW(dc, overlay.c_str(), -1, &bar, centred);
}

void drawNoRows(HDC dc, RECT client, const std::wstring& text, int dpi, FontFitCache& fits) {
    const int fontHeight = fits.fit(dc, text, client, pl::fontCellHeight(pl::kNoRowsFontLowest, dpi),
                                    pl::fontCellHeight(pl::kNoRowsFontHighest, dpi));
    SelectScope fontScope(dc, fits.font(fontHeight));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, pl::kNoRowsText);
    ::DrawTextW(dc, text.c_str(), -1, &client, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
}

void drawStrip(HDC dc, const ProgressListView& view, int count) {
    fillSolid(dc, toRect(pl::stripRect(view.width, view.height, view.dpi)), pl::kStrip);
    const Rect thumb = pl::thumbRect(count, view.visibleRows, view.topIndex, view.width, view.height, view.dpi);
    fillSolid(dc, toRect(thumb), pl::thumbColor(view.draggingThumb, view.scrollHover));
}

}  // namespace

TextFit FontFitCache::fitName(HDC dc, const std::wstring& name, int width, int wantedPoints, int dpi) {
    if (nameFits_.size() >= kLimit && !nameFits_.count(name)) nameFits_.clear();
    return fitPointText(dc, nameFits_[name], name, width, wantedPoints, dpi);
}

HFONT FontFitCache::nameFont(int points, int dpi) {
    if (nameFonts_.size() >= kFontLimit && !nameFonts_.count({points, dpi})) nameFonts_.clear();
    UniqueFont& kept = nameFonts_[{points, dpi}];
    if (!kept) kept = createPointFont(points, dpi);
    return kept.get();
}

UniqueFont createListFont(int cellHeight) {
    return createControlFont(cellHeight, kListFace.name, kListFace.pitchAndFamily);
}

HFONT FontFitCache::font(int cellHeight) {
    // One font serves a whole paint, so dropping the others here frees none that is in use.
    if (fonts_.size() >= kFontLimit && !fonts_.count(cellHeight)) fonts_.clear();
    UniqueFont& kept = fonts_[cellHeight];
    if (!kept) kept = createListFont(cellHeight);
    return kept.get();
}

int FontFitCache::fit(HDC dc, std::wstring_view text, const RECT& rect, int lowest, int highest) {
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    for (const Fitted& known : heights_) {
        if (known.width == width && known.height == height && known.lowest == lowest && known.highest == highest &&
            known.text == text)
            return known.cellHeight;
    }
    if (heights_.size() >= kLimit) heights_.clear();
    const int cellHeight = fitFontHeight(dc, text, rect, lowest, highest);
    heights_.push_back({std::wstring(text), width, height, lowest, highest, cellHeight});
    return cellHeight;
}

void paintProgressList(HDC dc, const ProgressListView& view, FontFitCache& fits) {
    const RECT client{0, 0, view.width, view.height};
    fillSolid(dc, client, pl::kBackground);
    frameSolid(dc, client, pl::kFrame);  // one pixel at any DPI, a hairline

    const int count = static_cast<int>(view.rows.size());
    if (count == 0) {
        drawNoRows(dc, client, view.emptyText, view.dpi, fits);
    } else {
        const pl::RowRange range = pl::drawnRows(view.topIndex, count, view.visibleRows);
        const bool named = pl::rowsNamed(view.rows);
        const RowFont rowFont = makeRowFont(dc, pl::rowRect(0, view.rowHeight, view.width), view.dpi, fits, named);
        for (int i = range.first; i < range.end; ++i) {
            drawRow(dc, view.rows[static_cast<size_t>(i)], pl::rowRect(i - range.first, view.rowHeight, view.width),
                    rowFont, view.dpi, fits, named);
        }
    }
    if (pl::stripShown(view.scrollBarEnabled, count, view.visibleRows)) drawStrip(dc, view, count);
}

void paintProgressListRows(HDC dc, const ProgressListView& view, const std::vector<int32_t>& drawn,
                           FontFitCache& fits) {
    const int count = static_cast<int>(view.rows.size());
    if (drawn.empty() || count == 0) return;
    const RECT client{0, 0, view.width, view.height};
    const pl::RowRange range = pl::drawnRows(view.topIndex, count, view.visibleRows);
    const bool named = pl::rowsNamed(view.rows);
    const RowFont rowFont = makeRowFont(dc, pl::rowRect(0, view.rowHeight, view.width), view.dpi, fits, named);
    const bool strip = pl::stripShown(view.scrollBarEnabled, count, view.visibleRows);
    for (const int32_t k : drawn) {
        const Rect area = pl::rowRect(k, view.rowHeight, view.width);
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        // Everything the whole paint draws at these pixels, in its order, clipped to the row.
        fillSolid(dc, client, pl::kBackground);
        frameSolid(dc, client, pl::kFrame);
        drawRow(dc, view.rows[static_cast<size_t>(range.first + k)], area, rowFont, view.dpi, fits, named);
        if (strip) drawStrip(dc, view, count);
        ::RestoreDC(dc, saved);
    }
}

}  // namespace mb
