// The opening book: keys, the reader, the lookup, the book builder, and the committed
// book data/joseki.dat.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/engine/book.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"
#include "tools/book/book_builder.h"

namespace shogi {
namespace {

namespace fs = std::filesystem;

// The repository, found from this file's own path.
fs::path RepoRoot() {
  return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

std::unique_ptr<GameState> NewGame(int firstMover) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = firstMover;
  return gs;
}

std::string Key(const GameState& gs, int index) {
  char key[kBookKeyLength + 1];
  std::memset(key, 'x', sizeof key);
  BuildBookKey(gs, index, key);
  EXPECT_EQ(key[kBookKeyLength], '\0');
  return std::string(key, kBookKeyLength);
}

// The two bytes of a piece code, written out from the table of the book format.
std::string Code(int kind, bool sente) {
  static const std::map<int, int> kTrail = {
      {1, 0x40}, {2, 0x41}, {3, 0x42},  {4, 0x43},  {5, 0x44},  {6, 0x45},  {7, 0x46},
      {8, 0x47}, {9, 0x48}, {10, 0x49}, {11, 0x4A}, {13, 0x4B}, {14, 0x4C}, {15, 0x4D}};
  std::string s = "\xF0";
  s += static_cast<char>(kTrail.at(kind) + (sente ? 0 : 0x10));
  return s;
}
const std::string kEmptyCode = "\x81\xA0";

// The code at a book square (file 1..9 from sente's right, rank 1..9 from sente's far side).
std::string CodeAt(const std::string& key, int file, int rank) {
  const int n = (rank - 1) * 9 + (9 - file);
  return key.substr(n * 2, 2);
}

// Moves compared as the game plays them: a drop's origin is no part of it (a book drop
// carries whatever its origin fields convert to).
bool SameMove(const MoveRec& a, const MoveRec& b) {
  if (a.dropKind != 0 || b.dropKind != 0)
    return a.dropKind == b.dropKind && a.toFile == b.toFile && a.toRank == b.toRank &&
           a.promote == b.promote;
  return a == b;
}

// Plays USI moves from the start position, black first.
void PlayUsi(GameState& gs, const std::vector<std::string>& moves) {
  for (const std::string& text : moves) {
    const int colour = gs.moveNumber % 2 == 0 ? UsiPosition::kBlack : UsiPosition::kWhite;
    const auto move = ParseUsiMove(text, gs.firstMover);
    ASSERT_TRUE(move.has_value()) << text;
    ASSERT_TRUE(CommitMove(gs, *move, SideOfColor(gs.firstMover, colour))) << text;
  }
}

// ---------------------------------------------------------------------------------------
// Keys

TEST(BookKey, StartPositionWithThePlayerAsSente) {
  auto gs = NewGame(1);
  const std::string key = Key(*gs, 0);
  std::string expected;
  const int back[9] = {2, 3, 4, 5, 15, 5, 4, 3, 2};
  for (int k : back) expected += Code(k, false);
  expected += kEmptyCode + Code(7, false);
  for (int i = 0; i < 5; ++i) expected += kEmptyCode;
  expected += Code(6, false) + kEmptyCode;
  for (int i = 0; i < 9; ++i) expected += Code(1, false);
  for (int i = 0; i < 27; ++i) expected += kEmptyCode;
  for (int i = 0; i < 9; ++i) expected += Code(1, true);
  expected += kEmptyCode + Code(6, true);
  for (int i = 0; i < 5; ++i) expected += kEmptyCode;
  expected += Code(7, true) + kEmptyCode;
  for (int k : back) expected += Code(k, true);
  EXPECT_EQ(key, expected);
  // The start position looks the same from either side.
  auto other = NewGame(2);
  EXPECT_EQ(Key(*other, 0), expected);
}

TEST(BookKey, EveryKindHasItsSenteAndGoteCode) {
  const int kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15};
  for (int fm : {1, 2}) {
    for (int kind : kinds) {
      auto gs = NewGame(fm);
      Position p;
      p.Set(2, 3, kPlayerSide, kind);    // a player piece
      p.Set(6, 5, kComputerSide, kind);  // a computer piece
      gs->snapshot[0] = p;
      const std::string key = Key(*gs, 0);
      int file = 0, rank = 0;
      // The player is sente when firstMover is 1, the computer when it is 2.
      InternalToUsi(fm, 2, 3, file, rank);
      EXPECT_EQ(CodeAt(key, file, rank), Code(kind, fm == 1)) << "fm " << fm << " kind " << kind;
      InternalToUsi(fm, 6, 5, file, rank);
      EXPECT_EQ(CodeAt(key, file, rank), Code(kind, fm == 2)) << "fm " << fm << " kind " << kind;
      int pieces = 0, empties = 0;
      for (int i = 0; i < 81; ++i) {
        const std::string c = key.substr(i * 2, 2);
        if (c == kEmptyCode)
          ++empties;
        else
          ++pieces;
      }
      EXPECT_EQ(pieces, 2);
      EXPECT_EQ(empties, 79);
    }
  }
}

TEST(BookKey, SquaresAreListedAsADiagramSeenFromSente) {
  for (int fm : {1, 2}) {
    for (int f = 0; f < 9; ++f) {
      for (int r = 0; r < 9; ++r) {
        auto gs = NewGame(fm);
        gs->snapshot[0] = Position{};
        gs->snapshot[0].Set(f, r, kPlayerSide, kGold);
        const std::string key = Key(*gs, 0);
        // firstMover 1: rankIndex 0..8, fileIndex 0..8; firstMover 2: both reversed.
        const int n = fm == 1 ? r * 9 + f : (8 - r) * 9 + (8 - f);
        EXPECT_EQ(key.substr(n * 2, 2), Code(kGold, fm == 1)) << fm << " " << f << " " << r;
      }
    }
  }
}

TEST(BookKey, ImpossibleSquaresAreTwoBlanks) {
  auto gs = NewGame(1);
  Position p;
  p.Set(0, 0, kPlayerSide, 12);    // kind 12 does not exist
  p.Set(1, 0, kPlayerSide, 0);     // owner set, kind missing
  p.Set(2, 0, kNoSide, kGold);     // kind set, owner missing
  p.Set(3, 0, 3, kGold);           // no such side
  p.Set(4, 0, kComputerSide, 99);  // no such kind
  gs->snapshot[0] = p;
  const std::string key = Key(*gs, 0);
  for (int f = 0; f < 5; ++f) EXPECT_EQ(key.substr(f * 2, 2), "  ") << f;
  EXPECT_EQ(key.substr(10, 2), kEmptyCode);
  // A snapshot that does not exist gives a key no book line can carry.
  EXPECT_EQ(Key(*gs, -1), std::string(kBookKeyLength, ' '));
  EXPECT_EQ(Key(*gs, kSnapshotCount), std::string(kBookKeyLength, ' '));
}

TEST(BookKey, MirrorGameGivesTheSameKey) {
  // The same USI game with the computer as black (firstMover 2) and as white (firstMover 1)
  // is the same position turned by 180 degrees with the sides exchanged.
  const std::vector<std::string> moves = {"7g7f", "3c3d", "2g2f", "4c4d", "2f2e",  "2b3c",
                                          "3i4h", "8b4b", "5i6h", "5a6b", "8h3c+", "2a3c"};
  auto a = NewGame(1);
  auto b = NewGame(2);
  PlayUsi(*a, moves);
  PlayUsi(*b, moves);
  const int m = static_cast<int>(moves.size());
  for (int i = 0; i <= m; ++i) {
    const Position& p = a->snapshot[i];
    const Position& q = b->snapshot[i];
    for (int f = 0; f < 9; ++f)
      for (int r = 0; r < 9; ++r) {
        ASSERT_EQ(p.KindAt(f, r), q.KindAt(8 - f, 8 - r));
        ASSERT_EQ(p.Owner(f, r) == 0, q.Owner(8 - f, 8 - r) == 0);
        if (p.Owner(f, r) != 0) {
          ASSERT_NE(p.Owner(f, r), q.Owner(8 - f, 8 - r));
        }
      }
    EXPECT_EQ(Key(*a, i), Key(*b, i)) << "after " << i << " moves";
    if (i > 0) {
      EXPECT_NE(Key(*a, i), Key(*a, i - 1));
    }
  }
  // A rotated position built by hand, not through the notation.
  Position rotated;
  const Position& p = a->snapshot[m];
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (p.Owner(f, r) != 0) rotated.Set(8 - f, 8 - r, Opponent(p.Owner(f, r)), p.KindAt(f, r));
  auto c = NewGame(2);
  c->snapshot[0] = rotated;
  EXPECT_EQ(Key(*c, 0), Key(*a, m));
  // With the same firstMover the rotated position is another position.
  c->firstMover = 1;
  EXPECT_NE(Key(*c, 0), Key(*a, m));
}

TEST(BookKey, PiecesInHandAreNotPartOfTheKey) {
  auto gs = NewGame(1);
  PlayUsi(*gs, {"7g7f", "3c3d", "8h2b+", "3a2b"});
  const std::string key = Key(*gs, 4);
  gs->snapshot[5] = gs->snapshot[4];
  gs->snapshot[5].SetHand(kPlayerSide, kBishop, 0);
  gs->snapshot[5].SetHand(kComputerSide, kBishop, 2);
  gs->snapshot[5].SetHand(kComputerSide, kPawn, 5);
  EXPECT_NE(gs->snapshot[5], gs->snapshot[4]);
  EXPECT_EQ(Key(*gs, 5), key);
}

// ---------------------------------------------------------------------------------------
// The reader

class BookFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::path(::testing::TempDir()) /
            (std::string("book_") + info->test_suite_name() + "_" + info->name() + ".dat");
    book_ = std::make_unique<OpeningBook>();
    book_->path = path_.string();
  }
  void TearDown() override { fs::remove(path_); }

  void Write(const std::string& text) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << text;
  }
  // Writes the text and loads it; returns what the reader printed.
  std::string Load(const std::string& text) {
    Write(text);
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(LoadBook(*book_));
    return ::testing::internal::GetCapturedStdout();
  }

  fs::path path_;
  std::unique_ptr<OpeningBook> book_;
};

