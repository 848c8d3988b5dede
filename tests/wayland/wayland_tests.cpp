// The real program on a headless sway: its keys and buttons reach a native Wayland window.

#include "support/shortcuts_portal.h"
#include "wayland_program.h"

#include <csignal>
#include <thread>

namespace keyweave::wayland_test {
namespace {

// A click that gives the target the focus, a key, a shifted key and a right click elsewhere.
constexpr const char* kGreeting = "?kweaver\r\n"
                                  "{Greeting\r\n"
                                  "mouseloc(900, 600)\r\n"
                                  "mousedown(MOUSE_LEFT)\r\n"
                                  "mouseup(MOUSE_LEFT)\r\n"
                                  "sleep(100)\r\n"
                                  "keydown(KEY_H)\r\n"
                                  "keyup(KEY_H)\r\n"
                                  "keydown(KEY_LSHIFT)\r\n"
                                  "keydown(KEY_I)\r\n"
                                  "keyup(KEY_I)\r\n"
                                  "keyup(KEY_LSHIFT)\r\n"
                                  "mouseloc(1001, 702)\r\n"
                                  "mousedown(MOUSE_RIGHT)\r\n"
                                  "mouseup(MOUSE_RIGHT)\r\n"
                                  "stop()\r\n";

// Types h every 120 ms until it is stopped.
constexpr const char* kType = "?kweaver\r\n{Type\r\nkeystroke(KEY_H, 20)\r\nsleep(100)\r\n";

bool TypedH(const Logged& line) {
    return line.kind == "key" && line.what == "h";
}

// The status bar says that the Type script stopped, and the target sees no key typed after.
void ExpectTypingStopped(const ProgramRun& run, TargetWindow& target) {
    EXPECT_TRUE(Accessibility::WaitFor(run.Pid(), "statusbar", "Type stopped.", 5s))
        << Accessibility::Describe(Accessibility::Elements(run.Pid()));
    std::this_thread::sleep_for(300ms);
    const std::size_t stopped = target.Log().size();
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(target.WaitFor(TypedH, stopped, 0ms), 0) << "typed on after the stop\n"
                                                       << target.Describe();
}

bool Is(const Logged& line, const char* kind, const char* action, const std::string& what) {
    return line.kind == kind && line.action == action && line.what == what;
}

TEST_F(WaylandProgram, KeysAndButtonsReachANativeWindowOnTheirPixelsFirstKeyIncluded) {
    ProgramRun run = Program("greeting");
    run.WriteSettings("KEY_F12\r\n");
    run.AddScript("Greeting.ini", kGreeting);
    StartProgram(run);
    PickScript(run, "Greeting");
    ASSERT_FALSE(HasFatalFailure());
    const std::size_t mark = target_->Log().size();
    FocusProgram(run);
    Hold({"F12"}, 60ms);

    const int click = target_->WaitFor(
        [](const Logged& line) { return Is(line, "button", "press", "1"); }, mark, 5s);
    ASSERT_GE(click, 0) << target_->Describe() << run.Output();
    const int rightClick = target_->WaitFor(
        [](const Logged& line) { return Is(line, "button", "release", "3"); }, mark, 5s);
    ASSERT_GE(rightClick, 0) << target_->Describe();

    std::vector<std::string> seen;
    for (const Logged& line : target_->Log()) {
        if (line.kind == "key" || line.kind == "button") {
            seen.push_back(line.kind + " " + line.action + " " + line.what +
                           (line.kind == "button"
                                ? " " + std::to_string(line.x) + " " + std::to_string(line.y)
                                : " " + std::to_string(line.shift)));
        }
    }
    const std::vector<std::string> wanted{"button press 1 900 600",  "button release 1 900 600",
                                          "key press h 0",           "key release h 0",
                                          "key press Shift_L 0",     "key press I 1",
                                          "key release I 1",         "key release Shift_L 1",
                                          "button press 3 1001 702", "button release 3 1001 702"};
    EXPECT_EQ(seen, wanted) << target_->Describe();
    EXPECT_TRUE(Accessibility::WaitFor(run.Pid(), "statusbar", "Greeting stopped.", 3s))
        << Accessibility::Describe(Accessibility::Elements(run.Pid()));
}

// The control of the journeys: the compositor keeps a killed program's buttons down, so a
// release that the journeys see is the program's own.
TEST_F(WaylandProgram, AKilledProgramsButtonsStayDown) {
    ProgramRun run = Program("killed");
    run.WriteSettings("KEY_F12\r\n");
    run.AddScript("Hold.ini", "?kweaver\r\n{Hold\r\nmouseloc(900, 600)\r\n"
                              "mousedown(MOUSE_LEFT)\r\nsleep(60000)\r\n");
    StartProgram(run);
    PickScript(run, "Hold");
    ASSERT_FALSE(HasFatalFailure());
    FocusProgram(run);
    Hold({"F12"}, 60ms);
    auto last = [&](const char* action) {
        return [action](const Logged& line) {
            return line.kind == "button" && line.what == "1" && line.action == action;
        };
    };
    ASSERT_GE(target_->WaitFor(last("press"), 0, 5s), 0) << target_->Describe();
    ASSERT_EQ(kill(run.Pid(), SIGKILL), 0);
    ASSERT_TRUE(run.WaitForExit(5s).has_value());
    EXPECT_LT(target_->WaitFor(last("release"), 0, 1s), 0) << target_->Describe();
    // The user's own click releases the button for the tests after this one.
    EXPECT_TRUE(Session().Button(1, true) && Session().Button(1, false));
}

// Where the desktop offers the GlobalShortcuts portal, the Start/Stop combination is its
// shortcut: its activation and deactivation start the script and, again, stop it, while
// another window has the focus. The real xdg-desktop-portal runs, with a backend that acts as
// the desktop.
TEST_F(WaylandProgram, TheDesktopsShortcutStartsAndStopsTheScriptFromAnotherWindow) {
    x11test::ShortcutsPortal portal;
    ASSERT_TRUE(
        portal.Start(ScratchFolder(), Session().ClientEnvironment(), KEYWEAVE_SHORTCUTS_BACKEND))
        << portal.Problem();
    ProgramRun run = Program("shortcut");
    run.WriteSettings("KEY_F12 KEY_LCTRL\r\n");
    run.AddScript("Type.ini", kType);
    StartProgram(run);
    EXPECT_TRUE(Accessibility::WaitFor(run.Pid(), "statusbar", "a shortcut of the desktop", 3s));
    ASSERT_TRUE(x11test::WaitUntil(
        [&] { return portal.Calls().find("BindShortcuts") != std::string::npos; }, 5s))
        << portal.Calls() << run.Output();
    const std::string calls = portal.Calls();
    EXPECT_NE(calls.find("'preferred_trigger'): dbus.String('CTRL+F12'"), std::string::npos)
        << calls;
    EXPECT_NE(calls.find("'description'): dbus.String('Start/Stop'"), std::string::npos) << calls;
    const std::string session = portal.LastSession();
    ASSERT_FALSE(session.empty()) << calls;

    PickScript(run, "Type");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(Session().Swaymsg({"[pid=" + std::to_string(target_->Pid()) + "]", "focus"}));
    const std::size_t mark = target_->Log().size();
    ASSERT_TRUE(portal.Signal(session, "start-stop", true));
    std::this_thread::sleep_for(60ms);
    ASSERT_TRUE(portal.Signal(session, "start-stop", false));
    ASSERT_GE(target_->WaitFor(TypedH, mark, 3s), 0) << target_->Describe() << run.Output();

    ASSERT_TRUE(portal.Signal(session, "start-stop", true));
    std::this_thread::sleep_for(60ms);
    ASSERT_TRUE(portal.Signal(session, "start-stop", false));
    ExpectTypingStopped(run, *target_);
}

// Where the desktop has no shortcuts portal (sway), a key that the compositor binds to
// `keyweave --toggle NAME`, on its release, starts the script while another window has the
// focus, and stops it again.
TEST_F(WaylandProgram, ASwayKeyBoundToToggleStartsAndStopsTheScriptInAnotherWindow) {
    ProgramRun run = Program("bound");
    run.WriteSettings("KEY_F12\r\n");
    run.AddScript("Type.ini", kType);
    StartProgram(run);
    ASSERT_TRUE(Session().Swaymsg(
        {"--", "bindsym", "--release", "F9", "exec", run.Folder() + "/keyweave --toggle Type"}));
    struct Unbind {
        ~Unbind() { Session().Swaymsg({"--", "unbindsym", "--release", "F9"}); }
    } unbind;
    ASSERT_TRUE(Session().Swaymsg({"[pid=" + std::to_string(target_->Pid()) + "]", "focus"}));

    const std::size_t mark = target_->Log().size();
    Hold({"F9"}, 60ms);
    ASSERT_GE(target_->WaitFor(TypedH, mark, 5s), 0) << target_->Describe() << run.Output();

    Hold({"F9"}, 60ms);
    ExpectTypingStopped(run, *target_);
}

TEST_F(WaylandProgram, TheRecorderSaysThatItCannotRecordAndWhy) {
    ProgramRun run = Program("recorder");
    run.WriteSettings("KEY_F12\r\n");
    StartProgram(run);
    ASSERT_TRUE(Accessibility::Press(run.Pid(), "push button", "Record Script"));
    EXPECT_TRUE(Accessibility::WaitFor(run.Pid(), "statusbar",
                                       "Recording is not possible on this system.", 3s))
        << Accessibility::Describe(Accessibility::Elements(run.Pid()));
    EXPECT_NE(run.Output().find("cannot record on Wayland"), std::string::npos) << run.Output();
}

// The keys that the target saw from the `from`th line of its log on, as "press y".
std::vector<std::string> KeysSeen(const std::vector<Logged>& log, std::size_t from) {
    std::vector<std::string> keys;
    for (std::size_t i = from; i < log.size(); ++i) {
        if (log[i].kind == "key") {
            keys.push_back(log[i].action + " " + log[i].what);
        }
    }
    return keys;
}

// A click on the target first, for the keyboard focus.
constexpr const char* kClickFirst = "mouseloc(900, 600)\r\n"
                                    "mousedown(MOUSE_LEFT)\r\n"
                                    "mouseup(MOUSE_LEFT)\r\n"
                                    "sleep(100)\r\n";

// The user switches the layout while the program runs, to German, where y and z have each
// other's keys. A key held across the switch goes up by the key it went down with (which types
// z now), and the next script key types the y it names.
TEST_F(WaylandProgram, ALayoutSwitchedWhileItRunsIsFollowedAndAHeldKeyGoesUpByItsKey) {
    ProgramRun run = Program("layout");
    run.WriteSettings("KEY_F12\r\n");
    run.AddScript("Hold.ini", std::string("?kweaver\r\n{Hold\r\n") + kClickFirst +
                                  "keydown(KEY_Y)\r\nsleep(500)\r\nkeyup(KEY_Y)\r\nstop()\r\n");
    run.AddScript("Type.ini", std::string("?kweaver\r\n{Type\r\n") + kClickFirst +
                                  "keystroke(KEY_Y, 20)\r\nstop()\r\n");
    StartProgram(run);
    struct BackToUs {
        ~BackToUs() { Session().Swaymsg({"input", "type:keyboard", "xkb_layout", "us"}); }
    } backToUs;
    const std::size_t mark = target_->Log().size();
    auto seen = [](const char* action, const char* key) {
        return [=](const Logged& line) { return Is(line, "key", action, key); };
    };

    ASSERT_EQ(run.Run({"--start", "Hold"}).status, 0);
    ASSERT_GE(target_->WaitFor(seen("press", "y"), mark, 5s), 0) << target_->Describe();
    ASSERT_TRUE(Session().Swaymsg({"input", "type:keyboard", "xkb_layout", "de"}));
    ASSERT_GE(target_->WaitFor(seen("release", "z"), mark, 5s), 0) << target_->Describe();
    ASSERT_EQ(run.Run({"--start", "Type"}).status, 0);
    ASSERT_GE(target_->WaitFor(seen("release", "y"), mark, 5s), 0) << target_->Describe();

    const std::vector<std::string> wanted{"press y", "release z", "press y", "release y"};
    EXPECT_EQ(KeysSeen(target_->Log(), mark), wanted) << target_->Describe();
}

// Outputs added, resized and moved while the program runs: the script's click lands on its
// pixel of the primary output each time. On a compositor of its own, since the outputs stay
// changed: sway 1.7 cannot disable a headless output again (the commit fails), nor remove it.
TEST_F(WaylandProgram, ClicksLandOnTheirPixelAsOutputsAreAddedResizedAndMoved) {
    const std::string folder = ScratchFolder() + "/outputs";
    WaylandSession session;
    ASSERT_TRUE(session.Start(folder)) << session.Problem();
    TargetWindow target(session, folder + "/target");
    ASSERT_TRUE(target.Start()) << "the target window did not come";
    ProgramRun run(session, KEYWEAVE_PROGRAM, folder + "/program");
    run.WriteSettings("KEY_F12\r\n");
    run.AddScript("Click.ini",
                  "?kweaver\r\n{Click\r\nmouseloc(900, 600)\r\nmousedown(MOUSE_LEFT)\r\n"
                  "mouseup(MOUSE_LEFT)\r\nstop()\r\n");
    session.GiveToUser(folder);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.WaitForMainWindow().has_value()) << run.Output();
    auto clickLands = [&](const std::string& after) {
        const std::size_t mark = target.Log().size();
        ASSERT_EQ(run.Run({"--start", "Click"}).status, 0);
        const int press = target.WaitFor(
            [](const Logged& line) { return Is(line, "button", "press", "1"); }, mark, 5s);
        ASSERT_GE(press, 0) << "no click on the target after " << after << "\n"
                            << target.Describe();
        // Its release ends the script, ready for the next start.
        ASSERT_GE(
            target.WaitFor([](const Logged& line) { return Is(line, "button", "release", "1"); },
                           mark, 5s),
            0)
            << target.Describe();
        const Logged line = target.Log().at(static_cast<std::size_t>(press));
        EXPECT_LE(std::abs(line.x - 900) + std::abs(line.y - 600), 1)
            << "after " << after << ": " << line.x << ", " << line.y;
    };

