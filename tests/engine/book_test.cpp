// The opening book: the reader, the lookup, and the committed book data/joseki.dat, which also
// pins the key format and the builder: it must be what the builder makes of data/book.
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
#include "tests/rules/test_util.h"
#include "tools/book/book_builder.h"

namespace shogi {
namespace {

namespace fs = std::filesystem;
using book_tool::SourceLine;

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
    EXPECT_TRUE(book_->count == kBookCapacity ||  // else nothing left behind
                book_->entries[book_->count].key[0] == '\0');
    return numbers;
  }
  // The computer to move at move 2: as white after 7g7f (firstMover 1) or as black in the
  // start position (firstMover 2), with a pawn or lance in hand when asked.
  void StartGame(int firstMover, const std::string& hand = "") {
    gs_ = testing_util::NewGame();
    gs_->firstMover = firstMover;
    if (firstMover == 1) CommitMove(*gs_, {2, 6, 2, 5, 0, 0}, kPlayerSide);  // 7g7f
    for (char c : hand)
      gs_->snapshot[gs_->moveNumber].SetHand(kComputerSide, c == 'P' ? kPawn : kLance, 1);
    gs_->moveNumber += 1;  // the computer's move, as the think driver sees it
    gs_->openingType = 7;
  }
  // Looks up with the clock's seconds at s; the move played in USI, or "" for none.
  std::string Play(int s) {
    gs_->fixedClock = ClockWithSeconds(s);
    MoveRec chosen;
    if (!PlayBookMove(*gs_, *book_, chosen, gs_->openingType)) return "";
    return MoveToUsi(chosen, gs_->firstMover);
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
      {"a line too long to keep",
       std::string(2000, ' ') + "14," + k + good + "15," + k + good,
       {15}},
      {"a last number cut in two", longLast + "17," + k + good, {17}},
      {"999 ends the file",
       Lines({"1,A,1,1,1,1,0,0,0", "999,A,1,1,1,1,0,0,0", "2,A,1,1,1,1,0,0,0"}),
       {1, 999}},
      {"and so does 1000", Lines({"1000,A,1,1,1,1,0,0,0", "2,A,1,1,1,1,0,0,0"}), {1000}},
      {"but not a malformed 999", "1," + k + good + "999,short" + good + "2," + k + good, {1, 2}},
      {"CR LF", "1," + k + good.substr(0, good.size() - 1) + "\r\n2," + k + good, {1, 2}},
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
                                        "3,A,5,4,5,3,0,0,0", "4,K,8,4,8,3,0,0,0"},
                                 typed = {"1,K,3,4,3,3,0,0,2", "2,A,3,4,3,3,0,0,0",
                                          "3,K,8,4,8,3,0,0,1"};
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
      {"last match's type", 1, "", typed, 0, "3c3d", 1},
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
  for (int m : {0, -1, kMaxMoves + 1}) {  // move numbers outside the history
    gs_->moveNumber = m;
    MoveRec chosen;
    EXPECT_FALSE(PlayBookMove(*gs_, *book_, chosen, gs_->openingType)) << m;
  }
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
      auto gs = testing_util::NewGame();
      gs->firstMover = fm;
      for (std::size_t ply = 0; ply < line.moves.size(); ++ply) {
        const auto move = ParseUsiMove(line.moves[ply], fm);
        ASSERT_TRUE(move.has_value());
        if ((ply % 2 == 0) != (colour == UsiPosition::kBlack)) {
          ASSERT_TRUE(CommitMove(*gs, *move, kPlayerSide));
          continue;
        }
        ++gs->moveNumber;
        bool found = false;
        for (int s = 0; s < 60 && !found; ++s) {
          gs->fixedClock = ClockWithSeconds(s);
          MoveRec chosen;
          ASSERT_TRUE(PlayBookMove(*gs, book, chosen, gs->openingType))
              << line.Where() << " " << line.moves[ply];
          found = MoveToUsi(chosen, fm) == line.moves[ply];
        }
        --gs->moveNumber;
        ASSERT_TRUE(CommitMove(*gs, *move, kComputerSide));
        ASSERT_TRUE(found) << line.Where() << ": the book never plays " << line.moves[ply];
        ++checkedMoves;
      }
      EXPECT_EQ(gs->openingType, line.type[colour]) << line.Where();
    }
  EXPECT_GT(checkedMoves, 200);
}

}  // namespace
}  // namespace shogi
