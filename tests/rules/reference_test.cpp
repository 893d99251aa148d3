// Compares the moves left legal by the analysis, and the legality check of real shogi, with an
// independent shogi implementation (fairy-stockfish, from Debian) on positions reached in play,
// and checks the move counts of standard shogi from the start position.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/rules/analyze.h"
#include "shogi/rules/attacks.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"
#include "shogi/rules/perft.h"
#include "tests/rules/test_util.h"

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

std::vector<MoveRec> AnalysedMoves(GameState& gs, const Position& pos, int side) {
  AnalyzeMoves(gs, pos, side, 0);
  std::vector<MoveRec> moves;
  for (int i = 0; i < gs.moveListCount; ++i)
    if (gs.moveList[i].illegal == 0) moves.push_back(gs.moveList[i].move);
  return moves;
}

bool HasHand(const Sample& s) {
  for (int c = 1; c <= 2; ++c)
    for (int k = 1; k <= 7; ++k)
      if (s.pos.hand[c][k] > 0) return true;
  return false;
}

Sample MakeSample(const Position& pos, int side) {
  Sample s;
  s.pos = FromInternal(pos, 1, side == kPlayerSide ? UsiPosition::kBlack : UsiPosition::kWhite);
  s.checks = CheckerCount(pos, side);
  return s;
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
      const std::vector<MoveRec> moves = AnalysedMoves(*gs, pos, side);
      if (moves.empty()) break;
      if (ply >= 6 && rng.Below(3) == 0) out.push_back(MakeSample(pos, side));
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

// Runs the reference program once over all positions (the arguments of `position` lines);
// returns its legal moves per position.
std::vector<std::set<std::string>> ReferenceMoves(const std::vector<std::string>& positions) {
  const std::string input = testing::TempDir() + "reference_input.txt";
  {
    std::ofstream in(input);
    in << "usi\nsetoption name UCI_Variant value shogi\nisready\n";
    for (const std::string& s : positions) in << "position " << s << "\ngo perft 1\n";
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

std::vector<std::set<std::string>> ReferenceMoves(const std::vector<Sample>& samples) {
  std::vector<std::string> positions;
  for (const Sample& s : samples) positions.push_back("sfen " + ToSfen(s.pos) + " 1");
  return ReferenceMoves(positions);
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
  int inCheck = 0, withHands = 0, pinnedSeen = 0, promotionsSeen = 0;
  int nonPromotionsMissing = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    const std::string sfen = ToSfen(s.pos);
    inCheck += s.checks > 0;
    withHands += HasHand(s);

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
  RecordProperty("in_check", inCheck);
}

// The reference's move after the moves from the start position, at depth 1.
std::string BestMove(testing_util::Peer& reference, const std::vector<std::string>& moves) {
  std::string line = "position startpos moves";
  for (const std::string& m : moves) line += " " + m;
  reference.Send(line + "\ngo depth 1");
  std::istringstream in(reference.Until("bestmove").back());
  std::string word, move;
  in >> word >> move;
  return move;
}

// The number of pieces giving check after the move.
int Checks(const Position& pos, int side, const MoveRec& m) {
  Position next = pos;
  ApplyMove(next, m, side);
  return CheckerCount(next, Opponent(side));
}

// A move of the legal list, drawn so that captures, drops, checks and declined promotions
// come up often.
MoveRec Pick(Rng& rng, const Position& pos, int side, const std::vector<MoveRec>& moves) {
  std::vector<MoveRec> pool;
  const int mode = rng.Below(10);
  if (mode >= 2)
    for (const MoveRec& m : moves)
      if (Checks(pos, side, m) >= 2) return m;
  for (const MoveRec& m : moves) {
    const bool capture = m.dropKind == 0 && pos.Owner(m.toFile, m.toRank) != 0;
    const bool declined =
        m.promote == 0 && m.dropKind == 0 &&
        IsLegalMove(pos, side, {m.fromFile, m.fromRank, m.toFile, m.toRank, 1, 0});
    if ((mode < 3 && capture) || (mode >= 3 && mode < 5 && m.dropKind > 0) ||
        (mode >= 5 && mode < 7 && Checks(pos, side, m) > 0) || (mode == 9 && declined))
      pool.push_back(m);
  }
  const std::vector<MoveRec>& from = pool.empty() ? moves : pool;
  return from[rng.Below(static_cast<int>(from.size()))];
}

bool HasOwnPawn(const Position& pos, int side, int file) {
  for (int r = 0; r < 9; ++r)
    if (pos.Owner(file, r) == side && pos.KindAt(file, r) == kPawn) return true;
  return false;
}

// Where a pawn dropped in front of the enemy king would mate, the same position with a pawn
// more in hand for the side, so that the pawn-drop mate rule is on trial.
bool PawnDropMateVariant(const Position& pos, int side, Position& variant) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) {
      const int kr = r + (side == kComputerSide ? 1 : -1);
      if (!OnBoard(f, kr) || pos.Owner(f, r) != 0 || pos.Owner(f, kr) != Opponent(side) ||
          pos.KindAt(f, kr) != kKing || HasOwnPawn(pos, side, f))
        continue;
      variant = pos;
      variant.SetHand(side, kPawn, pos.Hand(side, kPawn) + 1);
      Position after = variant;
      ApplyMove(after, {0, 0, f, r, 0, kPawn}, side);
      return !KingInCheck(after, side) && !HasLegalMove(after, Opponent(side));
    }
  return false;
}

// Where the side is in check by one piece, the same position with a second checker that the
// checking side drops from its hand: double checks are rare in play.
bool DoubleCheckVariant(const Position& pos, int side, Position& variant) {
  if (CheckerCount(pos, side) != 1) return false;
  const int enemy = Opponent(side);
  for (int kind = kLance; kind <= kRook; ++kind) {
    if (pos.Hand(enemy, kind) == 0) continue;
    for (int f = 0; f < 9; ++f)
      for (int r = 0; r < 9; ++r) {
        const MoveRec drop{0, 0, f, r, 0, kind};
        if (!IsLegalMove(pos, enemy, drop)) continue;
        variant = pos;
        ApplyMove(variant, drop, enemy);
        if (CheckerCount(variant, side) == 2) return true;
      }
  }
  return false;
}

// Positions of seeded games played with the legal-move list on both sides, and of games in
// which one side plays such moves and the reference program the other.
std::vector<Sample> RefereePositions(int selfPlay, int againstReference) {
  std::vector<Sample> out;
  Rng rng{20261207};
  int played = 0, dropMates = 0;
  // Keeps a position now and then, every double check, and the variants.
  auto visit = [&](const Position& pos, int side, int rate) {
    if (rng.Below(rate) == 0 || CheckerCount(pos, side) > 1) {
      out.push_back(MakeSample(pos, side));
      ++played;
    }
    Position variant;
    if (PawnDropMateVariant(pos, side, variant)) {
      out.push_back(MakeSample(variant, side));
      ++dropMates;
    }
    if (DoubleCheckVariant(pos, side, variant) && rng.Below(4) == 0)
      out.push_back(MakeSample(variant, side));
  };
  // Self-play goes on past its share of positions until enough pawn-drop mates came up.
  for (int game = 0; game < 400 && (played < selfPlay || dropMates < 8); ++game) {
    Position pos = StartPosition();
    int side = kPlayerSide;
    for (int ply = 0; ply < 200; ++ply) {
      const std::vector<MoveRec> moves = LegalMoves(pos, side);
      if (ply >= 4) visit(pos, side, played < selfPlay ? 4 : 1 << 30);
      if (moves.empty()) break;
      ApplyMove(pos, Pick(rng, pos, side, moves), side);
      side = Opponent(side);
    }
  }
  testing_util::Peer reference(kReference);
  reference.Send("usi\nsetoption name UCI_Variant value shogi");
  const int wanted = played + againstReference;
  for (int game = 0; played < wanted; ++game) {
    Position pos = StartPosition();
    int side = kPlayerSide;
    const int referenceSide = game % 2 == 0 ? kComputerSide : kPlayerSide;
    std::vector<std::string> moves;
    for (int ply = 0; ply < 160 && played < wanted; ++ply) {
      const std::vector<MoveRec> legal = LegalMoves(pos, side);
      if (ply >= 4) visit(pos, side, 2);
      if (legal.empty()) break;
      MoveRec m = Pick(rng, pos, side, legal);
      if (side == referenceSide) {
        const auto parsed = ParseUsiMove(BestMove(reference, moves), 1);
        if (!parsed) break;  // resign or no answer
        m = *parsed;
      }
      moves.push_back(MoveToUsi(m, 1));
      ApplyMove(pos, m, side);
      side = Opponent(side);
    }
  }
  return out;
}

TEST(Reference, LegalityCheckMatchesAnIndependentImplementation) {
  const std::vector<Sample> samples = RefereePositions(400, 250);
  auto reference = ReferenceMoves(samples);
  ASSERT_EQ(reference.size(), samples.size());
  // The reference lists a pawn drop that mates as a move (which then ends the game, lost for
  // the side that dropped). Such a drop is judged by the reference's own answers: it is a
  // mate when the reference finds no move after it.
  std::vector<std::pair<std::size_t, std::string>> drops;
  std::vector<std::string> after;
  for (std::size_t i = 0; i < samples.size(); ++i)
    for (const std::string& m : reference[i])
      if (m.rfind("P*", 0) == 0) {
        drops.emplace_back(i, m);
        after.push_back("sfen " + ToSfen(samples[i].pos) + " 1 moves " + m);
      }
  const auto answers = ReferenceMoves(after);
  ASSERT_EQ(answers.size(), drops.size());
  int referenceDropMates = 0;
  for (std::size_t j = 0; j < drops.size(); ++j)
    if (answers[j].empty()) {
      reference[drops[j].first].erase(drops[j].second);
      ++referenceDropMates;
    }
  int inCheck = 0, doubleChecks = 0, withHands = 0, mated = 0, pawnDropChecks = 0,
      pawnDropMates = 0, declined = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    const std::string sfen = ToSfen(s.pos);
    const std::set<std::string>& want = reference[i];
    inCheck += s.checks > 0;
    doubleChecks += s.checks > 1;
    mated += want.empty();
    withHands += HasHand(s);
    for (int firstMover = 1; firstMover <= 2; ++firstMover) {
      const Position pos = ToInternal(s.pos, firstMover);
      const int side = SideOfColor(firstMover, s.pos.sideToMove);
      std::set<std::string> ours;
      for (const MoveRec& m : LegalMoves(pos, side)) ours.insert(MoveToUsi(m, firstMover));
      std::string extra, missing;
      for (const std::string& m : ours)
        if (!want.count(m)) extra += " " + m;
      for (const std::string& m : want)
        if (!ours.count(m)) missing += " " + m;
      ASSERT_TRUE(extra.empty() && missing.empty())
          << sfen << " firstMover " << firstMover << "\n  not legal:" << extra
          << "\n  missing:" << missing;
      EXPECT_EQ(HasLegalMove(pos, side), !want.empty()) << sfen;
      // Every square and promotion choice of the pieces, and every drop, one by one.
      for (int f = 0; f < 9; ++f)
        for (int r = 0; r < 9; ++r)
          for (int x = 0; x < 9; ++x)
            for (int y = 0; y < 9; ++y)
              for (int promote = 0; promote <= 1; ++promote) {
                const MoveRec m{f, r, x, y, promote, 0};
                ASSERT_EQ(IsLegalMove(pos, side, m), want.count(MoveToUsi(m, firstMover)) == 1)
                    << sfen << " " << MoveToUsi(m, firstMover);
              }
      for (int kind = kPawn; kind <= kRook; ++kind)
        for (int x = 0; x < 9; ++x)
          for (int y = 0; y < 9; ++y) {
            const MoveRec m{0, 0, x, y, 0, kind};
            const bool legal = IsLegalMove(pos, side, m);
            ASSERT_EQ(legal, want.count(MoveToUsi(m, firstMover)) == 1)
                << sfen << " " << MoveToUsi(m, firstMover);
            // Pawn drops that check, where only the mate rule can forbid them.
            const int front = y + (side == kComputerSide ? 1 : -1);
            if (firstMover == 1 && kind == kPawn && pos.Hand(side, kPawn) > 0 &&
                pos.Owner(x, y) == 0 && OnBoard(x, front) && pos.KindAt(x, front) == kKing &&
                pos.Owner(x, front) == Opponent(side) && !HasOwnPawn(pos, side, x)) {
              Position after = pos;
              ApplyMove(after, m, side);
              if (KingInCheck(after, side)) continue;
              ++pawnDropChecks;
              pawnDropMates += !legal;
            }
          }
    }
    for (const std::string& m : want)
      if (want.count(m + "+")) ++declined;
  }
  EXPECT_GE(samples.size(), 600u);
  EXPECT_GE(inCheck, 60);
  EXPECT_GE(doubleChecks, 3);
  EXPECT_GE(withHands, 300);
  EXPECT_GE(mated, 3);
  EXPECT_GE(pawnDropChecks, 20);
  EXPECT_GE(pawnDropMates, 5);
  EXPECT_EQ(referenceDropMates, pawnDropMates);
  EXPECT_GE(declined, 100);
  std::printf(
      "%zu positions: %d in check, %d double checks, %d with hands, %d mated, "
      "%d pawn-drop checks, %d pawn-drop mates, %d declinable promotions\n",
      samples.size(), inCheck, doubleChecks, withHands, mated, pawnDropChecks, pawnDropMates,
      declined);
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
