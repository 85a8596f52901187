// The paint shared by the label and the button: a solid fill and one line of centred white
// "Segoe UI" text, drawn into the back buffer and copied to the window in one BitBlt.
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/control_base.h"

namespace mb {

// Handles WM_PAINT: BeginPaint; rebuilds a missing buffer at width x height (only validating
// the window when that leaves it empty); fills with `fill`; draws `text` (if any) at
// `fontSize` points; copies the buffer; EndPaint.
void paintTextControl(HWND window, BackBuffer& buffer, int width, int height, COLORREF fill,
                      const std::wstring& text, int fontSize);

}  // namespace mb
