// Compares the moves left legal by the analysis with an independent shogi implementation
// (fairy-stockfish, from Debian) on positions reached in play, and checks the move counts of
// standard shogi from the start position.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/rules/analyze.h"
#include "shogi/rules/attacks.h"
#include "shogi/rules/notation.h"
#include "shogi/rules/perft.h"

namespace shogi {
namespace {

constexpr const char* kReference = "/usr/games/fairy-stockfish";

// Small deterministic generator (the same sequence on every platform).
struct Rng {
  uint64_t s;
  uint32_t Next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(s >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
};

struct Sample {
  UsiPosition pos;
  int checks = 0;  // number of pieces giving check
};

int CountCheckers(GameState& gs, const Position& pos, int side) {
  int king = -1;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side && pos.KindAt(f, r) == kKing) king = Sq(f, r);
  int n = 0;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == Opponent(side)) {
        bool hits = false;
        ForEachReach(pos, Opponent(side), f, r, [&](int sq) { hits |= sq == king; });
        n += hits;
      }
  (void)gs;
  return n;
}

std::vector<MoveRec> LegalMoves(GameState& gs, const Position& pos, int side) {
  AnalyzeMoves(gs, pos, side, 0);
  std::vector<MoveRec> moves;
  for (int i = 0; i < gs.moveListCount; ++i)
    if (gs.moveList[i].illegal == 0) moves.push_back(gs.moveList[i].move);
  return moves;
}

// Plays seeded random games, preferring captures, drops and checks now and then, and keeps
// the positions along the way.
std::vector<Sample> PlayedPositions(int wanted) {
  auto gs = std::make_unique<GameState>();
  std::vector<Sample> out;
  Rng rng{12345};
  while (static_cast<int>(out.size()) < wanted) {
    Position pos = StartPosition();
    int side = kPlayerSide;
    for (int ply = 0; ply < 160; ++ply) {
      const std::vector<MoveRec> moves = LegalMoves(*gs, pos, side);
      if (moves.empty()) break;
      if (ply >= 6 && rng.Below(3) == 0) {
        Sample s;
        s.pos =
            FromInternal(pos, 1, side == kPlayerSide ? UsiPosition::kBlack : UsiPosition::kWhite);
        s.checks = CountCheckers(*gs, pos, side);
        out.push_back(s);
      }
      std::vector<MoveRec> pool;
      const int mode = rng.Below(10);
      for (const MoveRec& m : moves) {
        const bool capture = m.dropKind == 0 && pos.Owner(m.toFile, m.toRank) != 0;
        if ((mode < 4 && capture) || (mode >= 4 && mode < 6 && m.dropKind > 0) ||
            (mode == 6 && m.promote == 1))
          pool.push_back(m);
      }
      const std::vector<MoveRec>& from = pool.empty() ? moves : pool;
      ApplyMove(pos, from[rng.Below(static_cast<int>(from.size()))], side);
      side = Opponent(side);
    }
  }
  return out;
}

// Runs the reference program once over all positions; returns its legal moves per position.
std::vector<std::set<std::string>> ReferenceMoves(const std::vector<Sample>& samples) {
  const std::string input = testing::TempDir() + "reference_input.txt";
  {
    std::ofstream in(input);
    in << "usi\nsetoption name UCI_Variant value shogi\nisready\n";
    for (const Sample& s : samples) in << "position sfen " << ToSfen(s.pos) << " 1\ngo perft 1\n";
    in << "quit\n";
  }
  std::vector<std::set<std::string>> result;
  FILE* p = popen((std::string(kReference) + " < " + input).c_str(), "r");
  if (!p) return result;
  std::set<std::string> current;
  char buf[512];
  while (fgets(buf, sizeof buf, p)) {
    std::string line(buf);
    if (line.rfind("Nodes searched", 0) == 0) {
      result.push_back(current);
      current.clear();
      continue;
    }
    const auto colon = line.find(": ");
    if (colon != std::string::npos && colon >= 4 && colon <= 5 && line.find(' ') == colon + 1)
      current.insert(line.substr(0, colon));
  }
  pclose(p);
  return result;
}

TEST(Reference, LegalMovesMatchAnIndependentImplementation) {
  if (FILE* f = fopen(kReference, "r"))
    fclose(f);
  else
    FAIL() << kReference << " is missing (scripts/setup.sh installs fairy-stockfish)";

  const std::vector<Sample> samples = PlayedPositions(400);
  const auto reference = ReferenceMoves(samples);
  ASSERT_EQ(reference.size(), samples.size());

  auto gs = std::make_unique<GameState>();
  int inCheck = 0, doubleChecks = 0, withHands = 0, pinnedSeen = 0, promotionsSeen = 0;
  int nonPromotionsMissing = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    const std::string sfen = ToSfen(s.pos);
    inCheck += s.checks > 0;
    doubleChecks += s.checks > 1;
    bool hand = false;
    for (int c = 1; c <= 2; ++c)
      for (int k = 1; k <= 7; ++k) hand |= s.pos.hand[c][k] > 0;
    withHands += hand;

    // Both mirror variants of the analysis must agree with the reference.
    std::set<std::string> ours[3];
    for (int firstMover = 1; firstMover <= 2; ++firstMover) {
      const Position pos = ToInternal(s.pos, firstMover);
      const int side = SideOfColor(firstMover, s.pos.sideToMove);
      AnalyzeMoves(*gs, pos, side, 0);
      for (int j = 0; j < gs->moveListCount; ++j) {
        const MoveEntry& e = gs->moveList[j];
        if (e.illegal == 0) ours[firstMover].insert(MoveToUsi(e.move, firstMover));
        if (e.illegal == 1 && e.move.dropKind == 0 &&
            pos.KindAt(e.move.fromFile, e.move.fromRank) != kKing && s.checks == 0)
          ++pinnedSeen;
        promotionsSeen += e.illegal == 0 && e.move.promote == 1;
      }
    }
    ASSERT_EQ(ours[1], ours[2]) << sfen;

    const Position pos = ToInternal(s.pos, 1);
    const int side = SideOfColor(1, s.pos.sideToMove);
    for (const std::string& m : reference[i]) {
      if (ours[1].count(m)) continue;
      // Allowed: the non-promoting choice of a pawn, bishop or rook, and of a lance stopping
      // on the second-to-last rank, where the game has only the promoting entry.
      ASSERT_TRUE(ours[1].count(m + "+")) << "missing legal move " << m << " in " << sfen;
      auto mv = ParseUsiMove(m, 1);
      ASSERT_TRUE(mv);
      const int kind = pos.KindAt(mv->fromFile, mv->fromRank);
      const bool lanceSecondLast =
          kind == kLance && (side == kPlayerSide ? mv->toRank == 1 : mv->toRank == 7);
      EXPECT_TRUE(kind == kPawn || kind == kBishop || kind == kRook || lanceSecondLast)
          << "missing non-promotion " << m << " in " << sfen;
      ++nonPromotionsMissing;
    }
    for (const std::string& m : ours[1])
      EXPECT_TRUE(reference[i].count(m)) << "move " << m << " is not legal in " << sfen;
  }
  // The sample must cover the interesting cases.
  EXPECT_GE(samples.size(), 300u);
  EXPECT_GE(inCheck, 20);
  EXPECT_GE(withHands, 150);
  EXPECT_GE(pinnedSeen, 10);
  EXPECT_GE(promotionsSeen, 50);
  EXPECT_GT(nonPromotionsMissing, 0);
  RecordProperty("positions", static_cast<int>(samples.size()));
  RecordProperty("in_check", inCheck);
  RecordProperty("double_checks", doubleChecks);
}

