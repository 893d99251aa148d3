#include "shogi/engine/usi.h"

#include <charconv>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <istream>
#include <ostream>
#include <sstream>
#include <thread>

#include "shogi/engine/bench.h"
#include "shogi/engine/evaluate.h"
#include "shogi/engine/think.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/perft.h"

namespace shogi {

namespace {

std::vector<std::string> Split(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

template <class Int>
bool ToInt(const std::string& s, Int& value) {
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, value);
  return ec == std::errc() && p == end;
}

// A move seen with firstMover 1 as seen with firstMover 2, and back: the board turns.
MoveRec Turned(MoveRec m) {
  if (m.dropKind == 0) {
    m.fromFile = 8 - m.fromFile;
    m.fromRank = 8 - m.fromRank;
  }
  m.toFile = 8 - m.toFile;
  m.toRank = 8 - m.toRank;
  return m;
}

MoveRec Seen(const MoveRec& m, int firstMover) {
  return firstMover == 2 ? Turned(m) : m;
}

// The colour to move after n moves from a position with `first` to move.
int ColorAfter(int first, std::size_t n) {
  if (n % 2 == 0) return first;
  return first == UsiPosition::kBlack ? UsiPosition::kWhite : UsiPosition::kBlack;
}

// Finds the move among the side's legal moves; the list must have been analysed for it.
bool IsLegal(const GameState& gs, const MoveRec& m) {
  for (int i = 0; i < gs.moveListCount; ++i) {
    const MoveEntry& e = gs.moveList[i];
    if (e.illegal == 0 && e.move == m) return true;
  }
  return false;
}

}  // namespace

UsiEngine::UsiEngine(std::ostream& out)
    : out_(out),
      base_(UsiStartPosition()),
      scratch_(std::make_unique<GameState>()),
      game_(std::make_unique<GameState>()),
      book_(std::make_unique<OpeningBook>()) {
  ResetGameState(*game_);
}

UsiEngine::~UsiEngine() = default;

void UsiEngine::Run(std::istream& in) {
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!Handle(line)) break;
  }
}

bool UsiEngine::Handle(const std::string& line) {
  const std::vector<std::string> w = Split(line);
  if (w.empty()) return true;
  const std::string& cmd = w[0];
  if (cmd == "quit") return false;
  if (cmd == "usi") {
    CmdUsi();
  } else if (cmd == "isready") {
    book_->path = options_.bookFile;
    out_.flush();
    LoadBook(*book_);
    std::fflush(stdout);
    out_ << "readyok\n";
  } else if (cmd == "setoption") {
    CmdSetOption(w);
  } else if (cmd == "usinewgame") {
    CmdNewGame();
  } else if (cmd == "position") {
    CmdPosition(w);
  } else if (cmd == "go") {
    CmdGo();
  } else if (cmd == "analyze") {
    CmdAnalyze(w);
  } else if (cmd == "eval") {
    CmdEval(w);
  } else if (cmd == "perft") {
    CmdPerft(w);
  } else if (cmd == "bench") {
    CmdBench(w);
  } else if (cmd == "stop" || cmd == "ponderhit" || cmd == "gameover") {
    // The computer never thinks in the background; nothing to stop.
  } else {
    Error("unknown command '" + cmd + "'");
  }
  out_.flush();
  return true;
}

void UsiEngine::CmdUsi() {
  out_ << "id name Shogi Engine\n"
       << "id author the shogi team\n"
       << "option name Level type combo default Normal var Easy var Normal var Hard\n"
       << "option name Book type check default true\n"
       << "option name UseRandom type check default false\n"
       << "option name FixedClock type string default 0\n"
       << "option name BookFile type string default joseki.dat\n"
       << "usiok\n";
}

