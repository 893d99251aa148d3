// Compares the moves the analysis leaves legal, and the legality check of real shogi, with an
// independent implementation (fairy-stockfish, from Debian) on positions reached in play, and
// counts the game's move tree from the start position.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/rules/legality.h"
#include "shogi/rules/perft.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

constexpr const char* kReference = "/usr/games/fairy-stockfish";

// Small deterministic generator (the same sequence on every platform).
struct Rng {
  uint64_t s;
  int Below(int n) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>(static_cast<uint32_t>(s >> 33) % static_cast<uint32_t>(n));
  }
};

UsiPosition Sample(const Position& pos, int side) {
  return FromInternal(pos, 1, side == kPlayerSide ? UsiPosition::kBlack : UsiPosition::kWhite);
}

// The reference's legal moves per position (the arguments of `position` lines).
std::vector<std::set<std::string>> ReferenceMoves(const std::vector<std::string>& positions) {
  testing_util::Peer reference(kReference);
  reference.Send("usi\nsetoption name UCI_Variant value shogi");
  std::vector<std::set<std::string>> result;
  for (const std::string& s : positions) result.push_back(reference.PerftMoves("position " + s));
  return result;
}

// The number of pieces giving check after the move.
int Checks(const Position& pos, int side, const MoveRec& m) {
  Position next = pos;
  ApplyMove(next, m, side);
  return CheckerCount(next, Opponent(side));
}

// A legal move drawn so that double checks, captures, drops, checks and declined promotions
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

// Whether a pawn dropped on (f, r) would check the enemy king right in front of it.
bool PawnDropChecks(const Position& pos, int side, int f, int r) {
  const int kr = r + (side == kComputerSide ? 1 : -1);
  for (int y = 0; y < 9; ++y)
    if (pos.Owner(f, y) == side && pos.KindAt(f, y) == kPawn) return false;
  return OnBoard(f, kr) && pos.Owner(f, r) == 0 && pos.Owner(f, kr) == Opponent(side) &&
         pos.KindAt(f, kr) == kKing;
}

// Where a pawn dropped in front of the enemy king would mate, the same position with a pawn
// more in hand for the side, so that the pawn-drop mate rule is on trial.
bool PawnDropMateVariant(const Position& pos, int side, Position& variant) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) {
      if (!PawnDropChecks(pos, side, f, r)) continue;
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
  for (int kind = kLance; kind <= kRook; ++kind)
    for (int sq = 0; sq < 81 && pos.Hand(enemy, kind) > 0; ++sq) {
      const MoveRec drop{0, 0, SqFile(sq), SqRank(sq), 0, kind};
      if (!IsLegalMove(pos, enemy, drop)) continue;
      variant = pos;
      ApplyMove(variant, drop, enemy);
      if (CheckerCount(variant, side) == 2) return true;
    }
  return false;
}

// Positions of seeded games played with the legal-move list on both sides, and of games in
// which one side plays such moves and the reference program the other.
std::vector<UsiPosition> PlayedPositions(int selfPlay, int againstReference) {
  std::vector<UsiPosition> out;
  Rng rng{20261207};
  int played = 0, dropMates = 0;
  // Keeps a position now and then, every double check, and the variants.
  auto visit = [&](const Position& pos, int side, int rate) {
    if (rng.Below(rate) == 0 || CheckerCount(pos, side) > 1) {
      out.push_back(Sample(pos, side));
      ++played;
    }
    Position variant;
    if (PawnDropMateVariant(pos, side, variant)) {
      out.push_back(Sample(variant, side));
      ++dropMates;
    }
    if (DoubleCheckVariant(pos, side, variant) && rng.Below(4) == 0)
      out.push_back(Sample(variant, side));
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
    std::string line = "position startpos moves";
    for (int ply = 0; ply < 160 && played < wanted; ++ply) {
      const std::vector<MoveRec> legal = LegalMoves(pos, side);
      if (ply >= 4) visit(pos, side, 2);
      if (legal.empty()) break;
      MoveRec m = Pick(rng, pos, side, legal);
      if (side == referenceSide) {  // the reference's move at depth 1
        reference.Send(line + "\ngo depth 1");
        std::istringstream in(reference.Until("bestmove").back());
        std::string word, move;
        in >> word >> move;
        const auto parsed = ParseUsiMove(move, 1);
        if (!parsed) break;  // resign or no answer
        m = *parsed;
      }
      line.append(" ").append(MoveToUsi(m, 1));
      ApplyMove(pos, m, side);
      side = Opponent(side);
    }
  }
  return out;
}

