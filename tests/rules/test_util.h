// Helpers for tests: positions from SFEN boards, a game history, and programs run aside.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "shogi/rules/analyze.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"

namespace shogi::testing_util {

// The position of "board side hands" in SFEN.
inline UsiPosition SfenPosition(const std::string& sfen) {
  std::istringstream in(sfen);
  std::string board, side, hands, error;
  in >> board >> side >> hands;
  const auto p = ParseSfen(board, side, hands, &error);
  EXPECT_TRUE(p) << sfen << ": " << error;
  return p.value_or(UsiPosition{});
}

// FNV-1a over numbers (8 bytes each) and strings (ended by 0xff), for signatures.
struct Fnv {
  uint64_t h = 1469598103934665603ULL;
  void Byte(unsigned char c) { h = (h ^ c) * 1099511628211ULL; }
  void Add(int64_t v) {
    for (int i = 0; i < 8; ++i) Byte(static_cast<unsigned char>(v >> (8 * i)));
  }
  void Add(const std::string& s) {
    for (unsigned char c : s) Byte(c);
    Byte(0xff);
  }
};

inline std::unique_ptr<GameState> NewGame() {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  return gs;
}

// Commits the move of the side to move after checking that the rules allow it.
inline void Play(GameState& gs, MoveRec m) {
  const int side = SideToMove(gs);
  AnalyzeMoves(gs, gs.Current(), side, 0);
  bool legal = false;
  for (int i = 0; i < gs.moveListCount; ++i)
    legal = legal || (gs.moveList[i].illegal == 0 && gs.moveList[i].move == m);
  ASSERT_TRUE(legal) << "move " << gs.moveNumber + 1;
  ASSERT_TRUE(CommitMove(gs, m, side));
}

// Runs `body` in a child process, so that one that hangs can be stopped: true when the child
// ended within `seconds` with a true answer.
inline bool EndsInTime(const std::function<bool()>& body, int seconds) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) _exit(body() ? 0 : 1);
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (::waitpid(child, &status, WNOHANG) != child) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

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
    if (waitpid(pid_, &status, WNOHANG) == 0) kill(pid_, SIGKILL), waitpid(pid_, &status, 0);
    close(from_);
  }
  void Send(const std::string& line) {
    const std::string s = line + "\n";
    failed_ |= write(to_, s.data(), s.size()) < 0;
  }
  // The next line, or none when `ms` pass without a character.
  std::optional<std::string> Line(int ms) {
    std::size_t end;
    while ((end = buffer_.find('\n')) == std::string::npos) {
      char chunk[4096];
      pollfd p{from_, POLLIN, 0};
      const ssize_t n = poll(&p, 1, ms) > 0 ? read(from_, chunk, sizeof chunk) : 0;
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    std::erase(line, '\r');
    return line;
  }
  // Lines up to and including the first that starts with `prefix` (the last line is ""
  // when none came within `ms`).
  std::vector<std::string> Until(const std::string& prefix, int ms = 60000) {
    std::vector<std::string> lines;
    while (true) {
      const auto l = Line(ms);
      lines.push_back(l.value_or(""));
      if (!l || l->rfind(prefix, 0) == 0) return lines;
    }
  }
  // The moves a perft of depth 1 lists ("7g7f: 1"), as fairy-stockfish prints them.
  std::set<std::string> PerftMoves(const std::string& position) {
    Send(position + "\ngo perft 1");
    std::set<std::string> moves;
    for (const std::string& l : Until("Nodes searched")) {
      const std::size_t colon = l.find(": ");
      if (colon >= 4 && colon <= 5 && l.find(' ') == colon + 1) moves.insert(l.substr(0, colon));
    }
    return moves;
  }
  bool Ok() const { return pid_ > 0 && !failed_; }

 private:
  pid_t pid_ = -1;
  int to_ = -1, from_ = -1;
  bool failed_ = false;
  std::string buffer_;  // read, not yet returned
};

}  // namespace shogi::testing_util
