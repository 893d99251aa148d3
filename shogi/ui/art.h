// The pictures of the board window, loaded once from the program's resources: the canvas and
// its clean copy, the pieces of both sides, the last-move frame and the two cursors. On a
// high-density screen the twice-size copies are used.
#pragma once

#include <QCursor>
#include <QImage>
#include <array>

namespace shogi::ui {

struct Art {
  // Loads everything; `scale` 2 picks the "@2x" copies. Returns false when a picture is
  // missing (it is then an empty image).
  bool Load(int scale);

  // The piece of a side (1 player, 2 computer) and kind (1..15), or an empty image.
  const QImage& Piece(int side, int kind) const;

  QImage canvas;  // board background; the view draws the panel texts into it
  QImage clean;   // the same picture, never drawn on
  QImage frame;   // last-move frame, 39 x 42
  std::array<QImage, 3 * 16> pieces;
  QCursor replayCursor;    // cursor 211
  QCursor thinkingCursor;  // cursor 259
};

}  // namespace shogi::ui
