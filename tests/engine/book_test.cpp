// The opening book: the reader, the lookup, the book builder, and the committed book
// data/joseki.dat, which also pins the key format: it must be what the builder writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
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
using book_tool::SourceLine;

std::unique_ptr<GameState> NewGame(int firstMover) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = firstMover;
  return gs;
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

std::string Key(const GameState& gs, int index) {
  char key[kBookKeyLength + 1];
  BuildBookKey(gs, index, key);
  return std::string(key, kBookKeyLength);
}

// A clock time (seconds since the epoch) whose local seconds field is s.
int64_t ClockWithSeconds(int s) {
  for (int64_t t = 1700000000;; ++t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&tt, &local);
    if (local.tm_sec == s % 60) return t;
  }
}

const std::string kKey(kBookKeyLength, 'A');

// Book lines written short: "n,K,toFile,toRank,fromFile,fromRank,promote,drop,type" with K a
// key (A: a filler key; K: `k`; any other text: used as it is); spare fields 0.
std::string Lines(const std::vector<std::string>& shortLines, const std::string& k = kKey) {
  std::string out;
  for (const std::string& s : shortLines) {
    const auto a = s.find(','), b = s.find(',', a + 1);
    const std::string name = s.substr(a + 1, b - a - 1);
    const std::string key = name == "K" ? k : name == "A" ? kKey : name;
    out += s.substr(0, a) + "," + key + ",0," + s.substr(b + 1) + ",0\n";
  }
  return out;
}

class Book : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove(path_); }
  // Writes the text and loads it; the numbers of the entries kept.
  std::vector<int> Load(const std::string& text) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
    book_->path = path_.string();
    EXPECT_TRUE(LoadBook(*book_));
    std::vector<int> numbers;
    for (int i = 0; i < book_->count; ++i) numbers.push_back(book_->entries[i].number);
    if (book_->count < kBookCapacity) {
      EXPECT_EQ(book_->entries[book_->count].key[0], '\0');  // nothing left behind
    }
    return numbers;
  }
  // The computer to move at move 2: as white after 7g7f (firstMover 1) or as black in the
  // start position (firstMover 2), with a pawn or lance in hand when asked.
  void StartGame(int firstMover, const std::string& hand = "") {
    gs_ = NewGame(firstMover);
    if (firstMover == 1) PlayUsi(*gs_, {"7g7f"});
    for (char c : hand)
      gs_->snapshot[gs_->moveNumber].SetHand(kComputerSide, c == 'P' ? kPawn : kLance, 1);
    gs_->moveNumber += 1;  // the computer's move, as the think driver sees it
    gs_->openingType = 7;
  }
  // Looks up with the clock's seconds at s; the move played in USI, or "" for none.
  std::string Play(int s) {
    const int m = gs_->moveNumber;
    gs_->fixedClock = ClockWithSeconds(s);
    if (!PlayBookMove(*gs_, *book_)) return "";
    return MoveToUsi(gs_->moveRec[m], gs_->firstMover);
  }

  fs::path path_ = fs::path(::testing::TempDir()) / ("book_" + std::to_string(getpid()) + ".dat");
  std::unique_ptr<OpeningBook> book_ = std::make_unique<OpeningBook>();
  std::unique_ptr<GameState> gs_;
};

TEST_F(Book, ReaderSkipsMalformedLines) {
  const std::string k = kKey, good = ",0,1,1,1,1,0,0,0,0\n";
  std::string longLast = "16," + k + ",0,1,1,1,1,0,0,0,";
  longLast += std::string(1020 - longLast.size(), ' ') + "12345\n";
  const struct {
    const char* why;
    std::string text;
    std::vector<int> kept;
  } cases[] = {
      {"malformed lines",
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
       Lines({"1,A,1,1,1,1,0,0,0", "999,A,1,1,1,1,0,0,0", "2,A,1,1,1,1,0,0,0"}),
       {1, 999}},
      {"and so does 1000", Lines({"1000,A,1,1,1,1,0,0,0", "2,A,1,1,1,1,0,0,0"}), {1000}},
      {"but not a malformed 999", "1," + k + good + "999,short" + good + "2," + k + good, {1, 2}},
      {"carriage returns",
       "1," + k + good.substr(0, good.size() - 1) + "\r\n2," + k + good,
       {1, 2}},
  };
  for (const auto& c : cases) EXPECT_EQ(Load(c.text), c.kept) << c.why;
  std::string many;
  for (int i = 0; i < 1200; ++i) many += std::to_string(i % 900) + "," + k + good;
  EXPECT_EQ(Load(many).size(), static_cast<std::size_t>(kBookCapacity));
  // A missing file is reported and empties the book.
  book_->path = (path_.parent_path() / "no_such_book.dat").string();
  EXPECT_FALSE(LoadBook(*book_));
  EXPECT_EQ(book_->count, 0);
  EXPECT_EQ(book_->entries[0].key[0], '\0');
}

