#include "core_timings.h"

#include "app/input_capture.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key_table.h"
#include "input/keyboard.h"
#include "large_inputs.h"
#include "long_listing.h"
#include "platform/platform.h"
#include "runtime/runtime.h"
#include "runtime/strings.h"
#include "script/recording_file.h"
#include "script/script.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>

namespace keyweave::bench {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A script of the size users write: a few strokes, waits and mouse moves.
void WriteScripts(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kLoadedScripts; ++i) {
        std::ofstream file(folder / ("script" + std::to_string(i) + ".ini"), std::ios::binary);
        file << "?kweaver\r\n{Script " << i << "\r\n";
        for (int line = 0; line < 5; ++line) {
            file << "MouseLoc(" << 100 + line << ", 200)\r\nKeyStroke(KEY_A, 30)\r\n"
                 << "Sleep(" << 10 * (line + 1) << ")\r\nMouseStroke(MOUSE_LEFT, 20)\r\n";
        }
    }
}

constexpr int kStartStopKey = 123; // F12

// Ten minutes of a cursor that never rests, reported every millisecond as a fast mouse does,
// with a key typed twice a second, between the release and the press of the Start/Stop key.
std::vector<InputEvent> BusyMinutes() {
    const int lastMs = kRecordingMinutes * 60 * 1000;
    std::vector<InputEvent> events = {{InputEvent::KeyDown, kStartStopKey, 0, 0, 0},
                                      {InputEvent::KeyUp, kStartStopKey, 0, 0, 1}};
    for (int ms = 2; ms < lastMs; ++ms) {
        const double angle = ms / 1000.0;
        events.push_back({InputEvent::CursorMove, 0, 960 + static_cast<int>(400 * std::cos(angle)),
                          540 + static_cast<int>(400 * std::sin(angle)), double(ms)});
        if (ms % 500 == 0) {
            events.push_back(
                {ms % 1000 ? InputEvent::KeyUp : InputEvent::KeyDown, 65, 0, 0, ms + 0.5});
        }
    }
    events.push_back({InputEvent::KeyDown, kStartStopKey, 0, 0, double(lastMs)});
    events.push_back({InputEvent::KeyUp, kStartStopKey, 0, 0, lastMs + 60.0});
    return events;
}

void MeasureRecording(Platform& platform, CoreTimings& timings) {
    InputCapture capture({TKeyboard::ReturnTKeyFromInt(kStartStopKey)}, {});
    capture.Take(BusyMinutes());
    auto start = Clock::now();
    const CommandList commands = TranscribeRecording(capture.Result());
    const SavedRecording saved = SaveRecording(commands);
    timings.saveRecordingMs = MsSince(start);
    timings.recordingCommands = static_cast<double>(commands.size());

    start = Clock::now();
    PickScript(ReloadScripts(saved.fileName));
    platform.System().Poll();
    timings.showRecordingMs = MsSince(start);
}

// What the heap keeps of a compiled script, per command.
void MeasureBigScript(const std::filesystem::path& folder, CoreTimings& timings) {
    const std::string path = (folder / "big.ini").string();
    WriteBigScript(path);
    const std::size_t before = mallinfo2().uordblks;
    const auto start = Clock::now();
    const ScriptRef script = TScript::Load(FromUtf8(path));
    timings.loadBigMs = MsSince(start);
    const std::size_t after = mallinfo2().uordblks;
    timings.bigScriptCommands = script ? static_cast<double>(script->DataList.size()) : 0;
    timings.bytesPerCommand = timings.bigScriptCommands > 0
                                  ? static_cast<double>(after - before) / timings.bigScriptCommands
                                  : 0;
    Program().ScriptList.clear();
}

} // namespace

CoreTimings MeasureCoreTimings(const std::string& display, const std::string& scratchFolder) {
    setenv("DISPLAY", display.c_str(), 1);
    char name[] = "keyweave";
    char* argv[] = {name, nullptr};
    std::unique_ptr<Platform> platform = CreatePlatform(1, argv);
    StartRuntime(*platform);
    ResetProgramState();
    FillKeyTable();
    TMainWindow::Create();
    platform->System().Poll();

    const std::filesystem::path folder = std::filesystem::path(scratchFolder) / "core";
    WriteScripts(folder / "Scripts");
    std::filesystem::current_path(folder);
    CoreTimings timings;
    auto start = Clock::now();
    TScript::LoadScripts();
    TMainWindow::UpdateScriptList();
    platform->System().Poll();
    timings.loadScriptsMs = MsSince(start);

    auto script = std::make_shared<TScript>();
    script->DataList = LongListing(kViewCommands);
    Program().CurrentScript = script;
    start = Clock::now();
    TMainWindow::UpdateScriptView();
    platform->System().Poll();
    timings.buildViewMs = MsSince(start);
    MeasureRecording(*platform, timings);
    MeasureBigScript(folder, timings);
    return timings;
}

} // namespace keyweave::bench
