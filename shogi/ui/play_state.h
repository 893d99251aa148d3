// Everything the game program plays with: the game, the opening book, the computer opponent,
// the play-flow values, the settings and the clocks. One object, owned by the
// application (CShogiApp), run by the game controller and read by the board view; nothing of it
// is global.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "shogi/engine/book.h"
#include "shogi/rules/game_state.h"
#include "shogi/ui/computer_opponent.h"
#include "shogi/ui/turn.h"

namespace shogi::ui {

// How a loaded record is being stepped while a mouse button is held.
enum class Repeat { kNone, kForward, kBack };

struct PlayState {
  PlayState()
      : gs(std::make_unique<GameHistory>()),
        book(std::make_unique<OpeningBook>()),
        computer(std::make_unique<ComputerOpponent>(*gs, *book)) {}

  // The game's history, the window's alone: the computer thinks on a copy of it and keeps its
  // lists and search state to itself.
  std::unique_ptr<GameHistory> gs;
  std::unique_ptr<OpeningBook> book;
  // The computer, with its thread; it commits its move to gs on the timer (TakeMove).
  std::unique_ptr<ComputerOpponent> computer;
  // The player's move has been made and the computer starts as soon as the read-out is over.
  bool computerStartPending = false;

  Turn turn = Turn::kNoGame;

  // The computer's coming move is counted in the shown move number while it thinks.
  bool thinkingStarted = false;
  int thinkingMove = 0;

  // Settings (useRandom lives in gs->useRandom, where the evaluation reads it; the music in
  // the view's music controller).
  bool showLastMove = true;
  bool soundOn = true;
  bool readAloud = true;

  bool runningFromCd = false;  // records can be neither saved nor loaded
  std::string programDir;

  // Replay of a loaded record.
  int replayLastMove = 0;
  Repeat replayRepeat = Repeat::kNone;
  int replayHoldTicks = 0;

  // Move entry.
  bool dragFirstMove = false;  // the held piece has not moved since it left the hand
  bool modalShown = false;     // the promotion question covered the board

  // Clocks in milliseconds, and the time of the last tick (ms since the epoch).
  int64_t playerClockMs = 0;
  int64_t computerClockMs = 0;
  int64_t lastTickMs = 0;
};

}  // namespace shogi::ui
