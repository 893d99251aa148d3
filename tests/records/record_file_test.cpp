// Record files: bytes against golden files, save and load, the checks made before a record
// is loaded, and saves that break off.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
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

using testing_util::EndsInTime;
using testing_util::Play;

std::unique_ptr<GameState> GameOf(int firstMover, int level, std::initializer_list<MoveRec> moves,
                                  int computerSeconds, int playerSeconds) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = firstMover;
  gs->level = level;
  for (const MoveRec& m : moves) Play(*gs, m);
  gs->computerSeconds = computerSeconds;
  gs->playerSeconds = playerSeconds;
  return gs;
}

// 7g7f 3c3d 8h2b+ 3a2b 7f7e 3d3e B*5e, the person moving first.
std::unique_ptr<GameState> PersonFirstGame() {
  return GameOf(1, 1,
                {{2, 6, 2, 5, 0, 0},
                 {6, 2, 6, 3, 0, 0},
                 {1, 7, 7, 1, 1, 0},
                 {6, 0, 7, 1, 0, 0},
                 {2, 5, 2, 4, 0, 0},
                 {6, 3, 6, 4, 0, 0},
                 {0, 0, 4, 4, 0, kBishop}},
                123, 456);
}

// The computer moving first: 7g7f 3c3d 8h2b+ 3a2b B*5e in notation seen from the computer.
std::unique_ptr<GameState> ComputerFirstGame() {
  return GameOf(2, 2,
                {{6, 2, 6, 3, 0, 0},
                 {2, 6, 2, 5, 0, 0},
                 {7, 1, 1, 7, 1, 0},
                 {2, 8, 1, 7, 0, 0},
                 {0, 0, 4, 4, 0, kBishop}},
                7, 1234);
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
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    EXPECT_EQ(SlotOfName(kSlotNames[slot - 1]), slot);
    EXPECT_EQ(SlotFileName(slot), "kifu0" + std::to_string(slot) + ".dat");
  }
  EXPECT_EQ(SlotOfName(""), 0);
  EXPECT_EQ(SlotFileName(0), "");
  EXPECT_EQ(SlotFileName(kSlotCount + 1), "");
}

TEST(FormatTest, RefusesWhatARecordCannotHold) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->moveNumber = 1;
  gs->moveRec[1] = {0, 0, 4, 4, 0, 9};
  EXPECT_FALSE(FormatRecord(*gs).has_value());
}

// Saves `saved` over a slot holding junk, and loads it into a state left from another game.
void ExpectRoundTrip(const GameState& saved, const fs::path& path) {
  WriteBytes(path, std::string(5000, 'x'));
  ASSERT_TRUE(SaveRecord(saved, path.string()));
  EXPECT_FALSE(fs::exists(TemporaryPathFor(path.string())));
  auto loaded = std::make_unique<GameState>();
  ResetGameState(*loaded);
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

// Both golden slots: written byte for byte, and read back to the same game.
TEST_F(RecordFileTest, GoldenSlotsSaveAndLoad) {
  const fs::path path = dir_ / "kifu02.dat";
  for (auto [make, golden] : {std::pair{&PersonFirstGame, "person_first.dat"},
                              std::pair{&ComputerFirstGame, "computer_first.dat"}}) {
    SCOPED_TRACE(golden);
    const auto game = make();
    EXPECT_EQ(FormatRecord(*game).value_or(""), ReadBytes(Golden(golden)));
    ExpectRoundTrip(*game, path);
    EXPECT_EQ(ReadBytes(path), ReadBytes(Golden(golden)));
  }
  auto empty = std::make_unique<GameState>();
  ResetGameState(*empty);
  empty->level = 0;
  ExpectRoundTrip(*empty, path);
}

// Sente declines promotions of a bishop (twice), silver, pawn (twice), knight and lance, gote
// shuffling its rook; saved and loaded with either side moving first.
TEST_F(RecordFileTest, DeclinedPromotionsRoundTrip) {
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
  }
}

// A slot that is missing, or cannot be read as a file, leaves the game alone and says so.
TEST_F(RecordFileTest, MissingOrUnreadableFileChangesNothing) {
  fs::create_directory(dir_ / "kifu02.dat");
  for (auto [name, status] : {std::pair{"kifu03.dat", LoadStatus::kMissing},
                              std::pair{"kifu02.dat", LoadStatus::kCannotOpen}}) {
    auto gs = Bystander();
    const auto before = Bytes(*gs);
    ::testing::internal::CaptureStdout();
    const LoadResult r = LoadRecord((dir_ / name).string(), *gs);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cannot open file\n");
    EXPECT_EQ(r.status, status);
    EXPECT_TRUE(Bytes(*gs) == before);
  }
}

