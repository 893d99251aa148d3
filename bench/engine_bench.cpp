// Thinking time of the computer per move at each level, over the bench's opening games and its
// middle-game and end-game positions: median and maximum, and the analysis and evaluation calls per
// second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "shogi/engine/bench.h"

namespace shogi {
namespace {

void BM_Think(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  BenchResult r;
  for (auto _ : state) r = RunBench(level, 0, SHOGI_BOOK_FILE);
  if (!r.bookLoaded) state.SkipWithError("cannot open the opening book " SHOGI_BOOK_FILE);
  std::vector<double> ms;
  for (const BenchThink& t : r.thinks) ms.push_back(t.milliseconds);
  std::sort(ms.begin(), ms.end());
  state.counters["thinks"] = static_cast<double>(ms.size());
  state.counters["median_ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
  state.counters["max_ms"] = ms.empty() ? 0 : ms.back();
  const double calls = static_cast<double>(r.analyzeCalls + r.evasionCalls);
  state.counters["analyze_per_s"] = r.seconds > 0 ? calls / r.seconds : 0;
  state.counters["evaluate_per_s"] =
      r.seconds > 0 ? static_cast<double>(r.evaluateCalls) / r.seconds : 0;
}
BENCHMARK(BM_Think)->Arg(1)->Arg(2)->Arg(3)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace shogi

BENCHMARK_MAIN();
