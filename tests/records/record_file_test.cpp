// Record files: bytes against golden files, save and load, the checks made before a record
// is loaded, and saves that break off.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/records/cp932.h"
#include "shogi/records/record_file.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/legality.h"
#include "tests/rules/test_util.h"

namespace shogi::records {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string Cp932(const std::string& utf8) {
  auto b = Utf8ToCp932(utf8);
  EXPECT_TRUE(b.has_value()) << utf8;
  return b.value_or("");
}

using testing_util::Play;

// 7g7f 3c3d 8h2b+ 3a2b 7f7e 3d3e B*5e, the person moving first.
std::unique_ptr<GameState> PersonFirstGame() {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = 1;
  gs->level = 1;
  Play(*gs, {2, 6, 2, 5, 0, 0});
  Play(*gs, {6, 2, 6, 3, 0, 0});
  Play(*gs, {1, 7, 7, 1, 1, 0});
  Play(*gs, {6, 0, 7, 1, 0, 0});
  Play(*gs, {2, 5, 2, 4, 0, 0});
  Play(*gs, {6, 3, 6, 4, 0, 0});
  Play(*gs, {0, 0, 4, 4, 0, kBishop});
  gs->computerSeconds = 123;
  gs->playerSeconds = 456;
  return gs;
}

// The computer moving first: 7g7f 3c3d 8h2b+ 3a2b B*5e in notation seen from the computer.
std::unique_ptr<GameState> ComputerFirstGame() {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = 2;
  gs->level = 2;
  Play(*gs, {6, 2, 6, 3, 0, 0});
  Play(*gs, {2, 6, 2, 5, 0, 0});
  Play(*gs, {7, 1, 1, 7, 1, 0});
  Play(*gs, {2, 8, 1, 7, 0, 0});
  Play(*gs, {0, 0, 4, 4, 0, kBishop});
  gs->computerSeconds = 7;
  gs->playerSeconds = 1234;
  return gs;
}

fs::path Golden(const char* name) {
  return fs::path(SHOGI_RECORDS_GOLDEN_DIR) / name;
}

// The bytes of a whole GameState, to prove that nothing in it changed.
std::vector<unsigned char> Bytes(const GameState& gs) {
  const auto* p = reinterpret_cast<const unsigned char*>(&gs);
  return std::vector<unsigned char>(p, p + sizeof(GameState));
}

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/records_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A game in progress that a failed load must leave alone.
  std::unique_ptr<GameState> Bystander() {
    auto gs = PersonFirstGame();
    gs->level = 3;
    gs->useRandom = 1;
    return gs;
  }

  // Loads `utf8` (converted to CP932) and expects it to be refused without any change.
  void ExpectRefused(const std::string& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    const fs::path path = dir_ / "kifu01.dat";
    WriteBytes(path, bytes);
    auto gs = Bystander();
    const auto before = Bytes(*gs);
    ::testing::internal::CaptureStdout();
    const LoadResult r = LoadRecord(path.string(), *gs);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(r.status, LoadStatus::kInvalid);
    EXPECT_FALSE(r.Loaded());
    EXPECT_FALSE(r.problem.empty());
    EXPECT_EQ(out, "");
    EXPECT_TRUE(Bytes(*gs) == before) << "the game state changed";
  }

  fs::path dir_;
};

std::string GoldenText(const char* name) {
  return Cp932ToUtf8(ReadBytes(Golden(name))).value();
}

// Replaces the first occurrence of `from` in the UTF-8 text of a golden file.
std::string Edited(const char* name, const std::string& from, const std::string& to) {
  std::string text = GoldenText(name);
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return Cp932(text);
}

TEST(SlotTest, NamesAndFiles) {
  EXPECT_EQ(SlotOfName("セーブデータ①"), 1);
  EXPECT_EQ(SlotOfName("セーブデータ③"), 3);
  EXPECT_EQ(SlotOfName("セーブデータ⑤"), 5);
  EXPECT_EQ(SlotOfName("セーブデータ⑥"), 0);
  EXPECT_EQ(SlotOfName(""), 0);
  EXPECT_EQ(SlotFileName(1), "kifu01.dat");
  EXPECT_EQ(SlotFileName(5), "kifu05.dat");
  EXPECT_EQ(SlotFileName(0), "");
  EXPECT_EQ(SlotFileName(6), "");
  for (int slot = 1; slot <= kSlotCount; ++slot)
    EXPECT_TRUE(Utf8ToCp932(kSlotNames[slot - 1]).has_value()) << "slot " << slot;
}

