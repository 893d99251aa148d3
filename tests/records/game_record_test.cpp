// The record formats other programs use: golden files, round trips of random games, files in
// the shapes real programs write, refusals, and a seeded mutation fuzz of the readers.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/records/game_record.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"

namespace shogi::records {
namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
std::string Golden(const std::string& name) {
  return ReadBytes(std::string(SHOGI_RECORDS_GOLDEN_DIR) + "/" + name);
}
std::string Real(const std::string& name) {
  return ReadBytes(std::string(SHOGI_RECORDS_REAL_DIR) + "/" + name);
}

Format FormatOf(const std::string& name) {
  const auto f = FormatOfPath(name);
  EXPECT_TRUE(f.has_value()) << name;
  return f.value_or(Format::kKifu);
}

// A game of random legal moves that never leaves a side without a move.
GameRecord RandomGame(unsigned seed, int length, int firstMover) {
  std::mt19937 rng(seed);
  GameRecord r;
  r.firstMover = firstMover;
  r.level = static_cast<int>(seed % 4);
  Position pos = StartPosition();
  for (int i = 0; i < length; ++i) {
    const int side = i % 2 == 0 ? firstMover : Opponent(firstMover);
    std::vector<MoveRec> ok;
    for (const MoveRec& m : LegalMoves(pos, side)) {
      Position after = pos;
      ApplyMove(after, m, side);
      if (HasLegalMove(after, Opponent(side))) ok.push_back(m);
    }
    if (ok.empty()) break;
    const MoveRec m = ok[rng() % ok.size()];
    ApplyMove(pos, m, side);
    r.moves.push_back(m);
    r.seconds.push_back(static_cast<int>(rng() % 700));
    (side == kPlayerSide ? r.playerSeconds : r.computerSeconds) += r.seconds.back();
  }
  r.ending = Ending::kResign;
  return r;
}

// The golden files were written by the game from slot files (and one KIF with times); each
// format is written byte for byte again, reads back to the same game, and a slot written from
// it is the same slot.
TEST(GoldenRecords, EveryFormatIsWrittenExactlyAndReadsBack) {
  const struct {
    const char* slot;
    std::vector<const char*> written;
  } kCases[] = {
      {"person_first.dat", {"person_first.kif", "person_first.csa", "person_first.usi"}},
      {"computer_first.dat", {"computer_first.kifu", "computer_first.usi"}},
      {"long.dat", {"long.kif", "long.kifu", "long.csa", "long.usi"}},
      {"timed.kifu", {"timed.kifu", "timed.csa", "timed.usi"}},  // times, an ending
  };
  for (const auto& c : kCases) {
    ReadError error;
    const auto record = ReadGame(Golden(c.slot), FormatOf(c.slot), &error);
    ASSERT_TRUE(record) << c.slot << ": " << error.Text();
    if (FormatOf(c.slot) == Format::kSlot) {
      EXPECT_EQ(WriteGame(*record, Format::kSlot), Golden(c.slot));
    }
    for (const char* name : c.written) {
      SCOPED_TRACE(name);
      const Format format = FormatOf(name);
      EXPECT_EQ(WriteGame(*record, format), Golden(name));
      const auto back = ReadGame(Golden(name), format, &error);
      ASSERT_TRUE(back) << error.Text();
      if (format == Format::kUsi) {  // no names: the person is sente
        EXPECT_EQ(WriteGame(*back, format), Golden(name));
      } else {
        EXPECT_EQ(back->moves, record->moves);
        EXPECT_EQ(back->seconds, record->seconds);
        // A slot keeps no end; the formats write it as interrupted.
        EXPECT_EQ(back->ending,
                  record->ending == Ending::kNone ? Ending::kInterrupt : record->ending);
        EXPECT_EQ(WriteGame(*back, Format::kSlot), WriteGame(*record, Format::kSlot));
      }
    }
  }
}

// Random games with every kind of move: KIF, KIFU and CSA keep all of the game (times,
// level, totals, end); slot → KIF → slot is byte-exact.
TEST(RecordRoundTrip, RandomGamesKeepEverything) {
  const struct {
    unsigned seed;
    int length;
    int firstMover;
  } kCases[] = {{1, 1, 1}, {2, 40, 2}, {3, 151, 1}, {4, 299, 2}, {5, 299, 1}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.seed);
    const GameRecord game = RandomGame(c.seed, c.length, c.firstMover);
    ASSERT_EQ(static_cast<int>(game.moves.size()), c.length);
    ReadError error;
    for (Format f : {Format::kKif, Format::kKifu, Format::kCsa}) {
      const auto text = WriteGame(game, f);
      ASSERT_TRUE(text);
      const auto back = ReadGame(*text, f, &error);
      ASSERT_TRUE(back) << error.Text();
      EXPECT_EQ(*back, game);
    }
    const std::string usi = *WriteGame(game, Format::kUsi);
    const auto fromUsi = ReadGame(usi, Format::kUsi, &error);
    ASSERT_TRUE(fromUsi) << error.Text();
    EXPECT_EQ(WriteGame(*fromUsi, Format::kUsi), usi);

    const std::string slot = *WriteGame(game, Format::kSlot);
    const auto viaKif = ReadGame(*WriteGame(*ReadGame(slot, Format::kSlot, nullptr), Format::kKif),
                                 Format::kKif, nullptr);
    ASSERT_TRUE(viaKif);
    EXPECT_EQ(WriteGame(*viaKif, Format::kSlot), slot);
  }
}

