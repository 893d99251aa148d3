#include "shogi/engine/bench.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/engine/bench_positions.h"
#include "shogi/engine/computer_player.h"
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

void SetUpPosition(GameHistory& game, AnalysisScratch& sc, const UsiPosition& pos, int m,
                   int level) {
  ResetHistory(game);
  game.fixedClock = kBenchClock;
  game.useRandom = 0;
  game.level = level;
  game.bookChoice = 1;
  game.firstMover = pos.sideToMove == UsiPosition::kBlack ? 2 : 1;
  const Position start = ToInternal(pos, game.firstMover);
  for (int k = 0; k < m; ++k) game.snapshot[k] = start;
  game.moveNumber = m - 1;
  // As after the player's move: the evaluation for the computer.
  sc.kingTermsFresh = 0;
  game.baseScore = Evaluate(game, sc, start, game.computerSide);
  if (sc.kingTermsFresh) {
    game.computerKingScore = sc.kingTermComputer;
    game.playerKingScore = sc.kingTermPlayer;
  }
}

MoveRec ThinkOnPosition(GameState& gs, OpeningBook& book, const UsiPosition& pos, int m,
                        int level) {
  ResetGameState(gs);
  SetUpPosition(gs, gs, pos, m, level);
  const ThinkResult r = ThinkDriver(gs, gs, gs, book);
  CommitComputerMove(gs, r);
  return r.move;
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
    GameHistory* sides[2] = {blackGame_.get(), whiteGame_.get()};
    ComputerPlayer* players[2] = {black_.get(), white_.get()};
    for (int i = 0; i < 2; ++i) {
      GameHistory& gs = *sides[i];
      ResetHistory(gs);
      players[i]->NewGame();
      gs.fixedClock = kBenchClock - kBenchClock % 60 + game.second;
      gs.useRandom = 0;
      gs.level = level_;
      gs.firstMover = i == 0 ? 2 : 1;  // in black's game the computer moves first
      gs.bookChoice = (i == 0 ? game.blackBook : game.whiteBook) ? 0 : 1;
    }
    const std::vector<std::string> forced = Words(game.forcedMoves);
    for (int m = 1; m <= std::min(game.lastMove, kOpeningMoves); ++m) {
      GameHistory& me = *sides[(m - 1) % 2];
      GameHistory& other = *sides[m % 2];
      ComputerPlayer& mine = *players[(m - 1) % 2];
      ThinkResult r = Think(me, mine, m);
      const std::string usi = MoveText(me, r);
      if (r.gameResult != kResultNone) return;
      std::string played = usi;
      if (static_cast<std::size_t>(m) <= forced.size()) {
        played = forced[m - 1];
        const auto move = ParseUsiMove(played, me.firstMover);
        if (!move) return;
        r.move = *move;
      }
      CommitComputerMove(me, r);
      const auto reply = ParseUsiMove(played, other.firstMover);
      if (!reply || !CommitPlayerMove(other, players[m % 2]->Scratch(), *reply) ||
          other.gameResult != kResultNone)
        return;
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
    black_->NewGame();
    SetUpPosition(*blackGame_, black_->Scratch(), *pos, m, level_);
    Think(*blackGame_, *black_, m);
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

  static std::string MoveText(const GameHistory& game, const ThinkResult& r) {
    return r.gameResult == kResultComputerResigns ? "resign" : MoveToUsi(r.move, game.firstMover);
  }

  // Lets `player` think about move m of `game` and records its move, routine, opening type and
  // work. The move is not committed.
  ThinkResult Think(const GameHistory& game, ComputerPlayer& player, int m) {
    const auto t0 = std::chrono::steady_clock::now();
    player.Start(game);
    const ThinkResult r = player.Wait();
    const auto t1 = std::chrono::steady_clock::now();
    const std::string usi = MoveText(game, r);
    BenchThink t;
    t.moveNumber = m;
    t.move = usi;
    t.phase = r.gamePhase;
    t.openingType = r.openingType;
    t.milliseconds = std::chrono::duration<double, std::milli>(t1 - t0).count();
    result_.thinks.push_back(t);
    AnalysisScratch& sc = player.Scratch();
    result_.analyzeCalls += sc.analyzeCalls;
    result_.evasionCalls += sc.evasionCalls;
    result_.evaluateCalls += sc.evaluateCalls;
    sc.analyzeCalls = sc.evasionCalls = sc.evaluateCalls = 0;
    fnv_.Add(usi);
    fnv_.Add(std::to_string(t.phase * 10 + t.openingType));
    return r;
  }

  int level_;
  std::unique_ptr<OpeningBook> book_ = std::make_unique<OpeningBook>();
  std::unique_ptr<GameHistory> blackGame_ = std::make_unique<GameHistory>();
  std::unique_ptr<GameHistory> whiteGame_ = std::make_unique<GameHistory>();
  std::unique_ptr<ComputerPlayer> black_ = std::make_unique<ComputerPlayer>(*book_);
  std::unique_ptr<ComputerPlayer> white_ = std::make_unique<ComputerPlayer>(*book_);
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
