// Pixel layout of the board window: every position is in view coordinates, origin at the
// top-left corner of the 696 x 440 drawing area.
#pragma once

#include <QPoint>
#include <QPolygon>
#include <QRect>

namespace shogi::ui {

inline constexpr int kViewWidth = 696;
inline constexpr int kViewHeight = 440;
inline constexpr int kCanvasWidth = 696;
inline constexpr int kCanvasHeight = 420;
inline constexpr int kBoardLeft = 166;
inline constexpr int kBoardTop = 20;
inline constexpr int kCellWidth = 39;
inline constexpr int kCellHeight = 42;
inline constexpr int kPieceWidth = 36;
inline constexpr int kPieceHeight = 38;
inline constexpr int kPieceOffset = 2;
inline constexpr int kMaxStack = 17;

inline const QRect kTextPanel(24, 248, 110, 140);
inline const QRect kClockStrip(24, 328, 110, 60);
inline const QRect kPlayerHandArea(534, 231, 142, 189);
inline const QRect kComputerHandArea(6, 7, 142, 189);
// The player's hand area as the drag of a piece taken from the hand clears it.
inline const QRect kPlayerHandDragArea(QPoint(534, 231), QPoint(675, 409));

inline QRect CellRect(int f, int r) {
  return QRect(kBoardLeft + kCellWidth * f, kBoardTop + kCellHeight * r, kCellWidth, kCellHeight);
}
inline QPoint PiecePos(int f, int r) {
  return QPoint(kBoardLeft + kCellWidth * f + kPieceOffset,
                kBoardTop + kCellHeight * r + kPieceOffset);
}

// Column (fileIndex) and row (rankIndex) of a point, or -1 outside the board's bands.
inline int FileAt(int x) {
  if (x < kBoardLeft || x >= kBoardLeft + 9 * kCellWidth) return -1;
  return (x - kBoardLeft) / kCellWidth;
}
inline int RankAt(int y) {
  if (y < kBoardTop || y >= kBoardTop + 9 * kCellHeight) return -1;
  return (y - kBoardTop) / kCellHeight;
}

// Hand slots of kinds 1..7: top-left corner of the stack and the step between copies.
// side 1 the player (bottom right), side 2 the computer (top left).
inline int HandRow(int kind) {
  return kind <= 1 ? 0 : (kind - 2) / 2 + 1;
}
inline QPoint HandSlot(int side, int kind) {
  const int right = (kind == 3 || kind == 5 || kind == 7) ? 3 * (kCellWidth / 2) : 0;
  if (side == 1) return QPoint(540 + right, 238 + kCellHeight * HandRow(kind));
  return QPoint(12 + right, 182 - kCellHeight * (HandRow(kind) + 1));
}
inline int HandStep(int kind) {
  return kind == 1 ? 4 : kind >= 6 ? 8 : 6;
}
// The rectangle a click picks a hand piece from.
inline QRect HandSlotRect(int side, int kind) {
  return QRect(HandSlot(side, kind), QSize(kCellWidth, kCellHeight));
}

// Outlines of a held piece of the kind around the point (x, y): the trail it leaves and the
// piece itself (five points each).
QPolygon TrailOutline(int kind, int x, int y);
QPolygon PieceOutline(int kind, int x, int y);

}  // namespace shogi::ui
