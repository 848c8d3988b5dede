#include "input/mouse.h"

#include "app/program_state.h"
#include "input/injected_list.h"
#include "platform/absolute_move.h"
#include "platform/platform.h"
#include "runtime/gui/gadget.h"
#include "runtime/system/system.h"

namespace keyweave {

namespace {

// Only the left and right buttons can be injected; other numbers are recorded but not sent.
bool IsSendableButton(std::int32_t button) {
    return button == 1 || button == 2;
}

} // namespace

int TMouse::Down(std::int32_t button) {
    if (IsSendableButton(button)) {
        CurrentPlatform().Mouse().SendButton(button, true);
    }
    RecordPress(Program().MouseInjectedList, button);
    return 0;
}

int TMouse::Up(std::int32_t button) {
    if (IsSendableButton(button)) {
        CurrentPlatform().Mouse().SendButton(button, false);
    }
    RecordRelease(Program().MouseInjectedList, button);
    return 0;
}

int TMouse::Flush() {
    for (const std::int32_t button : OutstandingPresses(Program().MouseInjectedList)) {
        Up(button);
    }
    return 0;
}

int TMouse::SetPos(std::int32_t x, std::int32_t y) {
    TakeStartPos();
    CurrentPlatform().Mouse().MoveCursor(x, y);
    return 0;
}

PointRef TMouse::GetPos() {
    const ScreenPoint cursor = CurrentPlatform().Mouse().CursorPos();
    auto point = std::make_shared<TPoint>();
    point->Set(cursor.x, cursor.y);
    return point;
}

std::int32_t TMouse::GetPosX() {
    return GetPos()->X;
}

std::int32_t TMouse::GetPosY() {
    return GetPos()->Y;
}

int TMouse::Lock() {
    Program().LockPos = GetPos();
    return 0;
}

int TMouse::Unlock() {
    Program().LockPos = nullptr;
    return 0;
}

int TMouse::Update() {
    if (const PointRef lock = Program().LockPos) {
        SetPos(lock->X, lock->Y);
    }
    return 0;
}

int TMouse::TakeStartPos() {
    auto& program = Program();
    if (program.Running == 1 && program.StartPos == nullptr) {
        program.StartPos = GetPos();
    }
    return 0;
}

std::int32_t TMouse::AbsMousePos(std::int32_t pixel, std::int32_t size) {
    return AbsoluteMoveCoordinate(pixel, size);
}

std::int32_t TMouse::AbsMousePosX(std::int32_t x) {
    return AbsMousePos(x, DesktopGadget()->ClientWidth());
}

std::int32_t TMouse::AbsMousePosY(std::int32_t y) {
    return AbsMousePos(y, DesktopGadget()->ClientHeight());
}

} // namespace keyweave