// Files in the shapes other programs write: headers in any order, comments, bookmarks,
// variations, CRLF, CP932 and UTF-8 with and without a byte-order mark, moves without origin,
// CSA boards, several statements on a line. Times come from the time columns.
TEST(RealWorldRecords, AreReadToTheirMovesEndAndTimes) {
  const struct {
    const char* file;
    int firstMover;
    int moves;
    const char* lastMove;
    Ending ending;
    int playerSeconds, computerSeconds;
  } kCases[] = {
      {"kfw_crlf.kif", 1, 11, "3d2c+", Ending::kResign, 67, 94},
      {"bom_utf8.kif", 2, 9, "2d2h", Ending::kInterrupt, 0, 0},
      {"wars.kif", 1, 8, "7a6b", Ending::kTimeUp, 11, 599},
      {"floodgate.csa", 1, 6, "B*4e", Ending::kResign, 16, 21},
      {"oneline.csa", 2, 5, "B*5e", Ending::kEnteringKing, 6, 9},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.file);
    ReadError error;
    const auto r = ReadGame(Real(c.file), FormatOf(c.file), &error);
    ASSERT_TRUE(r) << error.Text();
    EXPECT_EQ(r->firstMover, c.firstMover);
    ASSERT_EQ(static_cast<int>(r->moves.size()), c.moves);
    EXPECT_EQ(MoveToUsi(r->moves.back(), r->firstMover), c.lastMove);
    EXPECT_EQ(r->ending, c.ending);
    EXPECT_EQ(r->playerSeconds, c.playerSeconds);
    EXPECT_EQ(r->computerSeconds, c.computerSeconds);
    EXPECT_EQ(r->level, 1);
  }
}

