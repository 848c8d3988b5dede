#include "runtime/events/event.h"
#include "runtime_fixture.h"

#include <utility>
#include <vector>

namespace keyweave {
namespace {

using EventTest = RuntimeTest;

TEST_F(EventTest, EveryStandardIdHasItsName) {
    const std::vector<std::pair<std::int32_t, std::u16string>> names{
        {0x101, u"AppSuspend"},
        {0x102, u"AppResume"},
        {0x103, u"AppTerminate"},
        {0x104, u"AppOpenFile"},
        {0x105, u"AppIdle"},
        {0x201, u"KeyDown"},
        {0x202, u"KeyUp"},
        {0x203, u"KeyChar"},
        {0x204, u"KeyRepeat"},
        {0x401, u"MouseDown"},
        {0x402, u"MouseUp"},
        {0x403, u"MouseMove"},
        {0x404, u"MouseWheel"},
        {0x405, u"MouseEnter"},
        {0x406, u"MouseLeave"},
        {0x801, u"TimerTick"},
        {0x1001, u"HotkeyHit"},
        {0x2001, u"GadgetAction"},
        {0x2002, u"GadgetPaint"},
        {0x2003, u"GadgetSelect"},
        {0x2004, u"GadgetMenu"},
        {0x2005, u"GadgetOpen"},
        {0x2006, u"GadgetClose"},
        {0x2007, u"GadgetDone"},
        {0x2008, u"GadgetLostFocus"},
        {0x2009, u"GadgetShape"},
        {0x4001, u"WindowMove"},
        {0x4002, u"WindowSize"},
        {0x4003, u"WindowClose"},
        {0x4004, u"WindowActivate"},
        {0x4005, u"WindowAccept"},
        {0x8001, u"MenuAction"},
        {0x10001, u"StreamEof"},
        {0x10002, u"StreamAvail"},
        {0x20001, u"ProcessExit"},
    };
    for (const auto& [id, name] : names) {
        EXPECT_EQ(TEvent::DescriptionForId(id), name) << id;
    }
    EXPECT_EQ(TEvent::DescriptionForId(1), u"");
    EXPECT_EQ(TEvent::DescriptionForId(0), u"");
    // "}25{" must not match inside "}257{".
    EXPECT_EQ(TEvent::DescriptionForId(25), u"");
}

TEST_F(EventTest, TheFirstRegistrationOfAnIdWinsAndANameIsCutAtABrace) {
    TEvent::RegisterId(0x801, u"Other");
    EXPECT_EQ(TEvent::DescriptionForId(0x801), u"TimerTick");
    TEvent::RegisterId(77, u"Half}Name");
    EXPECT_EQ(TEvent::DescriptionForId(77), u"Half");
}

TEST_F(EventTest, ToStringOfARegisteredId) {
    const auto tick = TEvent::Create(TimerTick, nullptr, 5, 0, 0, 0, nullptr);
    EXPECT_EQ(tick->ToString(), u"TimerTick: data=5, mods=0, x=0, y=0, extra=\"\"");

    const auto key =
        TEvent::Create(KeyDown, nullptr, -160, 1, -3, 7, std::make_shared<TText>(u"caf\u00e9"));
    EXPECT_EQ(key->ToString(), u"KeyDown: data=-160, mods=1, x=-3, y=7, extra=\"caf\u00e9\"");
}

TEST_F(EventTest, ToStringOfAnUnknownIdAndOfANonTextExtra) {
    const auto event = TEvent::Create(1, nullptr, 2, 0, 0, 0, std::make_shared<TEvent>());
    EXPECT_EQ(event->ToString(), u"Unknown Event, id=1: data=2, mods=0, x=0, y=0, extra=\"\"");
}

TEST_F(EventTest, UserIdsStartAfter0x80000000AndPrintAsUserEvents) {
    const std::int32_t first = TEvent::AllocUserId();
    EXPECT_EQ(static_cast<std::uint32_t>(first), 0x80000001u);
    EXPECT_EQ(TEvent::Create(first, nullptr, 0, 0, 0, 0, nullptr)->ToString(),
              u"UserEvent1: data=0, mods=0, x=0, y=0, extra=\"\"");

    const std::int32_t named = AllocUserEventId(u"BindCaptured");
    EXPECT_EQ(static_cast<std::uint32_t>(named), 0x80000002u);
    EXPECT_EQ(TEvent::DescriptionForId(named), u"BindCaptured");
    EXPECT_EQ(TEvent::DescriptionForId(AllocUserEventId(u"")), u"");
}

TEST_F(EventTest, StartingAgainRestartsUserIds) {
    TEvent::AllocUserId();
    StartRuntime(sim);
    EXPECT_EQ(static_cast<std::uint32_t>(TEvent::AllocUserId()), 0x80000001u);
}

} // namespace
} // namespace keyweave
