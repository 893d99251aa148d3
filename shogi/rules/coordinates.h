// Squares in notation and on the internal board. Notation counts files 1..9 from sente's
// right and ranks 1..9 from gote's side, as USI, records and the book do; the internal board
// has the player at the bottom, so the conversion depends on who moved first.
#pragma once

namespace shogi {

// The internal square (fileIndex, rankIndex) of the notation square (file, rank) for the
// given firstMover. Works in any integer type (the book reads 32-bit numbers from its file and
// converts them in 64 bits).
template <class Int>
constexpr void NotationToInternal(int firstMover, Int file, Int rank, Int& fileIndex,
                                  Int& rankIndex) {
  if (firstMover == 2) {
    fileIndex = file - 1;
    rankIndex = 9 - rank;
  } else {
    fileIndex = 9 - file;
    rankIndex = rank - 1;
  }
}

// The notation square of an internal square, the inverse of NotationToInternal.
constexpr void InternalToNotation(int firstMover, int fileIndex, int rankIndex, int& file,
                                  int& rank) {
  if (firstMover == 2) {
    file = fileIndex + 1;
    rank = 9 - rankIndex;
  } else {
    file = 9 - fileIndex;
    rank = rankIndex + 1;
  }
}

}  // namespace shogi
