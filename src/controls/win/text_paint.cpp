#include "controls/win/text_paint.h"

namespace mb {

void paintTextControl(HWND window, BackBuffer& buffer, int width, int height, COLORREF fill,
                      const std::wstring& text, int fontSize) {
    PaintScope paint(window);
    if (!buffer.ready()) buffer.rebuildBackBuffer(window, width, height, true);
    if (!buffer.ready()) return;
    HDC dc = buffer.dc();
    RECT client{0, 0, width, height};
    fillSolid(dc, client, fill);
    if (!text.empty()) {
        UniqueFont font = createPointFont(fontSize);
        SelectScope selectFont(dc, font.get());
        ::SetTextColor(dc, palette::kText);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, text.c_str(), -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    buffer.present(paint.dc(), width, height);
}

}  // namespace mb
