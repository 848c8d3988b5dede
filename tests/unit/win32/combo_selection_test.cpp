#include "platform/win32/combo_selection.h"

#include <gtest/gtest.h>

namespace keyweave::win32 {
namespace {

TEST(ComboSelectionTest, PickingTheCurrentItemAgainIsNoPick) {
    ComboSelection combo;
    EXPECT_EQ(combo.SelectionChanged(1, false), 1);
    EXPECT_EQ(combo.Current(), 1);
    EXPECT_EQ(combo.SelectionChanged(1, false), -1);
    EXPECT_EQ(combo.ListClosedWithChoice(1), -1);
    EXPECT_EQ(combo.SelectionChanged(0, false), 0);
}

TEST(ComboSelectionTest, AfterDeselectingEveryItemTheOldItemCanBePickedAgain) {
    ComboSelection combo;
    combo.Select(1, 1, 3);
    EXPECT_EQ(combo.Select(-1, 0, 3), -1);
    EXPECT_EQ(combo.Current(), -1);
    EXPECT_EQ(combo.SelectionChanged(1, false), 1);
}

TEST(ComboSelectionTest, BrowsingTheOpenListPicksNothingUntilItClosesWithAChoice) {
    ComboSelection combo;
    combo.Select(0, 1, 3);
    EXPECT_EQ(combo.SelectionChanged(1, true), -1);
    EXPECT_EQ(combo.SelectionChanged(2, true), -1);
    EXPECT_EQ(combo.Current(), 0);
    EXPECT_EQ(combo.ListClosedWithChoice(2), 2);
    // The change notice that follows the close reports nothing more.
    EXPECT_EQ(combo.SelectionChanged(2, false), -1);
}

TEST(ComboSelectionTest, NoShownItemIsNoPick) {
    ComboSelection combo;
    EXPECT_EQ(combo.SelectionChanged(-1, false), -1);
    EXPECT_EQ(combo.ListClosedWithChoice(-1), -1);
}

TEST(ComboSelectionTest, SelectDeselectAndToggleOneItem) {
    ComboSelection combo;
    EXPECT_EQ(combo.Select(2, 1, 3), 2);
    // Deselecting another item leaves the current one.
    EXPECT_EQ(combo.Select(1, 0, 3), 2);
    EXPECT_EQ(combo.Select(2, 2, 3), -1);
    EXPECT_EQ(combo.Select(2, 2, 3), 2);
    EXPECT_EQ(combo.Select(2, 0, 3), -1);
    // Indices outside the list change nothing.
    EXPECT_EQ(combo.Select(3, 1, 3), -1);
    EXPECT_EQ(combo.Select(-2, 1, 3), -1);
}

TEST(ComboSelectionTest, IndexMinusOneAppliesTheOperationToEveryItemInTurn) {
    ComboSelection combo;
    EXPECT_EQ(combo.Select(-1, 1, 3), 2);
    // Toggling 0, 1, 2 in turn from "2 current": 0 is selected, then 1, then 2.
    EXPECT_EQ(combo.Select(-1, 2, 3), 2);
    combo.Select(0, 1, 3);
    EXPECT_EQ(combo.Select(-1, 0, 3), -1);
    EXPECT_EQ(combo.Select(-1, 1, 0), -1);
}

TEST(ComboSelectionTest, InsertingBeforeTheCurrentItemKeepsItCurrent) {
    ComboSelection combo;
    combo.Select(1, 1, 3);
    combo.Inserted(2);
    EXPECT_EQ(combo.Current(), 1);
    combo.Inserted(0);
    EXPECT_EQ(combo.Current(), 2);
    combo.Inserted(2);
    EXPECT_EQ(combo.Current(), 3);
    combo.Cleared();
    EXPECT_EQ(combo.Current(), -1);
    combo.Inserted(0);
    EXPECT_EQ(combo.Current(), -1);
}

} // namespace
} // namespace keyweave::win32
