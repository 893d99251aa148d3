#include "shogi/engine/usi.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>

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

bool ToInt(const std::string& s, int& value) {
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, value);
  return ec == std::errc() && p == end;
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
    : out_(out), base_(UsiStartPosition()), scratch_(std::make_unique<GameState>()) {}

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
    out_ << "readyok\n";
  } else if (cmd == "usinewgame") {
    base_ = UsiStartPosition();
    moves_.clear();
  } else if (cmd == "position") {
    CmdPosition(w);
  } else if (cmd == "analyze") {
    CmdAnalyze(w);
  } else if (cmd == "perft") {
    CmdPerft(w);
  } else if (cmd == "setoption" || cmd == "stop" || cmd == "ponderhit" || cmd == "gameover") {
    // Accepted; nothing to do yet.
  } else {
    Error("unknown command '" + cmd + "'");
  }
  out_.flush();
  return true;
}

void UsiEngine::CmdUsi() {
  out_ << "id name Shogi Engine\n"
       << "id author the shogi team\n"
       << "usiok\n";
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
  for (const MoveRec& m1 : moves_) {
    // Moves are kept as seen with firstMover 1; the board turns for firstMover 2.
    MoveRec m = m1;
    if (firstMover == 2) {
      if (m.dropKind == 0) {
        m.fromFile = 8 - m.fromFile;
        m.fromRank = 8 - m.fromRank;
      }
      m.toFile = 8 - m.toFile;
      m.toRank = 8 - m.toRank;
    }
    CommitMove(gs, m, side);
    side = Opponent(side);
  }
  return side;
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
