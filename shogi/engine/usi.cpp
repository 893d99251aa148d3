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
#include "shogi/engine/book_file.h"
#include "shogi/engine/clock.h"
#include "shogi/engine/deep_search.h"
#include "shogi/engine/evaluate.h"
#include "shogi/engine/think.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/legality.h"
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

}  // namespace

UsiEngine::UsiEngine(std::ostream& out)
    : out_(out),
      base_(UsiStartPosition()),
      scratch_(std::make_unique<GameState>()),
      game_(std::make_unique<GameHistory>()),
      book_(std::make_unique<OpeningBook>()),
      computer_(std::make_unique<ComputerPlayer>(*book_)),
      solver_(std::make_unique<ComputerPlayer>(*book_)) {
  ResetGame();
}

void UsiEngine::ResetGame() {
  ResetHistory(*game_);
  computer_->NewGame();
}

UsiEngine::~UsiEngine() = default;

void CommandQueue::Push(std::string line) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
  }
  ready_.notify_one();
}

void CommandQueue::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  ready_.notify_one();
}

CommandQueue::Status CommandQueue::Pop(std::string& line, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  ready_.wait_for(lock, timeout, [this] { return !lines_.empty() || closed_; });
  if (!lines_.empty()) {
    line = std::move(lines_.front());
    lines_.pop_front();
    return Status::kLine;
  }
  return closed_ ? Status::kClosed : Status::kTimeout;
}

void UsiEngine::Run(std::istream& in) {
  CommandQueue commands;
  // Only this thread writes the output: reading must not flush it (std::cin is tied to
  // std::cout), or the reader and the engine would write at the same time.
  std::ostream* const tied = in.tie(nullptr);
  // The reader stops after "quit" so that it can be joined at once.
  std::thread reader([&] {
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const bool quit = Split(line) == std::vector<std::string>{"quit"};
      commands.Push(std::move(line));
      if (quit) break;
    }
    commands.Close();
  });
  Serve(commands);
  reader.join();
  in.tie(tied);
}

void UsiEngine::Serve(CommandQueue& commands) {
  commands_ = &commands;
  quit_ = false;
  while (true) {
    std::string line;
    if (!deferred_.empty()) {
      line = std::move(deferred_.front());
      deferred_.pop_front();
    } else {
      const auto status = commands.Pop(line, std::chrono::hours(1));
      if (status == CommandQueue::Status::kClosed) break;
      if (status == CommandQueue::Status::kTimeout) continue;
    }
    if (!Handle(line)) break;
  }
  commands_ = nullptr;
}

bool UsiEngine::Handle(const std::string& line) {
  const std::vector<std::string> w = Split(line);
  if (w.empty()) return true;
  const std::string& cmd = w[0];
  if (cmd == "quit") return false;
  if (cmd == "usi") {
    CmdUsi();
  } else if (cmd == "isready") {
    book_->path = FindBookFile(options_.bookFile);
    book_->printFailure = false;
    std::string why;
    LoadBook(*book_, &why);
    bookErrorShown_.clear();
    if (!why.empty()) {
      Error(why);
      bookErrorShown_ = book_->path;
    }
    ReportBookFailure();
    out_ << "readyok\n";
  } else if (cmd == "setoption") {
    CmdSetOption(w);
  } else if (cmd == "usinewgame") {
    CmdNewGame();
  } else if (cmd == "position") {
    CmdPosition(w);
  } else if (cmd == "go") {
    CmdGo(w);
  } else if (cmd == "analyze") {
    CmdAnalyze(w);
  } else if (cmd == "eval") {
    CmdEval(w);
  } else if (cmd == "perft") {
    CmdPerft(w);
  } else if (cmd == "bench") {
    CmdBench(w);
  } else if (cmd == "stop" || cmd == "ponderhit" || cmd == "gameover") {
    // No think is under way (a think handles these itself); nothing to stop.
  } else {
    Error("unknown command '" + cmd + "'");
  }
  out_.flush();
  return !quit_;
}

void UsiEngine::ReportBookFailure() {
  if (book_->opened || bookErrorShown_ == book_->path) return;
  Error("cannot open book file " + book_->path);
  bookErrorShown_ = book_->path;
}

void UsiEngine::CmdUsi() {
  out_ << "id name Shogi Engine\n"
       << "id author the shogi team\n"
       << "option name Level type combo default Normal var Easy var Normal var Hard\n"
       << "option name Book type check default true\n"
       << "option name UseRandom type check default false\n"
       << "option name FixedClock type spin default 0 min 0 max 2147483647\n"
       << "option name MoveOverhead type spin default 100 min 0 max 10000\n"
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
    if (!ToInt(value, seconds) || seconds < 0 || seconds > 2147483647)
      return Error("option FixedClock takes seconds, 0 to 2147483647");
    options_.fixedClock = seconds;
  } else if (name == "MoveOverhead") {
    int ms = 0;
    if (!ToInt(value, ms) || ms < 0 || ms > 10000)
      return Error("option MoveOverhead takes milliseconds, 0 to 10000");
    options_.moveOverhead = ms;
  } else if (name == "USI_Hash" || name == "USI_Ponder") {
    // Accepted: the engine's memory is fixed, and it ponders whenever it is told to.
  } else if (name == "BookFile") {
    if (value.empty()) return Error("option BookFile takes a file name");
    options_.bookFile = value;
  } else {
    Error("unknown option '" + name + "'");
  }
}

