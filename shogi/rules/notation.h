// Conversions between the game's internal coordinates and USI notation (SFEN positions and
// USI moves). In USI, black (sente) sits at the bottom; internally the player is always at
// the bottom, so the mapping depends on who moves first.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "shogi/rules/game_state.h"

namespace shogi {

// A position as USI sees it: black at the bottom, independent of who the computer is.
struct UsiPosition {
  enum Color { kNone = 0, kBlack = 1, kWhite = 2 };
  // [file 1..9][rank 1..9]; index 0 unused.
  std::array<std::array<int, 10>, 10> color{};
  std::array<std::array<int, 10>, 10> kind{};
  // [color][kind 1..7]
  std::array<std::array<int, 8>, 3> hand{};
  int sideToMove = kBlack;

  bool operator==(const UsiPosition&) const = default;
};

// Internal square of a USI square (file 1..9, rank 1..9) for the given firstMover, and back
// (the conversions of shogi/rules/coordinates.h).
void UsiToInternal(int firstMover, int file, int rank, int& fileIndex, int& rankIndex);
void InternalToUsi(int firstMover, int fileIndex, int rankIndex, int& file, int& rank);

// The internal side that plays the given USI colour.
constexpr int SideOfColor(int firstMover, int color) {
  return color == UsiPosition::kBlack ? firstMover : Opponent(firstMover);
}

// "7g7f", "2b8h+", "P*5e".
std::string MoveToUsi(const MoveRec& m, int firstMover);
// Syntax only: the returned move may still be illegal in a given position.
std::optional<MoveRec> ParseUsiMove(std::string_view text, int firstMover);

UsiPosition UsiStartPosition();
// Parses the three SFEN fields (board, side to move, hands). On failure returns nothing and
// puts the reason into *error.
std::optional<UsiPosition> ParseSfen(std::string_view board, std::string_view side,
                                     std::string_view hands, std::string* error);
std::string ToSfen(const UsiPosition& pos);

// The internal position of a USI position, for the given firstMover.
Position ToInternal(const UsiPosition& pos, int firstMover);
// The USI view of an internal position (side to move given as a USI colour).
UsiPosition FromInternal(const Position& pos, int firstMover, int sideToMove);

}  // namespace shogi
