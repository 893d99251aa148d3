// How each kind of piece moves: one table per side and kind. The steps and slides are listed
// in the order the computer's move generator visits them; attack maps, reach lists and the
// legality check read the same table.
#pragma once

#include <array>

#include "shogi/rules/types.h"

namespace shogi {

// Forward rank step of a side's pieces.
constexpr int Forward(int side) {
  return side == kComputerSide ? 1 : -1;
}

struct Direction {
  int df = 0;
  int dr = 0;
  bool operator==(const Direction&) const = default;
};

struct Movement {
  std::array<Direction, 8> step{};  // single steps
  int stepCount = 0;
  std::array<Direction, 4> slide{};  // lines the piece slides along
  int slideCount = 0;

  template <class Fn>
  constexpr void ForEachStep(Fn&& fn) const {
    for (int i = 0; i < stepCount; ++i) fn(step[i]);
  }
  template <class Fn>
  constexpr void ForEachSlide(Fn&& fn) const {
    for (int i = 0; i < slideCount; ++i) fn(slide[i]);
  }
  constexpr bool Steps(Direction d) const {
    for (int i = 0; i < stepCount; ++i)
      if (step[i] == d) return true;
    return false;
  }
  constexpr bool Slides(Direction d) const {
    for (int i = 0; i < slideCount; ++i)
      if (slide[i] == d) return true;
    return false;
  }
};

namespace detail {

struct MovementTable {
  Movement of[3][kKindCount]{};  // [side][kind]; side 0 unused

  constexpr MovementTable() {
    for (int side = kPlayerSide; side <= kComputerSide; ++side) {
      const int fw = Forward(side);
      const bool player = side == kPlayerSide;
      auto steps = [&](int kind, std::initializer_list<Direction> ds) {
        for (Direction d : ds) of[side][kind].step[of[side][kind].stepCount++] = d;
      };
      auto slides = [&](int kind, std::initializer_list<Direction> ds) {
        for (Direction d : ds) of[side][kind].slide[of[side][kind].slideCount++] = d;
      };
      const std::initializer_list<Direction> diagonals = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
      const std::initializer_list<Direction> orthogonals = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
      const std::initializer_list<Direction> orthogonalSteps = {{0, 1}, {1, 0}, {-1, 0}, {0, -1}};
      const std::initializer_list<Direction> diagonalSteps = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};

      steps(kPawn, {{0, fw}});
      slides(kLance, {{0, fw}});
      steps(kKnight, {{1, 2 * fw}, {-1, 2 * fw}});
      steps(kSilver, {{0, fw}, {-1, fw}, {1, fw}, {-1, -fw}, {1, -fw}});
      for (int gold : {kGold, kProPawn, kProLance, kProKnight, kProSilver}) {
        if (player)
          steps(gold, {{0, -1}, {1, -1}, {-1, -1}, {1, 0}, {-1, 0}, {0, 1}});
        else
          steps(gold, {{0, 1}, {-1, 1}, {1, 1}, {1, 0}, {-1, 0}, {0, -1}});
      }
      slides(kBishop, diagonals);
      slides(kHorse, diagonals);
      steps(kHorse, orthogonalSteps);
      slides(kRook, orthogonals);
      slides(kDragon, orthogonals);
      steps(kDragon, diagonalSteps);
      steps(kKing, orthogonalSteps);
      steps(kKing, diagonalSteps);
    }
  }
};
inline constexpr MovementTable kMovementTable{};

}  // namespace detail

// The moves of a piece of `kind` owned by `side`.
constexpr const Movement& MovementOf(int side, int kind) {
  return detail::kMovementTable.of[side][kind];
}

}  // namespace shogi
