#include "runtime/gui/combo_box_model.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

TGadgetItem Item(const char16_t* text, int flags = 0) {
    return {text, u"", -1, flags, std::make_shared<TText>(text)};
}

// A combo box of three items, none of them current.
class ComboBoxModelTest : public ::testing::Test {
protected:
    ComboBoxModelTest() {
        for (const char16_t* name : {u"zero", u"one", u"two"}) {
            combo.Insert(combo.Count(), Item(name));
        }
    }

    ComboBoxModel combo;
};

TEST_F(ComboBoxModelTest, PickingTheCurrentItemAgainIsNoPick) {
    EXPECT_EQ(combo.SelectionChanged(1, false), 1);
    EXPECT_EQ(combo.Current(), 1);
    EXPECT_EQ(combo.SelectionChanged(1, false), -1);
    EXPECT_EQ(combo.Pick(1), -1);
    EXPECT_EQ(combo.SelectionChanged(0, false), 0);
}

TEST_F(ComboBoxModelTest, AfterDeselectingEveryItemTheOldItemCanBePickedAgain) {
    combo.Select(1, 1);
    EXPECT_EQ(combo.Select(-1, 0), -1);
    EXPECT_EQ(combo.Current(), -1);
    EXPECT_EQ(combo.SelectionChanged(1, false), 1);
}

TEST_F(ComboBoxModelTest, BrowsingTheOpenListPicksNothingUntilItClosesWithAChoice) {
    combo.Select(0, 1);
    EXPECT_EQ(combo.SelectionChanged(1, true), -1);
    EXPECT_EQ(combo.SelectionChanged(2, true), -1);
    EXPECT_EQ(combo.Current(), 0);
    EXPECT_EQ(combo.Pick(2), 2);
    // The change notice that follows the close reports nothing more.
    EXPECT_EQ(combo.SelectionChanged(2, false), -1);
}

TEST_F(ComboBoxModelTest, NoShownItemIsNoPick) {
    EXPECT_EQ(combo.SelectionChanged(-1, false), -1);
    EXPECT_EQ(combo.Pick(-1), -1);
    EXPECT_EQ(combo.Pick(3), -1) << "beyond the last item";
    EXPECT_EQ(combo.Current(), -1);
}

TEST_F(ComboBoxModelTest, SelectDeselectAndToggleOneItem) {
    EXPECT_EQ(combo.Select(2, 1), 2);
    // Deselecting another item leaves the current one.
    EXPECT_EQ(combo.Select(1, 0), 2);
    EXPECT_EQ(combo.Select(2, 2), -1);
    EXPECT_EQ(combo.Select(2, 2), 2);
    EXPECT_EQ(combo.Select(2, 0), -1);
    // Indices outside the list change nothing.
    EXPECT_EQ(combo.Select(3, 1), -1);
    EXPECT_EQ(combo.Select(-2, 1), -1);
}

TEST_F(ComboBoxModelTest, IndexMinusOneAppliesTheOperationToEveryItemInTurn) {
    EXPECT_EQ(combo.Select(-1, 1), 2);
    // Toggling 0, 1, 2 in turn from "2 current": 0 is selected, then 1, then 2.
    EXPECT_EQ(combo.Select(-1, 2), 2);
    combo.Select(0, 1);
    EXPECT_EQ(combo.Select(-1, 0), -1);
    ComboBoxModel empty;
    EXPECT_EQ(empty.Select(-1, 1), -1);
}

TEST_F(ComboBoxModelTest, InsertingBeforeTheCurrentItemKeepsItCurrent) {
    combo.Select(1, 1);
    combo.Insert(2, Item(u"after"));
    EXPECT_EQ(combo.Current(), 1);
    combo.Insert(0, Item(u"first"));
    EXPECT_EQ(combo.Current(), 2);
    combo.Insert(2, Item(u"before"));
    EXPECT_EQ(combo.Current(), 3);
    EXPECT_EQ(combo.Text(3), u"one");
    combo.Clear();
    EXPECT_EQ(combo.Current(), -1);
    combo.Insert(0, Item(u"only"));
    EXPECT_EQ(combo.Current(), -1);
}

TEST_F(ComboBoxModelTest, InsertionsAreClippedToTheListAndFlagOneSelects) {
    EXPECT_EQ(combo.Insert(99, Item(u"last")), 3);
    EXPECT_EQ(combo.Insert(-5, Item(u"head", 1)), 0);
    EXPECT_EQ(combo.Current(), 0) << "flag 1 selects the new item";
    EXPECT_EQ(combo.Text(4), u"last");
    EXPECT_EQ(combo.Text(5), u"");
    EXPECT_EQ(combo.Extra(-1), nullptr);
    ASSERT_NE(combo.Extra(2), nullptr);
    EXPECT_EQ(std::static_pointer_cast<TText>(combo.Extra(2))->value, u"one");
}

} // namespace
} // namespace keyweave