void UsiEngine::CmdNewGame() {
  base_ = UsiStartPosition();
  baseMovesBefore_ = 0;
  moves_.clear();
  ResetGame();
  gameStarted_ = false;
  played_.clear();
}

void UsiEngine::Error(const std::string& what) {
  out_ << "info string error: " << what << "\n";
}

void UsiEngine::CmdPosition(const std::vector<std::string>& w) {
  // Whatever came before, a refused line leaves no position to play: go resigns until a line
  // is accepted (the extension commands keep the last accepted position).
  refused_ = true;
  std::size_t i = 1;
  UsiPosition base;
  int movesBefore = 0;
  if (w.size() >= 2 && w[1] == "startpos") {
    base = UsiStartPosition();
    i = 2;
  } else if (w.size() >= 5 && w[1] == "sfen") {
    std::string why;
    auto parsed = ParseSfen(w[2], w[3], w[4], &why);
    if (!parsed) return Error("bad position: " + why);
    base = *parsed;
    i = 5;
    if (i < w.size() && w[i] != "moves") {
      // The position is move n - 1 of its game.
      int moveNumber = 0;
      if (!ToInt(w[i], moveNumber) || moveNumber < 1 || moveNumber > kMaxGameMoveNumber)
        return Error("bad position: move number '" + w[i] + "'");
      movesBefore = moveNumber - 1;
      ++i;
    }
  } else {
    return Error("position needs 'startpos' or 'sfen <board> <side> <hands> [n]'");
  }
  if (i < w.size()) {
    if (w[i] != "moves") return Error("bad position: expected 'moves', got '" + w[i] + "'");
    ++i;
  }
  Position pos = ToInternal(base, 1);
  int side = SideOfColor(1, base.sideToMove);
  if (const std::string fault = PositionFault(pos, side); !fault.empty())
    return Error("bad position: " + fault);
  // Every move must be legal shogi in its position.
  std::vector<MoveRec> moves;
  for (; i < w.size(); ++i) {
    auto m = ParseUsiMove(w[i], 1);
    if (!m) return Error("bad position: malformed move '" + w[i] + "'");
    if (!IsLegalMove(pos, side, *m))
      return Error("bad position: illegal move '" + w[i] + "' (move " +
                   std::to_string(movesBefore + moves.size() + 1) + ")");
    ApplyMove(pos, *m, side);
    moves.push_back(*m);
    side = Opponent(side);
  }
  base_ = base;
  baseMovesBefore_ = movesBefore;
  moves_ = std::move(moves);
  refused_ = false;
}

int UsiEngine::Materialize(GameState& gs, int firstMover) const {
  ResetGameState(gs);
  gs.firstMover = firstMover;
  gs.snapshot[0] = ToInternal(base_, firstMover);
  gs.movesBefore = baseMovesBefore_;
  int side = SideOfColor(firstMover, base_.sideToMove);
  for (const MoveRec& m : moves_) {
    MakeRoom(gs);
    CommitMove(gs, Seen(m, firstMover), side);
    side = Opponent(side);
  }
  return side;
}

void UsiEngine::MakeRoom(GameHistory& game) {
  // Two at a time, so that every move number keeps its side.
  if (game.moveNumber >= kMaxMoves) DropOldestMoves(game, 2);
}

void UsiEngine::CatchUp() {
  GameHistory& gs = *game_;
  const int colorToMove = ColorAfter(base_.sideToMove, moves_.size());
  const int computerColor = gs.firstMover == 2 ? UsiPosition::kBlack : UsiPosition::kWhite;
  const bool sameStart = base_ == gameBase_ && baseMovesBefore_ == gameMovesBefore_;
  bool extends =
      gameStarted_ && sameStart && played_.size() <= moves_.size() && colorToMove == computerColor;
  for (std::size_t i = 0; extends && i < played_.size(); ++i) extends = played_[i] == moves_[i];
  if (!extends) {
    // A new game, another start position, another colour or moves taken back: the history
    // is built again from the start position.
    if (gameStarted_ && !(sameStart && colorToMove == computerColor)) ResetGame();
    gs.firstMover = colorToMove == UsiPosition::kBlack ? 2 : 1;
    gs.snapshot[0] = ToInternal(base_, gs.firstMover);
    gs.moveNumber = 0;
    gs.movesBefore = baseMovesBefore_;
    gameBase_ = base_;
    gameMovesBefore_ = baseMovesBefore_;
    played_.clear();
    gameStarted_ = true;
  }
  for (std::size_t i = played_.size(); i < moves_.size(); ++i) {
    const int side = SideOfColor(gs.firstMover, ColorAfter(base_.sideToMove, i));
    const MoveRec m = Seen(moves_[i], gs.firstMover);
    MakeRoom(gs);
    const bool committed = side == gs.playerSide ? CommitPlayerMove(gs, computer_->Scratch(), m)
                                                 : CommitMove(gs, m, side);
    if (!committed) break;
    played_.push_back(moves_[i]);
  }
  MakeRoom(gs);  // for the computer's own move
}

