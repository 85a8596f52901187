// The program's Rect and Win32's RECT hold the same four edges.
#pragma once

#include <windows.h>

#include "core/rect.h"

namespace mb {

inline RECT toRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline Rect toRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

}  // namespace mb
