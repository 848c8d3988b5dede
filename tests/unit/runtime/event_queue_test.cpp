#include "runtime/events/event_queue.h"
#include "runtime/events/hooks.h"
#include "runtime/system/system.h"
#include "runtime_fixture.h"

namespace keyweave {
namespace {

using EventQueueTest = RuntimeTest;

EventRef Emitted(std::int32_t id, ObjectRef source, std::int32_t data, ObjectRef extra = {}) {
    auto event = TEvent::Create(id, std::move(source), data, 0, 0, 0, std::move(extra));
    event->Emit();
    return event;
}

TEST_F(EventQueueTest, The257thDistinctEventIsDroppedAndTheFirst256ComeInOrder) {
    for (int n = 0; n < kEventQueueSlots + 1; ++n) {
        Emitted(KeyDown, nullptr, n);
    }
    EXPECT_EQ(EventQueueCount(), kEventQueueSlots);
    for (int n = 0; n < kEventQueueSlots; ++n) {
        ASSERT_EQ(EventQueueWait(), KeyDown);
        ASSERT_EQ(CurrentEventData(), n);
    }
    EXPECT_EQ(EventQueuePoll(), 0);
}

TEST_F(EventQueueTest, TheRingKeepsWorkingPastItsSize) {
    for (int n = 0; n < 3 * kEventQueueSlots; ++n) {
        Emitted(KeyUp, nullptr, n);
        Emitted(KeyUp, nullptr, n + 1);
        ASSERT_EQ(EventQueuePoll(), KeyUp);
        ASSERT_EQ(CurrentEventData(), n);
        ASSERT_EQ(EventQueuePoll(), KeyUp);
        ASSERT_EQ(CurrentEventData(), n + 1);
    }
    EXPECT_EQ(EventQueueCount(), 0);
}

TEST_F(EventQueueTest, RepetitiveEventsCoalescePerIdAndSource) {
    const ObjectRef timerA = std::make_shared<TText>(u"a");
    const ObjectRef timerB = std::make_shared<TText>(u"b");
    const EventRef first = Emitted(TimerTick, timerA, 1);
    Emitted(TimerTick, timerB, 1);
    Emitted(KeyDown, timerA, 9);
    Emitted(TimerTick, timerA, 2);
    const ObjectRef extra = std::make_shared<TText>(u"item");
    Emitted(TimerTick, timerA, 3, extra);
    Emitted(GadgetAction, timerA, 4);
    Emitted(GadgetAction, timerA, 5);

    ASSERT_EQ(EventQueueCount(), 4);
    EXPECT_EQ(EventQueueWait(), TimerTick);
    EXPECT_EQ(CurrentEventSource(), timerA);
    EXPECT_EQ(CurrentEventData(), 3);
    EXPECT_EQ(CurrentEventExtra(), extra);
    EXPECT_EQ(&CurrentEvent(), first.get()) << "the first event object stays queued";

    EXPECT_EQ(EventQueueWait(), TimerTick);
    EXPECT_EQ(CurrentEventSource(), timerB);
    EXPECT_EQ(EventQueueWait(), KeyDown);
    EXPECT_EQ(EventQueueWait(), GadgetAction);
    EXPECT_EQ(CurrentEventData(), 5);
}

TEST_F(EventQueueTest, OtherIdsNeverCoalesce) {
    for (const std::int32_t id : {std::int32_t{KeyDown}, std::int32_t{MouseMove},
                                  std::int32_t{WindowClose}, std::int32_t{1}}) {
        Emitted(id, nullptr, 1);
        Emitted(id, nullptr, 2);
    }
    EXPECT_EQ(EventQueueCount(), 8);
}

TEST_F(EventQueueTest, AFullQueueStillUpdatesACoalescedTwin) {
    const ObjectRef timer = std::make_shared<TText>(u"t");
    Emitted(TimerTick, timer, 1);
    for (int n = 1; n < kEventQueueSlots; ++n) {
        Emitted(KeyDown, nullptr, n);
    }
    Emitted(TimerTick, timer, 7);
    EXPECT_EQ(EventQueueCount(), kEventQueueSlots);
    EXPECT_EQ(EventQueuePeek()->data, 7);
}

TEST_F(EventQueueTest, PollOnAnEmptyQueueGivesZeroAndTheEmptyEvent) {
    Emitted(KeyDown, nullptr, 3, std::make_shared<TText>(u"x"));
    EXPECT_EQ(EventQueuePoll(), KeyDown);
    EXPECT_EQ(CurrentEventText(), u"x");

    EXPECT_EQ(EventQueuePoll(), 0);
    EXPECT_EQ(CurrentEventId(), 0);
    EXPECT_EQ(CurrentEventData(), 0);
    EXPECT_EQ(CurrentEventSource(), nullptr);
    EXPECT_EQ(CurrentEventText(), u"");
}

TEST_F(EventQueueTest, PeekPumpsOnceWhenEmptyAndLeavesTheEventQueued) {
    PostMainThreadCall([] { Emitted(WindowClose, nullptr, 0); });
    const EventRef peeked = EventQueuePeek();
    ASSERT_NE(peeked, nullptr);
    EXPECT_EQ(peeked->id, WindowClose);
    EXPECT_EQ(EventQueueCount(), 1);
    EXPECT_EQ(CurrentEventId(), 0);
    EXPECT_EQ(EventQueueWait(), WindowClose);
    EXPECT_EQ(EventQueuePeek(), nullptr);
}

TEST_F(EventQueueTest, WaitPumpsUntilAnEventArrives) {
    PostMainThreadCall([] {});
    PostMainThreadCall([] { Emitted(WindowClose, nullptr, 0); });
    EXPECT_EQ(EventQueueWait(), WindowClose);
}

TEST_F(EventQueueTest, DataThatIsNotAnEventIsIgnored) {
    const ObjectRef text = std::make_shared<TText>(u"not an event");
    EXPECT_EQ(CallHooks(EventHookId(), text), nullptr);
    EXPECT_EQ(EventQueueCount(), 0);
}

TEST_F(EventQueueTest, WaitingInsideThePumpRaisesInsteadOfHanging) {
    EXPECT_TRUE(RaisesInsideThePump([] { EventQueueWait(); }));
}

} // namespace
} // namespace keyweave
