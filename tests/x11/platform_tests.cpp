// The platform layer itself on a private X server, in this process: devices, gadgets, pump.

// GoogleTest before the X headers, whose macros (None) clash with its names.
#include "app/program_state.h"
#include "contract/seam_contract.h"
#include "input/key_table.h"
#include "platform/gtk/gtk_gadgets.h"
#include "platform/gtk/gtk_text_area.h"
#include "platform/x11/x11_platform.h"
#include "runtime/events/event_queue.h"
#include "runtime/gui/gadget.h"
#include "runtime/runtime.h"
#include "runtime/system/system.h"
#include "support/recorder.h"
#include "support/temp_folder.h"
#include "support/x_client.h"
#include "support/x_session.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <iostream>
#include <map>
#include <stdexcept>
#include <thread>

namespace keyweave::x11test {
namespace {

using namespace std::chrono_literals;

XSession session;
std::string problem;
std::unique_ptr<testing::TempFolder> scratch;
std::unique_ptr<x11::X11Platform> platform;

class PlatformEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        scratch = std::make_unique<testing::TempFolder>("keyweave-x11-platform");
        if (!session.Start(scratch->Path().string(), false)) {
            problem = session.Problem();
            return;
        }
        for (const auto& [name, value] : session.ClientEnvironment()) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        setenv("NO_AT_BRIDGE", "1", 1);
        gdk_set_allowed_backends("x11");
        if (!gtk_init_check(nullptr, nullptr)) {
            problem = "GTK cannot open " + session.Display();
            return;
        }
        platform = std::make_unique<x11::X11Platform>(session.Display());
    }

    void TearDown() override {
        platform.reset();
        session.Stop();
        scratch.reset();
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PlatformEnvironment);

template <typename Predicate> bool Within(std::chrono::milliseconds limit, Predicate done) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        platform->System().Poll();
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration) {
    Within(duration, [] { return false; });
}

// What the program learns of an event it takes.
struct Taken {
    std::int32_t id;
    ObjectRef source;
    std::int32_t data;
    ObjectRef extra;
};

class Platform : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(problem.empty()) << problem;
        StartRuntime(*platform);
        x_ = std::make_unique<XClient>(session.Display());
        ASSERT_TRUE(x_->Ok());
    }

    // The events the program would take now, after pumping until nothing is pending.
    std::vector<Taken> TakeEvents() {
        platform->System().Poll();
        std::vector<Taken> events;
        while (EventQueueCount() > 0) {
            EventQueuePoll();
            events.push_back(
                {CurrentEventId(), CurrentEventSource(), CurrentEventData(), CurrentEventExtra()});
        }
        return events;
    }

    bool Held(int code) {
        return Within(200ms, [&] { return platform->Keyboard().HeldKeys().test(code); });
    }
    bool Released(int code) {
        return Within(200ms, [&] { return !platform->Keyboard().HeldKeys().test(code); });
    }

    std::unique_ptr<XClient> x_;
};

TEST_F(Platform, HeldKeysSeeKeysOfOtherClientsWithoutTheFocus) {
    int a = x_->Keycode("a");
    int rightCtrl = x_->Keycode("Control_R");
    x_->PressKeycode(a, true);
    x_->PressKeycode(rightCtrl, true);
    EXPECT_TRUE(Held(65));
    EXPECT_TRUE(Held(163));
    EXPECT_FALSE(platform->Keyboard().HeldKeys()[162]) << "the left Ctrl is not held";
    x_->PressKeycode(a, false);
    x_->PressKeycode(rightCtrl, false);
    EXPECT_TRUE(Released(65));
    EXPECT_TRUE(Released(163));
    // Return is held, but codes below 32 are never reported.
    int enter = x_->Keycode("Return");
    x_->PressKeycode(enter, true);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(platform->Keyboard().HeldKeys()[13]);
    x_->PressKeycode(enter, false);
}

// A key pressed and released between two polls counts as held at the next poll, at that one
// only.
TEST_F(Platform, AKeyTappedBetweenTwoPollsIsHeldAtTheNextPollOnly) {
    x_->TapKeycode(x_->Keycode("a"));
    EXPECT_TRUE(Held(65));
    EXPECT_FALSE(platform->Keyboard().HeldKeys()[65]);
}

// Injected input goes out when the main thread next pauses or pumps, not before.
void Pump() {
    platform->System().Poll();
}

