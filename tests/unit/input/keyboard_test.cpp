#include "input/keyboard.h"
#include "unit/app/program_fixture.h"

namespace keyweave::testing {
namespace {

using Kind = sim::InjectedAction::Kind;

constexpr int kA = 65;
constexpr int kB = 66;
constexpr int kLeftShift = 160;

class KeyboardTest : public ProgramTest {};

TEST_F(KeyboardTest, NothingHeldGivesEmptyPollLists) {
    TKeyboard::Update();
    EXPECT_TRUE(Program().DownList.empty());
    EXPECT_TRUE(Program().HitList.empty());
    EXPECT_TRUE(Program().ReleasedList.empty());
}

TEST_F(KeyboardTest, PollListsFollowPressesAndReleasesInCodeOrder) {
    sim.HoldKey(kLeftShift);
    sim.HoldKey(kA);
    TKeyboard::Update();
    EXPECT_EQ(Names(Program().DownList), (Names16{u"A", u"Left Shift"}));
    EXPECT_EQ(Names(Program().HitList), (Names16{u"A", u"Left Shift"}));
    EXPECT_TRUE(Program().ReleasedList.empty());
    EXPECT_EQ(Program().DownList.front(), TKeyboard::ReturnTKeyFromInt(kA));

    TKeyboard::Update();
    EXPECT_EQ(Names(Program().DownList), (Names16{u"A", u"Left Shift"}));
    EXPECT_TRUE(Program().HitList.empty());
    EXPECT_TRUE(Program().ReleasedList.empty());

    sim.ReleaseKey(kA);
    TKeyboard::Update();
    EXPECT_EQ(Names(Program().DownList), (Names16{u"Left Shift"}));
    EXPECT_TRUE(Program().HitList.empty());
    EXPECT_EQ(Names(Program().ReleasedList), (Names16{u"A"}));
}

TEST_F(KeyboardTest, KeysWithoutRowOrBelowCode32AreNotSeen) {
    for (int code : {78, 27, 9, 13}) { // N, Escape, Tab, Enter
        sim.HoldKey(code);
    }
    TKeyboard::Update();
    EXPECT_TRUE(Program().DownList.empty());
    TKeyboard::Down(13);
    TKeyboard::Update();
    EXPECT_TRUE(Program().DownList.empty());
}

TEST_F(KeyboardTest, InjectedKeysAreSeenByThePoll) {
    TKeyboard::Down(kA);
    TKeyboard::Update();
    EXPECT_EQ(Names(Program().HitList), (Names16{u"A"}));
}

TEST_F(KeyboardTest, FlushReleasesEachOutstandingPressOnce) {
    TKeyboard::Down(kA);
    TKeyboard::Down(kA);
    EXPECT_EQ(Program().KeyboardInjectedList, (Names16{u"65", u"65"}));
    TKeyboard::Flush();
    EXPECT_TRUE(Program().KeyboardInjectedList.empty());
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyDown, kA), Key(Kind::KeyDown, kA),
                                      Key(Kind::KeyUp, kA), Key(Kind::KeyUp, kA)}));
}

TEST_F(KeyboardTest, FlushReleasesOnlyWhatIsStillPressed) {
    TKeyboard::Down(kA);
    TKeyboard::Down(kB);
    TKeyboard::Up(kA);
    sim.ClearLog();
    TKeyboard::Flush();
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyUp, kB)}));
    sim.ClearLog();
    TKeyboard::Flush();
    EXPECT_TRUE(sim.Log().empty());
}

TEST_F(KeyboardTest, ReleaseOfAKeyNeverPressedIsSentAndChangesNoRecord) {
    TKeyboard::Down(kA);
    TKeyboard::Up(70);
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyDown, kA), Key(Kind::KeyUp, 70)}));
    EXPECT_EQ(Program().KeyboardInjectedList, (Names16{u"65"}));
}

TEST_F(KeyboardTest, CodesAreSentWithTheirLowByteAndRecordedWhole) {
    TKeyboard::Down(300);
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyDown, 44)}));
    EXPECT_EQ(Program().KeyboardInjectedList, (Names16{u"300"}));
    TKeyboard::Up(44);
    EXPECT_EQ(Program().KeyboardInjectedList, (Names16{u"300"}));
    TKeyboard::Down(-1);
    EXPECT_EQ(Program().KeyboardInjectedList, (Names16{u"300", u"-1"}));
    sim.ClearLog();
    TKeyboard::Flush();
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyUp, 44), Key(Kind::KeyUp, 255)}));
    EXPECT_TRUE(Program().KeyboardInjectedList.empty());
}

} // namespace
} // namespace keyweave::testing
