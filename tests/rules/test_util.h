// Helpers for rules tests: positions from SFEN boards and lookups in the analysed list.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shogi/rules/analyze.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"

namespace shogi::testing_util {

// The position of an SFEN board and hands, black being the player (firstMover 1).
inline Position FromSfen(const std::string& board, const std::string& hands = "-",
                         int firstMover = 1) {
  std::string error;
  auto p = ParseSfen(board, "b", hands, &error);
  EXPECT_TRUE(p.has_value()) << error;
  return p ? ToInternal(*p, firstMover) : Position{};
}

inline std::unique_ptr<GameState> NewGame() {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  return gs;
}

// The analysed entry of a USI move (firstMover 1), or null.
inline const MoveEntry* Find(const GameState& gs, const std::string& usi, int firstMover = 1) {
  for (int i = 0; i < gs.moveListCount; ++i)
    if (MoveToUsi(gs.moveList[i].move, firstMover) == usi) return &gs.moveList[i];
  return nullptr;
}

inline std::vector<int> Gains(const MoveEntry& e) {
  std::vector<int> g;
  for (int v : e.gains) {
    if (v == 0) break;
    g.push_back(v);
  }
  return g;
}

inline std::vector<std::string> LegalUsi(const GameState& gs, int firstMover = 1) {
  std::vector<std::string> out;
  for (int i = 0; i < gs.moveListCount; ++i)
    if (gs.moveList[i].illegal == 0) out.push_back(MoveToUsi(gs.moveList[i].move, firstMover));
  return out;
}

// Commits the move of the side to move after checking that the rules allow it.
inline void Play(GameState& gs, MoveRec m) {
  const int side = SideToMove(gs);
  AnalyzeMoves(gs, gs.Current(), side, 0);
  bool legal = false;
  for (int i = 0; i < gs.moveListCount; ++i)
    legal = legal || (gs.moveList[i].illegal == 0 && gs.moveList[i].move == m);
  ASSERT_TRUE(legal) << "move " << gs.moveNumber + 1;
  ASSERT_TRUE(CommitMove(gs, m, side));
}

}  // namespace shogi::testing_util