TEST_F(Platform, SentKeysReachTheServerAtThePauseAndThePollSeesThem) {
    platform->Keyboard().SendKey(66, true);
    platform->System().Sleep(2);
    EXPECT_TRUE(Within(200ms, [&] { return x_->KeysDown().count(x_->Keycode("b")) == 1; }));
    EXPECT_TRUE(Held(66));
    platform->Keyboard().SendKey(66, false);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->KeysDown().empty(); }));
    EXPECT_TRUE(Released(66));

    platform->Keyboard().SendKey(161, true);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->KeysDown().count(x_->Keycode("Shift_R")) == 1; }));
    platform->Keyboard().SendKey(161, false);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->KeysDown().empty(); }));
}

TEST_F(Platform, ACodeThatNoKeyHasSendsNothing) {
    for (int code : {0, 7, 255}) {
        platform->Keyboard().SendKey(code, true);
    }
    Pump();
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(x_->KeysDown().empty());
}

TEST_F(Platform, AKeyboardMappingChangeIsFollowed) {
    int spare = x_->UnusedKeycode();
    ASSERT_NE(spare, 0) << "the server's keyboard has no unused keycode";
    x_->MapKeycode(spare, "F13");

    x_->PressKeycode(spare, true);
    EXPECT_TRUE(Held(124)) << "F13 on its new key is seen";
    x_->PressKeycode(spare, false);
    EXPECT_TRUE(Released(124));
    platform->Keyboard().SendKey(124, true);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->KeysDown().count(spare) == 1; }));
    platform->Keyboard().SendKey(124, false);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->KeysDown().empty(); }));

    x_->MapKeycode(spare, "");
}

// The XKB name of the physical key that a keyboard row of the key table stands for on the US
// layout, as on Windows.
std::string UsKeyName(int code) {
    static const std::map<int, std::string> kNames = {
        {9, "TAB"},    {13, "RTRN"},  {32, "SPCE"},  {37, "LEFT"},  {38, "UP"},
        {39, "RGHT"},  {40, "DOWN"},  {48, "AE10"},  {160, "LFSH"}, {161, "RTSH"},
        {162, "LCTL"}, {163, "RCTL"}, {164, "LALT"}, {165, "RALT"},
    };
    auto numbered = [](const std::string& row, std::size_t index) {
        return row + (index < 9 ? "0" : "") + std::to_string(index + 1);
    };
    for (auto [row, keys] : {std::pair{"AE", "123456789"}, std::pair{"AD", "QWERTYUIOP"},
                             std::pair{"AC", "ASDFGHJKL"}, std::pair{"AB", "ZXCVBNM"}}) {
        if (const char* key = std::strchr(keys, code); key != nullptr && code != 0) {
            return numbered(row, static_cast<std::size_t>(key - keys));
        }
    }
    if (code >= 112 && code <= 123) {
        return numbered("FK", static_cast<std::size_t>(code - 112));
    }
    auto found = kNames.find(code);
    return found != kNames.end() ? found->second : "";
}

struct Layout {
    const char* name;
    std::map<int, std::string> movedKeys; // the letters this layout puts elsewhere
};

bool SetLayout(const std::string& layout) {
    SpawnOptions options;
    options.environment = session.ClientEnvironment();
    const bool set = RunToEnd({FindProgram("setxkbmap"), "-display", session.Display(), layout},
                              options, 10s) == 0;
    PumpFor(50ms);
    return set;
}

