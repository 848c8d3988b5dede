#include "app/program_state.h"
#include "checker.h"
#include "runtime/strings.h"
#include "scenario.h"
#include "simulation.h"
#include "support/replay_gaps.h"

#include <cmath>
#include <filesystem>
#include <sstream>

namespace keyweave::scenario {
namespace {

std::string Bytes(const Lines& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// Bound to F1, with the script Typer; "Record Script" pressed at 100, and the recording begun
// with F1, released at 1060.
class Recorder {
public:
    explicit Recorder(const std::string& binding = "KEY_F1") {
        s.WriteSettings(binding + "\r\n");
        s.AddScript("typer.ini", "Typer", {"keystroke(KEY_B, 10)"});
        s.Start();
    }

    void Arm() {
        s.RunUntil(100);
        s.Click(Program().RecordButton);
        s.RunUntil(1000);
    }

    void Begin() {
        Arm();
        s.Tap({kF1});
    }

    // F1 pressed at `at` ends the recording at its release, 60 ms later.
    void End(std::int64_t at) {
        s.Perform({std::to_string(at) + " KeyDown 112", std::to_string(at + 60) + " KeyUp 112"});
        s.RunUntil(at + 100);
    }

    std::optional<std::string> File(int number) const {
        return s.ScriptFile("Recording " + std::to_string(number) + ".ini");
    }

    Scenario s;
};

// The user types, moves, clicks and drags; the file holds the statements that do the same,
// with the waits that keep every gap, and the program selects and shows it.
TEST(Recording, TypingClickingAndDraggingBecomeTheSelectedScript) {
    Recorder r;
    r.Arm();
    EXPECT_EQ(r.s.Status(), u"Press the Start/Stop keys to start recording.");
    EXPECT_EQ(r.s.ComboCurrent(), -1);
    r.s.Tap({kF1});
    r.s.RunUntil(1100);
    EXPECT_EQ(r.s.Status(), u"Recording. Press the Start/Stop keys to stop.");
    r.s.Perform({
        "1160 KeyDown 65", "1240 KeyUp 65",                                       // typed
        "1300 Move 400 300", "1310 Move 410 305", "1320 Move 420 310",            // moved
        "1400 MouseDown 1", "1402 Move 425 315", "1410 Move 430 320",             // dragged
        "1420 Move 440 330", "1500 MouseUp 1",                                    //
        "1600 KeyDown 160", "1650 KeyDown 66", "1700 KeyUp 66", "1750 KeyUp 160", // Shift+B
        "1800 KeyDown 27", "1850 KeyUp 27",                                       // no such key
    });
    EXPECT_EQ(Program().Running, 0);
    r.End(2000);

    // clang-format off
    EXPECT_EQ(r.File(1), Bytes({
        "?kweaver", "{Recording 1",
        "Sleep(100)", "KeyDown(KEY_A)", "Sleep(78)", "KeyUp(KEY_A)",
        "Sleep(58)", "MouseLoc(400, 300)", "Sleep(8)", "MouseLoc(410, 305)",
        "Sleep(8)", "MouseLoc(420, 310)",
        "Sleep(78)", "MouseDown(MOUSE_LEFT)", "MouseLoc(425, 315)",
        "Sleep(7)", "MouseLoc(430, 320)",
        "Sleep(8)", "MouseLoc(440, 330)", "Sleep(78)", "MouseUp(MOUSE_LEFT)",
        "Sleep(98)", "KeyDown(KEY_LSHIFT)", "Sleep(48)", "Sleep(1)", "KeyDown(KEY_B)",
        "Sleep(48)", "Sleep(1)", "KeyUp(KEY_B)", "Sleep(48)", "Sleep(1)", "KeyUp(KEY_LSHIFT)",
        "Sleep(246)",
    }));
    // clang-format on
    EXPECT_EQ(r.s.Status(),
              u"Recording 1 ready. 1 press of a key outside the key table was left out.");
    EXPECT_EQ(r.s.ComboItems().size(), 2u);
    ASSERT_GE(r.s.ComboCurrent(), 0);
    EXPECT_EQ(r.s.ComboItems()[static_cast<std::size_t>(r.s.ComboCurrent())], u"Recording 1");
    EXPECT_EQ(Program().CurrentScript->Name, u"Recording 1");
    EXPECT_TRUE(r.s.ViewText().starts_with(u"Sleep( 100 )\nKeyDown( KEY_A )\n\tSleep( 78 )\n"));
    EXPECT_FALSE(r.s.sim.IsWatching());
    EXPECT_TRUE(r.s.Injected().empty());

    // Letting go of F1 has ended the recording; it does not start the new script.
    r.s.RunUntil(2500);
    EXPECT_EQ(Program().Running, 0);
}

// The key and button events of a timeline or of Injected(), "KeyDown 65" and "MouseDown 1 at
// X Y" with the pixel of the last move before it, and their times since `start`.
struct Events {
    std::vector<std::int64_t> times;
    Lines events;
};

Events EventsOf(const Lines& lines, std::int64_t start) {
    Events found;
    std::string pixel;
    for (const std::string& line : lines) {
        std::istringstream words(line);
        std::int64_t at = 0;
        std::string action;
        std::string code;
        words >> at >> action >> code;
        if (action == "Move") {
            std::string y;
            words >> y;
            pixel = " at " + code + " " + y;
            continue;
        }
        found.times.push_back(at - start);
        found.events.push_back(action + " " + code + (action.starts_with("Mouse") ? pixel : ""));
    }
    return found;
}

// Every kept gap between two recorded events replayed within 1 ms; shorter ones one turn apart,
// or two where the cursor goes to a button's pixel first.
void ExpectTheGapsOf(const Events& recorded, const Events& replayed) {
    ASSERT_EQ(replayed.events, recorded.events);
    for (std::size_t i = 1; i < recorded.times.size(); ++i) {
        const std::int64_t gap = recorded.times[i] - recorded.times[i - 1];
        const std::int64_t replayedGap = replayed.times[i] - replayed.times[i - 1];
        if (gap >= testing::kKeptGapMs) {
            EXPECT_LE(std::abs(replayedGap - gap), 1) << recorded.events[i];
        } else {
            EXPECT_LE(replayedGap, 4) << recorded.events[i];
        }
    }
}

TEST(Recording, TheReplayAndTheDryRunKeepEveryGapAndPixelAndTheRhythm) {
    Recorder r;
    r.Begin();
    const Lines timeline = {
        "1163 KeyDown 65",   "1166 KeyDown 66",   "1171 KeyUp 65",     "1250 KeyUp 66",
        "1300 Move 100 100", "1303 Move 110 100", "1306 Move 120 100", "1309 Move 130 100",
        "1312 Move 140 100", "1315 Move 150 100", "1318 Move 160 100", "1321 Move 170 100",
        "1361 MouseDown 1",  "1380 Move 180 120", "1401 Move 200 200", "1451 MouseUp 1",
        "1497 MouseDown 2",  "1543 MouseUp 2",    "1544 KeyDown 88",   "1618 KeyUp 88",
        "1619 Move 201 200", "1620 MouseDown 1",  "1690 MouseUp 1",
    };
    r.s.Perform(timeline);
    r.End(1700);

    // Played from 2060 on: the second pass begins 640 ms later, as F1 went down at 1700 to end
    // the recording that began at 1060.
    r.s.Perform({"2000 KeyDown 112", "2060 KeyUp 112"});
    r.s.RunUntil(2060 + 640 + 200);
    const Events recorded = EventsOf(timeline, 1060);
    ExpectTheGapsOf(recorded, EventsOf(r.s.Injected(2060, 2060 + 640), 2060));
    const auto presses = r.s.Times(sim::InjectedAction::KeyDown, kA);
    EXPECT_EQ(presses.at(1), presses.at(0) + 640);

    // The dry run shows what the program played.
    std::string played;
    for (const auto& action : r.s.sim.Log()) {
        const std::string line =
            action.timeMs < 2060 + 640 ? check::DescribeAction(action, 2060) : "";
        played += line.empty() ? "" : line + "\n";
    }
    const std::string path = (r.s.folder.Path() / "Scripts" / "Recording 1.ini").string();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(check::RunCheck({"--strict", path}, out, err), check::kAllScripts);
    EXPECT_EQ(err.str(), "");
    std::ostringstream dryRun;
    EXPECT_EQ(check::RunCheck({"--simulate", "639", path}, dryRun, err), check::kAllScripts);
    EXPECT_EQ(dryRun.str(), played);
}

// Nothing is released that the recording did not see pressed; whatever it saw pressed is
// released before its end; a held key's repeated presses count once.
TEST(Recording, ItNeverReleasesWhatItDidNotPressNorLeavesAnythingHeld) {
    Recorder r;
    r.s.Hold(kLeftShift);
    r.Begin();
    r.s.Perform({"1100 KeyDown 65", "1130 KeyDown 65", "1160 KeyDown 65", "1200 KeyUp 160",
                 "1300 MouseDown 2", "1400 KeyDown 66"});
    r.End(1500);
    EXPECT_EQ(r.File(1),
              Bytes({"?kweaver", "{Recording 1", "Sleep(40)", "KeyDown(KEY_A)", "Sleep(196)",
                     "MouseLoc(512, 384)", "MouseDown(MOUSE_RIGHT)", "Sleep(98)", "KeyDown(KEY_B)",
                     "Sleep(98)", "KeyUp(KEY_A)", "MouseUp(MOUSE_RIGHT)", "KeyUp(KEY_B)"}));
}

// With Left Ctrl and F1 bound, the presses and releases of both that end the recording are
// left out, while a Ctrl+click before them stays.
TEST(Recording, OnlyTheStartStopKeysOwnPressesThatEndItAreLeftOut) {
    Recorder r("KEY_LCTRL KEY_F1");
    r.Arm();
    r.s.Perform({"1000 KeyDown 162", "1010 KeyDown 112", "1050 KeyUp 162", "1060 KeyUp 112",
                 "1100 KeyDown 162", "1150 MouseDown 1", "1200 MouseUp 1", "1250 KeyUp 162",
                 "1300 KeyDown 112", "1310 KeyUp 112", // F1 alone is no Start/Stop press
                 "1400 KeyDown 162", "1450 KeyDown 112", "1460 KeyDown 65", "1470 KeyUp 65",
                 "1500 KeyUp 112", "1510 KeyUp 162"});
    r.s.RunUntil(1600);
    // clang-format off
    EXPECT_EQ(r.File(1), Bytes({
        "?kweaver", "{Recording 1",
        "Sleep(40)", "KeyDown(KEY_LCTRL)",
        "Sleep(46)", "MouseLoc(512, 384)", "MouseDown(MOUSE_LEFT)",
        "Sleep(48)", "Sleep(1)", "MouseUp(MOUSE_LEFT)", "Sleep(48)", "Sleep(1)", "KeyUp(KEY_LCTRL)",
        "Sleep(48)", "Sleep(1)", "KeyDown(KEY_F1)", "Sleep(8)", "KeyUp(KEY_F1)",
        "Sleep(149)", "KeyDown(KEY_A)", "Sleep(8)", "KeyUp(KEY_A)",
    }));
    // clang-format on
}

TEST(Recording, WithoutABindingTheButtonWarnsAsAtStartUp) {
    Scenario s;
    s.Start();
    s.Click(Program().RecordButton);
    s.RunUntil(100);
    ASSERT_EQ(s.sim.MessageBoxes().size(), 2u);
    EXPECT_EQ(s.sim.MessageBoxes()[1].text, u"You need to bind the Start/Stop key!");
    EXPECT_TRUE(s.sim.MessageBoxes()[1].serious);
    EXPECT_FALSE(s.sim.IsWatching());
}

TEST(Recording, APlatformThatCannotWatchSaysSoAndChangesNothing) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    s.AddScript("typer.ini", "Typer", {"keystroke(KEY_B, 10)"});
    s.StartWithoutWatcher();
    s.PickScript(u"Typer");
    s.Click(Program().RecordButton);
    s.RunUntil(100);
    EXPECT_EQ(s.Status(), u"Recording is not possible on this system.");
    EXPECT_EQ(Program().CurrentScript->Name, u"Typer");
    s.Tap({kF1});
    s.RunUntil(200);
    EXPECT_EQ(Program().Running, 1) << "the Start/Stop keys still play the chosen script";
}

TEST(Recording, ANothingRecordedOrCancelledWritesNoFile) {
    Recorder r;
    r.Begin();
    r.s.Perform({"1100 KeyDown 27", "1150 KeyUp 27", "1160 KeyDown 27", "1170 KeyUp 27"});
    r.End(1300);
    EXPECT_EQ(r.s.Status(),
              u"Nothing was recorded. 2 presses of keys outside the key table were left out.");

    r.s.Click(Program().RecordButton);
    r.s.RunUntil(1500);
    r.s.Tap({kF1});
    r.s.Perform({"1600 KeyDown 65", "1650 KeyUp 65"});
    r.s.Click(Program().RecordButton);
    r.s.RunUntil(1700);
    EXPECT_EQ(r.s.Status(), u"Recording cancelled.");
    EXPECT_FALSE(r.s.sim.IsWatching());
    r.s.PickScript(u"Typer");
    r.s.Tap({kF1});
    r.s.RunUntil(1800);
    EXPECT_EQ(Program().Running, 1) << "the Start/Stop keys play scripts again";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("Scripts"), {}), 1);
    EXPECT_FALSE(r.File(1));
}

