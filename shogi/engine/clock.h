// The one clock of the computer player: the book pick, the random addition of the evaluation
// and the thinking times all read it. It is the local wall clock, or a fixed time when the
// game state says so (tests, and the engine's FixedClock option).
#pragma once

#include <cstdint>

#include "shogi/rules/game_state.h"

namespace shogi {

// Seconds since the epoch.
int64_t ClockSeconds(const GameState& gs);
// The seconds field (0..59) of the local time of ClockSeconds.
int ClockSecondsField(const GameState& gs);

}  // namespace shogi
