#include "shogi/engine/clock.h"

#include <chrono>
#include <ctime>

namespace shogi {

int64_t ClockSeconds(const GameState& gs) {
  return gs.fixedClock != 0 ? gs.fixedClock : static_cast<int64_t>(std::time(nullptr));
}

int ClockSecondsField(const GameState& gs) {
  const std::time_t t = static_cast<std::time_t>(ClockSeconds(gs));
  std::tm local{};
  localtime_r(&t, &local);
  return local.tm_sec;
}

int64_t SteadyNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool ThinkCut(GameState& gs) {
  if (gs.thinkCut != 0) return true;
  const int64_t deadline = gs.thinkDeadline.load(std::memory_order_relaxed);
  if (gs.stopThink.load(std::memory_order_relaxed) != 0 ||
      (deadline != 0 && SteadyNanos() >= deadline))
    gs.thinkCut = 1;
  return gs.thinkCut != 0;
}

}  // namespace shogi
