#include "shogi/engine/bench.h"

#include <chrono>
#include <memory>
#include <sstream>

#include "shogi/engine/bench_positions.h"
#include "shogi/engine/evaluate.h"
#include "shogi/engine/think.h"

namespace shogi {

namespace {

constexpr int64_t kBenchClock = 1700000000;

struct Fnv {
  uint64_t h = 1469598103934665603ULL;
  void Add(const std::string& s) {
    for (unsigned char c : s) {
      h ^= c;
      h *= 1099511628211ULL;
    }
    h ^= 0xff;
    h *= 1099511628211ULL;
  }
};

}  // namespace

int BenchPositionCount() {
  return static_cast<int>(std::size(bench::kMiddleGamePositions));
}

MoveRec ThinkOnPosition(GameState& gs, OpeningBook& book, const UsiPosition& pos, int m,
                        int level) {
  ResetGameState(gs);
  gs.fixedClock = kBenchClock;
  gs.useRandom = 0;
  gs.level = level;
  gs.bookChoice = 1;
  gs.firstMover = pos.sideToMove == UsiPosition::kBlack ? 2 : 1;
  const Position start = ToInternal(pos, gs.firstMover);
  for (int k = 0; k < m; ++k) gs.snapshot[k] = start;
  gs.moveNumber = m - 1;
  // As after the player's move: the evaluation for the computer.
  gs.kingTermsFresh = 0;
  gs.baseScore = Evaluate(gs, start, gs.computerSide);
  if (gs.kingTermsFresh) {
    gs.computerKingScore = gs.kingTermComputer;
    gs.playerKingScore = gs.kingTermPlayer;
  }
  gs.moveNumber = m;
  gs.moveReady = 0;
  ThinkDriver(gs, book);
  return gs.moveRec[m];
}

BenchResult RunBench(int level, int count) {
  auto gs = std::make_unique<GameState>();
  auto book = std::make_unique<OpeningBook>();
  book->path.clear();
  BenchResult result;
  const int total = BenchPositionCount();
  if (count <= 0 || count > total) count = total;
  const auto start = std::chrono::steady_clock::now();
  Fnv fnv;
  for (int i = 0; i < count; ++i) {
    std::istringstream in(bench::kMiddleGamePositions[i]);
    std::string board, side, hands;
    in >> board >> side >> hands;
    std::string error;
    const auto pos = ParseSfen(board, side, hands, &error);
    if (!pos) continue;
    const int m = 48 + (i % 40) * 2;  // search modes 4 to 8
    const auto t0 = std::chrono::steady_clock::now();
    const MoveRec move = ThinkOnPosition(*gs, *book, *pos, m, level);
    const auto t1 = std::chrono::steady_clock::now();
    const std::string usi = gs->gameResult == 1 ? "resign" : MoveToUsi(move, gs->firstMover);
    result.moves.push_back(usi);
    result.milliseconds.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    result.analyzeCalls += gs->analyzeCalls;
    result.evasionCalls += gs->evasionCalls;
    result.evaluateCalls += gs->evaluateCalls;
    fnv.Add(usi);
    gs->analyzeCalls = gs->evasionCalls = gs->evaluateCalls = 0;
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  fnv.Add(std::to_string(result.analyzeCalls));
  fnv.Add(std::to_string(result.evasionCalls));
  fnv.Add(std::to_string(result.evaluateCalls));
  result.signature = fnv.h;
  return result;
}

}  // namespace shogi
