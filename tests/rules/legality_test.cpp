// Hand-made edge cases of the legality check. Every case is judged in both internal
// orientations (the player moving first or second) and through the legal-move list.
#include "shogi/rules/legality.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>

#include "shogi/rules/notation.h"

namespace shogi {
namespace {

struct Case {
  const char* sfen;  // board side hands
  const char* move;
  bool legal;
};

// One case per rule, for a quick answer without the comparison with the reference program
// (which judges every move of many positions). Black moves unless the SFEN says otherwise.
const Case kCases[] = {
    // Pawn-drop mate: king boxed in by its lances, pawn guarded by the gold.
    {"3lkl3/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", false},
    // ...the king can step to 4a: check, not mate.
    {"3lk4/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", true},
    // ...a silver can take the pawn: not mate.
    {"3lks3/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", true},
    // ...the silver is pinned against its king by the rook: mate again.
    {"3lks2R/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", false},
    // A pawn-drop mate is fine for any other piece; white's against the black king.
    {"3lkl3/9/4G4/9/9/9/9/9/4K4 b G", "G*5b", true},
    {"4k4/9/9/9/9/9/4g4/9/3LKL3 w p", "P*5h", false},
    // Drops on the last ranks; nifu, where a promoted pawn does not count.
    {"k8/9/9/9/9/9/9/9/4K4 b PLN", "N*5b", false},
    {"k8/9/9/9/9/9/9/9/4K4 w pln", "P*5i", false},
    {"k8/9/9/9/9/9/4P4/9/4K4 b P", "P*5e", false},
    {"k8/9/4+P4/9/9/9/9/9/4K4 b P", "P*5e", true},
    // Compulsory and optional promotion, also on leaving the zone; none for golds.
    {"k8/4P4/9/9/9/9/9/9/4K4 b -", "5b5a", false},
    {"k8/9/9/9/9/9/9/9/4K3L b -", "1i1b", true},
    {"k8/9/9/7N1/9/9/9/9/4K4 b -", "2d1b", false},
    {"k8/9/4S4/9/9/9/9/9/4K4 b -", "5c4d+", true},
    {"k8/9/9/4S4/9/9/9/9/4K4 b -", "5d5e+", false},
    {"k8/9/4G4/9/9/9/9/9/4K4 b -", "5c5b+", false},
    // Sliders stop at the first piece, no own captures, the king is never taken.
    {"k8/9/9/9/9/9/7P1/7R1/4K4 b -", "2h2f", false},
    {"k8/9/9/9/9/9/9/4S4/4K4 b -", "5h5i", false},
    {"9/9/9/9/4k4/4P4/9/9/4K4 b -", "5f5e", false},
    // Pinned pieces and the king stepping into attack.
    {"k8/9/9/4r4/9/9/9/4G4/4K4 b -", "5h4h", false},
    {"k8/9/9/3r5/9/9/9/9/4K4 b -", "5i6i", false},
    // Single check: take the checker or block; double check: only the king moves.
    {"k8/9/9/9/7Gb/9/9/9/4K4 b S", "S*4h", true},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "S*4h", false},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "5i6h", true},
};

// The position of "board side hands".
UsiPosition Parse(const char* sfen) {
  std::istringstream in(sfen);
  std::string board, side, hands, error;
  in >> board >> side >> hands;
  const auto usi = ParseSfen(board, side, hands, &error);
  EXPECT_TRUE(usi) << sfen << ": " << error;
  return usi.value_or(UsiPosition{});
}

TEST(LegalityCheck, EdgeCases) {
  for (const Case& c : kCases) {
    const auto usi = std::optional(Parse(c.sfen));
    for (int firstMover = 1; firstMover <= 2; ++firstMover) {
      const Position pos = ToInternal(*usi, firstMover);
      const int mover = SideOfColor(firstMover, usi->sideToMove);
      const auto m = ParseUsiMove(c.move, firstMover);
      ASSERT_TRUE(m) << c.move;
      EXPECT_EQ(IsLegalMove(pos, mover, *m), c.legal)
          << c.sfen << " " << c.move << " firstMover " << firstMover;
      const auto all = LegalMoves(pos, mover);
      EXPECT_EQ(std::count(all.begin(), all.end(), *m), c.legal ? 1 : 0)
          << c.sfen << " " << c.move << " in the list, firstMover " << firstMover;
      EXPECT_FALSE(IsLegalMove(pos, Opponent(mover) + 2, *m));
      if (c.legal && m->dropKind > 0) {
        MoveRec promoted = *m;
        promoted.promote = 1;
        EXPECT_FALSE(IsLegalMove(pos, mover, promoted)) << c.sfen << " " << c.move << "+";
      }
    }
  }
}

TEST(LegalityCheck, ChecksAndMates) {
  struct CheckCase {
    const char* sfen;
    int checkers;  // of the side to move
    bool hasMove;
  };
  const CheckCase cases[] = {
      {"k8/9/9/9/9/9/9/9/4K4 b -", 0, true},
      {"k8/9/9/9/7Gb/9/9/9/4K4 b -", 1, true},
      {"k8/4r4/9/9/7Gb/9/9/9/4K4 b -", 2, true},
      {"k8/9/9/9/9/9/3n5/4g4/4K4 b -", 2, true},
      // Head-on gold mate, backed by a silver.
      {"k8/9/9/9/9/9/4s4/4g4/4K4 b -", 1, false},
      {"9/9/9/9/9/9/9/9/k7K w -", 0, true},
  };
  for (const CheckCase& c : cases) {
    const auto usi = std::optional(Parse(c.sfen));
    for (int firstMover = 1; firstMover <= 2; ++firstMover) {
      const Position pos = ToInternal(*usi, firstMover);
      const int mover = SideOfColor(firstMover, usi->sideToMove);
      EXPECT_EQ(CheckerCount(pos, mover), c.checkers) << c.sfen;
      EXPECT_EQ(KingInCheck(pos, mover), c.checkers > 0) << c.sfen;
      EXPECT_EQ(HasLegalMove(pos, mover), c.hasMove) << c.sfen;
      EXPECT_EQ(LegalMoves(pos, mover).empty(), !c.hasMove) << c.sfen;
    }
  }
}

}  // namespace
}  // namespace shogi
