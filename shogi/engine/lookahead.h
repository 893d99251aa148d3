// The opening look-ahead and the formation choosers.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi {

// Sorts just the front of moveList: afterwards its first n entries are the strongest, in order.
void SortMoveList(GameState& gs, int n);

// Pushes the first `count` entries of moveList, made by `mover` in `from`, onto the search
// stack as a new block of nodes (each with the position after its move). Returns the index of
// the first; nodeTop is raised by count.
int PushBlock(GameState& gs, const Position& from, int mover, int count);

// A block of nodes pushed by PushBlock for as long as the object lives; it is popped again
// when the object goes out of scope.
class NodeBlock {
 public:
  NodeBlock(GameState& gs, const Position& from, int mover, int count)
      : gs_(gs), count_(count), first_(PushBlock(gs, from, mover, count)) {}
  ~NodeBlock() { gs_.nodeTop -= count_; }
  NodeBlock(const NodeBlock&) = delete;
  NodeBlock& operator=(const NodeBlock&) = delete;

  int First() const { return first_; }
  SearchNode& operator[](int i) const { return gs_.node[first_ + i]; }

 private:
  GameState& gs_;
  const int count_;
  const int first_;
};

// A shallow search of snapshot[moveNumber - 1] with the player to move; the result is scored
// for the computer.
int LookAhead(GameState& gs);

// The formation score (1..4) of the computer's pieces on the board, from the piece list.
int FormationScore(const GameState& gs, int formation);

// Chooses the computer's move that best advances formation 1..4, then lets the look-ahead
// vet it. Returns the formation score, or -32768 when the look-ahead rejects the move.
int ChooseFormationMove(GameState& gs, int formation);

}  // namespace shogi
