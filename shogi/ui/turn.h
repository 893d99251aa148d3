// Whose turn it is in the window, the value everything in the game program decides by.
#pragma once

namespace shogi::ui {

enum class Turn {
  kNoGame,            // no game runs (before the first, after the end)
  kPlayerToMove,      // waiting for the player to pick up a piece
  kComputerThinking,  // the computer's move is being thought about
  kPieceHeld,         // the player holds a piece and puts it down with the next click
  kReplay,            // a loaded record is stepped through with the mouse buttons
};

}  // namespace shogi::ui
