// The USI protocol front end: reads commands line by line and answers on an output stream.
// The engine is the computer (internal side 2); its opponent is the player (side 1).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shogi/engine/book.h"
#include "shogi/engine/computer_player.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"

namespace shogi {

// Command lines handed from a reading thread to the engine's thread.
class CommandQueue {
 public:
  enum class Status { kLine, kTimeout, kClosed };
  void Push(std::string line);
  // No more lines will come (the end of the input).
  void Close();
  // Takes the next line, waiting at most `timeout` for one.
  Status Pop(std::string& line, std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::string> lines_;
  bool closed_ = false;
};

// The fields of a go command; times in milliseconds.
struct UsiGo {
  bool ponder = false;
  bool infinite = false;
  bool mate = false;
  int64_t mateMs = -1;         // -1: infinite
  int64_t time[2] = {-1, -1};  // btime, wtime (-1: not given)
  int64_t inc[2] = {0, 0};     // binc, winc
  int64_t byoyomi = 0;
  int64_t movetime = -1;
};

// The milliseconds the engine may think on a move for black or white, or -1 for no limit
// (no time fields): byoyomi + increment + 1/20 of the main time, at most the main time plus
// byoyomi, less the overhead; movetime less the overhead; never below 0.
int64_t UsiTimeBudget(const UsiGo& go, bool black, int64_t overhead);

class UsiEngine {
 public:
  explicit UsiEngine(std::ostream& out);
  ~UsiEngine();

  // Handles one command line. Returns false after "quit". Without a command queue (see Serve)
  // nothing can interrupt a go: it answers when its think ends, even "go infinite".
  bool Handle(const std::string& line);
  // Handles the queue's lines until "quit" or its end. While the engine thinks, "stop",
  // "ponderhit", "isready" and "quit" act at once; other lines wait for the think to end.
  void Serve(CommandQueue& commands);
  // Reads commands on a thread of its own and serves them until "quit" or the end of input.
  void Run(std::istream& in);

 private:
  struct Options {
    int level = 2;
    bool book = true;
    bool useRandom = false;
    int64_t fixedClock = 0;
    int moveOverhead = 100;  // ms kept back from every time budget for process and pipe delays
    std::string bookFile = "joseki.dat";
  };

  void CmdGoMate(const UsiGo& go, int64_t start);
  // Waits for the think of `player` to end while it serves the command queue; with `hold`
  // (go infinite, go ponder) it also waits for stop or ponderhit. Returns false when no answer
  // is to be printed (quit, gameover).
  bool AwaitThink(ComputerPlayer& player, bool hold, bool ponder, int64_t ponderBudget);
  void ReportBookFailure();

  void CmdUsi();
  void CmdSetOption(const std::vector<std::string>& args);
  void CmdNewGame();
  void CmdPosition(const std::vector<std::string>& args);
  void CmdGo(const std::vector<std::string>& args);
  void CmdAnalyze(const std::vector<std::string>& args);
  void CmdEval(const std::vector<std::string>& args);
  void CmdPerft(const std::vector<std::string>& args);
  void CmdBench(const std::vector<std::string>& args);
  void Error(const std::string& what);

  // Fills `gs` with the current position seen with the given firstMover: snapshot 0 is the
  // base position, the moves are committed after it. Returns the internal side to move.
  int Materialize(GameState& gs, int firstMover) const;
  // Brings the game up to the current position: the moves since the previous go are
  // committed as the game commits them. A game longer than the history drops its oldest
  // moves; the game's move number goes on.
  void CatchUp();
  // Drops the oldest moves of a full history.
  static void MakeRoom(GameHistory& game);
  // Starts the game's history again, and the computer's memory of it.
  void ResetGame();

  // The largest move number a position line may give.
  static constexpr int kMaxGameMoveNumber = 1000000;

  std::ostream& out_;
  Options options_;
  CommandQueue* commands_ = nullptr;  // while Serve runs
  std::deque<std::string> deferred_;  // lines that came during a think
  bool quit_ = false;
  std::string bookErrorShown_;  // the book file whose failure was last reported
  UsiPosition base_;
  int baseMovesBefore_ = 0;     // moves of the game before base_
  std::vector<MoveRec> moves_;  // as seen with firstMover 1
  bool refused_ = false;        // the last position line was refused
  std::unique_ptr<GameState> scratch_;

  // The game the engine plays, and the computer that plays it.
  std::unique_ptr<GameHistory> game_;
  std::unique_ptr<OpeningBook> book_;
  std::unique_ptr<ComputerPlayer> computer_;
  std::unique_ptr<ComputerPlayer> solver_;  // go mate
  bool gameStarted_ = false;
  UsiPosition gameBase_;
  int gameMovesBefore_ = 0;
  std::vector<MoveRec> played_;  // moves in the game's history, as seen with firstMover 1
};

}  // namespace shogi