TEST(FormatTest, PersonFirstMatchesGolden) {
  auto gs = PersonFirstGame();
  const auto bytes = FormatRecord(*gs);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, ReadBytes(Golden("person_first.dat")));
}

TEST(FormatTest, ComputerFirstMatchesGolden) {
  auto gs = ComputerFirstGame();
  const auto bytes = FormatRecord(*gs);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, ReadBytes(Golden("computer_first.dat")));
}

TEST(FormatTest, HeaderBytesAreCp932) {
  auto gs = ComputerFirstGame();
  const std::string bytes = FormatRecord(*gs).value();
  // 先手；rⅡ and a blank: Ⅱ is 87 55 in CP932 (Shift_JIS proper has no such character).
  EXPECT_EQ(bytes.substr(0, 11), std::string("\x90\xe6\x8e\xe8\x81\x47\x72\x87\x55\x20\x0a"));
}

TEST(FormatTest, PawnDropLine) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = 1;
  gs->moveNumber = 7;
  for (int i = 1; i <= 6; ++i) gs->moveRec[i] = {2, 6, 2, 5, 0, 0};
  gs->moveRec[7] = {0, 0, 4, 4, 0, kPawn};
  const std::string text = Cp932ToUtf8(FormatRecord(*gs).value()).value();
  const std::string line = "\n  7 55000歩 \n";
  ASSERT_GE(text.size(), line.size());
  EXPECT_EQ(text.substr(text.size() - line.size()), line) << text;
}

TEST(FormatTest, EmptyGame) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->level = 0;
  const std::string text = Cp932ToUtf8(FormatRecord(*gs).value()).value();
  EXPECT_EQ(text,
            "先手；人   \n後手；rⅡ \nレベル；0 \n\n消費時間 \n      computer      0 \n"
            "      man           0 \n手数；  0 \n\n");
}

TEST(FormatTest, RefusesWhatARecordCannotHold) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->moveNumber = 1;
  gs->moveRec[1] = {0, 0, 4, 4, 0, 9};
  EXPECT_FALSE(FormatRecord(*gs).has_value());
}

TEST(ParseTest, GoldenFilesReadBack) {
  const auto a = ParseRecord(ReadBytes(Golden("person_first.dat")));
  ASSERT_TRUE(a.has_value());
  auto ga = PersonFirstGame();
  EXPECT_EQ(a->firstMover, 1);
  EXPECT_EQ(a->level, 1);
  EXPECT_EQ(a->computerSeconds, 123);
  EXPECT_EQ(a->playerSeconds, 456);
  ASSERT_EQ(a->moves.size(), 7u);
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(a->moves[i - 1], ga->moveRec[i]) << "move " << i;

  const auto b = ParseRecord(ReadBytes(Golden("computer_first.dat")));
  ASSERT_TRUE(b.has_value());
  auto gb = ComputerFirstGame();
  EXPECT_EQ(b->firstMover, 2);
  EXPECT_EQ(b->level, 2);
  EXPECT_EQ(b->computerSeconds, 7);
  EXPECT_EQ(b->playerSeconds, 1234);
  ASSERT_EQ(b->moves.size(), 5u);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(b->moves[i - 1], gb->moveRec[i]) << "move " << i;
  EXPECT_TRUE(CheckRecordMoves(*a));
  EXPECT_TRUE(CheckRecordMoves(*b));
}

TEST(ParseTest, ReadsCrLfLines) {
  std::string bytes = ReadBytes(Golden("computer_first.dat"));
  std::string crlf;
  for (char c : bytes) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const auto r = ParseRecord(crlf);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(*r, *ParseRecord(bytes));
}

TEST_F(RecordFileTest, SaveWritesTheGoldenBytes) {
  const fs::path path = dir_ / "kifu02.dat";
  auto gs = ComputerFirstGame();
  ASSERT_TRUE(SaveRecord(*gs, path.string()));
  EXPECT_EQ(ReadBytes(path), ReadBytes(Golden("computer_first.dat")));
  EXPECT_FALSE(fs::exists(TemporaryPathFor(path.string())));
}

TEST_F(RecordFileTest, SaveReplacesTheSlotsEarlierRecord) {
  const fs::path path = dir_ / "kifu03.dat";
  WriteBytes(path, std::string(5000, 'x'));
  auto gs = PersonFirstGame();
  ASSERT_TRUE(SaveRecord(*gs, path.string()));
  EXPECT_EQ(ReadBytes(path), ReadBytes(Golden("person_first.dat")));
}