// A key of 162 non-blank bytes: the board of a game state, or a made-up one.
std::string SomeKey(char c = 'A') {
  return std::string(kBookKeyLength, c);
}

// One book line with the given fields, in file order.
std::string Line(int number, const std::string& key, int toFile, int toRank, int fromFile,
                 int fromRank, int promote = 0, int drop = 0, int type = 0, int spare1 = 0,
                 int spare2 = 0, const char* end = "\n") {
  std::ostringstream s;
  s << number << ',' << key << ',' << spare1 << ',' << toFile << ',' << toRank << ',' << fromFile
    << ',' << fromRank << ',' << promote << ',' << drop << ',' << type << ',' << spare2 << end;
  return s.str();
}

TEST_F(BookFile, FieldsAreReadInFileOrder) {
  const std::string key = SomeKey();
  EXPECT_EQ(Load(Line(7, key, 3, 4, 5, 6, 1, 2, 2, -11, 22) + Line(999, key, 0, 0, 0, 0)), "");
  ASSERT_EQ(book_->count, 2);
  const BookEntry& e = book_->entries[0];
  EXPECT_EQ(e.number, 7);
  EXPECT_EQ(std::string(e.key.data()), key);
  EXPECT_EQ(e.spare1, -11);
  EXPECT_EQ(e.toFile, 3);
  EXPECT_EQ(e.toRank, 4);
  EXPECT_EQ(e.fromFile, 5);
  EXPECT_EQ(e.fromRank, 6);
  EXPECT_EQ(e.promote, 1);
  EXPECT_EQ(e.dropKind, 2);
  EXPECT_EQ(e.openingType, 2);
  EXPECT_EQ(e.spare2, 22);
  EXPECT_EQ(book_->entries[1].number, 999);
  // Slots behind the loaded lines are empty.
  EXPECT_EQ(book_->entries[2].key[0], '\0');
}

