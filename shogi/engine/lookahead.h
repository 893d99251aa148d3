// The opening look-ahead and the formation choosers.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi {

// Sorts just the front of moveList: afterwards its first n entries are the strongest, in order.
void SortMoveList(AnalysisScratch& sc, int n);

// Pushes the first `count` entries of moveList, made by `mover` in `from`, onto the search
// stack as a new block of nodes (each with the position after its move). Returns the index of
// the first; nodeTop is raised by count.
int PushBlock(AnalysisScratch& sc, SearchState& ss, const Position& from, int mover, int count);

// A block of nodes pushed by PushBlock for as long as the object lives; it is popped again
// when the object goes out of scope.
class NodeBlock {
 public:
  NodeBlock(AnalysisScratch& sc, SearchState& ss, const Position& from, int mover, int count)
      : ss_(ss), count_(count), first_(PushBlock(sc, ss, from, mover, count)) {}
  ~NodeBlock() { ss_.nodeTop -= count_; }
  NodeBlock(const NodeBlock&) = delete;
  NodeBlock& operator=(const NodeBlock&) = delete;

  int First() const { return first_; }
  SearchNode& operator[](int i) const { return ss_.node[first_ + i]; }

 private:
  SearchState& ss_;
  const int count_;
  const int first_;
};

// A shallow search of `start` with the player to move; the result is scored for the computer.
int LookAhead(const GameHistory& game, AnalysisScratch& sc, SearchState& ss, const Position& start);

// The formation score (1..4) of the computer's pieces on the board, from the piece list.
int FormationScore(const GameHistory& game, const AnalysisScratch& sc, int formation);

// Chooses the computer's move that best advances formation 1..4, then lets the look-ahead
// vet it. The move goes to `chosen` (left alone when moveList is empty). Returns the
// formation score, or -32768 when the look-ahead rejects the move.
int ChooseFormationMove(const GameHistory& game, AnalysisScratch& sc, SearchState& ss,
                        int formation, MoveRec& chosen);

inline int FormationScore(const GameState& gs, int formation) {
  return FormationScore(gs, gs, formation);
}

}  // namespace shogi