void ExpectRoundTrip(const GameState& saved, const fs::path& path) {
  ASSERT_TRUE(SaveRecord(saved, path.string()));
  auto loaded = std::make_unique<GameState>();
  ResetGameState(*loaded);
  // Leave traces of another game that the load has to clear.
  loaded->moveNumber = 40;
  loaded->level = 3;
  loaded->gamePhase = 2;
  loaded->computerSeconds = 999;
  ::testing::internal::CaptureStdout();
  const LoadResult r = LoadRecord(path.string(), *loaded);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_TRUE(r.Loaded()) << r.problem;
  EXPECT_EQ(r.replayLastMove, saved.moveNumber);
  EXPECT_EQ(loaded->moveNumber, 0);
  EXPECT_EQ(loaded->firstMover, saved.firstMover);
  EXPECT_EQ(loaded->level, saved.level);
  EXPECT_EQ(loaded->computerSeconds, saved.computerSeconds);
  EXPECT_EQ(loaded->playerSeconds, saved.playerSeconds);
  EXPECT_EQ(loaded->gamePhase, 0);
  EXPECT_TRUE(loaded->snapshot[0] == StartPosition());
  for (int i = 1; i <= saved.moveNumber; ++i) {
    EXPECT_EQ(loaded->moveRec[i], saved.moveRec[i]) << "move " << i;
    EXPECT_TRUE(loaded->snapshot[i] == saved.snapshot[i]) << "position after move " << i;
  }
}

TEST_F(RecordFileTest, RoundTripPersonFirst) {
  auto gs = PersonFirstGame();
  ExpectRoundTrip(*gs, dir_ / "kifu01.dat");
}

TEST_F(RecordFileTest, RoundTripComputerFirst) {
  auto gs = ComputerFirstGame();
  ExpectRoundTrip(*gs, dir_ / "kifu05.dat");
}

// A game in which sente declines promotions of a bishop (twice), silver, pawn (twice), knight
// and lance, gote shuffling its rook; saved and loaded with either side moving first, then
// replayed move by move to its end.
TEST_F(RecordFileTest, DeclinedPromotionsLoadAndReplay) {
  const char* moves[] = {"7g7f", "3c3d", "8h2b", "8b7b", "2b3a", "7b8b", "S*5d", "8b7b", "5d5c",
                         "7b8b", "1g1f", "8b7b", "1f1e", "7b8b", "1e1d", "8b7b", "1d1c", "7b8b",
                         "2i1g", "8b7b", "1g2e", "7b8b", "2e3c", "8b7b", "1c1b", "7b8b", "1i1c"};
  for (int firstMover = 1; firstMover <= 2; ++firstMover) {
    SCOPED_TRACE(firstMover);
    auto gs = std::make_unique<GameState>();
    ResetGameState(*gs);
    gs->firstMover = firstMover;
    int declined = 0;
    for (const char* usi : moves) {
      const auto m = ParseUsiMove(usi, firstMover);
      ASSERT_TRUE(m && IsLegalMove(gs->Current(), SideToMove(*gs), *m)) << usi;
      MoveRec promoted = *m;
      promoted.promote = 1;
      declined += m->promote == 0 && IsLegalMove(gs->Current(), SideToMove(*gs), promoted);
      ASSERT_TRUE(CommitMove(*gs, *m, SideToMove(*gs)));
    }
    EXPECT_EQ(declined, 7);
    ExpectRoundTrip(*gs, dir_ / "kifu02.dat");

    auto loaded = std::make_unique<GameState>();
    ASSERT_TRUE(LoadRecord((dir_ / "kifu02.dat").string(), *loaded).Loaded());
    Position replayed = loaded->snapshot[0];
    for (int i = 1; i <= gs->moveNumber; ++i) {
      const int side = i % 2 == 1 ? firstMover : Opponent(firstMover);
      ASSERT_TRUE(IsLegalMove(replayed, side, loaded->moveRec[i])) << "move " << i;
      ApplyMove(replayed, loaded->moveRec[i], side);
    }
    EXPECT_TRUE(replayed == gs->Current());
  }
}

TEST_F(RecordFileTest, RoundTripEmptyGameAtLevelZero) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->level = 0;
  ExpectRoundTrip(*gs, dir_ / "kifu04.dat");
}