// Letters follow the layout's own letters (AZERTY, QWERTZ) or, on a layout without Latin
// letters, their US places; digits and right Alt (AltGr on de and fr) keep their keys.
TEST_F(Platform, EveryTableKeyIsInjectedOntoItsKeyAndSeenOnEveryLayout) {
    ASSERT_FALSE(FindProgram("setxkbmap").empty()) << "setxkbmap is missing (x11-xkb-utils)";
    Recorder recorder(session.Display());
    ASSERT_TRUE(recorder.Ok());
    ResetProgramState();
    FillKeyTable();
    struct BackToUs {
        ~BackToUs() { SetLayout("us"); }
    } backToUs;
    const Layout layouts[] = {
        {"de", {{'Y', "AB01"}, {'Z', "AD06"}}},
        {"fr", {{'A', "AD01"}, {'Q', "AC01"}, {'Z', "AD02"}, {'W', "AB01"}, {'M', "AC10"}}},
        {"ru", {}},
        {"us", {}},
    };
    for (const Layout& layout : layouts) {
        ASSERT_TRUE(SetLayout(layout.name)) << layout.name;
        for (const KeyRef& row : Program().KeyboardKeyList) {
            const int code = row->Key;
            auto moved = layout.movedKeys.find(code);
            const std::string name =
                moved != layout.movedKeys.end() ? moved->second : UsKeyName(code);
            const int keycode = x_->KeycodeNamed(name);
            ASSERT_NE(keycode, 0) << name;
            const std::size_t from = recorder.Events().size();
            platform->Keyboard().SendKey(code, true);
            Pump();
            EXPECT_GE(recorder.WaitFor(InputEvent::KeyDown, keycode, from, 1s), 0)
                << layout.name << ": " << row->Key << " onto " << name;
            // Codes below 32 are never polled.
            EXPECT_TRUE(code < 32 || Held(code)) << layout.name << ": " << row->Key;
            platform->Keyboard().SendKey(code, false);
            Pump();
            EXPECT_GE(recorder.WaitFor(InputEvent::KeyUp, keycode, from, 1s), 0)
                << layout.name << ": " << row->Key;
            EXPECT_TRUE(code < 32 || Released(code)) << layout.name << ": " << row->Key;
        }
    }
}

TEST_F(Platform, TheCursorMovesToTheExactPixelAndButtonsAreLeftAndRight) {
    platform->Mouse().MoveCursor(17, 33);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->Pointer() == Point{17, 33}; }));
    ScreenPoint cursor = platform->Mouse().CursorPos();
    EXPECT_EQ(cursor.x, 17);
    EXPECT_EQ(cursor.y, 33);
    platform->Mouse().MoveCursor(-40, 5000);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->Pointer() == Point{0, 767}; }));

    platform->Mouse().MoveCursor(1000, 20);
    platform->Mouse().SendButton(1, true);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->ButtonsDown() == std::set<int>{1}; }));
    platform->Mouse().SendButton(1, false);
    platform->Mouse().SendButton(2, true);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->ButtonsDown() == std::set<int>{3}; }));
    platform->Mouse().SendButton(2, false);
    platform->Mouse().SendButton(3, true);
    Pump();
    EXPECT_TRUE(Within(200ms, [&] { return x_->ButtonsDown().empty(); }));
}

TEST_F(Platform, TheDesktopIsThePrimaryMonitor) {
    ScreenSize desktop = platform->Gadgets().DesktopSize();
    EXPECT_EQ(desktop.width, XSession::kScreenWidth);
    EXPECT_EQ(desktop.height, XSession::kScreenHeight);
    EXPECT_EQ(DesktopGadget()->ClientWidth(), XSession::kScreenWidth);
}

// Pauses with SleepUntilChange until what `cause` does on another thread after 100 ms has
// happened; how long after it the pause ended. A watchdog call 1 s later ends a pause that
// missed it.
std::chrono::milliseconds PauseEndAfter(const std::function<void()>& cause) {
    platform->System().Poll();
    std::atomic<std::int64_t> causedAt{0};
    std::thread actor([&] {
        std::this_thread::sleep_for(100ms);
        causedAt = std::chrono::steady_clock::now().time_since_epoch().count();
        cause();
        std::this_thread::sleep_for(1s);
        platform->System().PostMainThreadCall([] {});
    });
    while (causedAt == 0) {
        platform->System().SleepUntilChange(2);
    }
    const auto woken = std::chrono::steady_clock::now().time_since_epoch();
    actor.join();
    platform->System().Poll();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        woken - std::chrono::steady_clock::duration(causedAt.load()));
}

TEST_F(Platform, ThePauseUntilAChangeEndsOnAKeyAndOnAMainThreadCall) {
    EXPECT_LT(PauseEndAfter([] { platform->System().PostMainThreadCall([] {}); }), 50ms);

    const int keycode = x_->Keycode("F9");
    EXPECT_LT(PauseEndAfter([&] {
                  XClient other(session.Display());
                  other.PressKeycode(keycode, true);
                  other.PressKeycode(keycode, false);
              }),
              50ms);
}

using Watched = keyweave::InputEvent;

