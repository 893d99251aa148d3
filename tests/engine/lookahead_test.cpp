// The ordering of analysed moves that every search and chooser relies on (the look-ahead and
// the formation choosers themselves are pinned by the bench signature's opening games).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "shogi/engine/lookahead.h"
#include "shogi/rules/analyze.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

// Sorts entries tagged 0, 1, ... (in toFile) given as {value, gains..., support}; returns the
// tags in their new order.
using Tags = std::vector<int>;
Tags Sorted(const std::vector<std::vector<int>>& entries, int n) {
  auto gs = testing_util::NewGame();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    MoveEntry& e = gs->moveList[i];
    e.move.toFile = static_cast<int>(i);
    e.value = entries[i][0];
    for (std::size_t g = 1; g + 1 < entries[i].size(); ++g) e.gains[g - 1] = entries[i][g];
    e.supportBalance = entries[i].back();
  }
  gs->moveListCount = static_cast<int>(entries.size());
  SortMoveList(*gs, n);
  std::vector<int> tags;
  for (std::size_t i = 0; i < entries.size(); ++i) tags.push_back(gs->moveList[i].move.toFile);
  return tags;
}

TEST(SortMoveList, ValueThenGainsThenSupportAndNoFurtherThanADecisiveValue) {
  // A shorter gain list loses to a longer one.
  const std::vector<std::vector<int>> ties = {{60, 60, 58, 1}, {80, 80, 0},     {60, 60, 59, 0},
                                              {60, 60, 58, 2}, {kLossScore, 0}, {60, 60, 9}};
  EXPECT_EQ(Sorted(ties, 6), Tags({1, 2, 3, 0, 5, 4}));
  EXPECT_EQ(Sorted({{kWinScore, kWinScore, 0}, {1, 1, 0}, {5, 5, 0}}, 3), Tags({0, 1, 2}));
  EXPECT_EQ(Sorted({{1, 1, 0}, {3, 3, 0}, {2, 2, 0}, {4, 4, 0}}, 1)[0], 3);  // n places only
}

}  // namespace
}  // namespace shogi
