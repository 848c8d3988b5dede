#include "input/mouse.h"
#include "unit/app/program_fixture.h"

namespace keyweave::testing {
namespace {

using Kind = sim::InjectedAction::Kind;

class MouseTest : public ProgramTest {
protected:
    static sim::InjectedAction Move(int x, int y, bool moved) {
        return {0, Kind::Move, 0, x, y, moved};
    }
};

TEST_F(MouseTest, FlushReleasesButtonsInTheOrderOfThePresses) {
    TMouse::Down(1);
    TMouse::Down(2);
    TMouse::Flush();
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::MouseDown, 1), Key(Kind::MouseDown, 2),
                                      Key(Kind::MouseUp, 1), Key(Kind::MouseUp, 2)}));
    EXPECT_TRUE(Program().MouseInjectedList.empty());
    EXPECT_FALSE(sim.IsButtonDown(1));
    EXPECT_FALSE(sim.IsButtonDown(2));
}

TEST_F(MouseTest, EachOutstandingPressGetsOneRelease) {
    TMouse::Down(1);
    TMouse::Down(1);
    TMouse::Up(1);
    TMouse::Flush();
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::MouseDown, 1), Key(Kind::MouseDown, 1),
                                      Key(Kind::MouseUp, 1), Key(Kind::MouseUp, 1)}));
}

TEST_F(MouseTest, OtherButtonsAreRecordedButNotSent) {
    TMouse::Down(3);
    EXPECT_EQ(Program().MouseInjectedList, (std::vector<std::u16string>{u"3"}));
    TMouse::Flush();
    EXPECT_TRUE(Program().MouseInjectedList.empty());
    EXPECT_TRUE(sim.Log().empty());
}

TEST_F(MouseTest, ReleaseOfAButtonNeverPressedIsSentAndChangesNoRecord) {
    TMouse::Up(2);
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::MouseUp, 2)}));
    EXPECT_TRUE(Program().MouseInjectedList.empty());
}

TEST_F(MouseTest, SetPosPutsTheCursorOnThePixel) {
    TMouse::SetPos(0, 0);
    TMouse::SetPos(1023, 767);
    EXPECT_EQ(Actions(), (std::vector{Move(0, 0, true), Move(1023, 767, true)}));
    EXPECT_EQ(TMouse::GetPosX(), 1023);
    EXPECT_EQ(TMouse::GetPosY(), 767);
}

TEST_F(MouseTest, GetPosGivesANewPointEachTime) {
    sim.MoveCursorByUser(10, 20);
    const PointRef first = TMouse::GetPos();
    const PointRef second = TMouse::GetPos();
    EXPECT_NE(first, second);
    EXPECT_EQ(first->X, 10);
    EXPECT_EQ(second->Y, 20);
}

TEST_F(MouseTest, LockPinsTheCursorAtEachUpdate) {
    TMouse::Update();
    EXPECT_TRUE(sim.Log().empty());

    sim.MoveCursorByUser(500, 300);
    TMouse::Lock();
    sim.MoveCursorByUser(10, 10);
    TMouse::Update();
    EXPECT_EQ(sim.Cursor().x, 500);
    EXPECT_EQ(sim.Cursor().y, 300);

    TMouse::Unlock();
    TMouse::Unlock();
    EXPECT_EQ(Program().LockPos, nullptr);
    sim.ClearLog();
    TMouse::Update();
    EXPECT_TRUE(sim.Log().empty());
}

// The absolute-move value of a pixel is its centre in 1/65536 of the screen, so the system's
// mapping back, (value * size) >> 16, lands on the same pixel.
TEST_F(MouseTest, AbsoluteMoveValuesMapBackOntoEveryPixel) {
    for (int size : {1024, 768, 1080, 1920, 2560}) {
        for (int pixel = -3; pixel < size + 3; ++pixel) {
            const std::int64_t value = TMouse::AbsMousePos(pixel, size);
            ASSERT_EQ((value * size) >> 16, pixel) << pixel << " of " << size;
        }
    }
    EXPECT_EQ(TMouse::AbsMousePos(0, 1024), 32);
    EXPECT_EQ(TMouse::AbsMousePos(-10, 1024), -608);
    EXPECT_EQ(TMouse::AbsMousePos(5, 0), 0);
}

TEST_F(MouseTest, AbsoluteMoveValuesUseTheDesktopSize) {
    EXPECT_EQ(TMouse::AbsMousePosX(1023), TMouse::AbsMousePos(1023, 1024));
    EXPECT_EQ(TMouse::AbsMousePosY(767), TMouse::AbsMousePos(767, 768));
    EXPECT_EQ(TMouse::AbsMousePosY(384), 32810);
}

} // namespace
} // namespace keyweave::testing
