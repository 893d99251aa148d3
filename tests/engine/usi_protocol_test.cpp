// The USI front end with its command thread: stop, go infinite, ponder, go mate, quit and time
// limits, as a GUI drives them.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "shogi/engine/usi.h"

namespace shogi {
namespace {

using namespace std::chrono_literals;

// Collects the engine's output lines; the test thread waits for them.
class Lines : public std::streambuf {
 public:
  // Waits for a line starting with `prefix` after the ones already taken; "" on timeout.
  std::string WaitFor(const std::string& prefix, std::chrono::milliseconds timeout = 60s) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::string found;
    ready_.wait_for(lock, timeout, [&] {
      for (; taken_ + 1 < lines_.size(); ++taken_)  // the last line is still being written
        if (lines_[taken_].rfind(prefix, 0) == 0) {
          found = lines_[taken_++];
          return true;
        }
      return false;
    });
    return found;
  }

 protected:
  int overflow(int c) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (c == '\n')
      lines_.emplace_back(), ready_.notify_all();
    else if (c != traits_type::eof())
      lines_.back() += static_cast<char>(c);
    return c;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<std::string> lines_{""};
  std::size_t taken_ = 0;
};

class UsiThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    Send("setoption name BookFile value none\nsetoption name FixedClock value 1700000000");
  }
  void TearDown() override {
    if (server_.joinable()) commands_.Push("quit"), server_.join();
  }
  void Send(const std::string& lines) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) commands_.Push(line);
  }
  // Whether a line starting with `prefix` came (the lines so far are taken).
  bool Came(const std::string& prefix) { return !lines_.WaitFor(prefix, 0ms).empty(); }
  Lines lines_;
  std::ostream out_{&lines_};
  UsiEngine engine_{out_};
  CommandQueue commands_;
  std::thread server_{[this] { engine_.Serve(commands_); }};
};

// A middle-game position in which the Hard level thinks for a long while.
const std::string kBusy =
    "setoption name Level value Hard\nposition sfen "
    "l1k4nl/1rsg1sgb1/2n2p1pp/p1p1p1p2/1p1p5/P1PPPP2P/BPN1GGPP1/5S1R1/LKS4NL w - 60\n";

TEST_F(UsiThreads, StopAnswersWithTheBestMoveSoFar) {
  Send(kBusy + "go infinite");
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(Came("bestmove"));
  Send("stop");
  const std::string best = lines_.WaitFor("bestmove ");
  EXPECT_NE(best, "");
  EXPECT_NE(best, "bestmove resign");
  // The engine is free again: the next think runs as usual.
  Send("isready");
  EXPECT_EQ(lines_.WaitFor("readyok"), "readyok");
}

TEST_F(UsiThreads, InfiniteAndPonderAnswerOnlyWhenReleased) {
  // The Easy level's opening move takes milliseconds; bestmove still waits.
  const std::string ponder = "go ponder btime 1000 wtime 1000 byoyomi 1000";
  for (const auto& [go, release] : {std::pair<std::string, std::string>{"go infinite", "stop"},
                                    {ponder, "stop"},
                                    {ponder, "ponderhit"}}) {
    Send("setoption name Level value Easy\nusinewgame\nposition startpos moves 7g7f\n" + go);
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(Came("bestmove")) << go;
    Send("isready");  // answered during the think
    EXPECT_EQ(lines_.WaitFor("readyok", 5s), "readyok") << go;
    Send(release);
    EXPECT_NE(lines_.WaitFor("info depth ").find(" score cp "), std::string::npos) << go;
    EXPECT_NE(lines_.WaitFor("bestmove "), "") << go << " " << release;
  }
}

TEST_F(UsiThreads, TimedThinkIsCutAtItsDeadline) {
  Send(kBusy + "go btime 0 wtime 0 byoyomi 300");
  const std::string best = lines_.WaitFor("bestmove ", 20s);
  EXPECT_NE(best, "");
  EXPECT_NE(best, "bestmove resign");
}

TEST_F(UsiThreads, AThinkThatEndsInTimePlaysThePlainMove) {
  for (const char* position :
       {"position startpos moves 7g7f 3c3d 2g2f", "position sfen 4k4/9/9/9/9/8b/9/4r4/8K w p 1",
        "position sfen l1k4nl/1rsg1sgb1/2n2p1pp/2p1p1p2/1p3P2P/p1PpP4/1PN1GGPP1/1B3S1R1/LKS4NL "
        "w 2p 60"}) {
    std::string moves[2];
    for (int timed = 0; timed < 2; ++timed) {
      Send(std::string("usinewgame\n") + position +
           (timed ? "\ngo btime 600000 wtime 600000 byoyomi 60000" : "\ngo"));
      moves[timed] = lines_.WaitFor("bestmove ");
    }
    EXPECT_NE(moves[0], "") << position;
    EXPECT_EQ(moves[0], moves[1]) << position;
  }
}

TEST_F(UsiThreads, GoMate) {
  const struct {
    const char* position;
    const char* answer;
  } cases[] = {
      {"sfen 4k4/9/9/9/9/8b/9/4r4/8K w p 1", "checkmate P*1h 1i2i 5h3h+"},
      {"sfen k8/4R4/9/B8/9/9/9/9/4K4 b P 1", "checkmate P*9b 9a8a 5b7b+"},
      {"sfen 4k4/9/9/9/6b2/3r5/9/2g6/6K2 w glg 1", "checkmate L*3g 3i2i G*3h 2i1i G*2h"},
      {"sfen 4k4/9/9/9/9/9/9/9/4K4 w g 1", "checkmate nomate"},
      {"startpos", "checkmate nomate"},
  };
  for (const auto& c : cases) {
    Send(std::string("position ") + c.position + "\ngo mate infinite");
    EXPECT_EQ(lines_.WaitFor("checkmate"), c.answer) << c.position;
  }
  Send(kBusy + "go mate 0");
  EXPECT_EQ(lines_.WaitFor("checkmate"), "checkmate timeout");
}

TEST_F(UsiThreads, QuitDuringAThinkEndsTheServer) {
  Send(kBusy + "go infinite");
  std::this_thread::sleep_for(100ms);
  Send("quit");
  server_.join();
  EXPECT_FALSE(Came("bestmove"));
}

TEST(UsiTime, BudgetFromTheClock) {
  const struct {
    UsiGo go;
    bool black;
    int64_t budget;
  } cases[] = {
      {{}, true, -1},                                          // no time fields: no limit
      {{.time = {0, 0}, .byoyomi = 1000}, true, 900},          // byoyomi only
      {{.time = {60000, 2000}, .byoyomi = 1000}, true, 3900},  // + 1/20 of black's main time
      {{.time = {60000, 2000}, .byoyomi = 1000}, false, 1000},
      {{.time = {100, 100}, .inc = {5000, 0}}, true, 0},    // the increment is not there yet
      {{.time = {300000, 0}, .inc = {0, 2000}}, false, 0},  // white has nothing left
      {{.time = {20000, 0}, .inc = {2000, 0}}, true, 2900},
      {{.movetime = 500}, true, 400},
      {{.movetime = 50}, false, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(UsiTimeBudget(c.go, c.black, 100), c.budget) << c.budget;
}

}  // namespace
}  // namespace shogi
