// The one clock of the computer player: the book pick, the random addition of the evaluation
// and the thinking times all read it. It is the local wall clock, or a fixed time when the
// game state says so (tests, and the engine's FixedClock option).
#pragma once

#include <cstdint>

#include "shogi/rules/game_state.h"

namespace shogi {

// Seconds since the epoch.
int64_t ClockSeconds(const GameHistory& game);
// The seconds field (0..59) of the local time of ClockSeconds.
int ClockSecondsField(const GameHistory& game);

// Monotonic nanoseconds, the scale of SearchState::thinkDeadline.
int64_t SteadyNanos();

// Whether the think is to end now: a stop was asked for or the deadline has passed. Once true
// it stays true for the rest of the think (ThinkDriver clears it at the start).
bool ThinkCut(SearchState& ss);

}  // namespace shogi
