#include "shogi/engine/clock.h"

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

}  // namespace shogi