TEST(Reference, LegalMovesMatchAnIndependentImplementation) {
  ASSERT_EQ(access(kReference, X_OK), 0) << "scripts/setup.sh installs fairy-stockfish";
  const std::vector<UsiPosition> samples = PlayedPositions(400, 250);
  std::vector<std::string> positions;
  for (const UsiPosition& s : samples) positions.push_back("sfen " + ToSfen(s) + " 1");
  const auto listed = ReferenceMoves(positions);
  ASSERT_EQ(listed.size(), samples.size());
  // The reference lists a pawn drop that mates as a move (which then ends the game, lost for
  // the side that dropped). Such a drop is judged by the reference's own answers: it is a
  // mate when the reference finds no move after it.
  auto reference = listed;
  std::vector<std::pair<std::size_t, std::string>> drops;
  std::vector<std::string> after;
  for (std::size_t i = 0; i < samples.size(); ++i)
    for (const std::string& m : listed[i])
      if (m.rfind("P*", 0) == 0) {
        drops.emplace_back(i, m);
        after.push_back(positions[i] + " moves " + m);
      }
  const auto answers = ReferenceMoves(after);
  ASSERT_EQ(answers.size(), drops.size());
  int referenceDropMates = 0;
  for (std::size_t j = 0; j < drops.size(); ++j)
    if (answers[j].empty()) reference[drops[j].first].erase(drops[j].second), ++referenceDropMates;

  auto gs = std::make_unique<GameState>();
  int inCheck = 0, doubleChecks = 0, mated = 0, pawnDropChecks = 0, pawnDropMates = 0, declined = 0,
      pinned = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const UsiPosition& s = samples[i];
    const std::string sfen = ToSfen(s);
    const int checks = CheckerCount(ToInternal(s, 1), SideOfColor(1, s.sideToMove));
    const std::set<std::string>& want = reference[i];
    inCheck += checks > 0;
    doubleChecks += checks > 1;
    mated += want.empty();
    for (const std::string& m : want) declined += want.count(m + "+");
    for (int firstMover = 1; firstMover <= 2; ++firstMover) {
      SCOPED_TRACE(::testing::Message() << sfen << " firstMover " << firstMover);
      const Position pos = ToInternal(s, firstMover);
      const int side = SideOfColor(firstMover, s.sideToMove);
      std::set<std::string> ours;
      for (const MoveRec& m : LegalMoves(pos, side)) ours.insert(MoveToUsi(m, firstMover));
      ASSERT_EQ(ours, want);
      EXPECT_EQ(HasLegalMove(pos, side), !want.empty());
      // Every square and promotion choice of the pieces, and every drop, one by one.
      for (int from = 0; from < 81; ++from)
        for (int to = 0; to < 81; ++to)
          for (int promote = 0; promote <= 1; ++promote) {
            const MoveRec m{SqFile(from), SqRank(from), SqFile(to), SqRank(to), promote, 0};
            ASSERT_EQ(IsLegalMove(pos, side, m), want.count(MoveToUsi(m, firstMover)) == 1)
                << MoveToUsi(m, firstMover);
          }
      for (int kind = kPawn; kind <= kRook; ++kind)
        for (int to = 0; to < 81; ++to) {
          const MoveRec m{0, 0, SqFile(to), SqRank(to), 0, kind};
          const bool legal = IsLegalMove(pos, side, m);
          ASSERT_EQ(legal, want.count(MoveToUsi(m, firstMover)) == 1) << MoveToUsi(m, firstMover);
          // Pawn drops that check, where only the mate rule can forbid them.
          if (firstMover == 1 && kind == kPawn && pos.Hand(side, kPawn) > 0 &&
              PawnDropChecks(pos, side, m.toFile, m.toRank)) {
            Position next = pos;
            ApplyMove(next, m, side);
            if (!KingInCheck(next, side)) ++pawnDropChecks, pawnDropMates += !legal;
          }
        }
      // The analysis leaves the game's moves legal: the reference's, pawn-drop mates included
      // (the searches refuse those), but only the promoting entry of a pawn, bishop or rook,
      // and of a lance reaching the second-to-last rank.
      AnalyzeMoves(*gs, pos, side, 0);
      std::set<std::string> analysed;
      for (int j = 0; j < gs->moveListCount; ++j) {
        const MoveEntry& e = gs->moveList[j];
        if (e.illegal == 0) analysed.insert(MoveToUsi(e.move, firstMover));
        pinned += e.illegal == 1 && checks == 0 && e.move.dropKind == 0 &&
                  pos.KindAt(e.move.fromFile, e.move.fromRank) != kKing;
      }
      for (const std::string& m : analysed) EXPECT_TRUE(listed[i].count(m)) << "not legal: " << m;
      for (const std::string& m : listed[i]) {
        if (analysed.count(m)) continue;
        ASSERT_TRUE(analysed.count(m + "+")) << "missing legal move " << m;
        const auto mv = ParseUsiMove(m, firstMover);
        const int kind = pos.KindAt(mv->fromFile, mv->fromRank);
        const int last = side == kPlayerSide ? 0 : 8;
        EXPECT_TRUE(kind == kPawn || kind == kBishop || kind == kRook ||
                    (kind == kLance && std::abs(mv->toRank - last) == 1))
            << "missing non-promotion " << m;
      }
    }
  }
  EXPECT_GE(samples.size(), 600u);
  EXPECT_GE(inCheck, 60);
  EXPECT_GE(doubleChecks, 3);
  EXPECT_GE(mated, 3);
  EXPECT_GE(pawnDropChecks, 20);
  EXPECT_GE(pawnDropMates, 5);
  EXPECT_EQ(referenceDropMates, pawnDropMates);
  EXPECT_GE(declined, 100);
  EXPECT_GE(pinned, 10);
}

TEST(Reference, PerftFromTheStart) {
  auto gs = testing_util::NewGame();
  const Position start = gs->snapshot[0];
  // The game's tree: standard shogi's (30, 900, 25470, 719731) without the non-promoting
  // choices the game leaves out, which the comparison above accounts for position by position.
  const uint64_t game[] = {30, 900, 25440, 718565};
  for (int d = 1; d <= 4; ++d) EXPECT_EQ(Perft(*gs, start, kPlayerSide, d), game[d - 1]) << d;
}

}  // namespace
}  // namespace shogi
