// The computer as the window's game sees it: a ComputerPlayer bound to the game's history. It
// starts the computer's think on a copy of the history, commits the move once the think has
// ended, and abandons a think when a new game begins or the program closes. Free of Qt, so
// that the hand-over can be tested without a window.
#pragma once

#include <optional>

#include "shogi/engine/computer_player.h"
#include "shogi/engine/think.h"
#include "shogi/rules/game_state.h"

namespace shogi::ui {

class ComputerOpponent {
 public:
  ComputerOpponent(GameHistory& game, OpeningBook& book) : game_(game), computer_(book) {}

  // A new game (or one loaded from a record): a think under way is abandoned and the computer
  // forgets what it carried from move to move.
  void NewGame() {
    computer_.NewGame();
    thinkingMove_ = 0;
  }

  // Starts the think about the computer's move in the game's current position.
  void Start() {
    thinkingMove_ = game_.moveNumber + 1;
    computer_.Start(game_);
  }
  bool Thinking() const { return computer_.Busy(); }
  // The think has ended; its move is waiting for TakeMove.
  bool Ready() const { return computer_.Ready(); }
  // The number of the move being thought about, 0 when none is.
  int ThinkingMove() const { return computer_.Busy() ? thinkingMove_ : 0; }
  ComputerPlayer::Progress CurrentProgress() const { return computer_.CurrentProgress(); }

  // Once the think has ended: commits its move (and the game's choices it made) to the game's
  // history and returns what the think found; nothing while it still thinks.
  std::optional<ThinkResult> TakeMove() {
    std::optional<ThinkResult> r = computer_.TakeResult();
    if (r) CommitComputerMove(game_, *r);
    return r;
  }

  // Commits the player's move and its thinking time, evaluated for the computer's next think.
  bool CommitPlayerMove(const MoveRec& move, int seconds = 0) {
    return shogi::CommitPlayerMove(game_, computer_.Scratch(), move, seconds);
  }

  // Cuts the think short: its move (the best found so far) still comes to TakeMove.
  void Stop() { computer_.Stop(); }
  // Stops a think under way and throws its move away.
  void Abandon() { computer_.Abandon(); }

 private:
  GameHistory& game_;
  ComputerPlayer computer_;
  int thinkingMove_ = 0;
};

}  // namespace shogi::ui
