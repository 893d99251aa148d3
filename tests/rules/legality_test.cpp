// Edge cases of the legality check, one per rule, judged in both internal orientations and
// through the legal-move list: a quick answer before the comparison with the reference
// program in reference_test.cpp.
#include "shogi/rules/legality.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/rules/test_util.h"

namespace shogi {
namespace {

struct Case {
  const char* sfen;  // board side hands
  const char* move;
  bool legal;
};

// Black moves unless the SFEN says otherwise.
const Case kCases[] = {
    // Pawn-drop mate: the king boxed in by its lances, the pawn guarded by the gold; not mate
    // when the king can step aside or a silver can take, mate again when that silver is pinned.
    {"3lkl3/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", false},
    {"3lk4/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", true},
    {"3lks3/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", true},
    {"3lks2R/9/4G4/9/9/9/9/9/4K4 b P", "P*5b", false},
    {"3lkl3/9/4G4/9/9/9/9/9/4K4 b G", "G*5b", true},  // any other piece may mate
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
    // Sliders stop at the first piece; no own captures; the king is never taken; pins.
    {"k8/9/9/9/9/9/7P1/7R1/4K4 b -", "2h2f", false},
    {"k8/9/9/9/9/9/9/4S4/4K4 b -", "5h5i", false},
    {"9/9/9/9/4k4/4P4/9/9/4K4 b -", "5f5e", false},
    {"k8/9/9/4r4/9/9/9/4G4/4K4 b -", "5h4h", false},
    {"k8/9/9/3r5/9/9/9/9/4K4 b -", "5i6i", false},
    // Single check: take the checker or block; double check: only the king moves.
    {"k8/9/9/9/7Gb/9/9/9/4K4 b S", "S*4h", true},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "S*4h", false},
    {"k8/4r4/9/9/7Gb/9/9/9/4K4 b S", "5i6h", true},
};

// The position of "board side hands" in both internal orientations, with the side to move.
struct Oriented {
  Position pos;
  int mover, firstMover;
};
std::vector<Oriented> Parse(const char* sfen) {
  const UsiPosition usi = testing_util::SfenPosition(sfen);
  return {{ToInternal(usi, 1), SideOfColor(1, usi.sideToMove), 1},
          {ToInternal(usi, 2), SideOfColor(2, usi.sideToMove), 2}};
}

TEST(LegalityCheck, EdgeCases) {
  for (const Case& c : kCases)
    for (const Oriented& o : Parse(c.sfen)) {
      SCOPED_TRACE(::testing::Message()
                   << c.sfen << " " << c.move << " firstMover " << o.firstMover);
      const auto m = ParseUsiMove(c.move, o.firstMover);
      ASSERT_TRUE(m);
      EXPECT_EQ(IsLegalMove(o.pos, o.mover, *m), c.legal);
      const auto all = LegalMoves(o.pos, o.mover);
      EXPECT_EQ(std::count(all.begin(), all.end(), *m), c.legal ? 1 : 0);
      EXPECT_FALSE(IsLegalMove(o.pos, Opponent(o.mover) + 2, *m));  // no such side
    }
}

}  // namespace
}  // namespace shogi
