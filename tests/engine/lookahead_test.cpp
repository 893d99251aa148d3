// Move ordering, the opening look-ahead and the formation choosers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shogi/engine/evaluate.h"
#include "shogi/engine/lookahead.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/attacks.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

std::unique_ptr<GameState> NewGame(const std::string& sfen = "", const std::string& hands = "-") {
  auto gs = testing_util::NewGame();
  gs->fixedClock = 1700000000;
  if (!sfen.empty()) {
    gs->snapshot[0] = testing_util::FromSfen(sfen, hands);
    gs->moveNumber = 1;
  }
  return gs;
}

// Sorts entries tagged 0, 1, ... (in toFile) given as {value, gains..., support}; returns the
// tags in their new order.
std::vector<int> Sorted(const std::vector<std::vector<int>>& entries, int n) {
  auto gs = NewGame();
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
  EXPECT_EQ(Sorted({{60, 60, 58, 1},
                    {80, 80, 0},
                    {60, 60, 59, 0},
                    {60, 60, 58, 2},
                    {kLossScore, 0},
                    {60, 60, 9}},
                   6),
            (std::vector<int>{1, 2, 3, 0, 5, 4}));
  EXPECT_EQ(Sorted({{kWinScore, kWinScore, 0}, {1, 1, 0}, {5, 5, 0}}, 3),
            (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Sorted({{1, 1, 0}, {3, 3, 0}, {2, 2, 0}, {4, 4, 0}}, 1)[0], 3);  // n places only
}

TEST(LookAhead, DecidedPositionsAndTheDepthOfEachLevel) {
  auto taken = NewGame("4k4/9/9/9/4R4/9/9/9/4K4");  // the player's rook sees the king
  taken->level = 3;
  EXPECT_EQ(LookAhead(*taken), kLossScore);
  EXPECT_EQ(taken->evaluateCalls, 0u);
  EXPECT_EQ(taken->progressTotal.load(), 1);
  EXPECT_EQ(taken->bestRootIndex, 0);
  auto mated = NewGame("k8/9/9/9/9/9/7s1/8g/8K");  // the player has no legal move
  mated->level = 2;
  EXPECT_EQ(LookAhead(*mated), kWinScore);

  uint64_t calls[4] = {};
  for (int level = 0; level <= 3; ++level) {
    auto gs = NewGame("ln1g3nl/1r1sk1gs1/p1pppp1pp/1p4p2/7P1/2P6/PP1PPPP1P/1SG4R1/LN2KGSNL", "Bb");
    gs->level = level;
    gs->gamePhase = 1;
    LookAhead(*gs);
    calls[level] = gs->analyzeCalls + gs->evasionCalls + gs->evaluateCalls;
  }
  EXPECT_LT(calls[1], calls[2]);
  EXPECT_LT(calls[2], calls[3]);
  EXPECT_GT(calls[0], calls[2]);  // level 0 searches to depth 4, like the hardest level
}

TEST(Formation, EqualScoresTakeTheLaterMove) {
  auto gs = NewGame();
  CommitMove(*gs, MoveRec{2, 6, 2, 5, 0, 0}, kPlayerSide);  // 7g7f; the computer to move
  gs->moveNumber = 2;
  gs->gamePhase = 1;
  gs->baseScore = Evaluate(*gs, gs->snapshot[1], gs->computerSide);
  AnalyzeMoves(*gs, gs->snapshot[1], gs->computerSide, 0);
  ChooseFormationMove(*gs, 1);
  // Pushing the pawn of fileIndex 5 or 6 to rankIndex 3 scores the same 81; the later wins.
  EXPECT_EQ(MoveToUsi(gs->moveRec[2], 1), "3c3d");
  EXPECT_EQ(gs->moveNumber, 2);
  Position expected = gs->snapshot[1];
  ApplyMove(expected, gs->moveRec[2], kComputerSide);
  EXPECT_EQ(gs->snapshot[2], expected);
  // An empty move list is refused and leaves the record alone.
  gs->moveListCount = 0;
  const MoveRec before = gs->moveRec[2];
  EXPECT_EQ(ChooseFormationMove(*gs, 2), kLossScore);
  EXPECT_EQ(gs->moveRec[2], before);
}

TEST(Formation, PawnResetDiscardsWhatCameBefore) {
  auto gs = NewGame();
  Position p;
  p.Set(1, 3, kComputerSide, kPawn);  // 9 x 9 = 81 in formation 4
  p.Set(2, 4, kComputerSide, kPawn);  // resets the sum, then adds 1 x 10
  p.Set(6, 3, kComputerSide, kPawn);  // 8 x 9 = 72
  BuildPieceList(*gs, p);
  EXPECT_EQ(FormationScore(*gs, 4), 10 + 72);
  EXPECT_EQ(FormationScore(*gs, 2), 8);  // no reset in formation 2: 1 x 8 + 1 x 0 + 0 x 8
}

}  // namespace
}  // namespace shogi
