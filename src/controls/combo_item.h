// One entry of the boss selector. The box keeps its own copy of each item; `data` belongs
// to the owner and is never read or freed by the box.
#pragma once

#include <cstdint>
#include <string>

namespace mb {

// A Windows COLORREF value (red in the low byte), kept platform-free.
using ItemColor = uint32_t;

struct ComboItem {
    std::string text;         // UTF-8 name, converted to UTF-16 when painted
    ItemColor color = 0;      // text colour in the box and in the popup
    void* data = nullptr;     // the owner's record for this item
    int32_t activeCount = 0;  // first number of the " [a/t]" suffix
    int32_t totalCount = 0;   // second number; the suffix shows only when it is above 0
};

}  // namespace mb