namespace {

// Parses "go [ponder] [infinite] [btime t] [wtime t] [binc t] [winc t] [byoyomi t]
// [movetime t] [mate <t|infinite>] [depth n] [nodes n]"; times in milliseconds.
bool ParseGo(const std::vector<std::string>& w, UsiGo& go) {
  for (std::size_t i = 1; i < w.size(); ++i) {
    const std::string& key = w[i];
    if (key == "ponder") {
      go.ponder = true;
      continue;
    }
    if (key == "infinite") {
      go.infinite = true;
      continue;
    }
    if (i + 1 >= w.size()) return false;
    const std::string& value = w[++i];
    if (key == "mate") {
      go.mate = true;
      if (value == "infinite") continue;
      if (!ToInt(value, go.mateMs) || go.mateMs < 0) return false;
      continue;
    }
    int64_t t = 0;
    if (!ToInt(value, t) || t < 0) return false;
    if (key == "btime")
      go.time[0] = t;
    else if (key == "wtime")
      go.time[1] = t;
    else if (key == "binc")
      go.inc[0] = t;
    else if (key == "winc")
      go.inc[1] = t;
    else if (key == "byoyomi")
      go.byoyomi = t;
    else if (key == "movetime")
      go.movetime = t;
    else if (key != "depth" && key != "nodes")  // accepted; the level sets the depth
      return false;
  }
  return true;
}

// The share of the remaining main time spent on one move.
constexpr int64_t kMainTimeShare = 20;

}  // namespace

int64_t UsiTimeBudget(const UsiGo& go, bool black, int64_t overhead) {
  if (go.movetime >= 0) return std::max<int64_t>(0, go.movetime - overhead);
  const int c = black ? 0 : 1;
  const int64_t main = go.time[c];
  if (main < 0 && go.byoyomi == 0 && go.inc[c] == 0) return -1;  // no time fields: no limit
  const int64_t left = std::max<int64_t>(0, main);
  // Never more than the clock holds now: an increment may only be added after the move.
  const int64_t budget =
      std::min(go.byoyomi + go.inc[c] + left / kMainTimeShare, left + go.byoyomi) - overhead;
  return std::max<int64_t>(0, budget);
}

bool UsiEngine::AwaitThink(ComputerPlayer& player, bool hold, bool ponder, int64_t ponderBudget) {
  if (!commands_) hold = false;  // nobody could release it
  bool answer = true;
  int shownDone = -1, shownTotal = -1;
  auto stop = [&] {
    player.Stop();
    hold = false;
  };
  while (hold || !player.Ready()) {
    std::string line;
    CommandQueue::Status status = CommandQueue::Status::kTimeout;
    if (commands_)
      status = commands_->Pop(line, std::chrono::milliseconds(2));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (status == CommandQueue::Status::kClosed) {  // the input ended: as quit
      stop();
      quit_ = true;
      answer = false;
    } else if (status == CommandQueue::Status::kLine) {
      const std::vector<std::string> w = Split(line);
      const std::string cmd = w.empty() ? "" : w[0];
      if (cmd == "stop") {
        stop();
      } else if (cmd == "ponderhit") {
        if (ponder) {  // from now on a normal think on the clock
          ponder = false;
          hold = false;
          if (ponderBudget >= 0) player.SetDeadline(SteadyNanos() + ponderBudget * 1000000);
        }
      } else if (cmd == "quit") {
        stop();
        quit_ = true;
        answer = false;
      } else if (cmd == "gameover") {
        stop();
        answer = false;
      } else if (cmd == "isready") {
        out_ << "readyok\n";
        out_.flush();
      } else if (!cmd.empty()) {
        // Anything else waits for the think; a think that waits for stop ends now.
        deferred_.push_back(line);
        if (hold) stop();
      }
    }
    const auto [done, total] = player.CurrentProgress();
    if (total > 1 && (done != shownDone || total != shownTotal)) {
      out_ << "info string progress " << done << "/" << total << "\n";
      out_.flush();
      shownDone = done;
      shownTotal = total;
    }
  }
  return answer;
}

