// Hand-made edge cases of the legality check. Every case is judged in both internal
// orientations (the player moving first or second) and through the legal-move list.
#include "shogi/rules/legality.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Black moves unless the SFEN says otherwise; kings: white on 9a or 5a, black on 5i.
const Case kCases[] = {
    // Pawn-drop mate: king boxed in by its lances, pawn guarded by the gold.
    {"3lkl3/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", false},
    // ...the king can step to 4a: check, not mate.
    {"3lk4/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", true},
    // ...a silver can take the pawn: not mate.
    {"3lks3/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", true},
    // ...the silver is pinned against its king by the rook: mate again.
    {"3lks2R/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", false},
    // ...the pawn unguarded: the king takes it.
    {"3lkl3/9/9/9/9/9/9/9/4K4 b P", "P*5b", true},
    // A pawn-drop mate is fine for any other piece.
    {"3lkl3/9/4G4/9/9/9/9/9/4K4 b G", "G*5b", true},
    // White's pawn-drop mate against the black king.
    {"4k4/9/9/9/9/9/4g4/9/3LKL3 w p", "P*5h", false},
    // Drops on the last ranks.
    {"k8/9/9/9/9/9/9/9/4K4 b PLN", "P*5a", false},
    {"k8/9/9/9/9/9/9/9/4K4 b PLN", "L*5a", false},
    {"k8/9/9/9/9/9/9/9/4K4 b PLN", "L*5b", true},
    {"k8/9/9/9/9/9/9/9/4K4 b PLN", "N*5b", false},
    {"k8/9/9/9/9/9/9/9/4K4 b PLN", "N*5c", true},
    {"k8/9/9/9/9/9/9/9/4K4 w pln", "P*5i", false},
    {"k8/9/9/9/9/9/9/9/4K4 w pln", "N*5h", false},
    {"k8/9/9/9/9/9/9/9/4K4 w pln", "N*5g", true},
    // Nifu; a promoted pawn does not count; no piece in hand.
    {"k8/9/9/9/9/9/4P4/9/4K4 b P", "P*5e", false},
    {"k8/9/9/9/9/9/4P4/9/4K4 b P", "P*4e", true},
    {"k8/9/4+P4/9/9/9/9/9/4K4 b P", "P*5e", true},
    {"k8/9/9/9/9/9/4P4/9/4K4 b -", "P*4e", false},
    // Compulsory and optional promotion.
    {"k8/4P4/9/9/9/9/9/9/4K4 b -", "5b5a", false},
    {"k8/4P4/9/9/9/9/9/9/4K4 b -", "5b5a+", true},
    {"k8/9/9/4P4/9/9/9/9/4K4 b -", "5d5c", true},
    {"k8/9/9/9/9/9/9/9/4K3L b -", "1i1a", false},
    {"k8/9/9/9/9/9/9/9/4K3L b -", "1i1b", true},
    {"k8/9/9/9/9/9/9/9/4K3L b -", "1i1b+", true},
    {"k8/9/9/9/7N1/9/9/9/4K4 b -", "2e3c", true},
    {"k8/9/9/9/9/7N1/9/9/4K4 b -", "2f1d+", false},
    {"k8/9/9/7N1/9/9/9/9/4K4 b -", "2d1b", false},
    {"k8/9/9/7N1/9/9/9/9/4K4 b -", "2d1b+", true},
    {"k8/9/9/9/9/9/9/1B7/4K4 b -", "8h2b", true},
    {"k8/9/9/9/9/9/9/9/4K2R1 b -", "2i2a", true},
    // Promotion on leaving the zone, not outside it, not for golds or promoted pieces.
    {"k8/9/4S4/9/9/9/9/9/4K4 b -", "5c4d+", true},
    {"k8/9/9/4S4/9/9/9/9/4K4 b -", "5d5e+", false},
    {"k8/9/9/4S4/9/9/9/9/4K4 b -", "5d5c+", true},
    {"k8/9/4G4/9/9/9/9/9/4K4 b -", "5c5b+", false},
    {"k8/9/4+R4/9/9/9/9/9/4K4 b -", "5c5b+", false},
    {"k8/7B1/9/9/9/9/9/9/4K4 b -", "2b8h+", true},
    {"k8/9/4K4/9/9/9/9/9/9 b -", "5c5b+", false},
    {"k8/9/9/9/9/9/9/9/4K4 w -", "9a9b+", false},
    // Pieces move as their kind moves, sliders stop at the first piece, no own captures.
    {"k8/9/9/9/9/9/7P1/7R1/4K4 b -", "2h2f", false},
    {"k8/9/9/9/9/9/7P1/7R1/4K4 b -", "2h7h", true},
    {"k8/9/9/9/9/9/9/4S4/4K4 b -", "5h5i", false},
    {"k8/9/9/9/9/9/9/4S4/4K4 b -", "5h4i", true},
    {"k8/9/9/9/9/9/9/4S4/4K4 b -", "5h4h", false},
    {"k8/9/9/9/9/9/9/4G4/4K4 b -", "5h6i", false},
    {"k8/9/9/9/9/9/9/9/L3K4 b -", "9i9h", true},
    {"k8/9/9/9/9/9/9/L8/4K4 b -", "9h9i", false},
    {"k8/9/9/9/9/9/9/9/4K4 b -", "5h5g", false},
    {"k8/9/9/9/9/9/9/9/4K4 b -", "9a9b", false},
    // The king is never taken.
    {"9/9/9/9/4k4/4P4/9/9/4K4 b -", "5f5e", false},
    // Pinned pieces and the king stepping into attack.
    {"k8/9/9/4r4/9/9/9/4G4/4K4 b -", "5h4h", false},
    {"k8/9/9/4r4/9/9/9/4G4/4K4 b -", "5h5g", true},
    {"k8/9/9/3r5/9/9/9/9/4K4 b -", "5i6i", false},
    {"k8/9/9/3r5/9/9/9/9/4K4 b -", "5i4i", true},
    {"k8/9/9/9/9/9/2n6/9/4K4 b -", "5i6h", true},
    {"k8/9/9/9/9/9/2n6/9/4K4 b -", "5i6i", false},
    {"k8/9/9/9/9/6n2/9/4K4/9 b -", "5h4h", false},
    {"k8/9/9/9/9/6n2/9/4K4/9 b -", "5h4g", true},
    // Single check: take the checker or block; double check: only the king moves.
    {"k8/9/9/9/7Gb/9/9/9/4K4 b -", "2e1e", true},
    {"k8/9/9/9/7Gb/9/9/9/4K4 b S", "S*4h", true},
    {"k8/9/9/9/7Gb/9/9/9/4K4 b S", "S*4g", false},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "2e1e", false},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "S*4h", false},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "5i6h", true},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "5i4h", false},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "5i5h", false},
};

TEST(LegalityCheck, EdgeCases) {
  for (const Case& c : kCases) {
    std::istringstream in(c.sfen);
    std::string board, side, hands, error;
    in >> board >> side >> hands;
    const auto usi = ParseSfen(board, side, hands, &error);
    ASSERT_TRUE(usi) << c.sfen << ": " << error;
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
    std::istringstream in(c.sfen);
    std::string board, side, hands, error;
    in >> board >> side >> hands;
    const auto usi = ParseSfen(board, side, hands, &error);
    ASSERT_TRUE(usi) << c.sfen << ": " << error;
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
