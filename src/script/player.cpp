#include "app/main_window.h"
#include "app/program_state.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "script/script.h"
#include "script/timing.h"

#include <algorithm>

namespace keyweave {

namespace {

void ReportRunState(const std::u16string& suffix) {
    if (const ScriptRef current = Program().CurrentScript) {
        ShowStatus(current->Name + suffix);
    }
}

void MoveCursorTo(std::int32_t x, std::int32_t y) {
    TMouse::SetPos(x, y);
    if (const PointRef lock = Program().LockPos) {
        lock->Set(x, y);
    }
}

void RestoreCursor() {
    TMouse::TakeStartPos();
    if (const PointRef start = Program().StartPos) {
        TMouse::SetPos(start->X, start->Y);
    }
}

} // namespace

int TScript::Reset() {
    DataToWork();
    if (Timer) {
        Timer->Stop();
        Timer = nullptr;
    }
    return 0;
}

CommandStretch TScript::WorkList() const {
    const auto start = static_cast<std::ptrdiff_t>(std::min(workStart_, DataList.size()));
    return {DataList.begin() + start, DataList.end()};
}

int TScript::DataToWork() {
    workStart_ = 0;
    return 0;
}

int TScript::Update() {
    if (Timer) {
        if (Timer->Ticks() == 0) {
            return 0;
        }
        Timer->Stop();
        Timer = nullptr;
    }
    if (WorkList().empty()) {
        DataToWork();
        return 0;
    }

    const TCommand command = WorkList().front();
    switch (command.Performs) {
    case Operation::PressKey:
        TKeyboard::Down(command.Value);
        break;
    case Operation::ReleaseKey:
        TKeyboard::Up(command.Value);
        break;
    case Operation::PressButton:
        TMouse::Down(command.Value);
        break;
    case Operation::ReleaseButton:
        TMouse::Up(command.Value);
        break;
    case Operation::MoveCursor:
        MoveCursorTo(command.Value, command.Value2);
        break;
    case Operation::RestoreCursor:
        RestoreCursor();
        break;
    case Operation::LockCursor:
        TMouse::Lock();
        break;
    case Operation::UnlockCursor:
        TMouse::Unlock();
        break;
    case Operation::Wait:
        // A refused timer (no positive period, or no free slot) leaves Timer empty: no wait.
        Timer = TTimer::Create(WaitHertz(command.Value), nullptr);
        break;
    case Operation::Stop:
        Reset();
        Program().Running = 0;
        ReportRunState(u" stopped.");
        // The refilled work list starts with the first command; nothing is taken from it.
        return 1;
    case Operation::Pause:
        Program().Running = 0;
        ReportRunState(u" paused.");
        break;
    case Operation::None:
        break;
    }
    ++workStart_;
    return 1;
}

} // namespace keyweave
