#include "platform/win32/timer_source.h"

#include "platform/win32/performance_clock.h"

#include <mmsystem.h>

namespace keyweave::win32 {

namespace {

class Locked {
public:
    explicit Locked(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
    ~Locked() { LeaveCriticalSection(lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

double NextDeadline(const Win32TimerSource::Tick& tick) {
    return tick.startMs + static_cast<double>(tick.handedOn + 1) * tick.periodMs;
}

// With the tick's lock held.
void HandOnDue(std::uint32_t id, Win32TimerSource::Tick& tick, double nowMs) {
    while (NextDeadline(tick) <= nowMs) {
        ++tick.handedOn;
        tick.onTick(id, tick.user);
    }
}

void CALLBACK OnTimer(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto& tick = *reinterpret_cast<Win32TimerSource::Tick*>(user);
    if (tick.pauseWakes->load(std::memory_order_acquire)) {
        return;
    }
    Locked locked(tick.lock);
    HandOnDue(id, tick, NowMs());
}

void CALLBACK KeepAlive(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

// Wine ends its timer thread when the last multimedia timer is killed and starts a new one
// with the next timer: a thread start and end for every wait of a script, which delays the
// main thread and cost a playing script a fifth of a core. A timer that never stops keeps that
// thread; it wakes once a minute and does nothing.
constexpr UINT kKeepAlivePeriodMs = 60'000;

} // namespace

Win32TimerSource::Win32TimerSource()
    : keepAlive_(timeSetEvent(kKeepAlivePeriodMs, kKeepAlivePeriodMs, KeepAlive, 0,
                              TIME_PERIODIC | TIME_CALLBACK_FUNCTION)) {
    InitializeCriticalSection(&lock_);
}

Win32TimerSource::~Win32TimerSource() {
    while (!running_.empty()) {
        Kill(running_.begin()->first);
    }
    if (keepAlive_ != 0) {
        timeKillEvent(keepAlive_);
    }
    DeleteCriticalSection(&lock_);
}

std::uint32_t Win32TimerSource::StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                              std::uintptr_t user) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs) {
        return 0;
    }
    const double now = NowMs();
    const double start = now - turnBeganMs_ <= kTurnStartReachMs ? turnBeganMs_ : now;
    auto tick = std::make_unique<Tick>(
        Tick{onTick, user, start, static_cast<double>(periodMs), &lock_, &pauseWakes_});
    // With TIME_KILL_SYNCHRONOUS no tick starts after timeKillEvent, so Kill can free `tick`.
    const MMRESULT id =
        timeSetEvent(periodMs, 0, OnTimer, reinterpret_cast<DWORD_PTR>(tick.get()),
                     TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    if (id == 0) {
        return 0;
    }
    running_[id] = std::move(tick);
    return id;
}

void Win32TimerSource::Kill(std::uint32_t id) {
    const auto entry = running_.find(id);
    if (entry == running_.end()) {
        return;
    }
    timeKillEvent(id);
    running_.erase(entry);
}

std::optional<double> Win32TimerSource::EarliestDeadline() {
    std::optional<double> earliest;
    Locked locked(&lock_);
    for (const auto& [id, tick] : running_) {
        const double deadline = NextDeadline(*tick);
        if (!earliest || deadline < *earliest) {
            earliest = deadline;
        }
    }
    return earliest;
}

void Win32TimerSource::FireDue(double nowMs) {
    Locked locked(&lock_);
    for (const auto& [id, tick] : running_) {
        HandOnDue(id, *tick, nowMs);
    }
}

} // namespace keyweave::win32