TEST_F(RecordFileTest, FirstMoverFollowsTheGoteName) {
  const fs::path path = dir_ / "kifu01.dat";
  WriteBytes(path, ReadBytes(Golden("computer_first.dat")));
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  ASSERT_TRUE(LoadRecord(path.string(), *gs).Loaded());
  EXPECT_EQ(gs->firstMover, 2);
  WriteBytes(path, ReadBytes(Golden("person_first.dat")));
  ASSERT_TRUE(LoadRecord(path.string(), *gs).Loaded());
  EXPECT_EQ(gs->firstMover, 1);
}

TEST_F(RecordFileTest, MissingFileChangesNothing) {
  auto gs = Bystander();
  const auto before = Bytes(*gs);
  ::testing::internal::CaptureStdout();
  const LoadResult r = LoadRecord((dir_ / "kifu03.dat").string(), *gs);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cannot open file\n");
  EXPECT_EQ(r.status, LoadStatus::kMissing);
  EXPECT_TRUE(Bytes(*gs) == before);
}

TEST_F(RecordFileTest, UnreadableFileChangesNothing) {
  const fs::path path = dir_ / "kifu02.dat";
  fs::create_directory(path);  // exists, but cannot be read as a file
  auto gs = Bystander();
  const auto before = Bytes(*gs);
  ::testing::internal::CaptureStdout();
  const LoadResult r = LoadRecord(path.string(), *gs);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cannot open file\n");
  EXPECT_EQ(r.status, LoadStatus::kCannotOpen);
  EXPECT_TRUE(Bytes(*gs) == before);
}

TEST_F(RecordFileTest, SaveToAnUnwritablePlaceSaysSo) {
  auto gs = PersonFirstGame();
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(SaveRecord(*gs, (dir_ / "no_such_dir" / "kifu01.dat").string()));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cannot open file\n");
}

TEST_F(RecordFileTest, RefusesBrokenHeaders) {
  const char* f = "person_first.dat";
  ExpectRefused("", "empty file");
  ExpectRefused(Edited(f, "先手；人", "先手；王"), "unknown sente name");
  ExpectRefused(Edited(f, "後手；rⅡ", "後手；人"), "both sides the person");
  ExpectRefused(Edited(f, "後手；rⅡ", "後手；"), "no gote name");
  ExpectRefused(Edited(f, "先手；", "先手:"), "sente heading");
  ExpectRefused(Edited(f, "レベル；1", "レベル；7"), "level out of range");
  ExpectRefused(Edited(f, "レベル；1", "レベル；x"), "level not a number");
  ExpectRefused(Edited(f, "消費時間", "時間"), "time heading");
  ExpectRefused(Edited(f, "computer    123", "computer    abc"), "computer time");
  ExpectRefused(Edited(f, "man         456", "woman       456"), "player time line");
  ExpectRefused(Edited(f, "手数；  7", "手数；-1"), "negative move count");
  ExpectRefused(Edited(f, "手数；", "手番；"), "move count heading");
  ExpectRefused(ReadBytes(Golden("person_first.dat")).substr(0, 20), "cut after the names");
}

TEST_F(RecordFileTest, RefusesMoveCountsOutOfRange) {
  std::string text = GoldenText("person_first.dat");
  text.replace(text.find("手数；  7"), std::string("手数；  7").size(), "手数；300");
  ExpectRefused(Cp932(text), "N = 300");
  ExpectRefused(Edited("person_first.dat", "手数；  7", "手数；  8"), "fewer lines than N");
}

TEST_F(RecordFileTest, RefusesBrokenMoveLines) {
  const char* f = "person_first.dat";
  ExpectRefused(Edited(f, "  1 76770・", "  1 70770・"), "destination rank 0");
  ExpectRefused(Edited(f, "  1 76770・", "  1 06770・"), "destination file 0");
  ExpectRefused(Edited(f, "  1 76770・", "  1 76070・"), "board move from file 0");
  ExpectRefused(Edited(f, "  1 76770・", "  1 76700・"), "board move from rank 0");
  ExpectRefused(Edited(f, "  7 55000角", "  7 55100角"), "drop with an origin");
  ExpectRefused(Edited(f, "  7 55000角", "  7 55000玉"), "unknown piece name");
  ExpectRefused(Edited(f, "  7 55000角", "  7 55000X"), "unknown ASCII name");
  ExpectRefused(Edited(f, "  3 22881・", "  3 2288・"), "a digit missing");
  ExpectRefused(Edited(f, "  3 22881・", "  x 22881・"), "no move number");
}