// Each edit of a golden slot breaks one thing; the record is refused and the game kept.
TEST_F(RecordFileTest, RefusesBrokenRecords) {
  const struct {
    const char* from;
    const char* to;
    const char* what;
  } kEdits[] = {
      {"先手；人", "先手；王", "unknown sente name"},
      {"後手；rⅡ", "後手；人", "both sides the person"},
      {"後手；rⅡ", "後手；", "no gote name"},
      {"先手；", "先手:", "sente heading"},
      {"レベル；1", "レベル；4", "level out of range"},
      {"レベル；1", "レベル；x", "level not a number"},
      {"消費時間", "時間", "time heading"},
      {"computer    123", "computer    abc", "computer time"},
      {"man         456", "woman       456", "player time line"},
      {"computer    123", "computer   -123", "negative computer time"},
      {"man         456", "man        -456", "negative player time"},
      {"手数；  7", "手数；-1", "negative move count"},
      {"手数；", "手番；", "move count heading"},
      {"手数；  7", "手数；300", "N = 300"},
      {"手数；  7", "手数；  8", "fewer lines than N"},
      {"手数；  7", "手数；  6", "more move lines than the count"},
      {"  1 76770・", "  1 70770・", "destination rank 0"},
      {"  1 76770・", "  1 06770・", "destination file 0"},
      {"  1 76770・", "  1 76070・", "board move from file 0"},
      {"  1 76770・", "  1 76700・", "board move from rank 0"},
      {"  7 55000角", "  7 55100角", "drop with an origin"},
      {"  7 55000角", "  7 55000玉", "unknown piece name"},
      {"  7 55000角", "  7 55000X", "unknown ASCII name"},
      {"  3 22881・", "  3 2288・", "a digit missing"},
      {"  3 22881・", "  x 22881・", "no move number"},
      {"  2 34330・", "  3 34330・", "a number twice"},
      {"  2 34330・", "  9 34330・", "numbers out of order"},
      // Moves the rules do not allow.
      {"  1 76770・", "  1 75770・", "pawn two squares"},
      {"  1 76770・", "  1 76771・", "pawn promoting on rank 6"},
      {"  3 22881・", "  3 22882・", "promote flag 2"},
      {"  7 55000角", "  7 55000飛", "drop of a piece not in hand"},
      {"  7 55000角", "  7 57000角", "drop onto an occupied square"},
      {"  2 34330・", "  2 76770・", "moving the other side's piece"},
      {"  4 22310・", "  4 22330・", "origin holds nothing"},
  };
  const char* f = "person_first.dat";
  for (const auto& e : kEdits) ExpectRefused(Edited(f, e.from, e.to), e.what);
  const std::string whole = GoldenText(f);
  ExpectRefused("", "empty file");
  ExpectRefused(ReadBytes(Golden(f)).substr(0, 20), "cut after the names");
  ExpectRefused(Cp932(whole + "x"), "a byte after the last line");
  ExpectRefused(Cp932(whole + "\n\n  8 11110・ \n"), "a move line after blank lines");
  ExpectRefused(Cp932(whole + std::string(kMaxRecordBytes, '\n')), "larger than any record");
}

TEST_F(RecordFileTest, LoadAcceptsWhatItRefusesNot) {
  // Whatever the program writes reads back, down to the longest game, with blank lines or
  // CR LF line ends after it.
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  for (int i = 0; i < kMaxMoves; ++i) {
    const bool up = i % 4 < 2;  // the two golds step back and forth
    const int side = i % 2 == 0 ? 1 : 2;
    Play(*gs, side == 1 ? MoveRec{3, up ? 8 : 7, 3, up ? 7 : 8, 0, 0}
                        : MoveRec{5, up ? 0 : 1, 5, up ? 1 : 0, 0, 0});
  }
  gs->computerSeconds = 999999;
  const fs::path path = dir_ / "kifu05.dat";
  ASSERT_TRUE(SaveRecord(*gs, path.string()));
  const std::string longest = ReadBytes(path);
  std::string crlf;
  for (char c : longest) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& bytes : {longest, longest + "\n \n", crlf}) {
    WriteBytes(path, bytes);
    auto loaded = Bystander();
    const LoadResult r = LoadRecord(path.string(), *loaded);
    EXPECT_TRUE(r.Loaded()) << r.problem;
    EXPECT_EQ(r.replayLastMove, kMaxMoves);
  }
}

TEST_F(RecordFileTest, LoadsOnlyRegularFilesAndNeverWaits) {
  // A pipe at the slot's name is refused at once, not waited on.
  const fs::path fifo = dir_ / "kifu01.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(EndsInTime(
      [&] {
        auto gs = std::make_unique<GameState>();
        return LoadRecord(fifo.string(), *gs).status == LoadStatus::kCannotOpen;
      },
      5));
  // A link to a record is followed: installed games link their files in.
  WriteBytes(dir_ / "real.dat", ReadBytes(Golden("person_first.dat")));
  fs::create_symlink(dir_ / "real.dat", dir_ / "kifu02.dat");
  auto gs = std::make_unique<GameState>();
  EXPECT_TRUE(LoadRecord((dir_ / "kifu02.dat").string(), *gs).Loaded());
}