// Choosing a script, reloading or binding new keys ends a recording under way, and the
// Start/Stop keys then do what they do without one.
TEST(Recording, ChoosingReloadingOrBindingCancelsIt) {
    Recorder r;
    r.Begin();
    r.s.PickScript(u"Typer");
    r.s.RunUntil(1100);
    EXPECT_EQ(r.s.Status(), u"Typer ready.");
    EXPECT_FALSE(r.s.sim.IsWatching());
    r.s.Tap({kF1});
    r.s.RunUntil(1200);
    EXPECT_EQ(Program().Running, 1);

    r.s.Click(Program().RecordButton);
    r.s.RunUntil(1300);
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(Program().CurrentScript, nullptr);
    EXPECT_TRUE(r.s.sim.IsWatching());
    r.s.Click(Program().ReloadButton);
    r.s.RunUntil(1400);
    EXPECT_EQ(r.s.Status(), u"Choose a script.");
    EXPECT_FALSE(r.s.sim.IsWatching());

    r.s.Click(Program().RecordButton);
    r.s.RunUntil(1500);
    r.s.Click(Program().BindButton);
    r.s.RunUntil(1600);
    EXPECT_FALSE(r.s.sim.IsWatching());
    EXPECT_EQ(r.s.BindLabel(), u"Hold key(s) down for 3 seconds.");
    EXPECT_FALSE(r.File(1));
}

