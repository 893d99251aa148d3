// The mate search and the main search, with their checking-move generator and signature.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shogi/engine/bench.h"
#include "shogi/engine/clock.h"
#include "shogi/engine/deep_search.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"

namespace shogi {
namespace {

UsiPosition Sfen(const std::string& board, const std::string& side, const std::string& hands) {
  std::string error;
  auto p = ParseSfen(board, side, hands, &error);
  EXPECT_TRUE(p.has_value()) << error;
  return p.value_or(UsiPosition{});
}

struct Thought {
  std::string move;
  int result;
};

// The computer (white) thinks as move 60 of a game on the position.
Thought Think(const std::string& board, const std::string& hands, int level) {
  auto gs = std::make_unique<GameState>();
  auto book = std::make_unique<OpeningBook>();
  const MoveRec m = ThinkOnPosition(*gs, *book, Sfen(board, "w", hands), 60, level);
  return {m.IsEmpty() ? "" : MoveToUsi(m, gs->firstMover), gs->gameResult};
}

TEST(GenerateChecks, RookDropsAroundALoneKing) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  // The computer (white) with a rook in hand against the player's king on 5i.
  const Position pos = ToInternal(Sfen("4k4/9/9/9/9/9/9/9/4K4", "w", "r"), 1);
  GenerateChecks(*gs, pos, kComputerSide);
  EXPECT_EQ(gs->moveListCount, 79 + 5);  // a rook drop on every empty square, 5 king moves
  int checks = 0;
  for (int i = 0; i < gs->moveListCount; ++i) {
    const MoveEntry& e = gs->moveList[i];
    const std::string u = MoveToUsi(e.move, 1);
    const bool onLine = u[0] == 'R' && (u[2] == '5' || u[3] == 'i');
    EXPECT_EQ(e.value, onLine ? 73 : kLossScore) << u;
    checks += e.value == 73;
    if (u == "R*5h") {
      EXPECT_EQ(e.gains[0], 0 - 1 + 5);  // nothing of its own on 5h, the king guards it
      EXPECT_EQ(e.supportBalance, 0);
    }
    if (u == "R*5b") {
      EXPECT_EQ(e.gains[0], 1 - 0 + 5);  // its own king guards 5b
      EXPECT_EQ(e.supportBalance, 1);
    }
  }
  EXPECT_EQ(checks, 7 + 8);  // 5b..5h and the eight files of rank i
}

TEST(GenerateChecks, DropSquaresFollowThePiece) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  const Position pos = ToInternal(Sfen("k8/9/9/9/9/9/9/9/4K4", "w", "pnsg"), 1);
  GenerateChecks(*gs, pos, kComputerSide);
  int pawn = 0, knight = 0, silverGold = 0;
  for (int i = 0; i < gs->moveListCount; ++i) {
    const MoveRec& m = gs->moveList[i].move;
    pawn += m.dropKind == kPawn;
    knight += m.dropKind == kKnight;
    silverGold += m.dropKind == kSilver || m.dropKind == kGold;
  }
  EXPECT_EQ(pawn, 1);         // 5h only
  EXPECT_EQ(knight, 2);       // 4g and 6g
  EXPECT_EQ(silverGold, 10);  // five empty squares next to the king, for each
}

TEST(MateSearch, MateInOneIsPlayedAtOnce) {
  const Thought t = Think("4k4/9/9/9/9/9/4p4/9/4K4", "g", 2);
  EXPECT_EQ(t.move, "G*5h");
  EXPECT_EQ(t.result, 2);
}

TEST(MateSearch, MateInThree) {
  for (int level = 1; level <= 3; ++level) {
    const Thought t = Think("4k4/9/9/9/9/8b/9/4r4/8K", "p", level);
    EXPECT_EQ(t.move, "P*1h") << level;  // a pawn drop that checks without mating is fine
    EXPECT_EQ(t.result, 3) << level;
  }
}

// P*5h sorts first and mates in 3; searching on finds 3g4h, which mates at once.
TEST(MateSearch, AMateFoundDoesNotEndThePass) {
  const Thought t = Think("4k4/9/9/9/9/9/2n1s1s1n/9/4K4", "p", 2);
  EXPECT_EQ(t.move, "3g4h");
  EXPECT_EQ(t.result, 2);
}

TEST(MateSearch, PawnDropMateIsNeverPlayed) {
  // P*5h would mate (both lances cover the king's sides, the knight guards 5h).
  for (int level = 1; level <= 3; ++level) {
    const Thought t = Think("3l1l2k/9/9/9/9/5n3/9/9/4K4", "p", level);
    EXPECT_NE(t.move, "P*5h") << level;
    EXPECT_FALSE(t.move.empty());
  }
}