TEST_F(Book, Lookup) {
  const std::vector<std::string> two = {"1,A,5,4,5,3,0,0,0", "2,K,3,4,3,3,0,0,0",
                                        "3,A,5,4,5,3,0,0,0", "4,K,8,4,8,3,0,0,0"};
  const std::vector<std::string> broken = {
      "1,K,10,4,3,3,0,0,1", "2,K,3,4,-2147483648,3,0,0,1",  // off the board
      "3,K,7,5,7,6,0,0,1",                                  // the player's pawn
      "4,K,5,1,4,1,0,0,1",                                  // onto its own king
      "5,K,3,4,3,3,2,0,1",  "6,K,6,2,6,1,1,0,1",            // promote 2; a gold promoting
      "7,K,5,5,0,0,0,1,1",  "8,K,5,5,0,0,0,8,1",           "9,K,5,5,0,0,0,-1,1",  // no such drops
      "10,K,5,3,0,0,0,2,1", "11,K,5,5,0,0,1,2,1",  // onto a piece; a promoting drop
      "12,K,8,4,8,3,0,0,2"};
  const struct {
    const char* why;
    int firstMover;
    const char* hand;
    std::vector<std::string> lines;
    int seconds;
    const char* played;
    int type;  // 7: left alone
  } cases[] = {
      {"no matching key", 1, "", {"1,A,3,4,3,3,0,0,2"}, 0, "", 7},
      {"as white", 1, "", {"1,K,3,4,3,3,0,0,2"}, 0, "3c3d", 2},
      {"as black", 2, "", {"1,K,7,6,7,7,0,0,1"}, 0, "7g7f", 1},
      {"even seconds pick the first", 1, "", two, 58, "3c3d", 0},
      {"odd seconds the second", 1, "", two, 59, "8c8d", 0},
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
  for (const auto& c : cases) {
    StartGame(c.firstMover, c.hand);
    Load(Lines(c.lines, Key(*gs_, gs_->moveNumber - 1)));
    EXPECT_EQ(Play(c.seconds), c.played) << c.why;
    EXPECT_EQ(gs_->openingType, c.type) << c.why;
  }
  // Move numbers outside the history, and no computer side: nothing.
  for (int m : {0, -1, kMaxMoves + 1}) {
    gs_->moveNumber = m;
    EXPECT_FALSE(PlayBookMove(*gs_, *book_)) << m;
  }
  gs_->moveNumber = 2;
  gs_->computerSide = 0;
  EXPECT_FALSE(PlayBookMove(*gs_, *book_));
}

TEST_F(Book, ThirtyCandidatesOf999EntriesAtMost) {
  StartGame(1);
  const std::string key = Key(*gs_, 1);
  std::vector<std::string> lines;
  for (int i = 0; i < 35; ++i) {  // pawn pushes on files 1..9 over and over
    const std::string f = std::to_string(i % 9 + 1);
    const char* type = i < 30 ? "1" : i < 34 ? "2" : "0";
    lines.push_back(std::to_string(i + 1) + ",K," + f + ",4," + f + ",3,0,0," + type);
  }
  Load(Lines(lines, key));
  for (int s : {29, 59, 34}) {  // seconds mod 30 among the first 30; every match sets the type
    const std::string f = std::to_string((s % 30) % 9 + 1);
    EXPECT_EQ(Play(s), f + "c" + f + "d") << s;
    EXPECT_EQ(gs_->openingType, 0);
  }
  lines.assign(998, "1,A,1,1,1,1,0,0,0");
  lines.push_back("2,K,3,4,3,3,0,0,2");  // the 999th entry: looked at
  lines.push_back("3,K,8,4,8,3,0,0,1");  // the 1000th: loaded, never looked at
  ASSERT_EQ(Load(Lines(lines, key)).size(), 1000u);
  EXPECT_EQ(Play(1), "3c3d");
}

std::string BuildError(const std::string& source, std::string* out = nullptr) {
  std::vector<SourceLine> lines;
  std::string error, text;
  int entries = 0;
  if (!book_tool::ParseSource("test.txt", source, lines, error)) return error;
  if (!book_tool::BuildBook(lines, text, entries, error)) return error;
  if (out) *out = text;
  return "";
}

// The builder refuses a book the lookup would misread: an illegal or unparsable move, a board
// reached with either colour to move (the key cannot tell them apart), more than 30 moves in
// one position, a line that would leave the lookup with another line's type.
TEST(BookBuilder, RefusesBadBooks) {
  for (const char* bad : {"black 0 x: 7g7f 3c3d 8h2b\n", "black 0 x: 7g7f 7g7f\n",
                          "black 0 x: 7g7f 3c3d 5i6h 5a4b 6h7g\n", "black 0 x: 7g7f 3c3d P*5e\n",
                          "black 0 x: 7g7f 3c3d 2g2f 2b8h\n", "black 0 x: 7g7z\n",
                          "white 0 x: 7g7f 3c3d 7f7d\n",  // the colour not named is checked too
                          "both 1 a: 2h3h 8b7b 3h4h 7b8b 4h2h 5a4b\n",
                          "black 0 a: 7g7f 3c3d 6g6f 8c8d\nblack 1 b: 7g7f 3c3d 2g2f\n"})
    EXPECT_NE(BuildError(bad), "") << bad;
  EXPECT_EQ(BuildError("both 1 a: 2h3h 8b7b 3h4h 7b8b 4h2h\n"), "");
  std::string many;
  for (const char* m :
       {"9g9f", "8g8f", "6g6f", "5g5f", "4g4f", "3g3f", "2g2f", "1g1f", "9i9h", "1i1h", "3i3h",
        "3i4h", "7i7h", "7i6h", "6i5h", "6i6h", "6i7h", "4i4h", "4i5h", "4i3h", "5i5h", "5i4h",
        "5i6h", "2h3h", "2h4h", "2h5h", "2h6h", "2h7h", "2h1h", "8h7g", "7f7e"})
    many += std::string("black 0 x: 7g7f 3c3d ") + m + "\n";
  EXPECT_EQ(BuildError(many.substr(0, many.rfind("black 0 x:"))), "");
  EXPECT_NE(BuildError(many), "");
}

// The committed book is what the builder makes of data/book, and it loads completely; every
// line of the source played as a game is answered from the book (for some seconds of the
// clock), and after the line the computer keeps the line's opening type.
TEST(BookData, IsTheBuildersOutputAndAnswersEveryLine) {
  const fs::path dir = SHOGI_DATA_DIR;
  OpeningBook book;
  book.path = (dir / "joseki.dat").string();
  ASSERT_TRUE(LoadBook(book)) << book.path;
  std::ostringstream committed;
  committed << std::ifstream(book.path, std::ios::binary).rdbuf();
  std::vector<SourceLine> lines;
  std::string built, error;
  int entries = 0;
  ASSERT_TRUE(book_tool::ReadSourceDirectory(dir / "book", lines, error)) << error;
  ASSERT_TRUE(book_tool::BuildBook(lines, built, entries, error)) << error;
  EXPECT_TRUE(built == committed.str()) << "data/joseki.dat is not the book built from "
                                           "data/book; rebuild it with make_book";
  EXPECT_EQ(entries + 1, book.count);
  EXPECT_EQ(book.count, std::count(built.begin(), built.end(), '\n'));
  EXPECT_GE(book.count, 201);
  int checkedMoves = 0;
  for (const SourceLine& line : lines)
    for (int colour : {UsiPosition::kBlack, UsiPosition::kWhite}) {
      if (line.type[colour] < 0) continue;
      const int fm = colour == UsiPosition::kBlack ? 2 : 1;
      auto gs = NewGame(fm);
      for (std::size_t ply = 0; ply < line.moves.size(); ++ply) {
        const auto move = ParseUsiMove(line.moves[ply], fm);
        ASSERT_TRUE(move.has_value());
        if ((ply % 2 == 0) != (colour == UsiPosition::kBlack)) {
          ASSERT_TRUE(CommitMove(*gs, *move, kPlayerSide));
          continue;
        }
        const int m = ++gs->moveNumber;
        bool found = false;
        for (int s = 0; s < 60 && !found; ++s) {
          gs->fixedClock = ClockWithSeconds(s);
          ASSERT_TRUE(PlayBookMove(*gs, book)) << line.Where() << " " << line.moves[ply];
          found = MoveToUsi(gs->moveRec[m], fm) == line.moves[ply];
        }
        ASSERT_TRUE(found) << line.Where() << ": the book never plays " << line.moves[ply];
        ++checkedMoves;
      }
      EXPECT_EQ(gs->openingType, line.type[colour]) << line.Where();
    }
  EXPECT_GT(checkedMoves, 200);
}

}  // namespace
}  // namespace shogi