// What cannot be taken is refused, naming the line.
TEST(RecordRefusals, NameTheLine) {
  std::string tooLong = "position startpos moves";
  const GameRecord game = RandomGame(4, 299, 1);
  for (const MoveRec& m : game.moves) tooLong.append(" ").append(MoveToUsi(m, 1));
  tooLong += " 5i5h";  // one more than the game holds (any move)
  const struct {
    std::string text;
    Format format;
    int line;
  } kCases[] = {
      {"手合割：香落ち\n   1 ７六歩(77)\n", Format::kKif, 1},
      {"先手：a\n後手番\n", Format::kKif, 2},
      {"手合割：平手\n   1 ７六歩(77)\n   2 ３五歩(34)\n", Format::kKif, 3},
      {"手合割：平手\n   1 ５五歩(57)\n", Format::kKif, 2},
      {"手合割：平手\n   1 ７六歩(77)\n   3 ３四歩(33)\n", Format::kKif, 3},
      {"手合割：平手\n   1 ７六歩\n   2 ５二金\n", Format::kKif, 3},  // which gold?
      {"手合割：平手\n   1 ７六歩(77)   ( 0:99/00:00:00)\n", Format::kKif, 2},
      {"先手の持駒：歩\n", Format::kKif, 1},
      {"V2.2\nPI82HI22KA\n+\n", Format::kCsa, 2},
      {"V2.2\nPI\n-\n", Format::kCsa, 3},
      {"V2.2\nPI\n+\n+7776FU\n+3334FU\n", Format::kCsa, 5},
      {"V2.2\nPI\n+\n+7775FU\n", Format::kCsa, 4},
      {"V2.2\nPI\n+\n+8822KA\n", Format::kCsa, 4},  // a bishop moving as a horse
      {"position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSN1 b - 1 moves 7g7f",
       Format::kUsi, 1},
      {"position startpos moves 7g7f 7g7f", Format::kUsi, 1},
      {tooLong, Format::kUsi, 1},
      {std::string("\x01\x00\x02", 3), Format::kKif, 0},
      {"hello world\n", Format::kKif, 0},
      {"hello world\n", Format::kCsa, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    ReadError error;
    EXPECT_FALSE(ReadGame(c.text, c.format, &error));
    EXPECT_EQ(error.line, c.line) << error.Text();
    EXPECT_FALSE(error.reason.empty());
  }
}

TEST(RecordEndings, EveryEndingIsReadAndTheClosingLineNamesTheWinner) {
  const struct {
    const char* kif;
    const char* csa;
    Ending ending;
    const char* closing;  // after one move by sente
  } kCases[] = {
      {"投了", "%TORYO", Ending::kResign, "まで1手で先手の勝ち"},
      {"詰み", "%TSUMI", Ending::kMate, "まで1手で先手の勝ち"},
      {"中断", "%CHUDAN", Ending::kInterrupt, "まで1手で中断"},
      {"千日手", "%SENNICHITE", Ending::kRepetition, "まで1手で千日手"},
      {"持将棋", "%JISHOGI", Ending::kImpasse, "まで1手で持将棋"},
      {"切れ負け", "%TIME_UP", Ending::kTimeUp, "まで1手で先手の勝ち"},
      {"反則勝ち", nullptr, Ending::kIllegalWin, "まで1手で後手の勝ち"},
      {"反則負け", "%ILLEGAL_MOVE", Ending::kIllegalLoss, "まで1手で先手の勝ち"},
      {"入玉勝ち", "%KACHI", Ending::kEnteringKing, "まで1手で後手の勝ち"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.kif);
    const auto kif = ReadGame(std::string("手合割：平手\n1 ７六歩(77)\n2 ") + c.kif + "\n",
                              Format::kKifu, nullptr);
    ASSERT_TRUE(kif);
    EXPECT_EQ(kif->ending, c.ending);
    EXPECT_NE(WriteGame(*kif, Format::kKifu)->find(c.closing), std::string::npos);
    if (c.csa) {
      const auto csa =
          ReadGame(std::string("PI\n+\n+7776FU\n") + c.csa + "\n", Format::kCsa, nullptr);
      ASSERT_TRUE(csa);
      EXPECT_EQ(csa->ending, c.ending);
    }
  }
}

// A game of the window ends in mate when the side to move has no move left.
TEST(RecordOfGame, FindsMate) {
  const auto r = ReadGame(
      "position startpos moves 7g7f 1a1b 8h3c+ 2b3c 2h9h 3c6f 4i4h 4c4d 3i2h 3a2b 4h4i B*9d "
      "9h6h 9d7f 6h9h 7f6e 8g8f 7a7b 9h4h 6e9h 9i9h P*3c B*6b 5a4b 6g6f 4b3a 6b5c 3a3b B*8g",
      Format::kUsi, nullptr);
  ASSERT_TRUE(r);
  auto gs = std::make_unique<GameState>();
  ASSERT_EQ(PutIntoGame(*r, *gs), 29);
  EXPECT_EQ(RecordOfGame(*gs, 29).ending, Ending::kMate);
  EXPECT_EQ(RecordOfGame(*gs, 28).ending, Ending::kNone);
  EXPECT_EQ(RecordOfGame(*gs, 29, Ending::kInterrupt).ending, Ending::kInterrupt);
}

TEST(PastedRecords, AreToldApartByTheirContent) {
  const std::string start = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
  const struct {
    std::string text;
    int moves;  // -1: refused
  } kCases[] = {
      {"position startpos moves 7g7f 3c3d", 2},
      {"startpos moves 7g7f", 1},
      {"  sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1 moves 2g2f\n", 1},
      {start, 0},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2", -1},
      {"V2.2\nPI\n+\n+7776FU\n-3334FU\n%TORYO\n", 2},
      {"+7776FU\n-3334FU\n", 2},
      {"手合割：平手\r\n1 ７六歩(77)\r\n2 ３四歩(33)\r\n3 ２二角成(88)\r\n", 3},
      {"some words", -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    ReadError error;
    const auto r = ReadPastedGame(c.text, &error);
    EXPECT_EQ(r ? static_cast<int>(r->moves.size()) : -1, c.moves) << error.Text();
  }
}

TEST(Sfen, OfThePositionShown) {
  const auto r = ReadGame("position startpos moves 7g7f 3c3d 8h2b+", Format::kUsi, nullptr);
  ASSERT_TRUE(r);
  EXPECT_EQ(SfenAfter(*r, 3), "lnsgkgsnl/1r5+B1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL w B 4");
  EXPECT_EQ(SfenAfter(*r, 0), "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1");
}

// Seeded random damage to every golden and real file: the readers never crash or hang, and
// what they take is a sound game.
TEST(RecordFuzz, DamagedFilesAreRefusedOrSound) {
  std::vector<std::pair<std::string, Format>> bases;
  for (const char* g : {"person_first.kif", "person_first.csa", "long.kifu", "long.csa",
                        "computer_first.usi", "long.dat"})
    bases.emplace_back(Golden(g), FormatOf(g));
  for (const char* f : {"kfw_crlf.kif", "bom_utf8.kif", "wars.kif", "floodgate.csa", "oneline.csa"})
    bases.emplace_back(Real(f), FormatOf(f));
  std::mt19937 rng(20261207);
  auto scratch = std::make_unique<GameState>();
  int taken = 0, refused = 0;
  for (const auto& [base, format] : bases) {
    for (int round = 0; round < 150; ++round) {
      std::string s = base;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits && !s.empty(); ++e) {
        const std::size_t at = rng() % s.size();
        switch (rng() % 5) {
          case 0:
            s[at] = static_cast<char>(rng());
            break;
          case 1:
            s.erase(at, 1 + rng() % 8);
            break;
          case 2:
            s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 40));
            break;
          case 3:
            s[at] = "0123456789+-()/:\n 同成打歩"[rng() % 20];
            break;
          case 4:
            s.resize(at);
            break;
        }
      }
      ReadError error;
      const auto r = ReadGame(s, format, &error);
      const auto pasted = ReadPastedGame(s, nullptr);
      if (!r) {
        ++refused;
        EXPECT_FALSE(error.reason.empty());
        continue;
      }
      ++taken;
      EXPECT_TRUE(CheckGameMoves(*r, *scratch, &error)) << error.Text();
      EXPECT_TRUE(WriteGame(*r, Format::kKifu));
      if (pasted) {
        EXPECT_TRUE(CheckGameMoves(*pasted, *scratch, nullptr));
      }
    }
  }
  EXPECT_GT(taken, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace shogi::records
