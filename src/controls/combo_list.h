// The items of the boss selector with its selected and highlighted rows, and the rules
// that change them: the first item is selected silently, out-of-range indices are ignored,
// the arrow keys move the highlight and a choice takes the highlighted row.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "controls/combo_item.h"

namespace mb {

class ComboList {
public:
    // Appends a copy; selects it when nothing was selected. Returns its index.
    int add(ComboItem item);
    // Empties the list; selection and highlight become -1.
    void clear();
    // Stores colour and counts of item `index`; false (nothing changed) when out of range.
    bool update(int index, ItemColor color, int activeCount, int totalCount);
    // Selects `index` (-1 for none); false when it is neither -1 nor a valid index.
    bool select(int index);

    int count() const { return static_cast<int>(items_.size()); }
    bool isValid(int index) const { return index >= 0 && index < count(); }
    const ComboItem* item(int index) const { return isValid(index) ? &items_[static_cast<size_t>(index)] : nullptr; }
    void* data(int index) const { return isValid(index) ? items_[static_cast<size_t>(index)].data : nullptr; }
    int selectedIndex() const { return selectedIndex_; }
    const ComboItem* selectedItem() const { return item(selectedIndex_); }

    // The highlighted row of the popup (-1 for none).
    int hoverIndex() const { return hoverIndex_; }
    // Opening the popup highlights the selected row.
    void beginHover() { hoverIndex_ = selectedIndex_; }
    // Pointer tracking; true when the highlight changed.
    bool setHover(int index);
    // Up: max(0, hover - 1); Down: min(count - 1, hover + 1). True when it changed.
    bool hoverUp();
    bool hoverDown();
    // Enter or Space: selects the highlighted row; false (no choice) when none is highlighted.
    bool chooseHovered();

private:
    std::vector<ComboItem> items_;
    int selectedIndex_ = -1;
    int hoverIndex_ = -1;
};

// The popup row text: the name, then " [active/total]" when total is above 0.
std::string popupItemLabel(const ComboItem& item);

}  // namespace mb