void UsiEngine::CmdSetOption(const std::vector<std::string>& w) {
  // setoption name <id> [value <x...>]
  if (w.size() < 3 || w[1] != "name") return Error("usage: setoption name <id> [value <x>]");
  std::string name, value;
  std::size_t i = 2;
  for (; i < w.size() && w[i] != "value"; ++i) name += (name.empty() ? "" : " ") + w[i];
  if (i < w.size()) {
    for (++i; i < w.size(); ++i) value += (value.empty() ? "" : " ") + w[i];
  }
  auto boolean = [&](bool& target) {
    if (value == "true")
      target = true;
    else if (value == "false")
      target = false;
    else
      Error("option " + name + " takes true or false");
  };
  if (name == "Level") {
    if (value == "Easy")
      options_.level = 1;
    else if (value == "Normal")
      options_.level = 2;
    else if (value == "Hard")
      options_.level = 3;
    else
      Error("option Level takes Easy, Normal or Hard");
  } else if (name == "Book") {
    boolean(options_.book);
  } else if (name == "UseRandom") {
    boolean(options_.useRandom);
  } else if (name == "FixedClock") {
    int64_t seconds = 0;
    if (!ToInt(value, seconds) || seconds < 0) return Error("option FixedClock takes seconds");
    options_.fixedClock = seconds;
  } else if (name == "BookFile") {
    if (value.empty()) return Error("option BookFile takes a file name");
    options_.bookFile = value;
  } else {
    Error("unknown option '" + name + "'");
  }
}

void UsiEngine::CmdNewGame() {
  base_ = UsiStartPosition();
  moves_.clear();
  ResetGameState(*game_);
  game_->moveReady = 0;
  game_->progressTotal = 0;
  game_->progressDone = 0;
  gameStarted_ = false;
  played_.clear();
}

void UsiEngine::Error(const std::string& what) {
  out_ << "info string error: " << what << "\n";
}

void UsiEngine::CmdPosition(const std::vector<std::string>& w) {
  std::size_t i = 1;
  UsiPosition base;
  if (w.size() >= 2 && w[1] == "startpos") {
    base = UsiStartPosition();
    i = 2;
  } else if (w.size() >= 5 && w[1] == "sfen") {
    std::string why;
    auto parsed = ParseSfen(w[2], w[3], w[4], &why);
    if (!parsed) return Error("bad position: " + why);
    base = *parsed;
    i = 5;
    int moveNumber = 0;
    if (i < w.size() && w[i] != "moves") {
      if (!ToInt(w[i], moveNumber)) return Error("bad position: move number '" + w[i] + "'");
      ++i;
    }
  } else {
    return Error("position needs 'startpos' or 'sfen <board> <side> <hands> [n]'");
  }
  std::vector<MoveRec> moves;
  if (i < w.size()) {
    if (w[i] != "moves") return Error("bad position: expected 'moves', got '" + w[i] + "'");
    ++i;
  }
  // Check every move against the legal moves of its position.
  GameState& gs = *scratch_;
  ResetGameState(gs);
  gs.snapshot[0] = ToInternal(base, 1);
  int side = SideOfColor(1, base.sideToMove);
  for (; i < w.size(); ++i) {
    if (moves.size() >= static_cast<std::size_t>(kMaxMoves))
      return Error("bad position: more than " + std::to_string(kMaxMoves) + " moves");
    auto m = ParseUsiMove(w[i], 1);
    if (!m) return Error("bad position: malformed move '" + w[i] + "'");
    AnalyzeMoves(gs, gs.Current(), side, 0);
    if (!IsLegal(gs, *m)) return Error("bad position: illegal move '" + w[i] + "'");
    CommitMove(gs, *m, side);
    moves.push_back(*m);
    side = Opponent(side);
  }
  base_ = base;
  moves_ = std::move(moves);
}

int UsiEngine::Materialize(GameState& gs, int firstMover) const {
  ResetGameState(gs);
  gs.firstMover = firstMover;
  gs.snapshot[0] = ToInternal(base_, firstMover);
  int side = SideOfColor(firstMover, base_.sideToMove);
  for (const MoveRec& m : moves_) {
    CommitMove(gs, Seen(m, firstMover), side);
    side = Opponent(side);
  }
  return side;
}

