#include "script/recording.h"

#include "script/statement_table.h"
#include "script/timing.h"

#include <cmath>
#include <optional>

namespace keyweave {

namespace {

// Gaps shorter than this between two recorded events replay as consecutive commands.
constexpr double kShortestWaitedGapMs = 5;
// While the cursor moves, its path keeps a position at least this often.
constexpr double kPathSpacingMs = 10;
// How far a replayed event may drift from its recorded time before the waits make up for it.
constexpr double kDriftLimitMs = 1;
// Times that are equal but for floating-point noise.
constexpr double kTimeNoiseMs = 1e-6;

struct Pixel {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

Pixel PixelOf(const RecordedAction& action) {
    return {action.x, action.y};
}

bool IsMove(const RecordedAction& action) {
    return action.operation == Operation::MoveCursor;
}

bool IsButton(const RecordedAction& action) {
    return action.operation == Operation::PressButton ||
           action.operation == Operation::ReleaseButton;
}

// The positions of the cursor's path that a replay needs: the first of each movement, then
// each one whose successor comes more than kPathSpacingMs after the last one kept, and the
// last one before it rests. Key and button events stay as they are.
std::vector<RecordedAction> ThinPath(const std::vector<RecordedAction>& actions) {
    std::vector<const RecordedAction*> moves;
    for (const RecordedAction& action : actions) {
        if (IsMove(action) && (moves.empty() || PixelOf(*moves.back()) != PixelOf(action))) {
            moves.push_back(&action);
        }
    }
    std::vector<const RecordedAction*> keptMoves;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const bool last = i + 1 == moves.size();
        if (keptMoves.empty() || last ||
            moves[i + 1]->timeMs - keptMoves.back()->timeMs > kPathSpacingMs + kTimeNoiseMs) {
            keptMoves.push_back(moves[i]);
        }
    }
    std::vector<RecordedAction> thinned;
    thinned.reserve(actions.size());
    std::size_t nextKept = 0;
    for (const RecordedAction& action : actions) {
        if (!IsMove(action)) {
            thinned.push_back(action);
        } else if (nextKept < keptMoves.size() && keptMoves[nextKept] == &action) {
            thinned.push_back(action);
            ++nextKept;
        }
    }
    return thinned;
}

// When an event should replay that was recorded at `time`, `gap` after the event before it,
// which replays at `previousAt`: that replay time plus the gap, to the nearest millisecond,
// unless the event would then stand more than kDriftLimitMs off its recorded time; then the
// millisecond within one of that which comes closest to the recorded time.
std::int64_t ReplayTime(std::int64_t previousAt, double gap, double time) {
    const double ideal = static_cast<double>(previousAt) + gap;
    const auto nearest = static_cast<std::int64_t>(std::llround(ideal));
    const auto drift = [time](std::int64_t at) { return std::abs(static_cast<double>(at) - time); };
    if (drift(nearest) <= kDriftLimitMs + kTimeNoiseMs) {
        return nearest;
    }
    const auto earliest = static_cast<std::int64_t>(std::ceil(ideal - 1 - kTimeNoiseMs));
    const auto latest = static_cast<std::int64_t>(std::floor(ideal + 1 + kTimeNoiseMs));
    std::int64_t best = earliest;
    for (std::int64_t at = earliest + 1; at <= latest; ++at) {
        if (drift(at) < drift(best)) {
            best = at;
        }
    }
    return best;
}

// Lays the commands out on the replay's time line, in milliseconds from the start of a pass.
class Transcriber {
public:
    void Add(const RecordedAction& action) {
        if (IsMove(action)) {
            path_.push_back(action);
        } else {
            AddEvent(action);
        }
    }

    // The last wait ends in the turn before the one that starts the list over.
    CommandList Finish(double lengthMs) {
        const std::int64_t refill = std::llround(lengthMs) - kTurnMs;
        PlacePath(refill >= now_ ? std::optional(refill) : std::nullopt);
        WaitUntil(refill);
        return std::move(commands_);
    }

private:
    // A button needs the cursor on its pixel first, a turn before it; whether the path leaves
    // the cursor there is known once the path is laid out, so the path leaves room for it.
    void AddEvent(const RecordedAction& event) {
        const double gap = event.timeMs - lastTime_;
        const bool button = IsButton(event);
        const Pixel pixel = PixelOf(event);
        std::int64_t at = now_;
        if (gap >= kShortestWaitedGapMs - kTimeNoiseMs) {
            at = ReplayTime(lastAt_, gap, event.timeMs);
            const bool mayLocate = button && (cursor_ != pixel || !path_.empty());
            PlacePath(at - (mayLocate ? kTurnMs : 0));
        }
        path_.clear();
        const bool locate = button && cursor_ != pixel;
        WaitUntil(locate ? at - kTurnMs : at);
        if (locate) {
            MoveCursor(pixel);
        }
        lastAt_ = now_;
        lastTime_ = event.timeMs;
        Append(event.operation, event.code, -1);
    }

    // Lays out the path's positions since the last event, each at its recorded time moved by
    // that event's drift, as far as they fit before `limit`. A position follows the command
    // before it at once where the gap between them would be under 5 ms, and otherwise after a
    // single SLEEP, a millisecond early where no single value waits as long.
    void PlacePath(std::optional<std::int64_t> limit) {
        const double drift = static_cast<double>(lastAt_) - lastTime_;
        for (const RecordedAction& move : path_) {
            if (cursor_ == PixelOf(move)) {
                continue;
            }
            std::int64_t wait = std::llround(move.timeMs + drift) - now_;
            if (wait < kShortestWaitedGapMs - kTurnMs) {
                wait = 0;
            } else if (SleepLasting(wait) == 0) {
                --wait;
            }
            if (limit && now_ + wait + kTurnMs > *limit) {
                break;
            }
            WaitUntil(now_ + wait);
            MoveCursor(PixelOf(move));
        }
        path_.clear();
    }

    void WaitUntil(std::int64_t at) {
        if (at <= now_) {
            return;
        }
        for (const std::int32_t value : SleepsLasting(at - now_)) {
            Push(Operation::Wait, value, -1);
        }
        now_ = at;
    }

    void MoveCursor(Pixel pixel) {
        Append(Operation::MoveCursor, pixel.x, pixel.y);
        cursor_ = pixel;
    }

    // A command that takes one turn.
    void Append(Operation operation, std::int32_t value, std::int32_t value2) {
        Push(operation, value, value2);
        now_ += kTurnMs;
    }

    void Push(Operation operation, std::int32_t value, std::int32_t value2) {
        commands_.push_back(TCommand::Create(operation, value, value2));
    }

    CommandList commands_;
    std::int64_t now_ = 0;        // when the next command runs
    double lastTime_ = 0;         // the last key or button event's recorded time; first the start
    std::int64_t lastAt_ = 0;     // and when it replays
    std::optional<Pixel> cursor_; // where the commands so far leave the cursor
    std::vector<RecordedAction> path_;
};

} // namespace

CommandList TranscribeRecording(const Recording& recording) {
    Transcriber transcriber;
    for (const RecordedAction& action : ThinPath(recording.actions)) {
        transcriber.Add(action);
    }
    return transcriber.Finish(recording.lengthMs);
}

} // namespace keyweave