// Takes the watcher's events, pumping, until one matches `last`; at most `limit`. Each reads
// "KeyDown 65", "ButtonUp 2 at 200,140" or "Move 10,20"; `times` gets the times of the keys and
// buttons.
std::vector<std::string> TakeWatchedUntil(const std::string& last,
                                          std::vector<double>* times = nullptr,
                                          std::chrono::milliseconds limit = 2s) {
    static const char* const kKinds[] = {"KeyDown", "KeyUp", "ButtonDown", "ButtonUp", "Move"};
    std::vector<std::string> taken;
    Within(limit, [&] {
        std::vector<Watched> events;
        platform->Watcher().TakeEvents(events);
        for (const Watched& event : events) {
            const std::string at = std::to_string(event.x) + "," + std::to_string(event.y);
            std::string text = kKinds[event.kind];
            if (event.kind == Watched::CursorMove) {
                text += " " + at;
            } else {
                text += " " + std::to_string(event.code);
                text += event.kind == Watched::ButtonDown || event.kind == Watched::ButtonUp
                            ? " at " + at
                            : "";
                if (times != nullptr) {
                    times->push_back(event.timeMs);
                }
            }
            taken.push_back(text);
        }
        return std::find(taken.begin(), taken.end(), last) != taken.end();
    });
    return taken;
}

// xdotool as the user on the desktop: each key by its code, each button on the pixel where it
// was pressed, also in a drag whose moves are warps (which make no raw event), at the times
// the server gave the events.
TEST_F(Platform, TheWatcherReportsKeysButtonsAndThePathAsTheServerHandledThem) {
    ASSERT_FALSE(FindProgram("xdotool").empty()) << "xdotool is missing (Debian package xdotool)";
    Recorder recorder(session.Display());
    ASSERT_TRUE(recorder.Ok());
    ASSERT_TRUE(session.Xdotool({"key", "b"})); // before the watch: never reported
    ASSERT_GE(recorder.WaitFor(InputEvent::KeyUp, x_->Keycode("b"), 0, 1s), 0);
    ASSERT_TRUE(platform->Watcher().BeginWatching());
    const std::size_t from = recorder.Events().size();
    // clang-format off
    ASSERT_TRUE(session.Xdotool({"mousemove", "100", "100", "keydown", "Shift_L", "key", "a",
                                 "keyup", "Shift_L", "key", "Tab", "Escape", "grave",
                                 "mousedown", "1", "mousemove", "150", "120", "mousemove", "200",
                                 "140", "mouseup", "1", "click", "3", "click", "2", "click", "4",
                                 "key", "F9"}));
    std::vector<double> times;
    const std::vector<std::string> taken = TakeWatchedUntil("KeyUp 120", &times);
    platform->Watcher().EndWatching();
    const std::string grave = std::to_string(256 + x_->Keycode("grave"));
    EXPECT_EQ(taken, (std::vector<std::string>{
        "Move 100,100", "KeyDown 160", "KeyDown 65", "KeyUp 65", "KeyUp 160", "KeyDown 9",
        "KeyUp 9", "KeyDown 27", "KeyUp 27", "KeyDown " + grave, "KeyUp " + grave,
        "ButtonDown 1 at 100,100", "Move 150,120", "Move 200,140", "ButtonUp 1 at 200,140",
        "ButtonDown 2 at 200,140", "ButtonUp 2 at 200,140", "ButtonDown 3 at 200,140",
        "ButtonUp 3 at 200,140", "KeyDown 120", "KeyUp 120"}));
    // clang-format on

    // The times are the server's, as a recorder of raw events sees them; the wheel's notch
    // (button 4) is no press of a button.
    ASSERT_GE(recorder.WaitFor(InputEvent::KeyUp, x_->Keycode("F9"), from, 1s), 0);
    std::vector<double> serverTimes;
    for (const InputEvent& event : Changes(recorder.Events(), from)) {
        const bool button =
            event.kind == InputEvent::ButtonDown || event.kind == InputEvent::ButtonUp;
        if (!button || event.detail != 4) {
            serverTimes.push_back(static_cast<double>(event.serverMs));
        }
    }
    EXPECT_EQ(times, serverTimes);
}

// The loop's pause while recording ends on a button or a move as it does on a key, and what
// ended it is taken at once.
TEST_F(Platform, WhileWatchingAButtonOrAMoveEndsThePause) {
    ASSERT_TRUE(platform->Watcher().BeginWatching());
    EXPECT_LT(PauseEndAfter([&] { x_->MovePointer({310, 305}); }), 50ms);
    EXPECT_LT(PauseEndAfter([&] { x_->PressButton(3, true); }), 50ms);
    EXPECT_LT(PauseEndAfter([&] { x_->PressButton(3, false); }), 50ms);
    const auto taken = TakeWatchedUntil("ButtonUp 2 at 310,305", nullptr, 200ms);
    platform->Watcher().EndWatching();
    EXPECT_EQ(taken, (std::vector<std::string>{"Move 310,305", "ButtonDown 2 at 310,305",
                                               "ButtonUp 2 at 310,305"}));
}