TEST(Recording, ItTakesTheFirstFreeNameAndAFailedWriteKeepsEverything) {
    Recorder r;
    r.s.folder.Write("Scripts/Recording 1.ini", "a note\r\n");
    std::filesystem::create_directory("Scripts/Recording 2.ini");
    r.Begin();
    r.s.Perform({"1100 KeyDown 65", "1150 KeyUp 65"});
    r.End(1200);
    EXPECT_EQ(r.s.Status(), u"Recording 3 ready.");
    EXPECT_EQ(r.File(1), "a note\r\n");
    EXPECT_TRUE(r.File(3)->starts_with("?kweaver\r\n{Recording 3\r\nSleep(40)\r\n"));

    // With Scripts turned into a file, nothing can be written.
    r.s.PickScript(u"Typer");
    std::filesystem::remove_all("Scripts");
    r.s.folder.Write("Scripts", "");
    r.s.Click(Program().RecordButton);
    r.s.RunUntil(1500);
    r.s.Tap({kF1});
    r.s.Perform({"1600 KeyDown 65", "1650 KeyUp 65"});
    r.End(1700);
    EXPECT_EQ(r.s.Status(), u"The recording could not be saved in the Scripts folder.");
    EXPECT_EQ(r.s.ComboItems().size(), 2u) << "the library as it was";
    EXPECT_EQ(r.s.folder.Read("Scripts"), "");
}

} // namespace
} // namespace keyweave::scenario