void UsiEngine::CatchUp() {
  GameState& gs = *game_;
  const int colorToMove = ColorAfter(base_.sideToMove, moves_.size());
  const int computerColor = gs.firstMover == 2 ? UsiPosition::kBlack : UsiPosition::kWhite;
  bool extends = gameStarted_ && base_ == gameBase_ && played_.size() <= moves_.size() &&
                 colorToMove == computerColor;
  for (std::size_t i = 0; extends && i < played_.size(); ++i) extends = played_[i] == moves_[i];
  if (!extends) {
    // A new game, another start position, another colour or moves taken back: the history
    // is built again from the start position.
    if (gameStarted_ && !(base_ == gameBase_ && colorToMove == computerColor)) ResetGameState(gs);
    gs.firstMover = colorToMove == UsiPosition::kBlack ? 2 : 1;
    gs.snapshot[0] = ToInternal(base_, gs.firstMover);
    gs.moveNumber = 0;
    gameBase_ = base_;
    played_.clear();
    gameStarted_ = true;
  }
  for (std::size_t i = played_.size(); i < moves_.size(); ++i) {
    const int side = SideOfColor(gs.firstMover, ColorAfter(base_.sideToMove, i));
    const MoveRec m = Seen(moves_[i], gs.firstMover);
    const bool committed =
        side == gs.playerSide ? CommitPlayerMove(gs, m) : CommitMove(gs, m, side);
    if (!committed) break;
    played_.push_back(moves_[i]);
  }
}

void UsiEngine::CmdGo() {
  GameState& gs = *game_;
  gs.level = options_.level;
  gs.bookChoice = options_.book ? 0 : 1;
  gs.useRandom = options_.useRandom ? 1 : 0;
  gs.fixedClock = options_.fixedClock;
  book_->path = options_.bookFile;
  CatchUp();
  auto report = [&] {
    out_ << "info string phase " << gs.gamePhase << " opening " << gs.openingType << " result "
         << gs.gameResult << " base " << gs.baseScore << "\n";
  };
  if (gs.moveNumber >= kMaxMoves || played_.size() < moves_.size()) {
    report();
    out_ << "bestmove resign\n";
    return;
  }
  gs.moveReady = 0;
  std::thread worker = StartComputerMove(gs, *book_);
  int shownDone = -1, shownTotal = -1;
  while (gs.moveReady.load(std::memory_order_acquire) == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int done = gs.progressDone.load(std::memory_order_relaxed);
    const int total = gs.progressTotal.load(std::memory_order_relaxed);
    if (total > 1 && (done != shownDone || total != shownTotal)) {
      out_ << "info string progress " << done << "/" << total << "\n";
      out_.flush();
      shownDone = done;
      shownTotal = total;
    }
  }
  worker.join();
  gs.moveReady = 0;
  report();
  if (gs.gameResult == 1) {
    gs.moveNumber -= 1;  // the computer made no move
    out_ << "bestmove resign\n";
    return;
  }
  const MoveRec move = gs.moveRec[gs.moveNumber];
  MoveRec seen = Seen(move, gs.firstMover);
  if (seen.dropKind > 0) seen.fromFile = seen.fromRank = 0;  // a drop's origin is no square
  played_.push_back(seen);
  out_ << "bestmove " << MoveToUsi(move, gs.firstMover) << "\n";
}

