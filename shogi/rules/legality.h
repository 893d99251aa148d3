// The rules of shogi as a referee sees them: whether a move a player makes is legal. This is
// the judge of every move that comes from outside the computer (USI, records, the window);
// the computer's own moves come from its generator and analysis.
#pragma once

#include <string>
#include <vector>

#include "shogi/rules/types.h"

namespace shogi {

// Whether a piece of `side` attacks the square (f, r): steps, and slides up to the first
// occupied square (no look through other pieces).
bool SquareAttacked(const Position& pos, int side, int f, int r);

// Whether the king of `side` is attacked by the other side. False when it has no king.
bool KingInCheck(const Position& pos, int side);

// Number of enemy pieces attacking the king of `side` (0 when it has no king).
int CheckerCount(const Position& pos, int side);

// Whether `side` may make the move `m` in `pos` under the rules of shogi:
//  - a board move: an own piece moves as its kind moves onto an empty or enemy square (a
//    king is never taken); promote 1 only for a pawn, lance, knight, silver, bishop or rook
//    starting or ending in the side's zone; promote 0 not where the piece could never move
//    again (pawn and lance on the last rank, knight on the last two);
//  - a drop (dropKind 1..7, from squares 0, promote 0): a piece in hand onto an empty
//    square, not a pawn or lance on the last rank nor a knight on the last two, no second
//    unpromoted pawn on a file, no pawn drop that mates;
//  - and never a move that leaves the own king attacked.
// Any side other than 1 or 2, or a square off the board, makes the move illegal.
bool IsLegalMove(const Position& pos, int side, const MoveRec& m);

// All legal moves of `side`: board moves in file-major order of their start squares, then
// drops.
std::vector<MoveRec> LegalMoves(const Position& pos, int side);

// Whether `side` has any legal move.
bool HasLegalMove(const Position& pos, int side);

// What makes `pos` with `sideToMove` to move no position of a game, or "" when nothing does:
// more than one king of a side, more pieces of a kind than the game has, a pawn, lance or
// knight that could never move again, two unpromoted pawns of a side on a file, or the side
// not to move in check (its king could be taken).
std::string PositionFault(const Position& pos, int sideToMove);

}  // namespace shogi
