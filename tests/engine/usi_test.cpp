// The USI front end: handshake, positions, the analysis and perft commands, bad input, and
// whole games.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/engine/usi.h"
#include "shogi/rules/legality.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

using Lines = std::vector<std::string>;
const std::string kQuiet =
    "setoption name FixedClock value 1700000000\nsetoption name BookFile value none\n";

// Hands the lines to the engine; what it answered to them.
Lines Feed(UsiEngine& engine, std::ostringstream& out, const std::string& commands) {
  out.str("");
  std::istringstream in(commands);
  for (std::string line; std::getline(in, line);) engine.Handle(line);
  Lines lines;
  std::istringstream answer(out.str());
  for (std::string line; std::getline(answer, line);) lines.push_back(line);
  return lines;
}

bool IsError(const Lines& answer) {
  return answer.size() == 1 && answer[0].rfind("info string error: ", 0) == 0;
}

class Usi : public ::testing::Test {
 protected:
  Lines Send(const std::string& commands) { return Feed(engine_, out_, commands); }
  std::ostringstream out_;
  UsiEngine engine_{out_};
};

TEST_F(Usi, Handshake) {
  const auto lines = Send("usi\n");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("id name ", 0), 0u);
  EXPECT_EQ(lines[1].rfind("id author ", 0), 0u);
  EXPECT_EQ(lines.back(), "usiok");
  // A missing book is reported as an info line; the engine plays on without it.
  EXPECT_EQ(Send("setoption name BookFile value no-such.dat\nisready\nusinewgame\n"),
            (Lines{"info string error: cannot open book file no-such.dat", "readyok"}));
  EXPECT_FALSE(engine_.Handle("quit"));
}

// The analysis of the start position as a list (its values are fingerprinted in
// signature_test.cpp): the king scores given gate the king step's 64, and with the computer
// as black, black is side 2 at the top of the array.
TEST_F(Usi, AnalyzePrintsTheList) {
  const auto lines = Send("position startpos\nanalyze computer w ply 0 phase 0 level 1\n");
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines[11], "move 5i5h 4 8 4 7 0 0 value 64 support 3 illegal 0 gains 64");
  EXPECT_EQ(lines.back(), "count 30");
  const auto scared = Send("analyze computer w ply 0 phase 0 level 1 pk -4\n");
  EXPECT_EQ(scared[11], "move 5i5h 4 8 4 7 0 0 value 0 support 0 illegal 0 gains");
  const auto black = Send("analyze computer b ply 0 phase 0 level 1 ck 0 pk 0\n");
  EXPECT_EQ(
      std::count_if(black.begin(), black.end(),
                    [](const std::string& l) { return l.rfind("move 7g7f 6 2 6 3 ", 0) == 0; }),
      1);
}

TEST_F(Usi, PositionsWithMovesAndPerft) {
  // 37, not 39: the bishop's non-promoting entries into the zone do not exist here. Then the
  // black king alone (the gold is white's), and 5 king moves and 79 gold drops.
  for (const auto& [position, perft] :
       {std::pair{"startpos moves 7g7f 3c3d", "perft 37"},
        {"sfen 4k4/9/9/9/9/9/9/9/4K4 w g 1 moves 5a5b", "perft 5"},
        {"sfen 4k4/9/9/9/9/9/9/9/4K4 w G 1 moves 5a5b", "perft 84"}})
    EXPECT_EQ(Send(std::string("position ") + position + "\nperft 1\n"), Lines{perft}) << position;
}

