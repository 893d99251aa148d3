// The opening book: keys, the reader, the lookup, the book builder, and the committed
// book data/joseki.dat.
#include <gtest/gtest.h>

#include <algorithm>
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
using book_tool::BuildBook;
using book_tool::ParseSource;
using book_tool::SourceLine;

// The committed book and its source lines.
fs::path DataDir() {
  return SHOGI_DATA_DIR;
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

const std::string kEmptyCode = "\x81\xA0";

// The key of an SFEN board as the book format writes it: the squares in SFEN order, each
// "\xF0" and a letter code (0x40.. for sente's pieces, 0x10 more for gote's), or kEmptyCode.
std::string KeyOfSfen(const std::string& board) {
  static const std::map<std::string, int> kTrail = {
      {"P", 0x40},  {"L", 0x41},  {"N", 0x42},  {"S", 0x43},  {"G", 0x44},
      {"B", 0x45},  {"R", 0x46},  {"+P", 0x47}, {"+L", 0x48}, {"+N", 0x49},
      {"+S", 0x4A}, {"+B", 0x4B}, {"+R", 0x4C}, {"K", 0x4D}};
  std::string key, promoted;
  for (char c : board) {
    if (c == '/') continue;
    if (c == '+') {
      promoted = "+";
    } else if (c >= '1' && c <= '9') {
      for (int i = 0; i < c - '0'; ++i) key += kEmptyCode;
    } else {
      const bool gote = c >= 'a' && c <= 'z';
      const std::string name = promoted + static_cast<char>(gote ? c - 'a' + 'A' : c);
      key += "\xF0";
      key += static_cast<char>(kTrail.at(name) + (gote ? 0x10 : 0));
      promoted.clear();
    }
  }
  return key;
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

// ---------------------------------------------------------------------------------------
// Keys

// The board is written as a diagram seen from sente, whoever that is: keys of positions
// along a game and of a board holding every kind for both sides, with either first mover.
TEST(BookKey, IsTheDiagramSeenFromSente) {
  const std::vector<std::string> moves = {"7g7f", "3c3d", "2g2f", "4c4d", "2f2e",  "2b3c",
                                          "3i4h", "8b4b", "5i6h", "5a6b", "8h3c+", "2a3c"};
  for (int fm : {1, 2}) {
    auto gs = NewGame(fm);
    PlayUsi(*gs, moves);
    for (int i = 0; i <= static_cast<int>(moves.size()); ++i) {
      const std::string sfen = ToSfen(FromInternal(gs->snapshot[i], fm, UsiPosition::kBlack));
      EXPECT_EQ(Key(*gs, i), KeyOfSfen(sfen.substr(0, sfen.find(' ')))) << fm << " " << i;
    }
    for (const std::string every :
         {"rbgsnlpk1/9/9/9/9/9/9/1KPLNSGBR/9", "+r+b+s+n+l+pk2/9/9/9/9/9/9/9/2K+P+L+N+S+B+R"}) {
      std::string error;
      const auto p = ParseSfen(every, "b", "-", &error);
      ASSERT_TRUE(p.has_value()) << error;
      gs->snapshot[0] = ToInternal(*p, fm);
      EXPECT_EQ(Key(*gs, 0), KeyOfSfen(every)) << fm;
    }
  }
}

TEST(BookKey, ImpossibleSquaresAndSnapshotsAreBlanksAndHandsDoNotCount) {
  auto gs = NewGame(1);
  Position p;
  p.Set(0, 0, kPlayerSide, 12);    // kind 12 does not exist
  p.Set(1, 0, kPlayerSide, 0);     // owner set, kind missing
  p.Set(2, 0, kNoSide, kGold);     // kind set, owner missing
  p.Set(3, 0, 3, kGold);           // no such side
  p.Set(4, 0, kComputerSide, 99);  // no such kind
  gs->snapshot[0] = p;
  const std::string key = Key(*gs, 0);
  EXPECT_EQ(key.substr(0, 10), std::string(10, ' '));
  EXPECT_EQ(key.substr(10), KeyOfSfen("4/9/9/9/9/9/9/9/9"));
  EXPECT_EQ(Key(*gs, -1), std::string(kBookKeyLength, ' '));
  EXPECT_EQ(Key(*gs, kSnapshotCount), std::string(kBookKeyLength, ' '));
  p = StartPosition();
  p.SetHand(kComputerSide, kBishop, 2);
  p.SetHand(kPlayerSide, kPawn, 5);
  gs->snapshot[1] = p;
  EXPECT_EQ(Key(*gs, 1), KeyOfSfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL"));
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

  // Writes the text and loads it; returns what the reader printed.
  std::string Load(const std::string& text) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(LoadBook(*book_));
    return ::testing::internal::GetCapturedStdout();
  }
  std::vector<int> Numbers() const {
    std::vector<int> n;
    for (int i = 0; i < book_->count; ++i) n.push_back(book_->entries[i].number);
    return n;
  }

  fs::path path_;
  std::unique_ptr<OpeningBook> book_;
};

const std::string kKey(kBookKeyLength, 'A');

// Book lines written short: "n,K,toFile,toRank,fromFile,fromRank,promote,drop,type" with K a
// key (A, B: filler keys; any other text: used as it is); spare fields 0.
std::string Lines(const std::vector<std::string>& shortLines, const std::string& k = kKey) {
  std::string out;
  for (const std::string& s : shortLines) {
    const auto a = s.find(','), b = s.find(',', a + 1);
    const std::string name = s.substr(a + 1, b - a - 1);
    const std::string key = name == "K"   ? k
                            : name == "A" ? kKey
                            : name == "B" ? std::string(kBookKeyLength, 'B')
                                          : name;
    out += s.substr(0, a) + "," + key + ",0," + s.substr(b + 1) + ",0\n";
  }
  return out;
}

TEST_F(BookFile, FieldsAreReadInFileOrder) {
  EXPECT_EQ(Load("7," + kKey + ",-11,3,4,5,6,1,2,2,22\n"), "");
  ASSERT_EQ(book_->count, 1);
  const BookEntry& e = book_->entries[0];
  EXPECT_EQ(std::string(e.key.data()), kKey);
  EXPECT_EQ((std::vector<int>{e.number, e.spare1, e.toFile, e.toRank, e.fromFile, e.fromRank,
                              e.promote, e.dropKind, e.openingType, e.spare2}),
            (std::vector<int>{7, -11, 3, 4, 5, 6, 1, 2, 2, 22}));
}

TEST_F(BookFile, WhichLinesAreKept) {
  const std::string k = kKey;
  const std::string good = ",0,1,1,1,1,0,0,0,0\n";
  struct Case {
    const char* why;
    std::string text;
    std::vector<int> kept;
  };
  std::string longLast = "16," + k + ",0,1,1,1,1,0,0,0,";
  longLast += std::string(1020 - longLast.size(), ' ') + "12345\n";
  const Case cases[] = {
      {"malformed lines are skipped",
       "1," + k + good + "2," + k.substr(1) + good + "3," + k + "A" + good + "4," + k +
           ",0,1,1,1,1,0,0,0\n" + "5," + k + ",0,1,1,1,1,0,0,x,0\n" + "6;" + k + good + "7," + k +
           ",0,1,1,1,1,0,0,0,99999999999\n" + "8," + k.substr(0, 80) + " " + k.substr(0, 81) +
           good + "9," + k.substr(0, 100) + '\0' + k.substr(0, 61) + good + "\n" +
           std::string(5000, '7') + "\n\xFF\xFE\x01\x02,,,,\n" + "-2147483648," + k +
           ",0,1,1,1,1,0,0,0,2147483647\n" + "10," + k + good,
       {1, -2147483647 - 1, 10}},
      {"leading blanks and trailing text",
       "  12, " + k + ", 0, 1, 2, 3, 4, 0, 0, 1, 5 trailing" + std::string(3000, 'z') + "\n13," +
           k + good,
       {12, 13}},
      {"a line longer than the reader keeps",
       std::string(2000, ' ') + "14," + k + good + "15," + k + good,
       {15}},
      {"a last number cut in two", longLast + "17," + k + good, {17}},
      {"999 ends the file",
       Lines({"1,A,1,1,1,1,0,0,0", "998,A,1,1,1,1,0,0,0", "999,A,1,1,1,1,0,0,0",
              "2,A,1,1,1,1,0,0,0"}),
       {1, 998, 999}},
      {"and so does 1000",
       Lines({"1,A,1,1,1,1,0,0,0", "1000,A,1,1,1,1,0,0,0", "2,A,1,1,1,1,0,0,0"}),
       {1, 1000}},
      {"but not a malformed 999", "1," + k + good + "999,short" + good + "2," + k + good, {1, 2}},
      {"carriage returns",
       "1," + k + ",0,1,1,1,1,0,0,1,0\r\n2," + k + ",0,1,1,1,1,0,0,2,0\r\n3," + k +
           ",0,1,1,1,1,0,0,0,0",
       {1, 2, 3}},
  };
  for (const Case& c : cases) {
    Load(c.text);
    EXPECT_EQ(Numbers(), c.kept) << c.why;
    EXPECT_EQ(book_->entries[book_->count].key[0], '\0') << c.why;  // nothing left behind
  }
  EXPECT_EQ(book_->entries[0].openingType, 1);
  EXPECT_EQ(book_->entries[1].openingType, 2);
  std::string many;
  for (int i = 0; i < 1200; ++i) many += std::to_string(i % 900) + "," + k + good;
  Load(many);
  EXPECT_EQ(book_->count, kBookCapacity);
}

TEST_F(BookFile, MissingFileIsReportedAndEmptiesTheBook) {
  Load(Lines({"1,A,1,1,1,1,0,0,0"}));
  book_->path = (path_.parent_path() / "no_such_book.dat").string();
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(LoadBook(*book_));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cannot open file\n");
  EXPECT_EQ(book_->count, 0);
  EXPECT_EQ(book_->entries[0].key[0], '\0');
}

// ---------------------------------------------------------------------------------------
// The lookup: the computer to move at move 2, as white after 7g7f (firstMover 1) or as black
// in the start position (firstMover 2). Book squares are seen from sente.

class BookLookup : public BookFile {
 protected:
  void StartGame(int firstMover, const std::string& hand = "") {
    gs_ = NewGame(firstMover);
    if (firstMover == 1) PlayUsi(*gs_, {"7g7f"});
    for (char c : hand) {
      const int kind = c == 'P' ? kPawn : kLance;
      gs_->snapshot[gs_->moveNumber].SetHand(kComputerSide, kind, 1);
    }
    gs_->moveNumber += 1;  // the computer's move, as the think driver sees it
    gs_->openingType = 7;
  }
  std::string CurrentKey() { return Key(*gs_, gs_->moveNumber - 1); }
  // Looks up with the clock's seconds at s; the move played in USI, or "" for none.
  std::string Play(int s) {
    const int m = gs_->moveNumber;
    gs_->fixedClock = ClockWithSeconds(s);
    const Position before = gs_->snapshot[m];
    if (!PlayBookMove(*gs_, *book_)) {
      EXPECT_EQ(gs_->snapshot[m], before);
      EXPECT_TRUE(gs_->moveRec[m].IsEmpty());
      return "";
    }
    EXPECT_EQ(gs_->moveNumber, m);
    Position expected = gs_->snapshot[m - 1];
    ApplyMove(expected, gs_->moveRec[m], kComputerSide);
    EXPECT_EQ(gs_->snapshot[m], expected);
    return MoveToUsi(gs_->moveRec[m], gs_->firstMover);
  }

  std::unique_ptr<GameState> gs_;
};

TEST_F(BookLookup, Table) {
  struct Case {
    const char* why;
    int firstMover;
    const char* hand;
    std::vector<std::string> lines;
    int seconds;
    const char* played;
    int type;  // 7: left alone
  };
  const std::vector<std::string> two = {"1,B,5,4,5,3,0,0,0", "2,K,3,4,3,3,0,0,0",
                                        "3,A,5,4,5,3,0,0,0", "4,K,8,4,8,3,0,0,0"};
  const std::vector<std::string> broken = {
      "1,K,10,4,3,3,0,0,1", "2,K,3,4,-2147483648,3,0,0,1",  // off the board
      "3,K,7,5,7,6,0,0,1",                                  // the player's pawn
      "4,K,5,1,4,1,0,0,1",                                  // onto its own king
      "5,K,3,4,3,3,2,0,1",  "6,K,6,2,6,1,1,0,1",            // promote 2; a gold promoting
      "7,K,5,5,0,0,0,1,1",  "8,K,5,5,0,0,0,8,1",           "9,K,5,5,0,0,0,-1,1",  // no such drops
      "10,K,5,3,0,0,0,2,1", "11,K,5,5,0,0,1,2,1",  // onto a piece; a promoting drop
      "12,K,8,4,8,3,0,0,2"};
  const Case cases[] = {
      {"no matching key", 1, "", {"1,A,3,4,3,3,0,0,2"}, 0, "", 7},
      {"as white", 1, "", {"1,K,3,4,3,3,0,0,2"}, 0, "3c3d", 2},
      {"as black", 2, "", {"1,K,7,6,7,7,0,0,1"}, 0, "7g7f", 1},
      {"even seconds pick the first", 1, "", two, 58, "3c3d", 0},
      {"odd seconds the second", 1, "", two, 59, "8c8d", 0},
      {"one candidate", 1, "", {"1,K,8,4,8,3,0,0,0"}, 31, "8c8d", 0},
      {"the last match sets the type",
       1,
       "",
       {"1,K,3,4,3,3,0,0,2", "2,A,3,4,3,3,0,0,0", "3,K,8,4,8,3,0,0,1"},
       0,
       "3c3d",
       1},
      {"999 ends the lookup", 1, "", {"1,A,1,1,1,1,0,0,0", "999,K,3,4,3,3,0,0,2"}, 0, "", 7},
      {"1000 does not", 1, "", {"1,A,1,1,1,1,0,0,0", "1000,K,3,4,3,3,0,0,2"}, 0, "3c3d", 2},
      {"a pawn drop as white", 1, "P", {"1,K,5,5,0,0,0,1,1"}, 0, "P*5e", 1},
      {"a pawn drop as black", 2, "P", {"1,K,5,5,0,0,0,1,1"}, 0, "P*5e", 1},
      {"unplayable moves are no candidates", 1, "L", broken, 0, "8c8d", 2},
      {"whatever the seconds", 1, "L", broken, 53, "8c8d", 2},
      {"a playable lance drop", 1, "L", {"1,K,10,4,3,3,0,0,1", "2,K,5,5,0,0,0,2,2"}, 1, "L*5e", 2},
      {"only unplayable moves still set the type", 1, "L", {"1,K,10,4,3,3,0,0,1"}, 0, "", 1},
  };
  for (const Case& c : cases) {
    StartGame(c.firstMover, c.hand);
    Load(Lines(c.lines, CurrentKey()));
    EXPECT_EQ(Play(c.seconds), c.played) << c.why;
    EXPECT_EQ(gs_->openingType, c.type) << c.why;
  }
}

TEST_F(BookLookup, DropOriginsAreConvertedLikeAnySquare) {
  for (int fm : {1, 2}) {
    StartGame(fm, "P");
    Load(Lines({"1,K,5,5,0,0,0,1,1"}, CurrentKey()));
    ASSERT_EQ(Play(0), "P*5e");
    const MoveRec& rec = gs_->moveRec[gs_->moveNumber];
    EXPECT_EQ(rec.fromFile, fm == 1 ? 9 : -1);
    EXPECT_EQ(rec.fromRank, fm == 1 ? -1 : 9);
  }
}

TEST_F(BookLookup, ThirtyCandidatesOf999EntriesAtMost) {
  StartGame(1);
  std::vector<std::string> lines;
  for (int i = 0; i < 35; ++i) {  // pawn pushes on files 1..9 over and over
    const std::string f = std::to_string(i % 9 + 1);
    const char* type = i < 30 ? "1" : i < 34 ? "2" : "0";
    lines.push_back(std::to_string(i + 1) + ",K," + f + ",4," + f + ",3,0,0," + type);
  }
  Load(Lines(lines, CurrentKey()));
  for (int s : {29, 59, 34}) {  // seconds mod 30 among the first 30; every match sets the type
    const std::string f = std::to_string((s % 30) % 9 + 1);
    EXPECT_EQ(Play(s), f + "c" + f + "d") << s;
    EXPECT_EQ(gs_->openingType, 0);
  }
  lines.assign(998, "1,A,1,1,1,1,0,0,0");
  lines.push_back("2,K,3,4,3,3,0,0,2");  // the 999th entry: looked at
  lines.push_back("3,K,8,4,8,3,0,0,1");  // the 1000th: loaded, never looked at
  Load(Lines(lines, CurrentKey()));
  ASSERT_EQ(book_->count, 1000);
  for (int s : {0, 1}) {
    EXPECT_EQ(Play(s), "3c3d");
    EXPECT_EQ(gs_->openingType, 2);
  }
}

TEST_F(BookLookup, MoveNumbersOutsideTheHistoryPlayNothing) {
  StartGame(1);
  Load(Lines({"1,K,3,4,3,3,0,0,2"}, CurrentKey()));
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

std::string BuildError(const std::string& source, std::string* out = nullptr) {
  std::vector<SourceLine> lines;
  std::string error, text;
  int entries = 0;
  if (!ParseSource("test.txt", source, lines, error)) return error;
  if (!BuildBook(lines, text, entries, error)) return error;
  if (out) *out = text;
  return "";
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
  EXPECT_EQ(lines[0].name, "Some: name");
  EXPECT_EQ(lines[0].moves, (std::vector<std::string>{"7g7f", "3c3d"}));
  EXPECT_EQ(lines[2].name, "Third");
  const std::vector<int> types = {lines[0].type[1], lines[0].type[2], lines[1].type[1],
                                  lines[1].type[2], lines[2].type[1], lines[2].type[2]};
  EXPECT_EQ(types, (std::vector<int>{0, 2, 1, 1, -1, 1}));
  for (const char* bad :
       {"black 0 no moves:\n", "black 3 bad type: 7g7f\n", "7g7f 3c3d\n",
        "black 0 black 1 twice: 7g7f\n", "black 0 : 7g7f\n", "red 0 colour: 7g7f\n"}) {
    lines.clear();
    EXPECT_FALSE(ParseSource("a.txt", bad, lines, error)) << bad;
    EXPECT_EQ(error.rfind("a.txt:1: ", 0), 0u) << error;
  }
}

TEST(BookBuilder, WritesTheBookFormat) {
  std::string out;
  ASSERT_EQ(BuildError("black 0 white 2 x: 7g7f 3c3d 6g6f\n", &out), "");
  auto black = NewGame(2);
  auto white = NewGame(1);
  PlayUsi(*white, {"7g7f"});
  PlayUsi(*black, {"7g7f", "3c3d"});
  std::string expected = "1," + Key(*black, 0) + ",0,7,6,7,7,0,0,0,0\n";
  expected += "2," + Key(*black, 2) + ",0,6,6,6,7,0,0,0,0\n";
  expected += "3," + Key(*white, 1) + ",0,3,4,3,3,0,0,2,0\n";
  expected += "999," + KeyOfSfen("9/9/9/9/9/9/9/9/9") + ",0,0,0,0,0,0,0,0,0\n";
  EXPECT_EQ(out, expected);
}

TEST(BookBuilder, RefusesBadBooks) {
  for (const char* bad : {"black 0 x: 7g7f 3c3d 8h2b\n", "black 0 x: 7g7f 7g7f\n",
                          "black 0 x: 7g7f 3c3d 5i6h 5a4b 6h7g\n", "black 0 x: 7g7f 3c3d P*5e\n",
                          "black 0 x: 7g7f 3c3d 2g2f 2b8h\n", "black 0 x: 7g7z\n",
                          "white 0 x: 7g7f 3c3d 7f7d\n"}) {  // the colour not named is checked too
    EXPECT_NE(BuildError(bad), "") << bad;
  }
  // The same board with either colour to move: the key cannot tell them apart.
  const std::string both = BuildError("both 1 a: 2h3h 8b7b 3h4h 7b8b 4h2h 5a4b\n");
  EXPECT_NE(both.find("other colour"), std::string::npos) << both;
  EXPECT_EQ(BuildError("both 1 a: 2h3h 8b7b 3h4h 7b8b 4h2h\n"), "");
  // 31 moves in one position.
  std::string many;
  for (const char* m :
       {"9g9f", "8g8f", "6g6f", "5g5f", "4g4f", "3g3f", "2g2f", "1g1f", "9i9h", "1i1h", "3i3h",
        "3i4h", "7i7h", "7i6h", "6i5h", "6i6h", "6i7h", "4i4h", "4i5h", "4i3h", "5i5h", "5i4h",
        "5i6h", "2h3h", "2h4h", "2h5h", "2h6h", "2h7h", "2h1h", "8h7g", "7f7e"})
    many += std::string("black 0 x: 7g7f 3c3d ") + m + "\n";
  EXPECT_EQ(BuildError(many.substr(0, many.rfind("black 0 x:"))), "");
  EXPECT_NE(BuildError(many).find("at most 30"), std::string::npos);
  // Line b ends where line a, of type 0, first went: the lookup would leave type 0.
  const std::string ends =
      BuildError("black 0 a: 7g7f 3c3d 6g6f 8c8d\nblack 1 b: 7g7f 3c3d 2g2f\n");
  EXPECT_NE(ends.find("test.txt:2"), std::string::npos) << ends;
  EXPECT_NE(ends.find("type 0"), std::string::npos) << ends;
}

TEST(BookBuilder, TheFirstLinesTypeIsWrittenLast) {
  std::string text;
  ASSERT_EQ(BuildError("black 0 a: 7g7f 3c3d 6g6f 8c8d 2h6h\nblack 1 b: 7g7f 3c3d 2g2f 8c8d 2f2e\n",
                       &text),
            "");
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
    book_->path = (DataDir() / "joseki.dat").string();
    ::testing::internal::CaptureStdout();
    loaded_ = LoadBook(*book_);
    printed_ = new std::string(::testing::internal::GetCapturedStdout());
    std::ostringstream s;
    s << std::ifstream(book_->path, std::ios::binary).rdbuf();
    text_ = new std::string(s.str());
    lines_ = new std::vector<SourceLine>;
    sourceError_ = new std::string;
    book_tool::ReadSourceDirectory(DataDir() / "book", *lines_, *sourceError_);
  }
  static void TearDownTestSuite() {
    delete book_;
    delete printed_;
    delete text_;
    delete lines_;
    delete sourceError_;
  }
  static inline OpeningBook* book_ = nullptr;
  static inline bool loaded_ = false;
  static inline std::string* printed_ = nullptr;
  static inline std::string* text_ = nullptr;
  static inline std::vector<SourceLine>* lines_ = nullptr;
  static inline std::string* sourceError_ = nullptr;
};

TEST_F(BookData, IsTheBuildersOutputAndLoadsCompletely) {
  ASSERT_TRUE(loaded_) << book_->path;
  EXPECT_EQ(*printed_, "");
  ASSERT_EQ(*sourceError_, "");
  std::string built, error;
  int entries = 0;
  ASSERT_TRUE(BuildBook(*lines_, built, entries, error)) << error;
  EXPECT_TRUE(built == *text_) << "data/joseki.dat is not the book built from data/book; "
                                  "rebuild it with make_book";
  // Every line is an entry, and the lookup sees them all.
  EXPECT_EQ(book_->count, static_cast<int>(std::count(text_->begin(), text_->end(), '\n')));
  EXPECT_EQ(entries + 1, book_->count);
  EXPECT_GE(book_->count - 1, 200);
  EXPECT_LE(book_->count, 999);
  EXPECT_EQ(book_->entries[book_->count - 1].number, 999);
}

// Plays every line of the source as a game: each computer move must come from the book (for
// some seconds of the clock), and after the line the computer keeps the line's opening type.
TEST_F(BookData, GamesAlongTheLinesAreAnsweredFromTheBook) {
  ASSERT_EQ(*sourceError_, "");
  int checkedMoves = 0;
  int deepLines[3][3] = {};  // [colour][type]: lines of at least twelve plies
  for (const SourceLine& line : *lines_) {
    for (int colour : {UsiPosition::kBlack, UsiPosition::kWhite}) {
      if (line.type[colour] < 0) continue;
      deepLines[colour][line.type[colour]] += line.moves.size() >= 12;
      const int fm = colour == UsiPosition::kBlack ? 2 : 1;
      auto gs = NewGame(fm);
      for (std::size_t ply = 0; ply < line.moves.size(); ++ply) {
        const auto move = ParseUsiMove(line.moves[ply], fm);
        ASSERT_TRUE(move.has_value());
        if ((ply % 2 == 0) != (colour == UsiPosition::kBlack)) {
          ASSERT_TRUE(CommitMove(*gs, *move, kPlayerSide));
          continue;
        }
        // The computer's turn: the move must be legal, and the book must play it.
        AnalyzeMoves(*gs, gs->snapshot[gs->moveNumber], kComputerSide, 0);
        bool legal = false;
        for (int j = 0; j < gs->moveListCount; ++j)
          legal |= gs->moveList[j].move == *move && gs->moveList[j].illegal == 0;
        EXPECT_TRUE(legal) << line.Where() << " " << line.moves[ply];
        const int m = ++gs->moveNumber;
        bool found = false;
        for (int s = 0; s < 60 && !found; ++s) {
          gs->fixedClock = ClockWithSeconds(s);
          ASSERT_TRUE(PlayBookMove(*gs, *book_)) << line.Where() << " " << line.moves[ply];
          found = MoveToUsi(gs->moveRec[m], fm) == line.moves[ply];  // drops without origin
        }
        ASSERT_TRUE(found) << line.Where() << ": the book never plays " << line.moves[ply];
        ++checkedMoves;
      }
      EXPECT_EQ(gs->openingType, line.type[colour]) << line.Where() << " \"" << line.name << "\"";
    }
  }
  EXPECT_GT(checkedMoves, 200);
  for (int colour : {UsiPosition::kBlack, UsiPosition::kWhite})
    for (int type = 0; type < 3; ++type)
      EXPECT_GE(deepLines[colour][type], 1) << "colour " << colour << " type " << type;
}

// The first moves of a game come from the book with the default plan (type 0).
TEST_F(BookData, TheFirstMovesComeFromTheBook) {
  for (const std::vector<std::string>& before : {std::vector<std::string>{}, {"7g7f"}, {"2g2f"}}) {
    auto gs = NewGame(before.empty() ? 2 : 1);
    PlayUsi(*gs, before);
    gs->moveNumber += 1;
    gs->fixedClock = ClockWithSeconds(5);
    ASSERT_TRUE(PlayBookMove(*gs, *book_)) << before.size();
    EXPECT_EQ(gs->openingType, 0);
  }
}

}  // namespace
}  // namespace shogi