TEST(MainSearch, AMatedComputerGivesUp) {
  const Thought t = Think("4k4/4G4/4P4/9/9/9/9/9/4K4", "-", 2);
  EXPECT_EQ(t.result, 1);
  EXPECT_EQ(t.move, "");
}

TEST(MainSearch, AvoidsRecreatingAnEarlierPosition) {
  const UsiPosition pos =
      Sfen("l1k4nl/1rsg1sgb1/2n2p1pp/p1p1p1p2/1p1p5/P1PPPP2P/BPN1GGPP1/5S1R1/LKS4NL", "w", "-");
  auto gs = std::make_unique<GameState>();
  auto book = std::make_unique<OpeningBook>();
  const MoveRec first = ThinkOnPosition(*gs, *book, pos, 60, 2);
  ASSERT_FALSE(first.IsEmpty());
  // Same position, but the board after that move already occurred earlier in the game.
  const Position start = ToInternal(pos, 1);
  Position after = start;
  ApplyMove(after, first, kComputerSide);
  ResetGameState(*gs);
  gs->fixedClock = 1700000000;
  gs->level = 2;
  gs->bookChoice = 1;
  for (int k = 0; k < 60; ++k) gs->snapshot[k] = start;
  gs->snapshot[30] = after;
  gs->moveNumber = 60;
  gs->gamePhase = 4;
  DeepSearch(*gs);
  EXPECT_FALSE(gs->moveRec[60].IsEmpty());
  EXPECT_NE(gs->moveRec[60], first);
  EXPECT_EQ(gs->gameResult, 0);
}

TEST(MainSearch, LevelsSearchDeeperAndDeeper) {
  const std::string board =
      "l1k4nl/1rsg1sgb1/2n2p1pp/2p1p1p2/1p3P2P/p1PpP4/1PN1GGPP1/1B3S1R1/LKS4NL";
  uint64_t calls[4] = {};
  for (int level = 0; level <= 3; ++level) {
    auto gs = std::make_unique<GameState>();
    auto book = std::make_unique<OpeningBook>();
    ThinkOnPosition(*gs, *book, Sfen(board, "w", "2p"), 60, level);
    calls[level] = gs->analyzeCalls + gs->evasionCalls;
  }
  EXPECT_LT(calls[0], calls[1]);
  EXPECT_LT(calls[1], calls[2]);
  EXPECT_LT(calls[2], calls[3]);
}

// A think cut short still plays a legal move of its own list, and never gives up for it: at
// once (the first of the sorted root list), or at a deadline inside the search.
TEST(Cut, AThinkCutShortPlaysALegalMove) {
  const struct {
    const char* board;
    const char* hands;
    int level;
    int64_t deadlineMs;  // -1: stopped before it starts
  } cases[] = {
      {"4k4/9/9/9/9/8b/9/4r4/8K", "p", 2, -1},  // the mate pass is abandoned
      {"l1k4nl/1rsg1sgb1/2n2p1pp/p1p1p1p2/1p1p5/P1PPPP2P/BPN1GGPP1/5S1R1/LKS4NL", "-", 3, -1},
      {"l1k4nl/1rsg1sgb1/2n2p1pp/p1p1p1p2/1p1p5/P1PPPP2P/BPN1GGPP1/5S1R1/LKS4NL", "-", 3, 30},
  };
  for (const auto& c : cases) {
    const UsiPosition pos = Sfen(c.board, "w", c.hands);
    auto full = std::make_unique<GameState>();
    auto book = std::make_unique<OpeningBook>();
    ThinkOnPosition(*full, *book, pos, 60, c.level);
    auto gs = std::make_unique<GameState>();
    if (c.deadlineMs < 0)
      gs->stopThink = 1;
    else
      gs->thinkDeadline = SteadyNanos() + c.deadlineMs * 1000000;
    const MoveRec m = ThinkOnPosition(*gs, *book, pos, 60, c.level);
    EXPECT_EQ(gs->thinkCut, 1) << c.board;
    EXPECT_EQ(gs->gameResult, 0) << c.board;
    EXPECT_TRUE(IsLegalMove(ToInternal(pos, 1), kComputerSide, m)) << MoveToUsi(m, 1);
    EXPECT_LT(gs->analyzeCalls + gs->evasionCalls + gs->evaluateCalls,
              full->analyzeCalls + full->evasionCalls + full->evaluateCalls);
  }
}

}  // namespace
}  // namespace shogi
