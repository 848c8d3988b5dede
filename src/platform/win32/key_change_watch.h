#pragma once

#include "platform/keyboard_device.h"
#include "platform/win32/raw_input_sink.h"

#include <optional>

namespace keyweave::win32 {

// Tells the keyboard poll which keys may have gone down or up anywhere on the system since it
// last asked, and the idle pause when it must wake, from the raw keyboard input of every program
// (RawInputSink); the mouse's reports change no key. Where the sink is not active, Active() is
// false: every key is asked on every poll and the loop keeps its 2 ms turns.
//
// Wine answers GetAsyncKeyState from a per-thread cache: "up" stays cached for up to 50 ms
// after the thread's last question to the server, so a key that raw input reports pressed may
// read as released for that long. After a key event every wanted key is therefore asked once
// more, kRecheckMs later; the same poll corrects a report that named the wrong key.
//
// The reports also correct what a poll reads. A key whose press was reported since the previous
// poll counts as held, even when it was released again before it, so that a tap shorter than a
// turn is seen; a key whose release alone was reported counts as up, so that a poll that is
// behind the reports takes them one by one. A pressed key that the system reads as up while no
// release has been reported counts as held until a recheck at least kRecheckMs after its press
// reads it (Wine's cache has been refreshed by then).
class KeyChangeWatch final : private RawInputSink::Reader {
public:
    explicit KeyChangeWatch(RawInputSink& sink);
    KeyChangeWatch(const KeyChangeWatch&) = delete;
    KeyChangeWatch& operator=(const KeyChangeWatch&) = delete;

    bool Active() const { return sink_.Active(); }

    // The keys among `wanted` that a poll at `nowMs` must ask; those left out cannot have
    // changed since the previous poll.
    KeySet KeysToAsk(const KeySet& wanted, double nowMs);

    // What a poll at `nowMs` reports held among `wanted`, after KeysToAsk: the keys that it
    // read as held (`read`), corrected by the reports since the previous poll.
    KeySet HeldAfterReports(const KeySet& wanted, const KeySet& read, double nowMs);

    // Whether a key event waits for the poll: reported since the last one, or still queued, or
    // the release of a key that the last poll counted for its press alone.
    bool ChangeWaiting() const;

    // Whether a key report was read since the last poll, or one that must make it ask every key.
    bool KeyReported() const { return askAll_ || reported_.any(); }

    // The pump has just read the queue, up to its end or to a key report: the next poll need
    // not ask the system whether reports wait. One that still waits, or arrives between the
    // two, is read by the next pump and asked one turn later.
    void QueueEmptied() { queueEmptied_ = true; }

    // When the idle pause must end so that the poll asks every key again; none when no recheck
    // is due.
    std::optional<double> RecheckAt() const { return recheckAt_; }

    static constexpr double kRecheckMs = 55;

private:
    void Read(const RAWINPUT* report) override;

    const RawInputSink& sink_;
    KeySet reported_;
    KeySet pressed_;       // since the previous poll
    KeySet released_;      // since the previous poll
    KeySet reportedDown_;  // pressed and not released since, as the reports tell
    KeySet pressedReadUp_; // counted as held while the system reads them up
    double readUpUntilMs_ = 0;
    bool releaseUnseen_ = false;
    bool askAll_ = true;
    bool queueEmptied_ = false;
    std::optional<double> recheckAt_;
};

} // namespace keyweave::win32