// Counts the standard shogi tree: the game's legal moves plus the non-promoting choices the
// game leaves out (pawn, bishop, rook anywhere they may stay unpromoted; lance on the
// second-to-last rank).
uint64_t StandardPerft(GameState& gs, const Position& pos, int side, int depth) {
  AnalyzeMoves(gs, pos, side, 0);
  std::vector<MoveRec> moves;
  for (int i = 0; i < gs.moveListCount; ++i) {
    const MoveEntry& e = gs.moveList[i];
    if (e.illegal != 0) continue;
    moves.push_back(e.move);
    const MoveRec& m = e.move;
    if (m.promote != 1 || m.dropKind != 0) continue;
    const int kind = pos.KindAt(m.fromFile, m.fromRank);
    const bool lastRank = side == kPlayerSide ? m.toRank == 0 : m.toRank == 8;
    const bool secondLast = side == kPlayerSide ? m.toRank == 1 : m.toRank == 7;
    if (kind == kBishop || kind == kRook || (kind == kPawn && !lastRank) ||
        (kind == kLance && secondLast)) {
      MoveRec plain = m;
      plain.promote = 0;
      moves.push_back(plain);
    }
  }
  if (depth == 1) return moves.size();
  uint64_t n = 0;
  for (const MoveRec& m : moves) {
    Position next = pos;
    ApplyMove(next, m, side);
    n += StandardPerft(gs, next, Opponent(side), depth - 1);
  }
  return n;
}

TEST(Reference, PerftFromTheStart) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  const Position start = gs->snapshot[0];
  const uint64_t game[] = {30, 900, 25440, 718565};
  const uint64_t standard[] = {30, 900, 25470, 719731};
  for (int d = 1; d <= 4; ++d) {
    EXPECT_EQ(Perft(*gs, start, kPlayerSide, d), game[d - 1]) << "depth " << d;
    EXPECT_EQ(StandardPerft(*gs, start, kPlayerSide, d), standard[d - 1]) << "depth " << d;
  }
  // The computer's mirror variant counts the same tree.
  Position turned;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (start.Owner(f, r))
        turned.Set(8 - f, 8 - r, Opponent(start.Owner(f, r)), start.KindAt(f, r));
  EXPECT_EQ(Perft(*gs, turned, kComputerSide, 3), 25440u);
}

}  // namespace
}  // namespace shogi