TEST_F(Usi, BadInputIsRefusedAndChangesNothing) {
  EXPECT_TRUE(Send("setoption name Level value Hard\nsetoption name Book value false\n"
                   "setoption name UseRandom value true\nsetoption name FixedClock value 5\n"
                   "setoption name BookFile value x.dat\nsetoption name MoveOverhead value 0\n"
                   "setoption name USI_Hash value 256\nsetoption name USI_Ponder value true\n")
                  .empty());
  Send("position startpos moves 7g7f\n");
  const Lines before = Send("perft 1\n");
  // First no move of the position, black moving twice, a lance that must promote.
  std::istringstream bad(
      "position startpos moves 7g7e\nposition startpos moves 7g7f 7f7e\n"
      "position sfen 4k4/9/9/9/9/9/9/9/4K3L b - 1 moves 1i1a\nposition startpos moves xyz\n"
      "position sfen lnsgkgsnl b - 1\nposition sfen 4k4/9/9/9/9/9/9/9/4K4 b - 1 moves 5i5j\n"
      "position\nposition startpos move 7g7f\nanalyze computer x ply 0 phase 0 level 1\n"
      "analyze computer w ply a phase 0 level 1\n"
      "analyze computer w ply 0 phase 0 level 1 ck\n"
      "analyze computer w ply 0 phase 0 level 1 zz 3\nperft\nperft -1\nperft 99\nperft 1 2\n"
      "frobnicate\nsetoption name Level value Expert\nsetoption name Book value 1\n"
      "setoption name FixedClock value soon\nsetoption name FixedClock value -1\n"
      "setoption name MoveOverhead value 10001\nsetoption name Colour value red\nsetoption\n"
      "go byoyomi\ngo btime x\ngo mate\ngo movetime -5\n");
  for (std::string line; std::getline(bad, line);) {
    EXPECT_TRUE(IsError(Send(line + "\n"))) << line;
    EXPECT_EQ(Send("perft 1\n"), before) << line;
  }
  EXPECT_TRUE(Send("\n   \n").empty());
}