void UsiEngine::CmdAnalyze(const std::vector<std::string>& w) {
  // analyze computer <b|w> ply <n> phase <p> level <l> [ck <n>] [pk <n>]
  static const char* kUsage =
      "usage: analyze computer <b|w> ply <n> phase <p> level <l> [ck <n>] [pk <n>]";
  if (w.size() < 9 || w[1] != "computer" || (w[2] != "b" && w[2] != "w") || w[3] != "ply" ||
      w[5] != "phase" || w[7] != "level")
    return Error(kUsage);
  int ply = 0, phase = 0, level = 0, ck = 0, pk = 0;
  if (!ToInt(w[4], ply) || !ToInt(w[6], phase) || !ToInt(w[8], level)) return Error(kUsage);
  for (std::size_t i = 9; i < w.size(); i += 2) {
    if (i + 1 >= w.size()) return Error(kUsage);
    int* target = w[i] == "ck" ? &ck : w[i] == "pk" ? &pk : nullptr;
    if (!target || !ToInt(w[i + 1], *target)) return Error(kUsage);
  }
  const int firstMover = w[2] == "b" ? 2 : 1;
  GameState& gs = *scratch_;
  const int side = Materialize(gs, firstMover);
  gs.gamePhase = phase;
  gs.level = level;
  gs.computerKingScore = ck;
  gs.playerKingScore = pk;
  AnalyzeMoves(gs, gs.Current(), side, ply);
  std::ostringstream s;
  for (int i = 0; i < gs.moveListCount; ++i) {
    const MoveEntry& e = gs.moveList[i];
    const MoveRec& m = e.move;
    s << "move " << MoveToUsi(m, firstMover) << ' ' << m.fromFile << ' ' << m.fromRank << ' '
      << m.toFile << ' ' << m.toRank << ' ' << m.promote << ' ' << m.dropKind << " value "
      << e.value << " support " << e.supportBalance << " illegal " << e.illegal << " gains";
    for (int g : e.gains) {
      if (g == 0) break;
      s << ' ' << g;
    }
    s << '\n';
  }
  s << "count " << gs.moveListCount << '\n';
  out_ << s.str();
}

void UsiEngine::CmdEval(const std::vector<std::string>& w) {
  // eval computer <b|w> side <player|computer> phase <p>
  static const char* kUsage = "usage: eval computer <b|w> side <player|computer> phase <p>";
  int phase = 0;
  if (w.size() != 7 || w[1] != "computer" || (w[2] != "b" && w[2] != "w") || w[3] != "side" ||
      (w[4] != "player" && w[4] != "computer") || w[5] != "phase" || !ToInt(w[6], phase) ||
      phase < 0 || phase > 8)
    return Error(kUsage);
  GameState& gs = *scratch_;
  Materialize(gs, w[2] == "b" ? 2 : 1);
  gs.gamePhase = phase;
  gs.useRandom = 0;
  out_ << "eval " << Evaluate(gs, gs.Current(), w[4] == "player" ? gs.playerSide : gs.computerSide)
       << "\n";
}

void UsiEngine::CmdBench(const std::vector<std::string>& w) {
  // bench [level [count]]
  int level = 2, count = 0;
  if (w.size() > 3 || (w.size() > 1 && (!ToInt(w[1], level) || level < 0 || level > 3)) ||
      (w.size() > 2 && (!ToInt(w[2], count) || count < 0)))
    return Error("usage: bench [level 0..3 [count]]");
  out_.flush();
  const BenchResult r = RunBench(level, count, options_.bookFile);
  std::fflush(stdout);
  if (!r.bookLoaded)
    return Error("bench needs the opening book: cannot open '" + options_.bookFile + "'");
  for (std::size_t i = 0; i < r.thinks.size(); ++i) {
    const BenchThink& t = r.thinks[i];
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f", t.milliseconds);
    out_ << "bench " << i + 1 << " move " << t.moveNumber << " " << t.move << " phase " << t.phase
         << " opening " << t.openingType << " " << ms << " ms\n";
  }
  const uint64_t calls = r.analyzeCalls + r.evasionCalls + r.evaluateCalls;
  char line[256];
  std::snprintf(line, sizeof line,
                "bench level %d thinks %zu analyze %" PRIu64 " evasions %" PRIu64
                " evaluate %" PRIu64 " seconds %.3f calls/s %.0f signature %016" PRIx64 "\n",
                level, r.thinks.size(), r.analyzeCalls, r.evasionCalls, r.evaluateCalls, r.seconds,
                r.seconds > 0 ? static_cast<double>(calls) / r.seconds : 0.0, r.signature);
  out_ << line;
}

void UsiEngine::CmdPerft(const std::vector<std::string>& w) {
  int depth = 0;
  if (w.size() != 2 || !ToInt(w[1], depth) || depth < 0 || depth > 8)
    return Error("usage: perft <depth 0..8>");
  GameState& gs = *scratch_;
  const int side = Materialize(gs, 1);
  gs.gamePhase = 0;
  gs.level = 1;
  out_ << "perft " << Perft(gs, gs.Current(), side, depth) << '\n';
}

}  // namespace shogi