GadgetRef MakeWindow() {
    return CreateWindowGadget(u"Keyweave 1.0", 0, 0, 600, 400, nullptr, 553);
}

GtkWidget* WidgetOf(const GadgetRef& gadget) {
    return dynamic_cast<gtk::GtkGadget&>(*gadget).Widget();
}

TEST_F(Platform, GadgetsLieAtTheirExactPositionsAndSizes) {
    GadgetRef window = MakeWindow();
    struct Placed {
        GadgetRef gadget;
        int x, y, width, height;
    };
    std::vector<Placed> placed = {
        {CreateLabelGadget(u"Current Script", 0, 5, 200, 20, window, 16), 0, 5, 200, 20},
        {CreateComboBoxGadget(5, 25, 190, 20, window, 0), 5, 25, 190, 20},
        {CreateButtonGadget(u"Exit", 5, 370, 190, 25, window, 8), 5, 370, 190, 25},
        {CreateTextAreaGadget(200, 5, 395, 390, window, 2), 200, 5, 395, 390},
        {CreateButtonGadget(u"Bind Start/Stop key.", 5, 55, 190, 25, window, 8), 5, 55, 190, 25},
        {CreateLabelGadget(u"Hold key(s) down for 3 seconds.", 5, 85, 190, 20, window, 16), 5, 85,
         190, 20},
    };
    AddItem(placed[1].gadget, u"A script with a rather long name", 0, -1, u"", nullptr);
    ASSERT_TRUE(Within(2s, [&] { return gtk_widget_get_mapped(WidgetOf(placed[0].gadget)); }));
    PumpFor(100ms);

    GtkWidget* toplevel = WidgetOf(window);
    int x = 0;
    int y = 0;
    gdk_window_get_origin(gtk_widget_get_window(toplevel), &x, &y);
    EXPECT_EQ(x, (XSession::kScreenWidth - 600) / 2);
    EXPECT_EQ(y, (XSession::kScreenHeight - 400) / 2);
    EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(toplevel)));
    for (const Placed& item : placed) {
        GtkAllocation allocation{};
        gtk_widget_get_allocation(WidgetOf(item.gadget), &allocation);
        EXPECT_EQ(allocation.x, item.x) << G_OBJECT_TYPE_NAME(WidgetOf(item.gadget));
        EXPECT_EQ(allocation.y, item.y) << G_OBJECT_TYPE_NAME(WidgetOf(item.gadget));
        EXPECT_EQ(allocation.width, item.width) << G_OBJECT_TYPE_NAME(WidgetOf(item.gadget));
        EXPECT_EQ(allocation.height, item.height) << G_OBJECT_TYPE_NAME(WidgetOf(item.gadget));
    }
    int width = 0;
    int height = 0;
    gtk_window_get_size(GTK_WINDOW(toplevel), &width, &height);
    EXPECT_EQ(width, 600);
    EXPECT_GT(height, 400) << "the status bar lies below the client area";
    gtk_widget_destroy(toplevel);
}

TEST_F(Platform, TheComboBoxRaisesOnlyTheUsersPicksOfAnotherItem) {
    GadgetRef window = MakeWindow();
    GadgetRef combo = CreateComboBoxGadget(5, 25, 190, 20, window, 0);
    auto first = std::make_shared<TText>(u"first");
    auto second = std::make_shared<TText>(u"second");
    AddItem(combo, u"One", 0, -1, u"", first);
    AddItem(combo, u"Two", 0, -1, u"", second);
    EXPECT_EQ(combo->ItemCount(), 2);
    EXPECT_EQ(combo->ItemText(1), u"Two");
    EXPECT_EQ(combo->SelectedItem(), -1);
    TakeEvents();

    combo->SelectItem(1, 1); // the program's own choice raises nothing
    EXPECT_EQ(combo->SelectedItem(), 1);
    EXPECT_TRUE(TakeEvents().empty());

    auto* box = GTK_COMBO_BOX(WidgetOf(combo));
    gtk_combo_box_set_active(box, 1); // the user picks the current item again
    EXPECT_TRUE(TakeEvents().empty());
    gtk_combo_box_set_active(box, 0); // and then another
    auto events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].id, GadgetAction);
    EXPECT_EQ(events[0].source, combo);
    EXPECT_EQ(events[0].data, 0);
    EXPECT_EQ(events[0].extra, first);

    combo->SelectItem(-1, 0); // clears the choice: nothing shown, nothing raised
    EXPECT_EQ(gtk_combo_box_get_active(box), -1);
    EXPECT_TRUE(TakeEvents().empty());
    gtk_combo_box_set_active(box, 0); // picking the formerly current item is a change now
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].extra, first);

    combo->SelectItem(1, 2); // toggles the second item on
    EXPECT_EQ(combo->SelectedItem(), 1);
    combo->Clear();
    EXPECT_EQ(combo->ItemCount(), 0);
    EXPECT_EQ(combo->SelectedItem(), -1);
    EXPECT_TRUE(TakeEvents().empty());
    gtk_widget_destroy(WidgetOf(window));
}

