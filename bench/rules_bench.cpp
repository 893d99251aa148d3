// Speed of the rules core: move analysis and the legality check on middle-game positions,
// and perft from the start.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <vector>

#include "shogi/engine/bench_positions.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/legality.h"
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

// The legality check: the whole legal-move list of a position, and one move judged (the
// list's moves one after another, as a referee judges a game's moves).
void BM_LegalMoves(benchmark::State& state) {
  const std::vector<Case> cases = MiddleGameCases();
  int64_t moves = 0;
  for (auto _ : state)
    for (const Case& c : cases) moves += static_cast<int64_t>(LegalMoves(c.pos, c.side).size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cases.size()));
  state.counters["moves"] = static_cast<double>(moves) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LegalMoves)->Unit(benchmark::kMicrosecond);

void BM_IsLegalMove(benchmark::State& state) {
  std::vector<std::pair<Case, MoveRec>> judged;
  for (const Case& c : MiddleGameCases())
    for (const MoveRec& m : LegalMoves(c.pos, c.side)) judged.push_back({c, m});
  for (auto _ : state)
    for (const auto& [c, m] : judged) benchmark::DoNotOptimize(IsLegalMove(c.pos, c.side, m));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(judged.size()));
}
BENCHMARK(BM_IsLegalMove)->Unit(benchmark::kMicrosecond);

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