// A book that is a pipe, a device or far too large is refused at isready, which answers at once.
TEST_F(Usi, BookFilesThatAreNoBookAreRefused) {
  char pattern[] = "/tmp/usi_book.XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::filesystem::path dir = pattern;
  ASSERT_EQ(::mkfifo((dir / "fifo.dat").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "device.dat");
  std::ofstream(dir / "huge.dat").close();
  std::filesystem::resize_file(dir / "huge.dat", kMaxBookBytes * 16);  // sparse
  for (const char* name : {"fifo.dat", "device.dat", "huge.dat"}) {
    // In a child, so that an engine that waits can be stopped.
    EXPECT_TRUE(testing_util::EndsInTime(
        [&] {
          const auto lines =
              Send("setoption name BookFile value " + (dir / name).string() + "\nisready\n");
          return lines.size() == 2 && lines[0].rfind("info string error: book file ", 0) == 0 &&
                 lines[1] == "readyok";
        },
        10))
        << name;
  }
  std::filesystem::remove_all(dir);
}

// One whole game per level through the protocol, with the book, against an opponent that
// picks among its legal moves (by the rules core's check) with a seeded generator. The hash covers
// every move and the engine's report after each of its moves. Update only with a change meant to
// change play; the current values: usi_tests --gtest_filter=Usi.GameSignatures (one failure per
// game).
TEST_F(Usi, GameSignatures) {
  const struct {
    const char* level;
    bool engineBlack;
    unsigned seed;  // of the opponent's choices; picked for a short game
    uint64_t signature;
  } games[] = {
      {"Easy", true, 12, 0xdd6d8b768d7b176eULL},
      {"Normal", false, 12, 0xdfa0b7d56b07ecc0ULL},
      {"Hard", true, 7, 0x3f2fdeed83184361ULL},
  };
  for (const auto& g : games) {
    Send(std::string("setoption name Level value ") + g.level +
         "\nsetoption name FixedClock value 1700000000\nsetoption name BookFile "
         "value " SHOGI_DATA_DIR "/joseki.dat\nusinewgame\n");
    std::mt19937 rng(g.seed);
    Position pos = ToInternal(UsiStartPosition(), 1);
    std::string moves;
    testing_util::Fnv fnv;
    for (int ply = 0;; ++ply) {
      const int side = ply % 2 == 0 ? 1 : 2;  // black, white
      const std::string position = "position startpos" + (moves.empty() ? "" : " moves" + moves);
      std::string move;
      if ((side == 1) == g.engineBlack) {
        const auto answer = Send(position + "\ngo\n");
        ASSERT_GE(answer.size(), 2u) << g.level << moves;
        ASSERT_EQ(answer[answer.size() - 2].rfind("info string phase ", 0), 0u);
        ASSERT_EQ(answer.back().rfind("bestmove ", 0), 0u) << answer.back();
        fnv.Add(answer[answer.size() - 2]);
        move = answer.back().substr(9);
        if (move == "resign") break;
      } else {
        const std::vector<MoveRec> legal = LegalMoves(pos, side);
        if (legal.empty()) break;  // mated
        move = MoveToUsi(legal[rng() % legal.size()], 1);
      }
      fnv.Add(move);
      moves += " " + move;
      // Every move, the engine's own included, is accepted back as a legal move.
      ASSERT_TRUE(Send("position startpos moves" + moves + "\n").empty()) << g.level << moves;
      ApplyMove(pos, *ParseUsiMove(move, 1), side);
    }
    fnv.Add(moves);
    EXPECT_EQ(fnv.h, g.signature) << g.level << " 0x" << std::hex << fnv.h << " after" << moves;
  }
}

// What the engine answers to `go` in a fresh game after the position line, without the
// progress and search reports (which hold times).
Lines GoAfter(const std::string& position) {
  std::ostringstream out;
  UsiEngine engine(out);
  Feed(engine, out, "setoption name Level value Easy\n" + kQuiet + "usinewgame");
  Lines lines = Feed(engine, out, position + "\ngo");
  std::erase_if(lines, [](const std::string& l) {
    return l.rfind("info string progress", 0) == 0 || l.rfind("info depth ", 0) == 0;
  });
  return lines;
}

TEST_F(Usi, RefusedPositionsAreAnsweredByResigning) {
  Send(kQuiet);
  // Not how a bishop moves, a pawn that must promote, a drop onto a piece, a piece moved from
  // an empty square, the king left in check, a pawn-drop mate; a position with white in check,
  // two pawns on a file, pawns beyond the set, move number 0, no side to move.
  std::istringstream refused(
      "position startpos moves 7g7f 3c3d 8h2b 2b3b\n"
      "position startpos moves 7g7f 3c3d 7f7e 4a3b 7e7d 3b4a 7d7c\n"
      "position sfen 4k4/9/9/9/9/9/9/9/4K4 b P 1 moves P*5b P*5h\n"
      "position startpos moves 7g7f 7g7f\n"
      "position startpos moves 7g7f 3c3d 2g2f 4c4d 2f2e 4d4e 2e2d 4e4f 2d2c+ 4f4g+ 2c3b 5a4b 3b2a "
      "4g5h\n"
      "position sfen 3lkl3/9/4G4/9/9/9/9/9/4K4 b P 1 moves P*5b\n"
      "position sfen 4k4/4R4/9/9/9/9/9/9/4K4 b - 1\nposition sfen 4k4/9/9/9/9/9/P8/P8/4K4 b - 1\n"
      "position sfen 4k4/9/9/9/9/9/9/9/4K4 b 19P 1\nposition sfen 4k4/9/9/9/9/9/9/9/4K4 b - 0\n"
      "position sfen 4k4/9/9/9/9/9/9/9/4K4 x - 1\n");
  for (std::string line; std::getline(refused, line);) {
    Send("position startpos\n");
    EXPECT_TRUE(IsError(Send(line + "\n"))) << line;
    for (int go = 0; go < 2; ++go) {
      Lines reply = Send("go\n");
      ASSERT_EQ(reply.size(), 2u) << line;
      EXPECT_EQ(reply[1], "bestmove resign") << line;
      reply.pop_back();
      EXPECT_TRUE(IsError(reply)) << line;
    }
  }
  // Accepted again: the engine plays for the new position.
  const auto answer = Send("position startpos moves 7g7f\ngo\n");
  ASSERT_FALSE(answer.empty());
  EXPECT_NE(answer.back(), "bestmove resign");
}

// Legal moves the computer's own list leaves out are accepted.
TEST_F(Usi, EveryLegalMoveIsAccepted) {
  const char* accepted[] = {
      "position startpos moves 7g7f 3c3d 8h2b",                  // the bishop need not promote
      "position sfen 4k4/9/9/4P4/9/9/9/9/4K4 b - 1 moves 5d5c",  // nor the pawn entering the zone
  };
  for (const char* line : accepted) EXPECT_TRUE(Send(std::string(line) + "\n").empty()) << line;
  // The engine plays on after a declined promotion.
  const auto answer = GoAfter(accepted[0]);
  ASSERT_FALSE(answer.empty());
  EXPECT_EQ(answer.back().rfind("bestmove ", 0), 0u);
  EXPECT_NE(answer.back(), "bestmove resign");
}

// The move number of `position sfen ... n` is the game's: the search mode follows it, and a
// position given as moves from the start plays like the same position given with its number.
TEST_F(Usi, MoveNumberOfTheSfenCounts) {
  const std::string after2 = "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b -";
  EXPECT_EQ(GoAfter("position startpos moves 7g7f 3c3d"),
            GoAfter("position sfen " + after2 + " 3"));
  for (const auto& [n, phase] : {std::pair{50, "phase 4 "}, {80, "phase 5 "}, {120, "phase 8 "}}) {
    const auto answer = GoAfter("position sfen " + after2 + " " + std::to_string(n));
    ASSERT_GE(answer.size(), 2u);
    EXPECT_EQ(answer[answer.size() - 2].rfind(std::string("info string ") + phase, 0), 0u)
        << n << ": " << answer[answer.size() - 2];
  }
}

// A game longer than the history goes on: the kings walk to and fro, then the engine and a
// scripted player play on past the history's end.
TEST_F(Usi, PlaysOnPastTheHistory) {
  Send("setoption name Level value Easy\n" + kQuiet + "usinewgame\n");
  std::string moves;
  Position pos = StartPosition();
  int side = kPlayerSide;
  auto play = [&](const std::string& usi) {
    moves += " " + usi;
    ApplyMove(pos, *ParseUsiMove(usi, 1), side);
    side = Opponent(side);
  };
  for (int i = 0; i < 74; ++i)
    for (const char* m : {"5i5h", "5a5b", "5h5i", "5b5a"}) play(m);
  for (int turn = 0; turn < 4; ++turn) {
    const auto answer = Send("position startpos moves" + moves + "\ngo\n");
    ASSERT_GE(answer.size(), 2u);
    const std::string last = answer.back();
    ASSERT_EQ(last.rfind("bestmove ", 0), 0u);
    EXPECT_EQ(answer[answer.size() - 2].rfind("info string phase 8 ", 0), 0u);
    ASSERT_NE(last, "bestmove resign") << "after " << moves.size() / 5 << " moves";
    const auto m = ParseUsiMove(last.substr(9), 1);
    ASSERT_TRUE(m && IsLegalMove(pos, side, *m)) << last;
    play(last.substr(9));
    const auto replies = LegalMoves(pos, side);
    ASSERT_FALSE(replies.empty());
    play(MoveToUsi(replies[turn % replies.size()], 1));
  }
}

TEST_F(Usi, SurvivesGarbage) {
  std::mt19937 rng(7);
  Lines words;
  std::istringstream vocabulary(
      "position startpos sfen moves analyze computer b w ply phase level ck pk perft 7g7f P*5e "
      "2b8h+ - 9 1 -3 99999999999 + / lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL");
  for (std::string w; vocabulary >> w;) words.push_back(w);
  for (int i = 0; i < 3000; ++i) {
    std::string line;
    const int n = static_cast<int>(rng() % 12);
    for (int j = 0; j < n; ++j) {
      if (rng() % 5 == 0) line += static_cast<char>(rng() % 256);
      line += words[rng() % words.size()];
      line += ' ';
    }
    if (line.find("perft") != std::string::npos) continue;  // keep the run short
    Send(line + "\n");
  }
  EXPECT_EQ(Send("position startpos\nperft 2\n"), Lines{"perft 900"});
}

}  // namespace
}  // namespace shogi