TEST_F(Platform, ButtonsAndTheCloseBoxRaiseTheirEventsAndTheWindowStays) {
    GadgetRef window = MakeWindow();
    GadgetRef button = CreateButtonGadget(u"Exit", 5, 370, 190, 25, window, 8);
    TakeEvents();
    gtk_button_clicked(GTK_BUTTON(WidgetOf(button)));
    auto events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].id, GadgetAction);
    EXPECT_EQ(events[0].source, button);
    EXPECT_EQ(events[0].data, 0);

    gtk_window_close(GTK_WINDOW(WidgetOf(window)));
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].id, WindowClose);
    EXPECT_EQ(events[0].source, window);
    EXPECT_TRUE(gtk_widget_get_visible(WidgetOf(window)));

    window->SetStatus(u"Select a script.");
    window->SetText(u"Another title");
    EXPECT_EQ(window->GetText(), u"Another title");
    button->SetText(u"Quit");
    EXPECT_EQ(button->GetText(), u"Quit");
    gtk_widget_destroy(WidgetOf(window));
}

// The colour of the character at a buffer offset, or "" when it has none of its own.
std::string ColourAt(GtkTextView* view, int offset) {
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_offset(gtk_text_view_get_buffer(view), &at, offset);
    std::string colour;
    GSList* tags = gtk_text_iter_get_tags(&at);
    for (GSList* tag = tags; tag != nullptr; tag = tag->next) {
        gchar* name = nullptr;
        g_object_get(tag->data, "name", &name, nullptr);
        colour = std::string(name).substr(0, 7);
        g_free(name);
    }
    g_slist_free(tags);
    return colour;
}

GtkTextView* ViewOf(const GadgetRef& area) {
    return GTK_TEXT_VIEW(gtk_bin_get_child(GTK_BIN(WidgetOf(area))));
}

std::string BufferText(GtkTextView* view) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
    GtkTextIter begin;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer, &begin, &end);
    gchar* text = gtk_text_buffer_get_text(buffer, &begin, &end, FALSE);
    std::string result = text;
    g_free(text);
    return result;
}

TEST_F(Platform, TheTextAreaCountsCharactersWithOneCharacterLineBreaks) {
    GadgetRef window = MakeWindow();
    GadgetRef area = CreateTextAreaGadget(200, 5, 395, 390, window, 2);
    GtkTextView* view = ViewOf(area);
    EXPECT_FALSE(gtk_text_view_get_editable(view));
    EXPECT_EQ(gtk_text_view_get_wrap_mode(view), GTK_WRAP_NONE);

    area->ReplaceText(0, -1, u"KeyDown( KEY_A )\r\nSleep( 5 )\n", UnitCharacters);
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), u"KeyDown( KEY_A )\nSleep( 5 )\n");
    EXPECT_EQ(BufferText(view), "KeyDown( KEY_A )\nSleep( 5 )\n");
    EXPECT_EQ(area->AreaLen(UnitCharacters), 28);
    EXPECT_EQ(area->AreaLen(UnitLines), 3);
    EXPECT_EQ(area->AreaText(17, 5, UnitCharacters), u"Sleep");
    EXPECT_EQ(area->AreaText(1, 1, UnitLines), u"Sleep( 5 )\n");

    area->ReplaceText(17, 5, u"Pause", UnitCharacters);
    EXPECT_EQ(BufferText(view), "KeyDown( KEY_A )\nPause( 5 )\n");
    area->ReplaceText(0, -1, u"", UnitCharacters);
    EXPECT_EQ(area->AreaLen(UnitCharacters), 0);
    EXPECT_EQ(BufferText(view), "");
    gtk_widget_destroy(WidgetOf(window));
}

