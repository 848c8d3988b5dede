#include "platform/sim/sim_platform.h"
#include "runtime/events/event_queue.h"
#include "runtime/runtime.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace keyweave::sim {
namespace {

class SimGadgetTest : public ::testing::Test {
protected:
    SimGadgetTest() { StartRuntime(sim); }

    SimGadget& Make(int gadgetClass, int style = 0, const std::u16string& text = u"") {
        return AsSim(sim.Gadgets().CreateGadget(gadgetClass, text, 0, 0, 100, 100, nullptr, style));
    }

    SimPlatform sim;
};

class SimComboTest : public SimGadgetTest {
protected:
    SimComboTest() {
        for (const char16_t* name : {u"zero", u"one", u"two"}) {
            combo.InsertItem(combo.ItemCount(), name, u"", -1, std::make_shared<TText>(name), 0);
        }
    }

    SimGadget& combo = Make(ComboBoxClass);
};

TEST_F(SimComboTest, ProgrammaticSelectionRaisesNoEvent) {
    combo.SelectItem(1, 1);
    EXPECT_EQ(combo.SelectedItem(), 1);
    combo.SelectItem(1, 2);
    EXPECT_EQ(combo.SelectedItem(), -1);
    combo.SelectItem(2, 2);
    EXPECT_EQ(combo.SelectedItem(), 2);
    combo.SelectItem(0, 0);
    EXPECT_EQ(combo.SelectedItem(), 2) << "deselecting another item keeps the current one";
    combo.InsertItem(0, u"new", u"", -1, nullptr, 1);
    EXPECT_EQ(combo.SelectedItem(), 0);
    combo.SelectItem(7, 1);
    EXPECT_EQ(combo.SelectedItem(), 0);
    EXPECT_EQ(EventQueueCount(), 0);
}

TEST_F(SimComboTest, InsertingBeforeTheCurrentItemKeepsItCurrent) {
    combo.SelectItem(1, 1);
    combo.InsertItem(0, u"first", u"", -1, nullptr, 0);
    EXPECT_EQ(combo.SelectedItem(), 2);
    EXPECT_EQ(combo.ItemText(2), u"one");
    combo.InsertItem(99, u"last", u"", -1, nullptr, 0);
    EXPECT_EQ(combo.ItemText(4), u"last");
}

TEST_F(SimComboTest, DeselectingEveryItemThenPickingTheFormerCurrentRaisesAnAction) {
    combo.SelectItem(1, 1);
    combo.SelectItem(-1, 0);
    EXPECT_EQ(combo.SelectedItem(), -1);
    EXPECT_EQ(EventQueueCount(), 0);

    combo.Pick(1);
    ASSERT_EQ(EventQueueWait(), GadgetAction);
    EXPECT_EQ(CurrentEventData(), 1);
    EXPECT_EQ(CurrentEventText(), u"one");
    EXPECT_EQ(CurrentEventSource().get(), &combo);
}

TEST_F(SimComboTest, PickingTheCurrentItemRaisesNothing) {
    combo.Pick(2);
    EventQueueWait();
    combo.Pick(2);
    EXPECT_EQ(EventQueueCount(), 0);
    EXPECT_THROW(combo.Pick(3), std::out_of_range);
}

TEST_F(SimComboTest, TwoPicksBeforeTheApplicationTakesOneCoalesce) {
    combo.Pick(0);
    combo.Pick(2);
    ASSERT_EQ(EventQueueCount(), 1);
    EventQueueWait();
    EXPECT_EQ(CurrentEventData(), 2);
    EXPECT_EQ(CurrentEventText(), u"two");
}

TEST_F(SimComboTest, ClearRemovesItemsAndTheCurrentOne) {
    combo.SelectItem(0, 1);
    combo.Clear();
    EXPECT_EQ(combo.ItemCount(), 0);
    EXPECT_EQ(combo.SelectedItem(), -1);
    EXPECT_EQ(combo.ItemText(0), u"");
    EXPECT_EQ(combo.ItemExtra(0), nullptr);
}

TEST_F(SimComboTest, SetTextOnlySetsTheCueText) {
    combo.SelectItem(1, 1);
    combo.SetText(u"");
    EXPECT_EQ(combo.text, u"");
    EXPECT_EQ(combo.SelectedItem(), 1);
}

class SimTextAreaTest : public SimGadgetTest {
protected:
    SimGadget& area = Make(TextAreaClass);
    static constexpr Rgb kRed{255, 0, 0};
    static constexpr Rgb kBlue{0, 0, 255};
};

TEST_F(SimTextAreaTest, TextIsReadAndReplacedByCharacterRanges) {
    area.ReplaceText(0, -1, u"KeyDown A\r\nSleep 100", UnitCharacters);
    EXPECT_EQ(area.AreaText(0, -1, UnitCharacters), u"KeyDown A\nSleep 100");
    EXPECT_EQ(area.AreaLen(UnitCharacters), 19);
    EXPECT_EQ(area.AreaLen(UnitLines), 2);
    EXPECT_EQ(area.AreaText(8, 3, UnitCharacters), u"A\nS");
    EXPECT_EQ(area.AreaText(15, 100, UnitCharacters), u" 100");
    EXPECT_EQ(area.AreaText(50, 2, UnitCharacters), u"");

    area.ReplaceText(8, 1, u"B", UnitCharacters);
    EXPECT_EQ(area.area, u"KeyDown B\nSleep 100");
    area.ReplaceText(0, -1, u"", UnitCharacters);
    EXPECT_EQ(area.AreaLen(UnitCharacters), 0);
    EXPECT_EQ(area.AreaLen(UnitLines), 1);
}

TEST_F(SimTextAreaTest, LineUnitsAddressWholeLines) {
    area.ReplaceText(0, -1, u"a\nbb\nccc\n", UnitCharacters);
    EXPECT_EQ(area.AreaLen(UnitLines), 4);
    EXPECT_EQ(area.AreaText(1, 1, UnitLines), u"bb\n");
    EXPECT_EQ(area.AreaText(1, -1, UnitLines), u"bb\nccc\n");
    area.ReplaceText(0, 2, u"x\n", UnitLines);
    EXPECT_EQ(area.area, u"x\nccc\n");
}

TEST_F(SimTextAreaTest, StylesColourRangesAndNewTextHasNoColour) {
    area.ReplaceText(0, -1, u"aaaa\nbbbb\n", UnitCharacters);
    area.SetStyle(kRed, 0, 0, 5, UnitCharacters);
    area.SetStyle(kBlue, 0, 5, 5, UnitCharacters);
    area.SetStyle(kRed, 0, 2, 0, UnitCharacters);
    using Run = SimGadget::Run;
    EXPECT_EQ(area.ColourRuns(), (std::vector<Run>{{0, 5, kRed}, {5, 5, kBlue}}));

    area.ReplaceText(2, 4, u"XY", UnitCharacters);
    EXPECT_EQ(area.area, u"aaXYbbb\n");
    EXPECT_EQ(area.ColourRuns(), (std::vector<Run>{{0, 2, kRed}, {4, 4, kBlue}}));

    area.SetStyle(kRed, 0, 1, -1, UnitCharacters);
    EXPECT_EQ(area.ColourRuns(), (std::vector<Run>{{0, 8, kRed}}));
}

TEST_F(SimTextAreaTest, LockedChangesAreDrawnOnceAtTheLastUnlock) {
    area.ReplaceText(0, -1, u"x", UnitCharacters);
    EXPECT_EQ(area.redraws, 1);
    area.LockText();
    area.LockText();
    area.ReplaceText(0, -1, u"", UnitCharacters);
    area.ReplaceText(0, -1, u"line\n", UnitCharacters);
    area.SetStyle(kRed, 0, 0, 4, UnitCharacters);
    area.UnlockText();
    EXPECT_EQ(area.redraws, 1);
    area.UnlockText();
    EXPECT_EQ(area.redraws, 2);
    area.UnlockText();
    EXPECT_EQ(area.lockCount, 0);
    EXPECT_EQ(area.redraws, 2);
}

TEST_F(SimGadgetTest, OperationsThatDoNotFitAGadgetHaveNoEffect) {
    SimGadget& label = Make(LabelClass, 0, u"Keys");
    label.ReplaceText(0, -1, u"text", UnitCharacters);
    label.InsertItem(0, u"item", u"", -1, nullptr, 1);
    label.SetStatus(u"status");
    EXPECT_EQ(label.AreaLen(UnitCharacters), 0);
    EXPECT_EQ(label.ItemCount(), 0);
    EXPECT_EQ(label.status, u"");
    EXPECT_EQ(label.GetText(), u"Keys");

    SimGadget& plain = Make(WindowClass, WindowTitleBar);
    plain.SetStatus(u"Select a script.");
    EXPECT_EQ(plain.status, u"");
    SimGadget& window = Make(WindowClass, WindowTitleBar | WindowStatusBar);
    window.SetStatus(u"Select a script.");
    EXPECT_EQ(window.status, u"Select a script.");
}

TEST_F(SimGadgetTest, GadgetsAreRecordedAndTheDesktopIsNoSimGadget) {
    SimGadget& button = Make(ButtonClass, 0, u"Exit");
    ASSERT_EQ(sim.GadgetsCreated().size(), 1u);
    EXPECT_EQ(sim.GadgetsCreated()[0].get(), &button);
    EXPECT_EQ(button.text, u"Exit");
    EXPECT_THROW(AsSim(DesktopGadget()), std::logic_error);
}

} // namespace
} // namespace keyweave::sim
