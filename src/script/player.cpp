#include "app/main_window.h"
#include "app/program_state.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"
#include "script/script.h"

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

int TScript::DataToWork() {
    WorkList = DataList;
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
    if (WorkList.empty()) {
        DataToWork();
        return 0;
    }

    const CommandRef command = WorkList.front();
    const std::u16string name = Upper(command->Command);
    if (name == u"KEYDOWN") {
        TKeyboard::Down(command->Value);
    } else if (name == u"KEYUP") {
        TKeyboard::Up(command->Value);
    } else if (name == u"SLEEP") {
        // A refused timer (no positive period, or no free slot) leaves Timer empty: no wait.
        Timer = TTimer::Create(1000.0f / static_cast<float>(command->Value), nullptr);
    } else if (name == u"MOUSELOC") {
        MoveCursorTo(command->Value, command->Value2);
    } else if (name == u"RESTOREMOUSELOC") {
        RestoreCursor();
    } else if (name == u"LOCKMOUSE") {
        TMouse::Lock();
    } else if (name == u"UNLOCKMOUSE") {
        TMouse::Unlock();
    } else if (name == u"MOUSEDOWN") {
        TMouse::Down(command->Value);
    } else if (name == u"MOUSEUP") {
        TMouse::Up(command->Value);
    } else if (name == u"STOP") {
        Reset();
        Program().Running = 0;
        ReportRunState(u" stopped.");
        // The refilled work list starts with the first command; nothing is taken from it.
        return 1;
    } else if (name == u"PAUSE") {
        Program().Running = 0;
        ReportRunState(u" paused.");
    }
    WorkList.erase(WorkList.begin());
    return 1;
}

} // namespace keyweave