TEST_F(Platform, TheTextAreaColoursRangesAndTheLatestColourWins) {
    GadgetRef window = MakeWindow();
    GadgetRef area = CreateTextAreaGadget(200, 5, 395, 390, window, 2);
    GtkTextView* view = ViewOf(area);
    area->ReplaceText(0, -1, u"KeyDown( KEY_A )\n", UnitCharacters);
    area->SetStyle({255, 255, 0}, 0, 0, 7, UnitCharacters);
    area->SetStyle({147, 255, 255}, 0, 8, 7, UnitCharacters);
    area->SetStyle({255, 255, 255}, 0, 7, 1, UnitCharacters);
    area->SetStyle({255, 255, 255}, 0, 15, 1, UnitCharacters);
    area->SetStyle({1, 2, 3}, 0, 3, 0, UnitCharacters); // an empty range changes nothing
    EXPECT_EQ(ColourAt(view, 0), "#ffff00");
    EXPECT_EQ(ColourAt(view, 6), "#ffff00");
    EXPECT_EQ(ColourAt(view, 3), "#ffff00");
    EXPECT_EQ(ColourAt(view, 7), "#ffffff");
    EXPECT_EQ(ColourAt(view, 8), "#93ffff");
    EXPECT_EQ(ColourAt(view, 14), "#93ffff");
    EXPECT_EQ(ColourAt(view, 15), "#ffffff");
    EXPECT_EQ(ColourAt(view, 16), "");

    area->SetStyle({255, 100, 100}, 1, 2, 3, UnitCharacters);
    EXPECT_EQ(ColourAt(view, 1), "#ffff00");
    EXPECT_EQ(ColourAt(view, 2), "#ff6464");
    EXPECT_EQ(ColourAt(view, 4), "#ff6464");
    EXPECT_EQ(ColourAt(view, 5), "#ffff00");
    gtk_widget_destroy(WidgetOf(window));
}

TEST_F(Platform, TextPositionsCountUtf16UnitsAsTheProgramDoes) {
    GadgetRef window = MakeWindow();
    GadgetRef area = CreateTextAreaGadget(200, 5, 395, 390, window, 2);
    GtkTextView* view = ViewOf(area);
    area->ReplaceText(0, -1, u"\U0001F600ab", UnitCharacters);
    EXPECT_EQ(area->AreaLen(UnitCharacters), 4);
    area->SetStyle({0, 255, 102}, 0, 2, 1, UnitCharacters); // the "a"
    EXPECT_EQ(ColourAt(view, 1), "#00ff66");
    EXPECT_EQ(ColourAt(view, 2), "");
    area->ReplaceText(3, 1, u"c", UnitCharacters);
    EXPECT_EQ(BufferText(view), "\xF0\x9F\x98\x80"
                                "ac");
    gtk_widget_destroy(WidgetOf(window));
}

TEST_F(Platform, UnlockingRestoresTheSelectionOfTheMatchingLock) {
    GadgetRef window = MakeWindow();
    GadgetRef area = CreateTextAreaGadget(200, 5, 395, 390, window, 2);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(ViewOf(area));
    area->ReplaceText(0, -1, u"one\ntwo\nthree\n", UnitCharacters);
    GtkTextIter from;
    GtkTextIter to;
    gtk_text_buffer_get_iter_at_offset(buffer, &from, 4);
    gtk_text_buffer_get_iter_at_offset(buffer, &to, 7);
    gtk_text_buffer_select_range(buffer, &from, &to);

    area->LockText();
    area->LockText();
    area->ReplaceText(0, -1, u"", UnitCharacters);
    area->ReplaceText(0, -1, u"one\ntwo\nthree\n", UnitCharacters);
    area->UnlockText();
    area->UnlockText();
    area->UnlockText(); // one unlock too many does nothing
    ASSERT_TRUE(gtk_text_buffer_get_selection_bounds(buffer, &from, &to));
    EXPECT_EQ(gtk_text_iter_get_offset(&from), 4);
    EXPECT_EQ(gtk_text_iter_get_offset(&to), 7);
    gtk_widget_destroy(WidgetOf(window));
}

