#include "platform/gtk/key_changes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace keyweave::gtk {
namespace {

constexpr int kCtrl = 37;
constexpr int kA = 38;
constexpr int kF12 = 96;

// What each of `takes` takes sees held, as "37+96" (or "" for nothing held).
std::vector<std::string> Takes(KeyChanges& changes, int takes) {
    std::vector<std::string> seen;
    for (int take = 0; take < takes; ++take) {
        const std::bitset<256> held = changes.Take();
        std::string keys;
        for (int keycode = 0; keycode < 256; ++keycode) {
            if (held.test(keycode)) {
                keys += (keys.empty() ? "" : "+") + std::to_string(keycode);
            }
        }
        seen.push_back(keys);
    }
    return seen;
}

using Seen = std::vector<std::string>;

TEST(KeyChanges, ATapBetweenTwoPollsIsHeldAtTheNextAndReleasedAtTheOneAfter) {
    KeyChanges changes;
    changes.Press(kA);
    changes.Release(kA);
    EXPECT_EQ(Takes(changes, 1), Seen{"38"});
    EXPECT_TRUE(changes.Waiting()) << "the release waits: the loop must not sleep";
    EXPECT_EQ(Takes(changes, 2), (Seen{"", ""}));
    EXPECT_FALSE(changes.Waiting());
}

// However the polls fall, each press is seen: a release and press again, two taps, and the
// order of the keys, as a Start/Stop combination pressed twice in a stalled turn needs it.
TEST(KeyChanges, NoPressIsLostAndTheKeysKeepTheirOrder) {
    KeyChanges changes;
    changes.Press(kA);
    EXPECT_EQ(Takes(changes, 1), Seen{"38"});
    changes.Release(kA);
    changes.Press(kA);
    EXPECT_EQ(Takes(changes, 2), (Seen{"", "38"}));
    changes.Release(kA);
    for (int tap = 0; tap < 2; ++tap) {
        changes.Press(kA);
        changes.Release(kA);
    }
    EXPECT_EQ(Takes(changes, 5), (Seen{"", "38", "", "38", ""}));

    changes.Press(kCtrl);
    for (int tap = 0; tap < 2; ++tap) {
        changes.Press(kF12);
        changes.Release(kF12);
    }
    changes.Release(kCtrl);
    EXPECT_EQ(Takes(changes, 5), (Seen{"37+96", "37", "37+96", "", ""}));
}

TEST(KeyChanges, APressOfAHeldKeyIsNoChangeAndASeedReplacesWhatWaits) {
    KeyChanges changes;
    std::bitset<256> held;
    held.set(kCtrl);
    changes.Seed(held);
    changes.Press(kCtrl);
    changes.Release(kA);
    EXPECT_FALSE(changes.Waiting());
    changes.Press(kA);
    changes.Seed(held);
    EXPECT_EQ(Takes(changes, 1), Seen{"37"});
    changes.Press(-1);
    changes.Press(256);
    EXPECT_FALSE(changes.Waiting());
}

TEST(KeyChanges, AFloodLosesItsOldestChangesAndEndsWhereTheKeysAre) {
    KeyChanges changes;
    for (std::size_t tap = 0; tap < KeyChanges::kMaxWaiting; ++tap) {
        changes.Press(kA);
        changes.Release(kA);
    }
    changes.Press(kF12);
    int takes = 0;
    for (; changes.Waiting() && takes < 1000; ++takes) {
        changes.Take();
    }
    EXPECT_LE(takes, static_cast<int>(KeyChanges::kMaxWaiting));
    EXPECT_EQ(Takes(changes, 1), Seen{"96"});
}

} // namespace
} // namespace keyweave::gtk
