// The computer player: it keeps the search's state and its analysis scratch from one move to
// the next, thinks on a copy of the game's history on a thread of its own, and hands back what
// it found. The game's history is never touched by it; the caller commits the move
// (CommitComputerMove).
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "shogi/engine/book.h"
#include "shogi/engine/think.h"
#include "shogi/rules/game_state.h"

namespace shogi {

class ComputerPlayer {
 public:
  // What the think has done so far, for a progress bar: root moves searched of total (total
  // 0 or 1 when no count is known).
  struct Progress {
    int done = 0;
    int total = 0;
  };

  // The book is read (and loaded early in a game) by the thinks; it must outlive the player.
  explicit ComputerPlayer(OpeningBook& book);
  // Abandons a think under way.
  ~ComputerPlayer();
  ComputerPlayer(const ComputerPlayer&) = delete;
  ComputerPlayer& operator=(const ComputerPlayer&) = delete;

  // Forgets what carries from move to move (prepared answers, refutations, widths, the scratch),
  // as at the start of a new game. A think under way is abandoned first.
  void NewGame();

  // Starts thinking about the computer's move in game.Current() on a copy of `game`. A think
  // under way is abandoned first. `deadline` (steady-clock nanoseconds, see SteadyNanos) cuts
  // the think at that time; 0 for none.
  void Start(const GameHistory& game, int64_t deadline = 0);
  // Starts the mate search alone (passes of 3, 5 and 7 plies) for the computer to move in
  // game.Current(). Its result has depth = the moves of the mate found (0 for none, -1 when
  // cut short) and the mate in `line`.
  void StartMateSearch(const GameHistory& game, int64_t deadline = 0);

  // A think has been started and its result not yet taken.
  bool Busy() const { return thread_.joinable(); }
  // The think has ended: TakeResult will not wait.
  bool Ready() const { return Busy() && done_.load(std::memory_order_acquire); }
  // The result of the think once it has ended, or nothing (while it thinks, or when no think
  // was started). Taking it ends the think's thread.
  std::optional<ThinkResult> TakeResult();
  // Waits for the think to end and takes its result.
  ThinkResult Wait();

  // Cuts the think short: it ends soon with the best move found so far.
  void Stop();
  // Moves the time at which the think is cut (0: no limit).
  void SetDeadline(int64_t steadyNanos);
  // Stops the think, waits for its thread and throws its result away. Nothing is left running.
  void Abandon();

  Progress CurrentProgress() const;

  // The scratch, which the player keeps between thinks: the player's move is evaluated for the
  // computer there (CommitPlayerMove), since the next think reads the king danger that
  // evaluation leaves. Only while no think runs.
  AnalysisScratch& Scratch() { return *scratch_; }

 private:
  template <class Fn>
  void Launch(const GameHistory& game, int64_t deadline, Fn&& think);

  OpeningBook& book_;
  std::unique_ptr<GameHistory> work_ = std::make_unique<GameHistory>();
  std::unique_ptr<AnalysisScratch> scratch_ = std::make_unique<AnalysisScratch>();
  std::unique_ptr<SearchState> search_ = std::make_unique<SearchState>();
  ThinkResult result_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace shogi