TEST_F(RecordFileTest, ProbeCreatesCheckDatButNeverEmptiesIt) {
  const fs::path probe = dir_ / "check.dat";
  EXPECT_TRUE(ProbeWritable(probe.string()));
  EXPECT_TRUE(fs::is_regular_file(probe));
  WriteBytes(probe, "kept");
  EXPECT_TRUE(ProbeWritable(probe.string()));
  EXPECT_EQ(ReadBytes(probe), "kept");
  fs::remove(probe);
  fs::create_directory(probe);
  EXPECT_FALSE(ProbeWritable(probe.string()));
  fs::remove(probe);
  ASSERT_EQ(::mkfifo(probe.c_str(), 0600), 0);
  EXPECT_TRUE(EndsInTime([&] { return !ProbeWritable(probe.string()); }, 5));
}

// A file system that breaks off saves in the ways a crash or a full disk would.
class BreakingFileSystem : public RecordFileSystem {
 public:
  enum class Break { kNone, kOpen, kHalfWritten, kRename, kReadOnly };
  explicit BreakingFileSystem(Break b) : break_(b) {}

  ReadStatus ReadAll(const std::string& path, std::string& bytes) override {
    return DefaultFileSystem().ReadAll(path, bytes);
  }
  WriteStatus WriteAll(const std::string& path, std::string_view bytes) override {
    written.push_back(path);
    if (break_ == Break::kOpen) {  // no permission in the folder
      errno = EACCES;
      return WriteStatus::kCannotOpen;
    }
    if (break_ == Break::kHalfWritten) {  // the disk is full
      DefaultFileSystem().WriteAll(path, bytes.substr(0, bytes.size() / 2));
      errno = ENOSPC;
      return WriteStatus::kFailed;
    }
    return DefaultFileSystem().WriteAll(path, bytes);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    renamed.push_back(from + " -> " + to);
    if (break_ == Break::kRename) {
      errno = EPERM;
      return false;
    }
    return DefaultFileSystem().Rename(from, to);
  }
  void Remove(const std::string& path) override { DefaultFileSystem().Remove(path); }
  std::optional<unsigned> Mode(const std::string& path) override {
    auto mode = DefaultFileSystem().Mode(path);
    if (mode && break_ == Break::kReadOnly) *mode &= ~0222u;  // chmod a-w
    return mode;
  }

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
  using B = BreakingFileSystem::Break;
  for (auto b : {B::kOpen, B::kHalfWritten, B::kRename, B::kReadOnly}) {
    SCOPED_TRACE(static_cast<int>(b));
    WriteBytes(path, old);
    BreakingFileSystem files(b);
    ::testing::internal::CaptureStdout();
    std::string why;
    EXPECT_FALSE(SaveRecord(*gs, path.string(), files, &why));
    const std::string out = ::testing::internal::GetCapturedStdout();
    const bool openFailed = b == B::kOpen || b == B::kReadOnly;
    EXPECT_EQ(out, openFailed ? "cannot open file\n" : "");
    EXPECT_FALSE(why.empty());
    if (b == B::kHalfWritten) {
      EXPECT_NE(why.find(std::strerror(ENOSPC)), std::string::npos) << why;
    }
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

// A slot that is read-only by its mode bits (which even root respects here), a folder, or in
// a missing folder is not written.
TEST_F(RecordFileTest, ReadOnlyOrFolderSlotIsNotReplaced) {
  const fs::path path = dir_ / "kifu01.dat";
  const std::string old = ReadBytes(Golden("computer_first.dat"));
  WriteBytes(path, old);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  auto gs = PersonFirstGame();
  std::string why;
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(SaveRecord(*gs, path.string(), DefaultFileSystem(), &why));
  ASSERT_TRUE(fs::create_directory(dir_ / "kifu03.dat"));
  EXPECT_FALSE(SaveRecord(*gs, (dir_ / "kifu03.dat").string()));
  EXPECT_FALSE(SaveRecord(*gs, (dir_ / "no_such_dir" / "kifu01.dat").string()));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "cannot open file\ncannot open file\ncannot open file\n");
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_FALSE(why.empty());
  EXPECT_TRUE(fs::is_directory(dir_ / "kifu03.dat"));
  EXPECT_FALSE(fs::exists(TemporaryPathFor(path.string())));
}

TEST_F(RecordFileTest, LinkAtTheTemporaryNameIsNotFollowed) {
  const fs::path path = dir_ / "kifu01.dat";
  const fs::path victim = dir_ / "victim.txt";
  WriteBytes(victim, "someone else's file");
  fs::create_symlink(victim, TemporaryPathFor(path.string()));
  auto gs = PersonFirstGame();
  ASSERT_TRUE(SaveRecord(*gs, path.string()));
  EXPECT_EQ(ReadBytes(victim), "someone else's file");
  EXPECT_FALSE(fs::is_symlink(path));
  EXPECT_EQ(ReadBytes(path), ReadBytes(Golden("person_first.dat")));
}

}  // namespace
}  // namespace shogi::records
