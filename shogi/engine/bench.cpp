#include "shogi/engine/bench.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

namespace {

// Moves of a forced line, in USI.
std::vector<std::string> Words(const char* text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

class BenchRun {
 public:
  BenchRun(int level, const std::string& bookPath) : level_(level) {
    book_->path = bookPath;
    result_.bookLoaded = LoadBook(*book_);
  }

  // Both sides are the computer, each with its own game; a forced move replaces the chosen one
  // after the side to move has thought.
  void OpeningGame(const bench::OpeningGame& game) {
    GameState* sides[2] = {black_.get(), white_.get()};
    for (int i = 0; i < 2; ++i) {
      GameState& gs = *sides[i];
      ResetGameState(gs);
      gs.fixedClock = kBenchClock - kBenchClock % 60 + game.second;
      gs.useRandom = 0;
      gs.level = level_;
      gs.firstMover = i == 0 ? 2 : 1;  // in black's game the computer moves first
      gs.bookChoice = (i == 0 ? game.blackBook : game.whiteBook) ? 0 : 1;
    }
    const std::vector<std::string> forced = Words(game.forcedMoves);
    for (int m = 1; m <= std::min(game.lastMove, kOpeningMoves); ++m) {
      GameState& me = *sides[(m - 1) % 2];
      GameState& other = *sides[m % 2];
      me.moveNumber = m;
      me.moveReady = 0;
      const std::string usi = Think(me, [&] { ThinkDriver(me, *book_); });
      if (me.gameResult != kResultNone) return;
      std::string played = usi;
      if (static_cast<std::size_t>(m) <= forced.size()) {
        played = forced[m - 1];
        const auto move = ParseUsiMove(played, me.firstMover);
        if (!move) return;
        me.moveRec[m] = *move;
        me.snapshot[m] = me.snapshot[m - 1];
        ApplyMove(me.snapshot[m], *move, me.computerSide);
      }
      const auto reply = ParseUsiMove(played, other.firstMover);
      if (!reply || !CommitPlayerMove(other, *reply) || other.gameResult != kResultNone) return;
    }
  }

  void Position(const char* sfen, int i) {
    std::istringstream in(sfen);
    std::string board, side, hands;
    in >> board >> side >> hands;
    std::string error;
    const auto pos = ParseSfen(board, side, hands, &error);
    if (!pos) return;
    const int m = 48 + (i % 40) * 2;  // search modes 4 to 8
    Think(*black_, [&] { ThinkOnPosition(*black_, *book_, *pos, m, level_); });
  }

  bool bookLoaded() const { return result_.bookLoaded; }

  BenchResult Finish(std::chrono::steady_clock::time_point start) {
    result_.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    fnv_.Add(std::to_string(result_.analyzeCalls));
    fnv_.Add(std::to_string(result_.evasionCalls));
    fnv_.Add(std::to_string(result_.evaluateCalls));
    result_.signature = fnv_.h;
    return result_;
  }

 private:
  static constexpr int kOpeningMoves = 40;

  // Runs one think of `gs` and records its move, routine, opening type and work.
  template <class Fn>
  std::string Think(GameState& gs, Fn&& think) {
    const auto t0 = std::chrono::steady_clock::now();
    think();
    const auto t1 = std::chrono::steady_clock::now();
    const int m = gs.moveNumber;
    const std::string usi = gs.gameResult == kResultComputerResigns
                                ? "resign"
                                : MoveToUsi(gs.moveRec[m], gs.firstMover);
    BenchThink t;
    t.moveNumber = m;
    t.move = usi;
    t.phase = gs.gamePhase;
    t.openingType = gs.openingType;
    t.milliseconds = std::chrono::duration<double, std::milli>(t1 - t0).count();
    result_.thinks.push_back(t);
    result_.analyzeCalls += gs.analyzeCalls;
    result_.evasionCalls += gs.evasionCalls;
    result_.evaluateCalls += gs.evaluateCalls;
    gs.analyzeCalls = gs.evasionCalls = gs.evaluateCalls = 0;
    fnv_.Add(usi);
    fnv_.Add(std::to_string(t.phase * 10 + t.openingType));
    return usi;
  }

  int level_;
  std::unique_ptr<GameState> black_ = std::make_unique<GameState>();
  std::unique_ptr<GameState> white_ = std::make_unique<GameState>();
  std::unique_ptr<OpeningBook> book_ = std::make_unique<OpeningBook>();
  BenchResult result_;
  Fnv fnv_;
};

}  // namespace

BenchResult RunBench(int level, int count, const std::string& bookPath) {
  const auto start = std::chrono::steady_clock::now();
  BenchRun run(level, bookPath);
  if (!run.bookLoaded()) return run.Finish(start);  // without the book the result means nothing
  for (const bench::OpeningGame& game : bench::kOpeningGames) run.OpeningGame(game);
  const int total = BenchPositionCount();
  if (count <= 0 || count > total) count = total;
  for (int i = 0; i < count; ++i) run.Position(bench::kMiddleGamePositions[i], i);
  return run.Finish(start);
}

}  // namespace shogi