TEST_F(BookFile, MalformedLinesAreSkipped) {
  const std::string key = SomeKey();
  std::string text;
  text += Line(1, key, 1, 1, 1, 1);                       // kept
  text += Line(2, std::string(161, 'A'), 1, 1, 1, 1);     // key too short
  text += Line(3, std::string(163, 'A'), 1, 1, 1, 1);     // key too long
  text += "4," + key + ",0,1,1,1,1,0,0,0\n";              // ten fields
  text += "5," + key + ",0,1,1,1,1,0,0,x,0\n";            // not a number
  text += "6;" + key + ",0,1,1,1,1,0,0,0,0\n";            // wrong separator
  text += "7," + key + ",0,1,1,1,1,0,0,0,99999999999\n";  // out of range
  text += "8," + key.substr(0, 80) + " " + key.substr(0, 81) + ",0,1,1,1,1,0,0,0,0\n";
  text += std::string("9,") + std::string(100, 'A') + '\0' + std::string(61, 'A') +
          ",0,1,1,1,1,0,0,0,0\n";                                  // a zero byte
  text += "\n";                                                    // empty
  text += std::string(5000, '7') + "\n";                           // a very long line
  text += "\xFF\xFE\x01\x02,,,,\n";                                // binary junk
  text += "-2147483648," + key + ",0,1,1,1,1,0,0,0,2147483647\n";  // kept: int range
  text += Line(10, key, 2, 2, 2, 2);                               // kept
  Load(text);
  ASSERT_EQ(book_->count, 3);
  EXPECT_EQ(book_->entries[0].number, 1);
  EXPECT_EQ(book_->entries[1].number, -2147483647 - 1);
  EXPECT_EQ(book_->entries[1].spare2, 2147483647);
  EXPECT_EQ(book_->entries[2].number, 10);
}

