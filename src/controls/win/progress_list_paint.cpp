#include "controls/win/progress_list_paint.h"

#include <cwchar>
#include <string>

#include "core/dpi_scale.h"
#include "controls/progress_list_math.h"
#include "controls/progress_list_text.h"
#include "controls/win/control_base.h"

namespace mb {
namespace pl = progress_list;

namespace {

RECT toRect(const pl::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

int textLength(const wchar_t* text) { return static_cast<int>(std::wcslen(text)); }

// The label font of every row of one paint: the rows are all the same size, so one fitted
// font serves them all, and the sample's width fixes the label column so the bars line up
// whatever the channel number.
struct RowFont {
    UniqueFont owned;  // without a cache to keep it
    HFONT font = nullptr;
    LONG sampleWidth = 0;
};

int fitted(HDC dc, FontFitCache* fits, const wchar_t* text, const RECT& rect, int lowest, int highest) {
    return fits ? fits->fit(dc, text, rect, lowest, highest) : fitFontHeight(dc, text, rect, lowest, highest);
}

// The list's face at the height, from the cache when there is one.
HFONT listFont(FontFitCache* fits, int cellHeight, UniqueFont& owned) {
    if (fits) return fits->font(cellHeight);
    owned = createListFont(cellHeight);
    return owned.get();
}

RowFont makeRowFont(HDC dc, const pl::Rect& rowArea, int dpi, FontFitCache* fits) {
    const pl::Rect inner = pl::rowInner(rowArea);
    RowFont made;
    made.font = listFont(fits,
                         fitted(dc, fits, pl::kLabelSample, toRect(inner),
                                pl::fontCellHeight(pl::kLabelFontLowest, dpi), pl::labelFontHighest(inner)),
                         made.owned);
    SelectScope fontScope(dc, made.font);
    SIZE sample{};
    ::GetTextExtentPoint32W(dc, pl::kLabelSample, textLength(pl::kLabelSample), &sample);
    made.sampleWidth = sample.cx;
    return made;
}

void drawRow(HDC dc, const ChannelRow& row, const pl::Rect& rowArea, const RowFont& rowFont, int dpi) {
    SelectScope fontScope(dc, rowFont.font);
    const pl::RowLayout layout = pl::layoutRow(rowArea, rowFont.sampleWidth);

    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, pl::labelColor(row));
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

void drawNoRows(HDC dc, RECT client, const wchar_t* text, int dpi, FontFitCache* fits) {
    const int fontHeight = fitted(dc, fits, text, client, pl::fontCellHeight(pl::kNoRowsFontLowest, dpi),
                                  pl::fontCellHeight(pl::kNoRowsFontHighest, dpi));
    UniqueFont owned;
    SelectScope fontScope(dc, listFont(fits, fontHeight, owned));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, pl::kNoRowsText);
    ::DrawTextW(dc, text, -1, &client, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
}

void drawStrip(HDC dc, const ProgressListView& view, int count) {
    fillSolid(dc, toRect(pl::stripRect(view.width, view.height, view.dpi)), pl::kStrip);
    pl::Rect thumb = pl::thumbRect(count, view.visibleRows, view.topIndex, view.width, view.height, view.dpi);
    fillSolid(dc, toRect(thumb), pl::thumbColor(view.draggingThumb, view.scrollHover));
}

}  // namespace

UniqueFont createListFont(int cellHeight) {
    return createControlFont(cellHeight, kListFace.name, kListFace.pitchAndFamily);
}

int fitFontHeight(HDC dc, const wchar_t* text, const RECT& rect, int lowest, int highest) {
    const int length = textLength(text);
    const LONG maxWidth = rect.right - rect.left;
    const LONG maxHeight = rect.bottom - rect.top;
    return pl::largestFitting(lowest, highest, [&](int32_t height) {
        UniqueFont font = createListFont(height);
        SIZE extent{};
        {
            SelectScope scope(dc, font.get());
            ::GetTextExtentPoint32W(dc, text, length, &extent);
        }
        return extent.cx <= maxWidth && extent.cy <= maxHeight;
    });
}

HFONT FontFitCache::font(int cellHeight) {
    // One font serves a whole paint, so dropping the others here frees none that is in use.
    if (fonts_.size() >= kFontLimit && !fonts_.count(cellHeight)) fonts_.clear();
    UniqueFont& kept = fonts_[cellHeight];
    if (!kept) kept = createListFont(cellHeight);
    return kept.get();
}

int FontFitCache::fit(HDC dc, const wchar_t* text, const RECT& rect, int lowest, int highest) {
    const Key key{text, rect.right - rect.left, rect.bottom - rect.top, lowest, highest};
    if (auto found = heights_.find(key); found != heights_.end()) return found->second;
    if (heights_.size() >= kLimit) heights_.clear();
    const int height = fitFontHeight(dc, text, rect, lowest, highest);
    heights_.emplace(key, height);
    return height;
}

void paintProgressList(HDC dc, const ProgressListView& view) {
    const RECT client{0, 0, view.width, view.height};
    fillSolid(dc, client, pl::kBackground);
    frameSolid(dc, client, pl::kFrame);  // one pixel at any DPI, a hairline

    const int count = view.rows ? static_cast<int>(view.rows->size()) : 0;
    if (count == 0) {
        drawNoRows(dc, client, view.emptyText, view.dpi, view.fits);
    } else {
        const pl::RowRange range = pl::drawnRows(view.topIndex, count, view.visibleRows);
        const RowFont rowFont = makeRowFont(dc, pl::rowRect(0, view.rowHeight, view.width), view.dpi, view.fits);
        for (int i = range.first; i < range.end; ++i) {
            drawRow(dc, (*view.rows)[static_cast<size_t>(i)], pl::rowRect(i - range.first, view.rowHeight, view.width),
                    rowFont, view.dpi);
        }
    }
    if (pl::stripShown(view.scrollBarEnabled, count, view.visibleRows)) drawStrip(dc, view, count);
}

void paintProgressListRows(HDC dc, const ProgressListView& view, const std::vector<int32_t>& drawn) {
    const int count = view.rows ? static_cast<int>(view.rows->size()) : 0;
    if (drawn.empty() || count == 0) return;
    const RECT client{0, 0, view.width, view.height};
    const pl::RowRange range = pl::drawnRows(view.topIndex, count, view.visibleRows);
    const RowFont rowFont = makeRowFont(dc, pl::rowRect(0, view.rowHeight, view.width), view.dpi, view.fits);
    const bool strip = pl::stripShown(view.scrollBarEnabled, count, view.visibleRows);
    for (const int32_t k : drawn) {
        const pl::Rect area = pl::rowRect(k, view.rowHeight, view.width);
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        // Everything the whole paint draws at these pixels, in its order, clipped to the row.
        fillSolid(dc, client, pl::kBackground);
        frameSolid(dc, client, pl::kFrame);
        drawRow(dc, (*view.rows)[static_cast<size_t>(range.first + k)], area, rowFont, view.dpi);
        if (strip) drawStrip(dc, view, count);
        ::RestoreDC(dc, saved);
    }
}

}  // namespace mb