    ASSERT_TRUE(session.Swaymsg({"create_output"}));
    clickLands("an output was added right of the primary one");
    ASSERT_TRUE(session.Swaymsg({"output", "HEADLESS-1", "mode", "1024x768"}));
    clickLands("the primary output was resized");
    ASSERT_TRUE(session.Swaymsg({"--", "output", "HEADLESS-2", "position", "-1920", "0"}));
    clickLands("the added output was moved left of the primary one");
}

// The compositor ends the program's connections for a protocol error while the script holds a
// key and a button: the program says so, releases both through a new connection and ends with
// status 1. The compositor itself would keep the button down (AKilledProgramsButtonsStayDown).
TEST_F(WaylandProgram, ALostConnectionReleasesTheKeyAndButtonThatTheScriptHolds) {
    ProgramRun run = Program("lost");
    run.WriteSettings("KEY_F12\r\n");
    run.AddScript("Hold.ini", std::string("?kweaver\r\n{Hold\r\n") +
                                  "mouseloc(900, 600)\r\nmousedown(MOUSE_LEFT)\r\n"
                                  "keydown(KEY_H)\r\nsleep(60000)\r\n");
    StartProgram(run);
    const std::size_t mark = target_->Log().size();
    ASSERT_EQ(run.Run({"--start", "Hold"}).status, 0);
    ASSERT_GE(target_->WaitFor([](const Logged& line) { return Is(line, "key", "press", "h"); },
                               mark, 5s),
              0)
        << target_->Describe();

    EXPECT_GT(EndWaylandConnectionsOf(run.Pid()), 0);
    EXPECT_EQ(run.WaitForExit(5s), std::optional<int>(1)) << run.Output();
    EXPECT_NE(run.Output().find("keyweave: lost the connection to the Wayland compositor; ending."),
              std::string::npos)
        << run.Output();
    for (const auto& [kind, what] : {std::pair{"button", "1"}, std::pair{"key", "h"}}) {
        EXPECT_GE(
            target_->WaitFor([&](const Logged& line) { return Is(line, kind, "release", what); },
                             mark, 3s),
            0)
            << kind << " " << what << " stayed down\n"
            << target_->Describe();
    }
}

} // namespace
} // namespace keyweave::wayland_test