TEST_F(BookFile, TrailingTextAndLeadingBlanksAsTheFormatReadsThem) {
  const std::string key = SomeKey();
  // Blanks before a number or the key are skipped by the conversions; text after the last
  // field is not looked at, however long.
  Load("  12, " + key + ", 0, 1, 2, 3, 4, 0, 0, 1, 5 trailing" + std::string(3000, 'z') + "\n" +
       Line(13, key, 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 2);
  EXPECT_EQ(book_->entries[0].number, 12);
  EXPECT_EQ(book_->entries[0].fromRank, 4);
  EXPECT_EQ(book_->entries[0].spare2, 5);
  EXPECT_EQ(book_->entries[1].number, 13);
  // A line whose fields run on past what the reader keeps is not taken for a shorter one.
  Load(std::string(2000, ' ') + Line(14, key, 1, 1, 1, 1) + Line(15, key, 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 1);
  EXPECT_EQ(book_->entries[0].number, 15);
  // Nor one whose last number is cut in two: 12345 must not be read as 123.
  std::string line = "16," + key + ",0,1,1,1,1,0,0,0,";
  line += std::string(1020 - line.size(), ' ') + "12345\n";
  Load(line + Line(17, key, 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 1);
  EXPECT_EQ(book_->entries[0].number, 17);
}

TEST_F(BookFile, CarriageReturnsBeforeLineEndsAreIgnored) {
  const std::string key = SomeKey();
  Load(Line(1, key, 1, 2, 3, 4, 0, 0, 1, 0, 0, "\r\n") +
       Line(2, key, 5, 6, 7, 8, 0, 0, 2, 0, 0, "\r\n") +
       Line(3, key, 1, 1, 1, 1, 0, 0, 0, 0, 0, ""));  // the last line without its end
  ASSERT_EQ(book_->count, 3);
  EXPECT_EQ(book_->entries[0].spare2, 0);
  EXPECT_EQ(book_->entries[1].openingType, 2);
  EXPECT_EQ(book_->entries[2].number, 3);
}

TEST_F(BookFile, LoadingStopsAfterTheFirstLineNumbered999OrMore) {
  const std::string key = SomeKey();
  Load(Line(1, key, 1, 1, 1, 1) + Line(998, key, 1, 1, 1, 1) + Line(999, key, 1, 1, 1, 1) +
       Line(2, key, 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 3);
  EXPECT_EQ(book_->entries[2].number, 999);
  EXPECT_EQ(book_->entries[3].number, 0);

  Load(Line(1, key, 1, 1, 1, 1) + Line(1000, key, 1, 1, 1, 1) + Line(2, key, 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 2);
  EXPECT_EQ(book_->entries[1].number, 1000);

  // A malformed line numbered 999 ends nothing.
  Load(Line(1, key, 1, 1, 1, 1) + "999,short,0,0,0,0,0,0,0,0,0\n" + Line(2, key, 1, 1, 1, 1));
  EXPECT_EQ(book_->count, 2);
}

TEST_F(BookFile, AtMost1000EntriesAreKept) {
  const std::string key = SomeKey();
  std::string text;
  for (int i = 0; i < 1200; ++i) text += Line(i % 900, key, 1, 1, 1, 1);
  Load(text);
  EXPECT_EQ(book_->count, kBookCapacity);
  EXPECT_EQ(book_->entries[kBookCapacity - 1].number, 999 % 900);
}

TEST_F(BookFile, MissingFileIsReportedOnStandardOutput) {
  Load(Line(1, SomeKey(), 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 1);
  book_->path = (path_.parent_path() / "no_such_book.dat").string();
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(LoadBook(*book_));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cannot open file\n");
  // Nothing of the earlier book is left.
  EXPECT_EQ(book_->count, 0);
  EXPECT_EQ(book_->entries[0].key[0], '\0');
}

TEST_F(BookFile, ReloadingReplacesTheOldEntries) {
  const std::string key = SomeKey();
  Load(Line(1, key, 1, 1, 1, 1) + Line(2, key, 1, 1, 1, 1) + Line(3, key, 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 3);
  Load(Line(4, key, 1, 1, 1, 1));
  ASSERT_EQ(book_->count, 1);
  EXPECT_EQ(book_->entries[0].number, 4);
  EXPECT_EQ(book_->entries[1].number, 0);
  EXPECT_EQ(book_->entries[1].key[0], '\0');
}

// ---------------------------------------------------------------------------------------
// The lookup

// A clock time (seconds since the epoch) whose local seconds field is s.
int64_t ClockWithSeconds(int s) {
  for (int64_t t = 1700000000; t < 1700000000 + 120; ++t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&tt, &local);
    if (local.tm_sec == s) return t;
  }
  ADD_FAILURE() << "no clock time with seconds " << s;
  return 1700000000;
}

class BookLookup : public BookFile {
 protected:
  // The player (sente, firstMover 1) has played 7g7f; the computer is to move at move 2.
  void StartGame(int firstMover) {
    gs_ = NewGame(firstMover);
    if (firstMover == 1) {
      PlayUsi(*gs_, {"7g7f"});
    }
    gs_->moveNumber += 1;  // the computer's move, as the think driver sees it
    gs_->fixedClock = ClockWithSeconds(0);
  }
  std::string CurrentKey() { return Key(*gs_, gs_->moveNumber - 1); }
  std::string Played() { return MoveToUsi(gs_->moveRec[gs_->moveNumber], gs_->firstMover); }

  std::unique_ptr<GameState> gs_;
};

TEST_F(BookLookup, NoMatchingEntryPlaysNothing) {
  StartGame(1);
  Load(Line(1, SomeKey(), 3, 4, 3, 3, 0, 0, 2));
  gs_->openingType = 1;
  const Position before = gs_->snapshot[2];
  EXPECT_FALSE(PlayBookMove(*gs_, *book_));
  EXPECT_EQ(gs_->openingType, 1);
  EXPECT_EQ(gs_->moveNumber, 2);
  EXPECT_EQ(gs_->snapshot[2], before);
  EXPECT_TRUE(gs_->moveRec[2].IsEmpty());
}

TEST_F(BookLookup, TheMatchingMoveIsPlayedForTheComputer) {
  for (int fm : {1, 2}) {
    StartGame(fm);
    // As white (fm 1) the computer answers 7g7f with 3c3d; as black (fm 2) it opens 7g7f.
    // Book squares are seen from sente: destination first, then origin.
    const std::string line = fm == 1 ? Line(1, CurrentKey(), 3, 4, 3, 3, 0, 0, 2)
                                     : Line(1, CurrentKey(), 7, 6, 7, 7, 0, 0, 1);
    Load(line);
    const int m = gs_->moveNumber;
    ASSERT_TRUE(PlayBookMove(*gs_, *book_));
    EXPECT_EQ(gs_->moveNumber, m);
    EXPECT_EQ(Played(), fm == 1 ? "3c3d" : "7g7f");
    EXPECT_EQ(gs_->openingType, fm == 1 ? 2 : 1);
    // The internal squares: the computer's pawn moves one rank toward rankIndex 8.
    const MoveRec& rec = gs_->moveRec[m];
    EXPECT_EQ(rec.fromFile, 6);
    EXPECT_EQ(rec.toFile, 6);
    EXPECT_EQ(rec.fromRank, 2);
    EXPECT_EQ(rec.toRank, 3);
    EXPECT_EQ(rec.promote, 0);
    EXPECT_EQ(rec.dropKind, 0);
    Position expected = gs_->snapshot[m - 1];
    ApplyMove(expected, rec, kComputerSide);
    EXPECT_EQ(gs_->snapshot[m], expected);
    EXPECT_EQ(gs_->snapshot[m].Owner(rec.toFile, rec.toRank), kComputerSide);
  }
}

TEST_F(BookLookup, TheClockSecondsPickTheCandidate) {
  StartGame(1);
  const std::string key = CurrentKey();
  Load(Line(1, SomeKey('B'), 5, 4, 5, 3) + Line(2, key, 3, 4, 3, 3) +
       Line(3, SomeKey('C'), 5, 4, 5, 3) + Line(4, key, 8, 4, 8, 3));
  for (int s = 0; s < 60; ++s) {
    gs_->fixedClock = ClockWithSeconds(s);
    ASSERT_TRUE(PlayBookMove(*gs_, *book_));
    EXPECT_EQ(Played(), s % 2 == 0 ? "3c3d" : "8c8d") << "seconds " << s;
  }
  // With one entry it is always chosen.
  Load(Line(1, key, 8, 4, 8, 3));
  for (int s : {0, 1, 31, 59}) {
    gs_->fixedClock = ClockWithSeconds(s);
    ASSERT_TRUE(PlayBookMove(*gs_, *book_));
    EXPECT_EQ(Played(), "8c8d");
  }
}

TEST_F(BookLookup, ThirtyCandidatesAtMostButEveryMatchSetsTheType) {
  StartGame(1);
  const std::string key = CurrentKey();
  // 30 entries of pawn moves, then 5 more of another type.
  const int files[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::string text;
  for (int i = 0; i < 35; ++i) {
    const int f = files[i % 9];
    text += Line(i + 1, key, f, 4, f, 3, 0, 0, i < 30 ? 1 : 2, i, 0);
  }
  Load(text);
  ASSERT_EQ(book_->count, 35);
  for (int s : {29, 59, 34}) {
    gs_->fixedClock = ClockWithSeconds(s);
    ASSERT_TRUE(PlayBookMove(*gs_, *book_));
    // The pick is seconds mod 30 among the first 30 in file order.
    const int f = files[(s % 30) % 9];
    EXPECT_EQ(Played(), std::to_string(f) + "c" + std::to_string(f) + "d") << s;
    EXPECT_EQ(gs_->openingType, 2);
  }
}

TEST_F(BookLookup, TheLastMatchingEntrySetsTheType) {
  StartGame(1);
  const std::string key = CurrentKey();
  Load(Line(1, key, 3, 4, 3, 3, 0, 0, 2) + Line(2, SomeKey(), 3, 4, 3, 3, 0, 0, 0) +
       Line(3, key, 8, 4, 8, 3, 0, 0, 1));
  gs_->fixedClock = ClockWithSeconds(0);  // picks the first, of type 2
  ASSERT_TRUE(PlayBookMove(*gs_, *book_));
  EXPECT_EQ(Played(), "3c3d");
  EXPECT_EQ(gs_->openingType, 1);
}

TEST_F(BookLookup, ALineNumbered999EndsTheLookupButNotOneNumbered1000) {
  StartGame(1);
  const std::string key = CurrentKey();
  Load(Line(1, SomeKey(), 1, 1, 1, 1) + Line(999, key, 3, 4, 3, 3, 0, 0, 2));
  ASSERT_EQ(book_->count, 2);
  EXPECT_FALSE(PlayBookMove(*gs_, *book_));
  EXPECT_EQ(gs_->openingType, 0);

  Load(Line(1, SomeKey(), 1, 1, 1, 1) + Line(1000, key, 3, 4, 3, 3, 0, 0, 2) +
       Line(2, key, 8, 4, 8, 3, 0, 0, 1));
  ASSERT_EQ(book_->count, 2);
  ASSERT_TRUE(PlayBookMove(*gs_, *book_));
  EXPECT_EQ(Played(), "3c3d");
  EXPECT_EQ(gs_->openingType, 2);
}

TEST_F(BookLookup, TheLookupLooksAt999EntriesAtMost) {
  StartGame(1);
  const std::string key = CurrentKey();
  std::string text;
  for (int i = 0; i < 998; ++i) text += Line(1, SomeKey(), 1, 1, 1, 1);
  text += Line(2, key, 3, 4, 3, 3, 0, 0, 2);  // the 999th entry: looked at
  text += Line(3, key, 8, 4, 8, 3, 0, 0, 1);  // the 1000th: loaded, never looked at
  Load(text);
  ASSERT_EQ(book_->count, 1000);
  for (int s : {0, 1}) {
    gs_->fixedClock = ClockWithSeconds(s);
    ASSERT_TRUE(PlayBookMove(*gs_, *book_));
    EXPECT_EQ(Played(), "3c3d");
    EXPECT_EQ(gs_->openingType, 2);
  }
}

TEST_F(BookLookup, DropOriginsAreConvertedLikeAnySquare) {
  for (int fm : {1, 2}) {
    StartGame(fm);
    const int m = gs_->moveNumber;
    gs_->snapshot[m - 1].SetHand(kComputerSide, kPawn, 1);
    // A pawn dropped on 5e (book notation), origin fields 0, 0.
    Load(Line(1, CurrentKey(), 5, 5, 0, 0, 0, kPawn, 1));
    ASSERT_TRUE(PlayBookMove(*gs_, *book_));
    const MoveRec& rec = gs_->moveRec[m];
    EXPECT_EQ(rec.dropKind, kPawn);
    EXPECT_EQ(rec.toFile, 4);
    EXPECT_EQ(rec.toRank, 4);
    // firstMover 1: (9 - 0, 0 - 1); firstMover 2: (0 - 1, 9 - 0).
    EXPECT_EQ(rec.fromFile, fm == 1 ? 9 : -1);
    EXPECT_EQ(rec.fromRank, fm == 1 ? -1 : 9);
    EXPECT_EQ(Played(), "P*5e");
    EXPECT_EQ(gs_->snapshot[m].Owner(4, 4), kComputerSide);
    EXPECT_EQ(gs_->snapshot[m].KindAt(4, 4), kPawn);
    EXPECT_EQ(gs_->snapshot[m].Hand(kComputerSide, kPawn), 0);
  }
}

TEST_F(BookLookup, MovesThatCannotBePlayedAreNoCandidates) {
  StartGame(1);
  gs_->snapshot[gs_->moveNumber - 1].SetHand(kComputerSide, kLance, 1);
  const std::string key = CurrentKey();
  std::string text;
  text += Line(1, key, 10, 4, 3, 3, 0, 0, 1);               // destination off the board
  text += Line(2, key, 3, 4, -2147483647 - 1, 3, 0, 0, 1);  // origin far off the board
  text += Line(3, key, 7, 5, 7, 6, 0, 0, 1);                // the player's pawn on 7f
  text += Line(4, key, 5, 1, 4, 1, 0, 0, 1);                // onto the computer's own king
  text += Line(5, key, 3, 4, 3, 3, 2, 0, 1);                // promote flag 2
  text += Line(6, key, 6, 2, 6, 1, 1, 0, 1);                // a gold cannot promote
  text += Line(7, key, 5, 5, 0, 0, 0, kPawn, 1);            // a drop without the piece
  text += Line(8, key, 5, 5, 0, 0, 0, 8, 1);                // no such drop kind
  text += Line(9, key, 5, 5, 0, 0, 0, -1, 1);               // nor this
  text += Line(10, key, 5, 3, 0, 0, 0, kLance, 1);          // a drop onto a piece
  text += Line(11, key, 5, 5, 0, 0, 1, kLance, 1);          // a drop cannot promote
  text += Line(12, key, 8, 4, 8, 3, 0, 0, 2);               // the only playable move
  Load(text);
  ASSERT_EQ(book_->count, 12);
  for (int s = 0; s < 60; s += 7) {
    gs_->fixedClock = ClockWithSeconds(s);
    ASSERT_TRUE(PlayBookMove(*gs_, *book_));
    EXPECT_EQ(Played(), "8c8d");
    EXPECT_EQ(gs_->openingType, 2);
  }
  // The lance could be dropped on 5e: that entry alone is a candidate then.
  Load(Line(1, key, 10, 4, 3, 3, 0, 0, 1) + Line(2, key, 5, 5, 0, 0, 0, kLance, 2));
  ASSERT_TRUE(PlayBookMove(*gs_, *book_));
  EXPECT_EQ(Played(), "L*5e");
  // Only damaged moves: nothing is played, the type is still set.
  Load(Line(1, key, 10, 4, 3, 3, 0, 0, 1));
  gs_->openingType = 0;
  EXPECT_FALSE(PlayBookMove(*gs_, *book_));
  EXPECT_EQ(gs_->openingType, 1);
}

TEST_F(BookLookup, MoveNumbersOutsideTheHistoryPlayNothing) {
  StartGame(1);
  Load(Line(1, CurrentKey(), 3, 4, 3, 3, 0, 0, 2));
  for (int m : {0, -1, kMaxMoves + 1}) {
    gs_->moveNumber = m;
    EXPECT_FALSE(PlayBookMove(*gs_, *book_));
  }
  gs_->moveNumber = 2;
  gs_->computerSide = 0;
  EXPECT_FALSE(PlayBookMove(*gs_, *book_));
}

// ---------------------------------------------------------------------------------------
// The book builder

using book_tool::BuildBook;
using book_tool::ParseSource;
using book_tool::SourceLine;

std::string BuildError(const std::string& source) {
  std::vector<SourceLine> lines;
  std::string error, out;
  int entries = 0;
  if (!ParseSource("test.txt", source, lines, error)) return error;
  if (BuildBook(lines, out, entries, error)) return "";
  return error;
}

TEST(BookBuilder, ParsesColoursTypesNamesAndMoves) {
  std::vector<SourceLine> lines;
  std::string error;
  ASSERT_TRUE(ParseSource("a.txt",
                          "# comment\n\n"
                          "black 0 white 2  Some: name: 7g7f 3c3d  # trailing comment\n"
                          "both 1 Other: 2g2f\r\n"
                          "  white 1   Third  :  7g7f   8c8d \n",
                          lines, error))
      << error;
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].lineNumber, 3);
  EXPECT_EQ(lines[0].type[1], 0);
  EXPECT_EQ(lines[0].type[2], 2);
  EXPECT_EQ(lines[0].name, "Some: name");
  EXPECT_EQ(lines[0].moves, (std::vector<std::string>{"7g7f", "3c3d"}));
  EXPECT_EQ(lines[1].type[1], 1);
  EXPECT_EQ(lines[1].type[2], 1);
  EXPECT_EQ(lines[2].type[1], -1);
  EXPECT_EQ(lines[2].type[2], 1);
  EXPECT_EQ(lines[2].name, "Third");

  for (const char* bad :
       {"black 0 no moves:\n", "black 3 bad type: 7g7f\n", "7g7f 3c3d\n",
        "black 0 black 1 twice: 7g7f\n", "black 0 : 7g7f\n", "red 0 colour: 7g7f\n"}) {
    lines.clear();
    EXPECT_FALSE(ParseSource("a.txt", bad, lines, error)) << bad;
    EXPECT_EQ(error.rfind("a.txt:1: ", 0), 0u) << error;
  }
}

TEST(BookBuilder, WritesTheBookFormat) {
  std::vector<SourceLine> lines;
  std::string error, out;
  int entries = 0;
  ASSERT_TRUE(ParseSource("a.txt", "black 0 white 2 x: 7g7f 3c3d 6g6f\n", lines, error));
  ASSERT_TRUE(BuildBook(lines, out, entries, error)) << error;
  EXPECT_EQ(entries, 3);
  auto black = NewGame(2);
  auto white = NewGame(1);
  PlayUsi(*white, {"7g7f"});
  PlayUsi(*black, {"7g7f", "3c3d"});
  const std::string start = Key(*black, 0);
  std::string expected = "1," + start + ",0,7,6,7,7,0,0,0,0\n";
  expected += "2," + Key(*black, 2) + ",0,6,6,6,7,0,0,0,0\n";
  expected += "3," + Key(*white, 1) + ",0,3,4,3,3,0,0,2,0\n";
  expected += "999,";
  for (int i = 0; i < 81; ++i) expected += kEmptyCode;
  expected += ",0,0,0,0,0,0,0,0,0\n";
  EXPECT_EQ(out, expected);
}

TEST(BookBuilder, DropsAndPromotionsInBookNotation) {
  std::vector<SourceLine> lines;
  std::string error, out;
  int entries = 0;
  ASSERT_TRUE(ParseSource("a.txt", "both 1 x: 7g7f 3c3d 8h2b+ 3a2b B*4e\n", lines, error));
  ASSERT_TRUE(BuildBook(lines, out, entries, error)) << error;
  EXPECT_NE(out.find(",0,2,2,8,8,1,0,1,0\n"), std::string::npos);  // 8h2b+
  EXPECT_NE(out.find(",0,4,5,0,0,0,6,1,0\n"), std::string::npos);  // B*4e
}

TEST(BookBuilder, RefusesIllegalMovesNamingFileLineAndMove) {
  const std::string error = BuildError("\nblack 0 x: 7g7f 3c3d 8h2b\n");
  EXPECT_NE(error.find("test.txt:2"), std::string::npos) << error;
  EXPECT_NE(error.find("move 3 (8h2b)"), std::string::npos) << error;  // needs its '+'
  EXPECT_NE(error.find("not a legal move"), std::string::npos) << error;
  for (const char* bad :
       {"black 0 x: 7g7f 7g7f\n", "black 0 x: 7g7f 3c3d 5i6h 5a4b 6h7g\n",
        "black 0 x: 7g7f 3c3d P*5e\n", "black 0 x: 7g7f 3c3d 2g2f 2b8h\n", "black 0 x: 7g7z\n"}) {
    EXPECT_NE(BuildError(bad), "") << bad;
  }
  // Moves are checked for the colour that is not named, too.
  EXPECT_NE(BuildError("white 0 x: 7g7f 3c3d 7f7d\n"), "");
}

TEST(BookBuilder, RefusesAmbiguousAndOverfullBooks) {
  // The same board with black to move and with white to move: the key cannot tell them.
  // Black loses a move with its rook, and the start position comes back with white to move.
  const std::string both = BuildError("both 1 a: 2h3h 8b7b 3h4h 7b8b 4h2h 5a4b\n");
  EXPECT_NE(both.find("other colour"), std::string::npos) << both;
  EXPECT_EQ(BuildError("both 1 a: 2h3h 8b7b 3h4h 7b8b 4h2h\n"), "");

  // 31 moves in one position.
  std::string many;
  const char* moves[] = {"9g9f", "8g8f", "6g6f", "5g5f", "4g4f", "3g3f", "2g2f", "1g1f",
                         "9i9h", "1i1h", "3i3h", "3i4h", "7i7h", "7i6h", "6i5h", "6i6h",
                         "6i7h", "4i4h", "4i5h", "4i3h", "5i5h", "5i4h", "5i6h", "2h3h",
                         "2h4h", "2h5h", "2h6h", "2h7h", "2h1h", "8h7g", "7f7e"};
  for (const char* m : moves) many += std::string("black 0 x: 7g7f 3c3d ") + m + "\n";
  EXPECT_EQ(BuildError(many.substr(0, many.rfind("black 0 x:"))), "");
  const std::string full = BuildError(many);
  EXPECT_NE(full.find("at most 30"), std::string::npos) << full;
}

TEST(BookBuilder, RefusesALineThatEndsWithAnotherType) {
  // Line b ends where line a, of type 0, first went: the lookup would leave type 0.
  const std::string error = BuildError(
      "black 0 a: 7g7f 3c3d 6g6f 8c8d\n"
      "black 1 b: 7g7f 3c3d 2g2f\n");
  EXPECT_NE(error.find("test.txt:2"), std::string::npos) << error;
  EXPECT_NE(error.find("type 0"), std::string::npos) << error;
  // Where lines of different types share a position, the first line's type is written last.
  std::vector<SourceLine> lines;
  std::string text, err;
  int entries = 0;
  ASSERT_TRUE(ParseSource("t.txt",
                          "black 0 a: 7g7f 3c3d 6g6f 8c8d 2h6h\n"
                          "black 1 b: 7g7f 3c3d 2g2f 8c8d 2f2e\n",
                          lines, err));
  ASSERT_TRUE(BuildBook(lines, text, entries, err)) << err;
  EXPECT_EQ(entries, 5);
  auto gs = NewGame(2);
  PlayUsi(*gs, {"7g7f", "3c3d"});
  const std::string key = Key(*gs, 2);
  const auto first = text.find(key);
  const auto second = text.find(key, first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(text.substr(first, 200).find(",0,2,6,2,7,0,0,1,0\n"), std::string::npos);
  EXPECT_NE(text.substr(second, 200).find(",0,6,6,6,7,0,0,0,0\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// The committed book

class BookData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    book_ = new OpeningBook;
    book_->path = (RepoRoot() / "data" / "joseki.dat").string();
    ::testing::internal::CaptureStdout();
    loaded_ = LoadBook(*book_);
    printed_ = ::testing::internal::GetCapturedStdout();
    std::ifstream in(book_->path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    text_ = new std::string(s.str());
    lines_ = new std::vector<SourceLine>;
    sourceError_ = new std::string;
    book_tool::ReadSourceDirectory(RepoRoot() / "data" / "book", *lines_, *sourceError_);
  }
  static void TearDownTestSuite() {
    delete book_;
    delete text_;
    delete lines_;
    delete sourceError_;
  }

  static OpeningBook* book_;
  static bool loaded_;
  static std::string printed_;
  static std::string* text_;
  static std::vector<SourceLine>* lines_;
  static std::string* sourceError_;
};
OpeningBook* BookData::book_ = nullptr;
bool BookData::loaded_ = false;
std::string BookData::printed_;
std::string* BookData::text_ = nullptr;
std::vector<SourceLine>* BookData::lines_ = nullptr;
std::string* BookData::sourceError_ = nullptr;

TEST_F(BookData, ParsesCompletelyAndEndsWithA999Line) {
  ASSERT_TRUE(loaded_) << book_->path;
  EXPECT_EQ(printed_, "");
  // Every line of the file is an entry: none was skipped.
  int lineCount = 0;
  for (char c : *text_) lineCount += c == '\n';
  ASSERT_FALSE(text_->empty());
  EXPECT_EQ(text_->back(), '\n');
  EXPECT_EQ(book_->count, lineCount);
  EXPECT_GE(book_->count - 1, 200);
  EXPECT_LE(book_->count, 999);  // the lookup sees every entry
  EXPECT_EQ(book_->entries[book_->count - 1].number, 999);
  const std::size_t lastLine = text_->rfind('\n', text_->size() - 2) + 1;
  EXPECT_EQ(text_->compare(lastLine, 4, "999,"), 0);
  for (int i = 0; i + 1 < book_->count; ++i) {
    const BookEntry& e = book_->entries[i];
    EXPECT_GE(e.number, 1);
    EXPECT_LT(e.number, 999);
    EXPECT_EQ(std::strlen(e.key.data()), static_cast<std::size_t>(kBookKeyLength));
    EXPECT_TRUE(e.openingType >= 0 && e.openingType <= 2) << e.number;
    EXPECT_TRUE(e.promote == 0 || e.promote == 1) << e.number;
    EXPECT_EQ(e.spare1, 0);
    EXPECT_EQ(e.spare2, 0);
  }
}

TEST_F(BookData, IsTheOutputOfTheBuilder) {
  ASSERT_EQ(*sourceError_, "");
  std::string built, error;
  int entries = 0;
  ASSERT_TRUE(book_tool::BuildBook(*lines_, built, entries, error)) << error;
  EXPECT_EQ(entries + 1, book_->count);
  EXPECT_TRUE(built == *text_) << "data/joseki.dat is not the book built from data/book; "
                                  "rebuild it with make_book";
}

// Every position of the source in which the computer is to move, by key: the firstMover of
// the computer and the positions with that board.
struct ComputerPosition {
  int firstMover = 0;
  std::vector<Position> positions;
};

std::map<std::string, ComputerPosition> SourcePositions(const std::vector<SourceLine>& lines) {
  std::map<std::string, ComputerPosition> out;
  for (const SourceLine& line : lines) {
    for (int colour : {UsiPosition::kBlack, UsiPosition::kWhite}) {
      if (line.type[colour] < 0) continue;
      const int fm = colour == UsiPosition::kBlack ? 2 : 1;
      auto gs = NewGame(fm);
      for (std::size_t ply = 0; ply < line.moves.size(); ++ply) {
        const int mover = ply % 2 == 0 ? UsiPosition::kBlack : UsiPosition::kWhite;
        if (mover == colour) {
          ComputerPosition& p = out[Key(*gs, gs->moveNumber)];
          p.firstMover = fm;
          p.positions.push_back(gs->snapshot[gs->moveNumber]);
        }
        const auto move = ParseUsiMove(line.moves[ply], fm);
        if (!move) return {};
        CommitMove(*gs, *move, SideOfColor(fm, mover));
      }
    }
  }
  return out;
}

TEST_F(BookData, EveryMoveIsLegalInItsPositionsForBothFirstMovers) {
  ASSERT_EQ(*sourceError_, "");
  const auto positions = SourcePositions(*lines_);
  ASSERT_FALSE(positions.empty());
  auto gs = NewGame(1);
  int byFirstMover[3] = {};
  for (int i = 0; i + 1 < book_->count; ++i) {
    const BookEntry& e = book_->entries[i];
    const std::string key(e.key.data(), kBookKeyLength);
    const auto it = positions.find(key);
    ASSERT_NE(it, positions.end()) << "entry " << e.number << " has no position in the source";
    const int fm = it->second.firstMover;
    ++byFirstMover[fm];
    // The move as the lookup converts it.
    MoveRec m;
    int fromFile = 0, fromRank = 0;
    UsiToInternal(fm, e.toFile, e.toRank, m.toFile, m.toRank);
    UsiToInternal(fm, e.fromFile, e.fromRank, fromFile, fromRank);
    m.promote = e.promote;
    m.dropKind = e.dropKind;
    if (m.dropKind == 0) {
      m.fromFile = fromFile;
      m.fromRank = fromRank;
    }  // a drop's origin is no part of the move
    for (const Position& pos : it->second.positions) {
      AnalyzeMoves(*gs, pos, kComputerSide, 0);
      bool legal = false;
      for (int j = 0; j < gs->moveListCount; ++j)
        legal |= gs->moveList[j].move == m && gs->moveList[j].illegal == 0;
      EXPECT_TRUE(legal) << "entry " << e.number << " (" << MoveToUsi(m, fm) << ", firstMover "
                         << fm << ")";
    }
  }
  EXPECT_GT(byFirstMover[1], 100);
  EXPECT_GT(byFirstMover[2], 100);
}

// Plays every line of the source as a game: the computer's moves must come from the book,
// and after the line the computer carries on with the line's opening type.
TEST_F(BookData, GamesAlongTheLinesAreAnsweredFromTheBook) {
  ASSERT_EQ(*sourceError_, "");
  ASSERT_GE(lines_->size(), 20u);
  int checkedMoves = 0;
  int types[3][3] = {};  // [colour][type] of the lines
  for (const SourceLine& line : *lines_) {
    for (int colour : {UsiPosition::kBlack, UsiPosition::kWhite}) {
      if (line.type[colour] < 0) continue;
      ++types[colour][line.type[colour]];
      const int fm = colour == UsiPosition::kBlack ? 2 : 1;
      auto gs = NewGame(fm);
      gs->bookChoice = 0;
      int computerMoves = 0;
      for (std::size_t ply = 0; ply < line.moves.size(); ++ply) {
        const int mover = ply % 2 == 0 ? UsiPosition::kBlack : UsiPosition::kWhite;
        const auto move = ParseUsiMove(line.moves[ply], fm);
        ASSERT_TRUE(move.has_value());
        if (mover != colour) {
          ASSERT_TRUE(CommitMove(*gs, *move, kPlayerSide));
          continue;
        }
        // The computer's turn: moveNumber counts its move.
        gs->moveNumber += 1;
        const int m = gs->moveNumber;
        bool found = false;
        for (int s = 0; s < 60 && !found; ++s) {
          gs->fixedClock = ClockWithSeconds(s);
          ASSERT_TRUE(PlayBookMove(*gs, *book_))
              << line.Where() << " " << line.moves[ply] << ": no book move";
          found = SameMove(gs->moveRec[m], *move);
        }
        ASSERT_TRUE(found) << line.Where() << ": the book never plays " << line.moves[ply];
        Position expected = gs->snapshot[m - 1];
        ApplyMove(expected, *move, kComputerSide);
        ASSERT_EQ(gs->snapshot[m], expected);
        ASSERT_TRUE(gs->openingType >= 0 && gs->openingType <= 2);
        ++computerMoves;
        ++checkedMoves;
      }
      EXPECT_GE(computerMoves, 1) << line.Where();
      EXPECT_EQ(gs->openingType, line.type[colour])
          << line.Where() << " \"" << line.name << "\" as "
          << (colour == UsiPosition::kBlack ? "black" : "white");
    }
  }
  EXPECT_GT(checkedMoves, 200);
  // All three types, for the computer as either colour.
  for (int colour : {UsiPosition::kBlack, UsiPosition::kWhite})
    for (int type = 0; type < 3; ++type)
      EXPECT_GE(types[colour][type], 2) << "colour " << colour << " type " << type;
}

TEST_F(BookData, MainLinesAreAtLeastTwelvePliesDeep) {
  ASSERT_EQ(*sourceError_, "");
  int deep = 0;
  for (const SourceLine& line : *lines_) deep += line.moves.size() >= 12;
  EXPECT_GE(deep, 20);
  // Each type has main lines of that depth for both colours.
  for (int colour : {UsiPosition::kBlack, UsiPosition::kWhite})
    for (int type = 0; type < 3; ++type) {
      bool any = false;
      for (const SourceLine& line : *lines_)
        any |= line.type[colour] == type && line.moves.size() >= 12;
      EXPECT_TRUE(any) << "colour " << colour << " type " << type;
    }
}

// The start position for the computer as black, and 1. 7g7f for the computer as white, are
// answered from the book with the default plan (type 0) in force.
TEST_F(BookData, TheFirstMovesComeFromTheBook) {
  for (int fm : {1, 2}) {
    auto gs = NewGame(fm);
    if (fm == 1) PlayUsi(*gs, {"7g7f"});
    gs->moveNumber += 1;
    gs->fixedClock = ClockWithSeconds(5);
    ASSERT_TRUE(PlayBookMove(*gs, *book_)) << fm;
    EXPECT_EQ(gs->openingType, 0) << fm;
  }
  // 1. 2g2f for the computer as white.
  auto gs = NewGame(1);
  PlayUsi(*gs, {"2g2f"});
  gs->moveNumber += 1;
  ASSERT_TRUE(PlayBookMove(*gs, *book_));
}

}  // namespace
}  // namespace shogi
