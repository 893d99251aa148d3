// The USI protocol front end: reads commands line by line and answers on an output stream.
// The engine is the computer (internal side 2); its opponent is the player (side 1).
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "shogi/engine/book.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"

namespace shogi {

class UsiEngine {
 public:
  explicit UsiEngine(std::ostream& out);
  ~UsiEngine();

  // Handles one command line. Returns false after "quit".
  bool Handle(const std::string& line);
  // Reads commands until "quit" or the end of the input.
  void Run(std::istream& in);

 private:
  struct Options {
    int level = 2;
    bool book = true;
    bool useRandom = false;
    int64_t fixedClock = 0;
    std::string bookFile = "joseki.dat";
  };

  void CmdUsi();
  void CmdSetOption(const std::vector<std::string>& args);
  void CmdNewGame();
  void CmdPosition(const std::vector<std::string>& args);
  void CmdGo();
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
  static void MakeRoom(GameState& gs);

  // The largest move number a position line may give.
  static constexpr int kMaxGameMoveNumber = 1000000;

  std::ostream& out_;
  Options options_;
  UsiPosition base_;
  int baseMovesBefore_ = 0;     // moves of the game before base_
  std::vector<MoveRec> moves_;  // as seen with firstMover 1
  bool refused_ = false;        // the last position line was refused
  std::unique_ptr<GameState> scratch_;

  // The game the engine plays.
  std::unique_ptr<GameState> game_;
  std::unique_ptr<OpeningBook> book_;
  bool gameStarted_ = false;
  UsiPosition gameBase_;
  int gameMovesBefore_ = 0;
  std::vector<MoveRec> played_;  // moves in the game's history, as seen with firstMover 1
};

}  // namespace shogi