void UsiEngine::CmdGo(const std::vector<std::string>& w) {
  const int64_t start = SteadyNanos();
  UsiGo go;
  if (!ParseGo(w, go))
    return Error(
        "usage: go [ponder] [infinite] [btime t] [wtime t] [binc t] [winc t] [byoyomi t] "
        "[movetime t] [mate <t|infinite>]");
  if (go.mate) return CmdGoMate(go, start);
  GameHistory& gs = *game_;
  gs.level = options_.level;
  gs.bookChoice = options_.book ? 0 : 1;
  gs.useRandom = options_.useRandom ? 1 : 0;
  gs.fixedClock = options_.fixedClock;
  book_->path = FindBookFile(options_.bookFile);
  book_->printFailure = false;
  if (refused_) {
    Error("no position to play: the last position line was refused");
    out_ << "bestmove resign\n";
    return;
  }
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
  const int64_t budget =
      UsiTimeBudget(go, ColorAfter(base_.sideToMove, moves_.size()) == UsiPosition::kBlack,
                    options_.moveOverhead);
  const bool hold = go.ponder || go.infinite;
  auto work = [this] {
    const AnalysisScratch& sc = computer_->Scratch();
    return sc.analyzeCalls + sc.evasionCalls + sc.evaluateCalls;
  };
  const uint64_t work0 = work();
  computer_->Start(gs, budget >= 0 && !hold ? start + budget * 1000000 : 0);
  const bool answer = AwaitThink(*computer_, hold, go.ponder, go.infinite ? -1 : budget);
  const ThinkResult think = computer_->Wait();
  const bool earlyMove = GameMoveNumber(gs) + 1 < 3;
  CommitComputerMove(gs, think);
  if (earlyMove) ReportBookFailure();

  // Progress for the GUI: the search's depth, its work, the value for the engine, its line.
  const int64_t ms = (SteadyNanos() - start) / 1000000;
  const uint64_t nodes = work() - work0;
  const int result = think.gameResult;
  std::ostringstream info;
  info << "info depth " << std::max(1, static_cast<int>(think.depth)) << " seldepth "
       << std::max(1, static_cast<int>(think.depth)) << " nodes " << nodes << " time " << ms
       << " nps " << nodes * 1000 / static_cast<uint64_t>(std::max<int64_t>(1, ms));
  if (result >= kResultMateNow)  // the plies of the mate; a mate at once is one ply
    info << " score mate " << (result == kResultMateNow ? 1 : result);
  else
    info << " score cp " << (result == kResultComputerResigns ? -kWinScore : think.score);
  if (result != kResultComputerResigns && think.lineLength > 0) {
    info << " pv";
    for (int i = 0; i < think.lineLength; ++i)
      info << ' ' << MoveToUsi(think.line[i], gs.firstMover);
  }
  if (answer) {
    out_ << info.str() << "\n";
    report();
  }
  if (result == kResultComputerResigns) {  // the computer made no move
    if (answer) out_ << "bestmove resign\n";
    return;
  }
  const MoveRec move = think.move;
  MoveRec seen = Seen(move, gs.firstMover);
  if (seen.dropKind > 0) seen.fromFile = seen.fromRank = 0;  // a drop's origin is no square
  played_.push_back(seen);
  if (answer) out_ << "bestmove " << MoveToUsi(move, gs.firstMover) << "\n";
}

void UsiEngine::CmdGoMate(const UsiGo& go, int64_t start) {
  if (refused_) {
    Error("no position to solve: the last position line was refused");
    out_ << "checkmate nomate\n";
    return;
  }
  // The side to move plays the computer's part: the computer is black with firstMover 2.
  const int color = ColorAfter(base_.sideToMove, moves_.size());
  const int firstMover = color == UsiPosition::kBlack ? 2 : 1;
  GameState& gs = *scratch_;
  Materialize(gs, firstMover);
  const Position position = gs.Current();
  ResetHistory(gs);
  gs.firstMover = firstMover;
  gs.snapshot[0] = position;
  gs.level = options_.level;
  solver_->NewGame();
  solver_->StartMateSearch(gs, go.mateMs >= 0 ? start + go.mateMs * 1000000 : 0);
  const bool answer = AwaitThink(*solver_, false, false, -1);
  const ThinkResult think = solver_->Wait();
  const int found = think.depth;
  const std::vector<MoveRec> line(think.line.begin(), think.line.begin() + think.lineLength);
  if (!answer) return;
  if (found < 0) {
    out_ << "checkmate timeout\n";
  } else if (found == 0) {
    out_ << "checkmate nomate\n";
  } else {
    out_ << "checkmate";
    for (const MoveRec& m : line) out_ << ' ' << MoveToUsi(m, firstMover);
    out_ << "\n";
  }
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
