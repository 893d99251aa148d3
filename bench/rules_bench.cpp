// Speed of the rules core: move analysis on middle-game positions, and perft from the start.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <vector>

#include "shogi/engine/bench_positions.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/notation.h"
#include "shogi/rules/perft.h"

namespace shogi {
namespace {

struct Case {
  Position pos;
  int side;
};

// Every position seen with both values of firstMover, so both mirror variants run.
std::vector<Case> MiddleGameCases() {
  std::vector<Case> cases;
  for (const char* sfen : bench::kMiddleGamePositions) {
    std::istringstream in(sfen);
    std::string board, side, hands;
    in >> board >> side >> hands;
    std::string err;
    const auto u = ParseSfen(board, side, hands, &err);
    if (!u) continue;
    for (int fm = 1; fm <= 2; ++fm)
      cases.push_back({ToInternal(*u, fm), SideOfColor(fm, u->sideToMove)});
  }
  return cases;
}

void BM_AnalyzeMoves(benchmark::State& state) {
  const int ply = static_cast<int>(state.range(0));
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->level = 2;
  gs->gamePhase = 3;
  const std::vector<Case> cases = MiddleGameCases();
  int64_t calls = 0;
  for (auto _ : state) {
    for (const Case& c : cases) {
      AnalyzeMoves(*gs, c.pos, c.side, ply);
      benchmark::DoNotOptimize(gs->moveList[0].value);
    }
    calls += static_cast<int64_t>(cases.size());
  }
  state.SetItemsProcessed(calls);
  state.counters["positions"] = static_cast<double>(cases.size());
}
BENCHMARK(BM_AnalyzeMoves)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_PerftStart(benchmark::State& state) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  const Position start = gs->snapshot[0];
  uint64_t nodes = 0;
  for (auto _ : state) nodes = Perft(*gs, start, kPlayerSide, static_cast<int>(state.range(0)));
  state.counters["leaves"] = static_cast<double>(nodes);
}
BENCHMARK(BM_PerftStart)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace shogi

BENCHMARK_MAIN();
