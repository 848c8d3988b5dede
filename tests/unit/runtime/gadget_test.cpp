#include "runtime/events/event_queue.h"
#include "runtime/gui/gadget.h"
#include "runtime_fixture.h"

namespace keyweave {
namespace {

class GadgetTest : public RuntimeTest {
protected:
    GadgetTest() : RuntimeTest({1024, 768}) {}
};

TEST_F(GadgetTest, TheDesktopIsOneSharedGadgetOfTheScreenSize) {
    const GadgetRef desktop = DesktopGadget();
    EXPECT_EQ(desktop->ClientWidth(), 1024);
    EXPECT_EQ(desktop->ClientHeight(), 768);
    EXPECT_EQ(CreateGadget(DesktopClass, u"ignored", 5, 5, 5, 5, nullptr, 0), desktop);
    EXPECT_TRUE(sim.GadgetsCreated().empty());
}

TEST_F(GadgetTest, ACentredWindowWithoutAGroupIsCentredOnTheDesktop) {
    const GadgetRef window = CreateWindowGadget(u"Keyweave", 7, 9, 600, 400, nullptr, 553);
    EXPECT_EQ(window->GetXPos(), 212);
    EXPECT_EQ(window->GetYPos(), 184);
    EXPECT_EQ(window->ClientWidth(), 600);
    EXPECT_EQ(window->ClientHeight(), 400);
    EXPECT_EQ(sim::AsSim(window).text, u"Keyweave");
    EXPECT_EQ(window->style, 553);
}

TEST_F(GadgetTest, CentringTruncatesTowardZeroAndUsesTheGroupWhenGiven) {
    const GadgetRef large = CreateWindowGadget(u"", 0, 0, 1027, 771, nullptr, WindowCentred);
    EXPECT_EQ(large->GetXPos(), -1) << "-3 / 2";
    EXPECT_EQ(large->GetYPos(), -1);

    const GadgetRef group = CreateWindowGadget(u"", 100, 50, 301, 200, nullptr, 0);
    const GadgetRef inner = CreateWindowGadget(u"", 0, 0, 100, 100, group, WindowCentred);
    EXPECT_EQ(inner->GetXPos(), 100 + 100);
    EXPECT_EQ(inner->GetYPos(), 50 + 50);

    const GadgetRef placed = CreateWindowGadget(u"", 7, 9, 10, 10, nullptr, WindowTitleBar);
    EXPECT_EQ(placed->GetXPos(), 7);
    EXPECT_EQ(placed->GetYPos(), 9);
}

TEST_F(GadgetTest, AddItemAppends) {
    const GadgetRef combo = CreateComboBoxGadget(0, 0, 10, 10, nullptr, 0);
    const ObjectRef extra = std::make_shared<TText>(u"script");
    AddItem(combo, u"first", 0, -1, u"", nullptr);
    AddItem(combo, u"second", 0, -1, u"", extra);
    ASSERT_EQ(combo->ItemCount(), 2);
    EXPECT_EQ(combo->ItemText(1), u"second");
    EXPECT_EQ(combo->ItemExtra(1), extra);
    EXPECT_EQ(combo->SelectedItem(), -1);
}

TEST_F(GadgetTest, UserActionsArriveAsEventsWithTheGadgetAsSource) {
    const GadgetRef window = CreateWindowGadget(u"w", 0, 0, 10, 10, nullptr, 0);
    const GadgetRef button = CreateButtonGadget(u"About", 0, 0, 10, 10, window, 0);
    sim::AsSim(button).Click();
    sim::AsSim(window).UseCloseBox();

    EXPECT_EQ(EventQueueWait(), GadgetAction);
    EXPECT_EQ(CurrentEventSource(), button);
    EXPECT_EQ(CurrentEventData(), 0);
    EXPECT_EQ(CurrentEventExtra(), nullptr);
    EXPECT_EQ(EventQueueWait(), WindowClose);
    EXPECT_EQ(CurrentEventSource(), window);
}

} // namespace
} // namespace keyweave
