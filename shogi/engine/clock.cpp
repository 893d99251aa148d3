#include "shogi/engine/clock.h"

#include <chrono>
#include <ctime>

namespace shogi {

int64_t ClockSeconds(const GameHistory& game) {
  return game.fixedClock != 0 ? game.fixedClock : static_cast<int64_t>(std::time(nullptr));
}

int ClockSecondsField(const GameHistory& game) {
  const std::time_t t = static_cast<std::time_t>(ClockSeconds(game));
  std::tm local{};
  localtime_r(&t, &local);
  return local.tm_sec;
}

int64_t SteadyNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool ThinkCut(SearchState& ss) {
  if (ss.thinkCut != 0) return true;
  const int64_t deadline = ss.thinkDeadline.load(std::memory_order_relaxed);
  if (ss.stopThink.load(std::memory_order_relaxed) != 0 ||
      (deadline != 0 && SteadyNanos() >= deadline))
    ss.thinkCut = 1;
  return ss.thinkCut != 0;
}

}  // namespace shogi
