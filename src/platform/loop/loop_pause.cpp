#include "platform/loop/loop_pause.h"

#include <algorithm>

namespace keyweave {

void LoopPause::Sleep(LoopDuration pause) {
    const LoopTime end = turn_.TakePauseEnd(pause);
    waits_.SendInput();
    FireTicksUntil(end);
    End();
}

void LoopPause::FireTicksUntil(LoopTime end) {
    for (;;) {
        const LoopTime now = turn_.Now();
        if (calls_.NewCallPending() || now >= end) {
            break;
        }
        const std::optional<LoopTime> tick = ticks_.Earliest();
        if (tick && *tick <= now) {
            ticks_.FireDue(now);
            continue;
        }
        const bool forTick = tick && *tick < end;
        waits_.WaitUntil(forTick ? *tick : end, forTick);
    }
}

void LoopPause::SleepUntilChange(LoopDuration pause) {
    switch (waits_.IdleWait()) {
    case LoopWaits::Idle::EndNow:
        turn_.TakeFirstSending();
        waits_.SendInput();
        End();
        return;
    case LoopWaits::Idle::PauseAsSleep:
        Sleep(pause);
        return;
    case LoopWaits::Idle::WaitForAChange:
        break;
    }
    turn_.TakeFirstSending();
    waits_.SendInput();
    const std::optional<LoopTime> tick = ticks_.Earliest();
    std::optional<LoopTime> nearTick;
    if (tick) {
        nearTick = *tick - waits_.ChangeWaitLateness();
    }
    std::optional<LoopTime> until = nearTick;
    if (const std::optional<LoopTime> look = waits_.LookAgainAt();
        look && (!until || *look < *until)) {
        until = look;
    }
    waits_.WaitForChange(until);
    if (nearTick && !calls_.NewCallPending() && turn_.Now() >= *nearTick) {
        FireTicksUntil(*tick + pause);
    }
    ticks_.FireDue(turn_.Now());
    End();
}

void LoopPause::End() {
    const bool onTick = calls_.NewCallPending();
    calls_.PauseEnded();
    turn_.TurnBegan(onTick);
}

} // namespace keyweave
