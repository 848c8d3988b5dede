#include "input/keyboard.h"

#include "app/program_state.h"
#include "input/injected_list.h"
#include "platform/platform.h"
#include "runtime/list.h"
#include "runtime/system/system.h"

namespace keyweave {

namespace {

// The poll sees only these codes; Tab, Enter and the other codes below 32 are never asked.
constexpr int kFirstPolledCode = 32;
constexpr int kLastPolledCode = 255;

// The codes of the table's rows that the poll can see.
KeySet PolledCodes() {
    KeySet codes;
    for (const auto& key : Program().KeyboardKeyList) {
        if (key->Key >= kFirstPolledCode && key->Key <= kLastPolledCode) {
            codes.set(static_cast<std::size_t>(key->Key));
        }
    }
    return codes;
}

void SendKey(std::int32_t code, bool down) {
    CurrentPlatform().Keyboard().SendKey(code & 0xFF, down);
}

} // namespace

int TKeyboard::Update() {
    auto& program = Program();
    program.ReleasedList.clear();
    program.HitList.clear();
    const KeyList previous = std::move(program.DownList);
    program.DownList.clear();

    const KeySet held = CurrentPlatform().Keyboard().HeldKeysAmong(PolledCodes());
    for (int code = kFirstPolledCode; code <= kLastPolledCode; ++code) {
        if (!held.test(static_cast<std::size_t>(code))) {
            continue;
        }
        if (KeyRef key = ReturnTKeyFromInt(code)) {
            program.DownList.push_back(std::move(key));
        }
    }

    for (const auto& key : program.DownList) {
        if (!Contains(previous, key)) {
            program.HitList.push_back(key);
        }
    }
    for (const auto& key : previous) {
        if (!Contains(program.DownList, key)) {
            program.ReleasedList.push_back(key);
        }
    }
    return 0;
}

int TKeyboard::Down(std::int32_t code) {
    SendKey(code, true);
    RecordPress(Program().KeyboardInjectedList, code);
    return 0;
}

int TKeyboard::Up(std::int32_t code) {
    SendKey(code, false);
    RecordRelease(Program().KeyboardInjectedList, code);
    return 0;
}

int TKeyboard::Flush() {
    for (const std::int32_t code : OutstandingPresses(Program().KeyboardInjectedList)) {
        Up(code);
    }
    return 0;
}

} // namespace keyweave
