// Move ordering, the opening look-ahead and the formation choosers.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shogi/engine/evaluate.h"
#include "shogi/engine/lookahead.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/attacks.h"
#include "shogi/rules/notation.h"

namespace shogi {
namespace {

std::unique_ptr<GameState> NewGame() {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->fixedClock = 1700000000;
  return gs;
}

Position Board(const std::string& board, const std::string& side = "b",
               const std::string& hands = "-") {
  std::string error;
  auto p = ParseSfen(board, side, hands, &error);
  EXPECT_TRUE(p.has_value()) << error;
  return p ? ToInternal(*p, 1) : Position{};
}

MoveEntry Entry(int tag, int value, std::initializer_list<int> gains, int support = 0) {
  MoveEntry e;
  e.move.toFile = tag;
  e.value = value;
  int i = 0;
  for (int g : gains) e.gains[i++] = g;
  e.supportBalance = support;
  return e;
}

std::vector<int> Tags(const GameState& gs) {
  std::vector<int> t;
  for (int i = 0; i < gs.moveListCount; ++i) t.push_back(gs.moveList[i].move.toFile);
  return t;
}

TEST(SortMoveList, ValueThenGainsThenSupport) {
  auto gs = NewGame();
  gs->moveList[0] = Entry(0, 60, {60, 58}, 1);
  gs->moveList[1] = Entry(1, 80, {80});
  gs->moveList[2] = Entry(2, 60, {60, 59}, 0);
  gs->moveList[3] = Entry(3, 60, {60, 58}, 2);
  gs->moveList[4] = Entry(4, kLossScore, {});
  gs->moveList[5] = Entry(5, 60, {60}, 9);  // a shorter list loses to a longer one
  gs->moveListCount = 6;
  SortMoveList(*gs, 6);
  EXPECT_EQ(Tags(*gs), (std::vector<int>{1, 2, 3, 0, 5, 4}));
}

TEST(SortMoveList, StopsAtADecisiveValue) {
  auto gs = NewGame();
  gs->moveList[0] = Entry(0, kWinScore, {kWinScore});
  gs->moveList[1] = Entry(1, 1, {1});
  gs->moveList[2] = Entry(2, 5, {5});
  gs->moveListCount = 3;
  SortMoveList(*gs, 3);
  EXPECT_EQ(Tags(*gs), (std::vector<int>{0, 1, 2}));  // the rest stays as it was
  // Only the first n places are settled.
  gs->moveList[0] = Entry(0, 1, {1});
  gs->moveList[1] = Entry(1, 3, {3});
  gs->moveList[2] = Entry(2, 2, {2});
  gs->moveList[3] = Entry(3, 4, {4});
  gs->moveListCount = 4;
  SortMoveList(*gs, 1);
  EXPECT_EQ(gs->moveList[0].move.toFile, 3);
}

TEST(LookAhead, PlayerTakingTheKingEndsTheSearch) {
  auto gs = NewGame();
  // The player's rook sees the computer's king.
  gs->snapshot[0] = Board("4k4/9/9/9/4R4/9/9/9/4K4");
  gs->moveNumber = 1;
  gs->level = 3;
  EXPECT_EQ(LookAhead(*gs), kLossScore);
  EXPECT_EQ(gs->evaluateCalls, 0u);
  EXPECT_EQ(gs->progressTotal.load(), 1);
  EXPECT_EQ(gs->bestRootIndex, 0);
}

TEST(LookAhead, PlayerWithoutLegalMoveLoses) {
  auto gs = NewGame();
  // The player's king on 1i is mated by the gold on 1h, which the silver guards.
  gs->snapshot[0] = Board("k8/9/9/9/9/9/7s1/8g/8K");
  gs->moveNumber = 1;
  gs->level = 2;
  EXPECT_EQ(LookAhead(*gs), kWinScore);
}

TEST(LookAhead, DepthFollowsTheLevel) {
  const Position start =
      Board("ln1g3nl/1r1sk1gs1/p1pppp1pp/1p4p2/7P1/2P6/PP1PPPP1P/1SG4R1/LN2KGSNL", "b", "Bb");
  uint64_t calls[4] = {};
  for (int level = 0; level <= 3; ++level) {
    auto gs = NewGame();
    gs->snapshot[0] = start;
    gs->moveNumber = 1;
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
  // The computer (white, firstMover 1) to move at move 2 after 7g7f.
  CommitMove(*gs, MoveRec{2, 6, 2, 5, 0, 0}, kPlayerSide);
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

TEST(Formation, EmptyMoveListIsRefused) {
  auto gs = NewGame();
  gs->moveNumber = 1;
  gs->moveListCount = 0;
  gs->moveRec[1] = MoveRec{1, 2, 3, 4, 0, 0};
  EXPECT_EQ(ChooseFormationMove(*gs, 2), kLossScore);
  EXPECT_EQ(gs->moveRec[1], (MoveRec{1, 2, 3, 4, 0, 0}));
}

}  // namespace
}  // namespace shogi