TEST_F(Platform, ALongListingIsBuiltAndColouredQuickly) {
    GadgetRef window = MakeWindow();
    GadgetRef area = CreateTextAreaGadget(200, 5, 395, 390, window, 2);
    constexpr int kLines = 20000;
    std::u16string listing;
    for (int i = 0; i < kLines; ++i) {
        listing += i % 2 ? u"\tSleep( 100 )\n" : u"KeyDown( KEY_A )\n";
    }
    PumpFor(200ms);
    auto start = std::chrono::steady_clock::now();
    area->LockText();
    area->ReplaceText(0, -1, listing, UnitCharacters);
    int position = 0;
    for (int i = 0; i < kLines; ++i) {
        int length = i % 2 ? 13 : 17;
        int word = i % 2 ? 6 : 7;
        area->SetStyle({255, 255, 0}, 0, position, word, UnitCharacters);
        area->SetStyle({255, 255, 255}, 0, position + word, 1, UnitCharacters);
        area->SetStyle({147, 255, 255}, 0, position + word + 1, length - word - 3, UnitCharacters);
        area->SetStyle({255, 255, 255}, 0, position + length - 2, 1, UnitCharacters);
        position += length;
    }
    area->UnlockText();
    auto built = std::chrono::steady_clock::now();
    platform->System().Poll();
    auto shown = std::chrono::steady_clock::now();
    auto ms = [](auto duration) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
    };
    std::cout << "[ figures  ] a " << kLines << "-line listing: built and coloured in "
              << ms(built - start) << " ms, then one pump in " << ms(shown - built) << " ms\n";
    EXPECT_LT(built - start, 10s);
    gtk_widget_destroy(WidgetOf(window));
}

// A long text goes into the view a stretch at a time, one per pump, even where the view's own
// work after a stretch outlasts the gap between two stretches, as on a slow or busy machine.
TEST_F(Platform, ALongTextGoesInOneStretchPerPump) {
    GadgetRef window = MakeWindow();
    GadgetRef area = CreateTextAreaGadget(200, 5, 395, 390, window, 2);
    std::u16string text;
    for (int i = 0; i < 5000; ++i) {
        text += u"KeyDown( KEY_A )\n";
    }
    area->LockText();
    area->ReplaceText(0, -1, text, UnitCharacters);
    area->SetStyle({255, 255, 0}, 0, static_cast<int>(text.size()) - 4, 3, UnitCharacters);
    area->UnlockText();
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(ViewOf(area));
    const int firstStretch = gtk_text_buffer_get_line_count(buffer);
    ASSERT_LT(firstStretch, 5000);
    int slowDispatches = 6;
    g_idle_add(
        [](gpointer left) -> gboolean {
            std::this_thread::sleep_for(30ms);
            return --*static_cast<int*>(left) > 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
        },
        &slowDispatches);
    platform->System().Poll();
    EXPECT_EQ(slowDispatches, 0);
    EXPECT_EQ(gtk_text_buffer_get_line_count(buffer), firstStretch);
    EXPECT_TRUE(Within(20s, [&] { return gtk_text_buffer_get_line_count(buffer) == 5001; }));
    EXPECT_EQ(ColourAt(ViewOf(area), static_cast<int>(text.size()) - 3), "#ffff00");
    gtk_widget_destroy(WidgetOf(window));
}

// The Linux platform under the seams' contract, on the private X server.
class X11Contract final : public contract::ContractPlatform {
public:
    keyweave::Platform& Seams() override { return *platform; }
    double NowMs() override {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Pass(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void Elsewhere(int afterMs, std::function<void()> action) override {
        threads_.emplace_back([afterMs, action = std::move(action)] {
            std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
            action();
        });
    }
    void JoinElsewhere() override {
        for (std::thread& thread : threads_) {
            thread.join();
        }
        threads_.clear();
    }
    void DismissMessageBox() override {
        GList* windows = gtk_window_list_toplevels();
        for (GList* item = windows; item != nullptr; item = item->next) {
            if (GTK_IS_DIALOG(item->data)) {
                gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_OK);
            }
        }
        g_list_free(windows);
    }
    double LateMs() const override { return 60; }

private:
    std::vector<std::thread> threads_;
};

} // namespace
} // namespace keyweave::x11test

namespace keyweave::contract {

ContractPlatform& TheContractPlatform() {
    static x11test::X11Contract platform;
    return platform;
}

} // namespace keyweave::contract
