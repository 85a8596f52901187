#include "controls/combo_list.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace mb {

int ComboList::add(ComboItem item) {
    items_.push_back(std::move(item));
    if (selectedIndex_ == -1) selectedIndex_ = 0;
    return count() - 1;
}

void ComboList::clear() {
    items_.clear();
    selectedIndex_ = -1;
    hoverIndex_ = -1;
}

bool ComboList::update(int index, ItemColor color, int activeCount, int totalCount) {
    if (!isValid(index)) return false;
    ComboItem& entry = items_[static_cast<size_t>(index)];
    entry.color = color;
    entry.activeCount = activeCount;
    entry.totalCount = totalCount;
    return true;
}

bool ComboList::select(int index) {
    if (index < -1 || index >= count()) return false;
    selectedIndex_ = index;
    return true;
}

bool ComboList::setHover(int index) {
    if (index == hoverIndex_) return false;
    hoverIndex_ = index;
    return true;
}

bool ComboList::hoverUp() { return setHover(std::max(0, hoverIndex_ - 1)); }

bool ComboList::hoverDown() {
    if (items_.empty()) return false;
    return setHover(std::min(count() - 1, hoverIndex_ + 1));
}

bool ComboList::chooseHovered() {
    if (!isValid(hoverIndex_)) return false;
    selectedIndex_ = hoverIndex_;
    return true;
}

std::string popupItemLabel(const ComboItem& item) {
    if (item.totalCount <= 0) return item.text;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, " [%d/%d]", static_cast<int>(item.activeCount),
                  static_cast<int>(item.totalCount));
    return item.text + suffix;
}

}  // namespace mb
