#include "controls/combo_list.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

ComboItem item(const char* text, int active = 0, int total = 0) {
    return ComboItem{text, 0x0000FF, nullptr, active, total};
}

TEST(ComboList, FirstItemIsSelectedSilentlyAndIndicesCount) {
    ComboList list;
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.selectedItem(), nullptr);
    EXPECT_EQ(list.add(item("a")), 0);
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_EQ(list.add(item("b")), 1);
    EXPECT_EQ(list.selectedIndex(), 0);  // later items do not move the selection
    EXPECT_EQ(list.count(), 2);
}

TEST(ComboList, DataOfOutOfRangeIndicesIsNull) {
    int owned = 0;
    ComboList list;
    list.add(ComboItem{"x", 0, &owned, 0, 0});
    EXPECT_EQ(list.data(0), &owned);
    EXPECT_EQ(list.data(1), nullptr);
    EXPECT_EQ(list.data(-1), nullptr);
    ASSERT_TRUE(list.select(-1));
    EXPECT_EQ(list.data(list.selectedIndex()), nullptr);
}

TEST(ComboList, SelectAndUpdateIgnoreOutOfRange) {
    ComboList list;
    list.add(item("a"));
    list.add(item("b"));
    EXPECT_FALSE(list.select(2));
    EXPECT_FALSE(list.select(-2));
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_TRUE(list.select(1));
    EXPECT_EQ(list.selectedIndex(), 1);
    EXPECT_FALSE(list.update(2, 1, 2, 3));
    EXPECT_FALSE(list.update(-1, 1, 2, 3));
    EXPECT_TRUE(list.update(1, 0x00B400, 3, 12));
    EXPECT_EQ(list.item(1)->color, 0x00B400u);
    EXPECT_EQ(list.item(1)->activeCount, 3);
    EXPECT_EQ(list.item(1)->totalCount, 12);
    EXPECT_EQ(list.item(1)->text, "b");
}

TEST(ComboList, ClearResetsSelectionAndHighlight) {
    ComboList list;
    list.add(item("a"));
    list.beginHover();
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.hoverIndex(), -1);
    EXPECT_EQ(list.add(item("c")), 0);
    EXPECT_EQ(list.selectedIndex(), 0);  // empty again: the next first item is selected
}

TEST(ComboList, ArrowKeysMoveTheHighlightWithinTheList) {
    ComboList list;
    for (const char* name : {"a", "b", "c"}) list.add(item(name));
    ASSERT_EQ(list.hoverIndex(), -1);
    EXPECT_TRUE(list.hoverUp());  // no highlighted row: Up highlights row 0
    EXPECT_EQ(list.hoverIndex(), 0);
    EXPECT_FALSE(list.hoverUp());
    list.setHover(-1);
    EXPECT_TRUE(list.hoverDown());  // and so does Down
    EXPECT_EQ(list.hoverIndex(), 0);
    list.hoverDown();
    list.hoverDown();
    EXPECT_EQ(list.hoverIndex(), 2);
    EXPECT_FALSE(list.hoverDown());  // the last row stays
    EXPECT_EQ(list.hoverIndex(), 2);
}

TEST(ComboList, OpeningHighlightsTheSelectionAndChoiceTakesTheHighlight) {
    ComboList list;
    for (const char* name : {"a", "b", "c"}) list.add(item(name));
    list.select(1);
    list.beginHover();
    EXPECT_EQ(list.hoverIndex(), 1);
    EXPECT_TRUE(list.chooseHovered());  // the item already selected is still a choice
    EXPECT_EQ(list.selectedIndex(), 1);
    list.setHover(2);
    EXPECT_TRUE(list.chooseHovered());
    EXPECT_EQ(list.selectedIndex(), 2);
    list.setHover(-1);  // pointer outside the popup
    EXPECT_FALSE(list.chooseHovered());
    EXPECT_EQ(list.selectedIndex(), 2);
}

TEST(PopupItemLabel, SuffixOnlyWithChannels) {
    EXPECT_EQ(popupItemLabel(item("Golem", 3, 12)), "Golem [3/12]");
    EXPECT_EQ(popupItemLabel(item("Golem", 0, 12)), "Golem [0/12]");
    EXPECT_EQ(popupItemLabel(item("Golem", 5, 0)), "Golem");
    EXPECT_EQ(popupItemLabel(item("Golem", 5, -1)), "Golem");
    EXPECT_EQ(popupItemLabel(item("", 1, 2)), " [1/2]");
    EXPECT_EQ(popupItemLabel(item("\xC3\xA9t\xC3\xA9", -2147483647 - 1, 2147483647)),
              "\xC3\xA9t\xC3\xA9 [-2147483648/2147483647]");
}

}  // namespace
}  // namespace mb
