// Short games of the engine program against fairy-stockfish (depth 1) over USI pipes, one per
// level, refereed by fairy-stockfish's own legal moves and by the rules core's legality check:
// every move must be legal in the position it answers, and every go gets exactly one answer.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"

namespace shogi {
namespace {

constexpr const char* kReferee = "/usr/games/fairy-stockfish";

// A USI program on two pipes.
class Peer {
 public:
  explicit Peer(const char* path) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      execl(path, path, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
  }
  ~Peer() {
    Send("quit");
    close(to_);
    int status = 0;
    for (int i = 0; i < 200 && waitpid(pid_, &status, WNOHANG) == 0; ++i) usleep(10000);
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    close(from_);
  }
  void Send(const std::string& line) {
    const std::string s = line + "\n";
    if (write(to_, s.data(), s.size()) < 0) failed_ = true;
  }
  // The next line, or none after `ms` without one.
  std::optional<std::string> Line(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (true) {
      const std::size_t nl = buffer_.find('\n');
      if (nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return std::nullopt;
      pollfd p{from_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) return std::nullopt;
      char chunk[4096];
      const ssize_t n = read(from_, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  // Lines up to and including the first that starts with `prefix` (the last line is ""
  // when none came within `ms`).
  std::vector<std::string> Until(const std::string& prefix, int ms = 60000) {
    std::vector<std::string> lines;
    while (true) {
      const auto l = Line(ms);
      lines.push_back(l.value_or(""));
      if (!l || l->rfind(prefix, 0) == 0) break;
    }
    return lines;
  }
  bool Ok() const { return pid_ > 0 && !failed_; }

 private:
  pid_t pid_ = -1;
  int to_ = -1, from_ = -1;
  std::string buffer_;
  bool failed_ = false;
};

std::set<std::string> RefereeMoves(Peer& referee, const std::string& position) {
  referee.Send(position);
  referee.Send("go perft 1");
  std::set<std::string> moves;
  for (const std::string& l : referee.Until("Nodes searched")) {
    const std::size_t colon = l.find(": ");
    if (colon != std::string::npos) moves.insert(l.substr(0, colon));
  }
  return moves;
}

class Match : public ::testing::TestWithParam<const char*> {};

TEST_P(Match, ShortGameAgainstFairyStockfish) {
  if (access(kReferee, X_OK) != 0) GTEST_SKIP() << "fairy-stockfish is not installed";
  const std::string level = GetParam();
  const bool engineBlack = level != "Normal";
  const int plies = level == "Hard" ? 60 : 120;
  Peer engine(SHOGI_ENGINE_PATH);
  Peer referee(kReferee);
  ASSERT_TRUE(engine.Ok() && referee.Ok());
  engine.Send("usi");
  ASSERT_EQ(engine.Until("usiok").back(), "usiok");
  engine.Send("setoption name Level value " + level);
  engine.Send("setoption name BookFile value " SHOGI_BOOK_PATH);
  engine.Send("isready");
  const std::vector<std::string> ready = engine.Until("readyok");
  ASSERT_EQ(ready, std::vector<std::string>{"readyok"});
  engine.Send("usinewgame");
  referee.Send("usi");
  referee.Until("usiok");
  referee.Send("setoption name UCI_Variant value shogi");

  Position pos = ToInternal(UsiStartPosition(), 1);
  std::string moves;
  for (int ply = 0; ply < plies; ++ply) {
    const std::string position = "position startpos" + (moves.empty() ? "" : " moves" + moves);
    const std::set<std::string> legal = RefereeMoves(referee, position);
    if (legal.empty()) break;  // mated
    const bool blackToMove = ply % 2 == 0;
    std::string move;
    if (blackToMove == engineBlack) {
      engine.Send(position);
      engine.Send("go btime 0 wtime 0 byoyomi 10000");
      const std::vector<std::string> answer = engine.Until("bestmove ");
      for (const std::string& l : answer)
        EXPECT_TRUE(l.rfind("info ", 0) == 0 || l.rfind("bestmove ", 0) == 0) << l;
      ASSERT_EQ(answer.back().rfind("bestmove ", 0), 0u) << "no answer at ply " << ply;
      move = answer.back().substr(9);
      if (move == "resign" || move == "win") break;
      // One answer per go: nothing else is pending once the engine is ready again.
      engine.Send("isready");
      const auto pending = engine.Until("readyok");
      EXPECT_EQ(pending.size(), 1u) << "a stale line at ply " << ply << ": " << pending[0];
    } else {
      referee.Send(position);
      referee.Send("go depth 1");
      const std::string answer = referee.Until("bestmove ").back();
      move = answer.substr(9, answer.find(' ', 9) - 9);  // without "ponder <move>"
      if (move == "resign" || move == "(none)") break;
    }
    const int side = SideOfColor(1, blackToMove ? UsiPosition::kBlack : UsiPosition::kWhite);
    const auto m = ParseUsiMove(move, 1);
    ASSERT_TRUE(m) << move;
    EXPECT_TRUE(legal.count(move)) << move << " is not legal after" << moves;
    EXPECT_TRUE(IsLegalMove(pos, side, *m)) << move << " is not legal after" << moves;
    if (HasFailure()) return;
    ApplyMove(pos, *m, side);
    moves += " " + move;
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, Match, ::testing::Values("Easy", "Normal", "Hard"));

}  // namespace
}  // namespace shogi