TEST_F(RecordFileTest, RefusesMovesTheRulesDoNotAllow) {
  const char* f = "person_first.dat";
  ExpectRefused(Edited(f, "  1 76770・", "  1 75770・"), "pawn two squares");
  ExpectRefused(Edited(f, "  1 76770・", "  1 76771・"), "pawn promoting on rank 6");
  ExpectRefused(Edited(f, "  3 22881・", "  3 22882・"), "promote flag 2");
  ExpectRefused(Edited(f, "  7 55000角", "  7 55000飛"), "drop of a piece not in hand");
  ExpectRefused(Edited(f, "  7 55000角", "  7 57000角"), "drop onto an occupied square");
  ExpectRefused(Edited(f, "  2 34330・", "  2 76770・"), "moving the other side's piece");
  ExpectRefused(Edited(f, "  4 22310・", "  4 22330・"), "origin holds nothing");
}

TEST_F(RecordFileTest, LoadAcceptsWhatItRefusesNot) {
  // The edits above are only refused for what they break: the unedited files load.
  for (const char* name : {"person_first.dat", "computer_first.dat"}) {
    const fs::path path = dir_ / "kifu01.dat";
    WriteBytes(path, ReadBytes(Golden(name)));
    auto gs = Bystander();
    EXPECT_TRUE(LoadRecord(path.string(), *gs).Loaded()) << name;
  }
}

// A file system that breaks off saves in the ways a crash or a full disk would.
class BreakingFileSystem : public RecordFileSystem {
 public:
  enum class Break { kNone, kOpen, kHalfWritten, kRename };
  explicit BreakingFileSystem(Break b) : break_(b) {}

  ReadStatus ReadAll(const std::string& path, std::string& bytes) override {
    return DefaultFileSystem().ReadAll(path, bytes);
  }
  WriteStatus WriteAll(const std::string& path, std::string_view bytes) override {
    written.push_back(path);
    if (break_ == Break::kOpen) return WriteStatus::kCannotOpen;
    if (break_ == Break::kHalfWritten) {
      DefaultFileSystem().WriteAll(path, bytes.substr(0, bytes.size() / 2));
      return WriteStatus::kFailed;
    }
    return DefaultFileSystem().WriteAll(path, bytes);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    renamed.push_back(from + " -> " + to);
    if (break_ == Break::kRename) return false;
    return DefaultFileSystem().Rename(from, to);
  }
  void Remove(const std::string& path) override { DefaultFileSystem().Remove(path); }

  std::vector<std::string> written;
  std::vector<std::string> renamed;

 private:
  Break break_;
};

TEST_F(RecordFileTest, SaveGoesThroughATemporaryFileBesideTheSlot) {
  const fs::path path = dir_ / "kifu01.dat";
  BreakingFileSystem files(BreakingFileSystem::Break::kNone);
  auto gs = PersonFirstGame();
  ASSERT_TRUE(SaveRecord(*gs, path.string(), files));
  ASSERT_EQ(files.written.size(), 1u);
  EXPECT_NE(files.written[0], path.string());
  EXPECT_EQ(fs::path(files.written[0]).parent_path(), path.parent_path());
  ASSERT_EQ(files.renamed.size(), 1u);
  EXPECT_EQ(files.renamed[0], files.written[0] + " -> " + path.string());
  EXPECT_EQ(ReadBytes(path), ReadBytes(Golden("person_first.dat")));
}

TEST_F(RecordFileTest, InterruptedSaveKeepsTheOldRecord) {
  const fs::path path = dir_ / "kifu01.dat";
  const std::string old = ReadBytes(Golden("computer_first.dat"));
  auto gs = PersonFirstGame();
  for (auto b : {BreakingFileSystem::Break::kOpen, BreakingFileSystem::Break::kHalfWritten,
                 BreakingFileSystem::Break::kRename}) {
    SCOPED_TRACE(static_cast<int>(b));
    WriteBytes(path, old);
    BreakingFileSystem files(b);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(SaveRecord(*gs, path.string(), files));
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, b == BreakingFileSystem::Break::kOpen ? "cannot open file\n" : "");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_FALSE(fs::exists(TemporaryPathFor(path.string())));
    // And the old record still loads.
    auto loaded = std::make_unique<GameState>();
    ResetGameState(*loaded);
    const LoadResult r = LoadRecord(path.string(), *loaded);
    EXPECT_TRUE(r.Loaded());
    EXPECT_EQ(loaded->firstMover, 2);
  }
}

}  // namespace
}  // namespace shogi::records
