// Records: the game's slot files, and the formats other programs use.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "shogi/records/cp932.h"
#include "shogi/records/game_record.h"
#include "shogi/records/record_file.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"
#include "tests/rules/test_util.h"

namespace shogi::records {
namespace {

namespace fs = std::filesystem;
using testing_util::EndsInTime;

std::string ReadBytes(const fs::path& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}
void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
// A golden file, or else a file of another program.
std::string Golden(const std::string& name) {
  const fs::path golden = fs::path(SHOGI_RECORDS_GOLDEN_DIR) / name;
  return ReadBytes(fs::exists(golden) ? golden : fs::path(SHOGI_RECORDS_REAL_DIR) / name);
}
Format FormatOf(const std::string& name) {
  return FormatOfPath(name).value();
}

// A game played from USI moves (seen from sente) through the rules.
std::unique_ptr<GameState> GameOf(int firstMover, int level, const std::string& usi, int com,
                                  int man) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = firstMover;
  gs->level = level;
  std::istringstream moves(usi);
  for (std::string usi; moves >> usi;) {
    const auto m = ParseUsiMove(usi, firstMover);
    EXPECT_TRUE(m && IsLegalMove(gs->Current(), SideToMove(*gs), *m)) << usi;
    if (!m || !CommitMove(*gs, *m, SideToMove(*gs))) break;
  }
  gs->computerSeconds = com;
  gs->playerSeconds = man;
  return gs;
}
auto PersonFirstGame() {
  return GameOf(1, 1, "7g7f 3c3d 8h2b+ 3a2b 7f7e 3d3e B*5e", 123, 456);
}
auto ComputerFirstGame() {
  return GameOf(2, 2, "7g7f 3c3d 8h2b+ 3a2b B*5e", 7, 1234);
}

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/records_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Loads `name` into a game in progress. A load that fails leaves the game exactly as it was,
  // and only a file that cannot be opened is reported on standard output.
  LoadResult Load(const std::string& name, GameState* into = nullptr) {
    auto bystander = PersonFirstGame();
    GameState& gs = into ? *into : *bystander;
    gs.level = 3;
    const std::string before(reinterpret_cast<const char*>(&gs), sizeof gs);  // every byte
    ::testing::internal::CaptureStdout();
    LoadResult r = LoadRecord((dir_ / name).string(), gs);
    const bool cannotOpen = r.status == LoadStatus::kMissing || r.status == LoadStatus::kCannotOpen;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), cannotOpen ? "cannot open file\n" : "");
    EXPECT_TRUE(r.Loaded() || std::memcmp(&gs, before.data(), sizeof gs) == 0) << "state changed";
    return r;
  }

  // Saves `saved` over a slot holding junk and loads it into a state left from another game.
  void ExpectRoundTrip(const GameState& saved) {
    WriteBytes(dir_ / "kifu02.dat", std::string(5000, 'x'));
    ASSERT_TRUE(SaveRecord(saved, (dir_ / "kifu02.dat").string()));
    auto loaded = ComputerFirstGame();
    loaded->gamePhase = 2;
    const LoadResult r = Load("kifu02.dat", loaded.get());
    ASSERT_TRUE(r.Loaded()) << r.problem;
    EXPECT_EQ(
        std::tuple(r.replayLastMove, loaded->moveNumber, loaded->gamePhase, loaded->firstMover,
                   loaded->level, loaded->computerSeconds, loaded->playerSeconds),
        std::tuple(saved.moveNumber, 0, 0, saved.firstMover, saved.level, saved.computerSeconds,
                   saved.playerSeconds));
    for (int i = 0; i <= saved.moveNumber; ++i) {
      EXPECT_TRUE(loaded->moveRec[i] == saved.moveRec[i] &&
                  loaded->snapshot[i] == saved.snapshot[i])
          << "move " << i;
    }
  }

  fs::path dir_;
};

// Also a record without moves and one where promotions of every kind of piece are declined.
TEST_F(RecordFileTest, SavedRecordsAreGoldenAndLoadBack) {
  for (auto [make, golden] : {std::pair{&PersonFirstGame, "person_first.dat"},
                              std::pair{&ComputerFirstGame, "computer_first.dat"}}) {
    ExpectRoundTrip(*make());
    EXPECT_EQ(ReadBytes(dir_ / "kifu02.dat"), Golden(golden));
  }
  for (int firstMover : {1, 2}) {
    ExpectRoundTrip(*GameOf(firstMover, 0, "", 0, 0));
    ExpectRoundTrip(*GameOf(firstMover, 3,
                            "7g7f 3c3d 8h2b 8b7b 2b3a 7b8b S*5d 8b7b 5d5c 7b8b 1g1f 8b7b 1f1e "
                            "7b8b 1e1d 8b7b 1d1c 7b8b 2i1g 8b7b 1g2e 7b8b 2e3c 8b7b 1c1b 7b8b 1i1c",
                            5, 6));
  }
  auto unnamed = GameOf(1, 0, "", 0, 0);
  unnamed->moveNumber = 1;  // a drop of a piece no record can name
  unnamed->moveRec[1] = {0, 0, 4, 4, 0, 9};
  EXPECT_FALSE(FormatRecord(*unnamed).has_value());
}

// Each edit of a golden slot breaks one thing.
TEST_F(RecordFileTest, RefusesBrokenRecords) {
  const std::string text = Cp932ToUtf8(Golden("person_first.dat")).value();
  // clang-format off
  const std::pair<const char*, const char*> kEdits[] = {
      {"先手；人", "先手；王"},                   {"後手；rⅡ", "後手；人"},  // both the person
      {"後手；rⅡ", "後手；"},                     {"先手；", "先手:"},
      {"レベル；1", "レベル；4"},                 {"レベル；1", "レベル；x"},
      {"消費時間", "時間"},                       {"computer    123", "computer    abc"},
      {"man         456", "woman       456"},     {"computer    123", "computer   -123"},
      {"man         456", "man        -456"},     {"手数；  7", "手数；-1"},
      {"手数；", "手番；"},                       {"手数；  7", "手数；300"},
      {"手数；  7", "手数；  8"},                 {"手数；  7", "手数；  6"},
      {"  1 76770・", "  1 70770・"},             {"  1 76770・", "  1 06770・"},
      {"  1 76770・", "  1 76070・"},             {"  1 76770・", "  1 76700・"},
      {"  7 55000角", "  7 55100角"},             {"  7 55000角", "  7 55000玉"},
      {"  7 55000角", "  7 55000X"},              {"  3 22881・", "  3 2288・"},
      {"  3 22881・", "  x 22881・"},             {"  2 34330・", "  3 34330・"},
      {"  2 34330・", "  9 34330・"},
      // Moves the rules do not allow: a pawn two squares, promoting on rank 6, flag 2, a drop
      // not in hand, a drop onto a piece, the other side's piece, an empty origin.
      {"  1 76770・", "  1 75770・"},             {"  1 76770・", "  1 76771・"},
      {"  3 22881・", "  3 22882・"},             {"  7 55000角", "  7 55000飛"},
      {"  7 55000角", "  7 57000角"},             {"  2 34330・", "  2 76770・"},
      {"  4 22310・", "  4 22330・"},
  };
  // clang-format on
  std::vector<std::string> files = {
      "", Golden("person_first.dat").substr(0, 20), *Utf8ToCp932(text + "x"),
      *Utf8ToCp932(text + "\n\n  8 11110・ \n"), text + std::string(kMaxRecordBytes, '\n')};
  for (const auto& [from, to] : kEdits) {
    std::string edited = text;
    ASSERT_NE(edited.find(from), std::string::npos) << from;
    files.push_back(*Utf8ToCp932(edited.replace(edited.find(from), std::strlen(from), to)));
  }
  for (const std::string& bytes : files) {
    SCOPED_TRACE(Cp932ToUtf8(bytes).value_or(bytes).substr(0, 200));
    WriteBytes(dir_ / "kifu01.dat", bytes);
    const LoadResult r = Load("kifu01.dat");
    EXPECT_TRUE(r.status == LoadStatus::kInvalid && !r.problem.empty()) << r.problem;
  }
}

// Down to the longest game, with blank lines or CR LF after it; a link to a record is one. The
// probe that the folder is writable creates check.dat but never empties it, nor waits on a pipe.
TEST_F(RecordFileTest, LoadsWhatItWritesAndOnlyRegularFiles) {
  std::string golds;  // the two golds step back and forth
  for (int i = 0; i < kMaxMoves; ++i) golds += std::string(" 6i6h 4a4b 6h6i 4b4a", i % 4 * 5, 5);
  ASSERT_TRUE(SaveRecord(*GameOf(1, 1, golds, 999999, 0), (dir_ / "kifu05.dat").string()));
  const std::string longest = ReadBytes(dir_ / "kifu05.dat");
  std::string crlf;
  for (char c : longest) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& bytes : {longest, longest + "\n \n", crlf}) {
    WriteBytes(dir_ / "kifu05.dat", bytes);
    EXPECT_EQ(Load("kifu05.dat").replayLastMove, kMaxMoves);
  }
  fs::create_directory(dir_ / "kifu02.dat");
  EXPECT_EQ(Load("kifu03.dat").status, LoadStatus::kMissing);
  EXPECT_EQ(Load("kifu02.dat").status, LoadStatus::kCannotOpen);
  ASSERT_EQ(::mkfifo((dir_ / "kifu01.dat").c_str(), 0600), 0);
  EXPECT_TRUE(EndsInTime([&] { return Load("kifu01.dat").status == LoadStatus::kCannotOpen; }, 5));
  WriteBytes(dir_ / "real.dat", Golden("person_first.dat"));
  fs::create_symlink(dir_ / "real.dat", dir_ / "kifu04.dat");
  EXPECT_TRUE(Load("kifu04.dat").Loaded());

  const std::string probe = (dir_ / "check.dat").string();
  EXPECT_TRUE(ProbeWritable(probe) && fs::is_regular_file(probe));
  WriteBytes(probe, "kept");
  EXPECT_TRUE(ProbeWritable(probe) && ReadBytes(probe) == "kept");
  EXPECT_FALSE(ProbeWritable((dir_ / "kifu02.dat").string()));
  EXPECT_TRUE(EndsInTime([&] { return !ProbeWritable((dir_ / "kifu01.dat").string()); }, 5));
}

// A file system that breaks off saves in the ways a crash or a full disk would.
class BreakingFileSystem : public RecordFileSystem {
 public:
  enum class Break { kNone, kOpen, kHalfWritten, kRename };
  explicit BreakingFileSystem(Break b) : break_(b) {}

  ReadStatus ReadAll(const std::string& p, std::string& b) override { return real.ReadAll(p, b); }
  WriteStatus WriteAll(const std::string& path, std::string_view bytes) override {
    written.push_back(path);
    errno = EACCES;
    if (break_ == Break::kOpen) return WriteStatus::kCannotOpen;  // no permission
    if (break_ != Break::kHalfWritten) return DefaultFileSystem().WriteAll(path, bytes);
    DefaultFileSystem().WriteAll(path, bytes.substr(0, bytes.size() / 2));  // the disk is full
    errno = ENOSPC;
    return WriteStatus::kFailed;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    renamed.push_back(from + " -> " + to);
    errno = EPERM;
    return break_ != Break::kRename && DefaultFileSystem().Rename(from, to);
  }
  void Remove(const std::string& path) override { real.Remove(path); }
  std::optional<unsigned> Mode(const std::string& path) override { return real.Mode(path); }
  RecordFileSystem& real = DefaultFileSystem();
  std::vector<std::string> written, renamed;

 private:
  Break break_;
};

// A save writes a file beside the slot and renames it over; no temporary file is left.
TEST_F(RecordFileTest, InterruptedSaveKeepsTheOldRecord) {
  const fs::path path = dir_ / "kifu01.dat";
  auto gs = PersonFirstGame();
  using B = BreakingFileSystem::Break;
  for (auto b : {B::kNone, B::kOpen, B::kHalfWritten, B::kRename}) {
    SCOPED_TRACE(static_cast<int>(b));
    WriteBytes(path, Golden("computer_first.dat"));
    BreakingFileSystem files(b);
    ::testing::internal::CaptureStdout();
    std::string why;
    EXPECT_EQ(SaveRecord(*gs, path.string(), files, &why), b == B::kNone);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), b == B::kOpen ? "cannot open file\n" : "");
    EXPECT_FALSE(fs::exists(TemporaryPathFor(path.string())));
    EXPECT_EQ(ReadBytes(path), Golden(b == B::kNone ? "person_first.dat" : "computer_first.dat"));
    EXPECT_EQ(why.empty(), b == B::kNone) << why;
    EXPECT_TRUE(b != B::kHalfWritten || why.find(std::strerror(ENOSPC)) != std::string::npos);
    if (b == B::kNone) {  // written beside the slot, then renamed over it
      ASSERT_EQ(files.written.size(), 1u);
      EXPECT_EQ(fs::path(files.written[0]).parent_path(), path.parent_path());
      EXPECT_EQ(files.renamed, std::vector{files.written[0] + " -> " + path.string()});
    }
  }
}

// A slot that is read-only by its mode bits (which even root respects here), a folder, or in a
// missing folder is not written; a link at the temporary name is not followed.
TEST_F(RecordFileTest, ProtectedSlotsAndForeignFilesAreLeftAlone) {
  const fs::path path = dir_ / "kifu01.dat";
  WriteBytes(path, "old");
  fs::permissions(path, fs::perms::owner_read);
  ASSERT_TRUE(fs::create_directory(dir_ / "kifu03.dat"));
  auto gs = PersonFirstGame();
  ::testing::internal::CaptureStdout();
  for (const fs::path& p : {path, dir_ / "kifu03.dat", dir_ / "no_such_dir" / "kifu01.dat"})
    EXPECT_FALSE(SaveRecord(*gs, p.string())) << p;
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "cannot open file\ncannot open file\ncannot open file\n");
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_TRUE(fs::is_directory(dir_ / "kifu03.dat"));

  const fs::path slot = dir_ / "kifu02.dat";
  WriteBytes(dir_ / "victim.txt", "someone else's file");
  fs::create_symlink(dir_ / "victim.txt", TemporaryPathFor(slot.string()));
  ASSERT_TRUE(SaveRecord(*gs, slot.string()));
  EXPECT_EQ(ReadBytes(dir_ / "victim.txt"), "someone else's file");
  EXPECT_EQ(ReadBytes(slot), Golden("person_first.dat"));
  EXPECT_FALSE(fs::is_symlink(slot));
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
    r.moves.push_back(ok[rng() % ok.size()]);
    ApplyMove(pos, r.moves.back(), side);
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
  const std::pair<const char*, std::vector<const char*>> kCases[] = {
      {"person_first.dat", {"person_first.kif", "person_first.csa", "person_first.usi"}},
      {"computer_first.dat", {"computer_first.kifu", "computer_first.usi"}},
      {"long.dat", {"long.kif", "long.kifu", "long.csa", "long.usi"}},
      {"timed.kifu", {"timed.kifu", "timed.csa", "timed.usi"}},  // times, an ending
  };
  for (const auto& [source, written] : kCases) {
    ReadError error;
    const auto record = ReadGame(Golden(source), FormatOf(source), &error);
    ASSERT_TRUE(record) << source << ": " << error.Text();
    const std::string slot = *WriteGame(*record, Format::kSlot);
    EXPECT_TRUE(FormatOf(source) != Format::kSlot || slot == Golden(source));
    for (const char* name : written) {
      SCOPED_TRACE(name);
      const Format format = FormatOf(name);
      EXPECT_EQ(WriteGame(*record, format), Golden(name));
      const auto back = ReadGame(Golden(name), format, &error);
      ASSERT_TRUE(back) << error.Text();
      if (format == Format::kUsi) {  // no names: the person is sente
        EXPECT_EQ(WriteGame(*back, format), Golden(name));
        continue;
      }
      EXPECT_EQ(back->moves, record->moves);
      EXPECT_EQ(back->seconds, record->seconds);
      // A slot keeps no end; the formats write it as interrupted.
      EXPECT_EQ(back->ending,
                record->ending == Ending::kNone ? Ending::kInterrupt : record->ending);
      EXPECT_EQ(WriteGame(*back, Format::kSlot), slot);
    }
  }
}

// Random games with every kind of move: KIF, KIFU and CSA keep all of the game (times, level,
// totals, end); USI and slot → KIF → slot are byte-exact.
TEST(RecordRoundTrip, RandomGamesKeepEverything) {
  for (auto [seed, length, firstMover] :
       {std::tuple{1u, 1, 1}, std::tuple{2u, 40, 2}, std::tuple{3u, 151, 1}, std::tuple{4u, 299, 2},
        std::tuple{5u, 299, 1}}) {
    SCOPED_TRACE(seed);
    const GameRecord game = RandomGame(seed, length, firstMover);
    ASSERT_EQ(static_cast<int>(game.moves.size()), length);
    for (Format f : {Format::kKif, Format::kKifu, Format::kCsa}) {
      const auto back = ReadGame(*WriteGame(game, f), f, nullptr);
      ASSERT_TRUE(back);
      EXPECT_EQ(*back, game);
    }
    const std::string usi = *WriteGame(game, Format::kUsi);
    EXPECT_EQ(WriteGame(*ReadGame(usi, Format::kUsi, nullptr), Format::kUsi), usi);
    const std::string slot = *WriteGame(game, Format::kSlot);
    const auto kif = *WriteGame(*ReadGame(slot, Format::kSlot, nullptr), Format::kKif);
    EXPECT_EQ(WriteGame(*ReadGame(kif, Format::kKif, nullptr), Format::kSlot), slot);
  }
}

// A KIF time column past an hour: the move's minutes run on, the total's wrap under its hours.
TEST(RecordRoundTrip, KifTimesPastAnHour) {
  GameRecord game = RandomGame(1, 1, 1);
  game.seconds = {3725};
  EXPECT_NE(WriteGame(game, Format::kKifu)->find("(62:05/01:02:05)"), std::string::npos);
}

// Files in the shapes other programs write: headers in any order, comments, bookmarks,
// variations, CRLF, CP932 and UTF-8 with and without a byte-order mark, moves without origin,
// CSA boards, several statements on a line. Times come from the time columns.
TEST(RealWorldRecords, AreReadToTheirMovesEndAndTimes) {
  const std::tuple<const char*, int, int, const char*, Ending, int, int> kCases[] = {
      // the file, the first mover, the moves, the last move, the end, the seconds of both
      {"kfw_crlf.kif", 1, 11, "3d2c+", Ending::kResign, 67, 94},
      {"bom_utf8.kif", 2, 9, "2d2h", Ending::kInterrupt, 0, 0},
      {"wars.kif", 1, 8, "7a6b", Ending::kTimeUp, 11, 599},
      {"floodgate.csa", 1, 6, "B*4e", Ending::kResign, 16, 21},
      {"oneline.csa", 2, 5, "B*5e", Ending::kEnteringKing, 6, 9},
  };
  for (const auto& [file, firstMover, moves, last, ending, player, computer] : kCases) {
    ReadError error;
    const auto r = ReadGame(Golden(file), FormatOf(file), &error);
    ASSERT_TRUE(r) << file << ": " << error.Text();
    ASSERT_EQ(static_cast<int>(r->moves.size()), moves) << file;
    EXPECT_EQ(std::tuple(r->firstMover, MoveToUsi(r->moves.back(), r->firstMover), r->ending,
                         r->playerSeconds, r->computerSeconds, r->level),
              std::tuple(firstMover, last, ending, player, computer, 1))
        << file;
  }
}

// What cannot be taken is refused, naming the line; pasted text is told apart by its content.
TEST(RecordRefusals, NameTheLine) {
  const std::string start = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSN";
  std::string tooLong = "position startpos moves";
  for (const MoveRec& m : RandomGame(4, 299, 1).moves) tooLong += " " + MoveToUsi(m, 1);
  const Format kKif = Format::kKif, kCsa = Format::kCsa, kUsi = Format::kUsi;
  // clang-format off
  const std::tuple<std::string, Format, int> kCases[] = {
      {"手合割：香落ち\n   1 ７六歩(77)\n", kKif, 1},   {"先手：a\n後手番\n", kKif, 2},
      {"手合割：平手\n   1 ７六歩(77)\n   2 ３五歩(34)\n", kKif, 3},
      {"手合割：平手\n   1 ５五歩(57)\n", kKif, 2},     {"先手の持駒：歩\n", kKif, 1},
      {"手合割：平手\n   1 ７六歩(77)\n   3 ３四歩(33)\n", kKif, 3},
      {"手合割：平手\n   1 ７六歩\n   2 ５二金\n", kKif, 3},  // which gold?
      {"手合割：平手\n   1 ７六歩(77)   ( 0:99/00:00:00)\n", kKif, 2},
      {"V2.2\nPI82HI22KA\n+\n", kCsa, 2},              {"V2.2\nPI\n-\n", kCsa, 3},
      {"V2.2\nPI\n+\n+7776FU\n+3334FU\n", kCsa, 5},    {"V2.2\nPI\n+\n+7775FU\n", kCsa, 4},
      {"V2.2\nPI\n+\n+8822KA\n", kCsa, 4},  // a bishop moving as a horse
      {"position sfen " + start + "1 b - 1 moves 7g7f", kUsi, 1},  // no lance
      {"position startpos moves 7g7f 7g7f", kUsi, 1},
      {tooLong + " 5i5h", kUsi, 1},  // one more move than a game holds
      {std::string("\x01\x00\x02", 3), kKif, 0},
      {"hello world\n", kKif, 0},                       {"hello world\n", kCsa, 1},
  };
  for (const auto& [text, format, line] : kCases) {
    ReadError error;
    EXPECT_FALSE(ReadGame(text, format, &error)) << text;
    EXPECT_EQ(error.line, line) << error.Text();
    EXPECT_FALSE(error.reason.empty());
  }
  const std::pair<std::string, int> kPasted[] = {  // the moves taken, or -1: refused
      {"position startpos moves 7g7f 3c3d", 2},          {"startpos moves 7g7f", 1},
      {"  sfen " + start + "L b - 1 moves 2g2f\n", 1},   {start + "L b - 1", 0},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2", -1},
      {"V2.2\nPI\n+\n+7776FU\n-3334FU\n%TORYO\n", 2}, {"+7776FU\n-3334FU\n", 2},
      {"手合割：平手\r\n1 ７六歩(77)\r\n2 ３四歩(33)\r\n3 ２二角成(88)\r\n", 3},
      {"some words", -1},
  };
  // clang-format on
  for (const auto& [text, moves] : kPasted) {
    const auto r = ReadPastedGame(text, nullptr);
    EXPECT_EQ(r ? static_cast<int>(r->moves.size()) : -1, moves) << text;
  }
}

TEST(RecordEndings, EveryEndingIsReadAndTheClosingLineNamesTheWinner) {
  using E = Ending;
  // clang-format off
  const std::tuple<const char*, const char*, Ending, const char*> kCases[] = {
      {"投了", "%TORYO", E::kResign, "先手の勝ち"},  {"詰み", "%TSUMI", E::kMate, "先手の勝ち"},
      {"中断", "%CHUDAN", E::kInterrupt, "中断"},    {"持将棋", "%JISHOGI", E::kImpasse, "持将棋"},
      {"千日手", "%SENNICHITE", E::kRepetition, "千日手"},
      {"切れ負け", "%TIME_UP", E::kTimeUp, "先手の勝ち"},
      {"反則勝ち", "", E::kIllegalWin, "後手の勝ち"},
      {"反則負け", "%ILLEGAL_MOVE", E::kIllegalLoss, "先手の勝ち"},
      {"入玉勝ち", "%KACHI", E::kEnteringKing, "後手の勝ち"},
  };
  // clang-format on
  for (const auto& [kif, csa, ending, closing] : kCases) {
    const auto r = ReadGame(std::string("手合割：平手\n1 ７六歩(77)\n2 ") + kif + "\n",
                            Format::kKifu, nullptr);
    ASSERT_TRUE(r) << kif;
    EXPECT_EQ(r->ending, ending) << kif;
    EXPECT_NE(WriteGame(*r, Format::kKifu)->find(std::string("まで1手で") + closing),
              std::string::npos);
    const auto fromCsa = ReadGame(std::string("PI\n+\n+7776FU\n") + csa, Format::kCsa, nullptr);
    EXPECT_TRUE(!*csa || fromCsa->ending == ending) << csa;
  }
}

TEST(RecordOfGame, FindsMateAndTellsTheSfen) {
  const auto r = ReadGame(
      "position startpos moves 7g7f 1a1b 8h3c+ 2b3c 2h9h 3c6f 4i4h 4c4d 3i2h 3a2b 4h4i B*9d "
      "9h6h 9d7f 6h9h 7f6e 8g8f 7a7b 9h4h 6e9h 9i9h P*3c B*6b 5a4b 6g6f 4b3a 6b5c 3a3b B*8g",
      Format::kUsi, nullptr);
  ASSERT_TRUE(r);
  auto gs = std::make_unique<GameState>();
  ASSERT_EQ(PutIntoGame(*r, *gs), 29);  // mate, unless the game ends otherwise or earlier
  EXPECT_EQ(std::tuple(RecordOfGame(*gs, 29).ending, RecordOfGame(*gs, 28).ending,
                       RecordOfGame(*gs, 29, Ending::kInterrupt).ending),
            std::tuple(Ending::kMate, Ending::kNone, Ending::kInterrupt));
  const auto shown = ReadGame("position startpos moves 7g7f 3c3d 8h2b+", Format::kUsi, nullptr);
  EXPECT_EQ(SfenAfter(*shown, 3),
            "lnsgkgsnl/1r5+B1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL w B 4");
  EXPECT_EQ(SfenAfter(*shown, 0),
            "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1");
}

// Seeded random damage: the readers never crash or hang, and what they take is a sound game.
TEST(RecordFuzz, DamagedFilesAreRefusedOrSound) {
  std::mt19937 rng(20261207);
  auto scratch = std::make_unique<GameState>();
  int taken = 0, refused = 0;
  for (const std::string name :
       {"person_first.kif", "person_first.csa", "long.kifu", "long.csa", "computer_first.usi",
        "long.dat", "kfw_crlf.kif", "bom_utf8.kif", "wars.kif", "floodgate.csa", "oneline.csa"}) {
    const std::string base = Golden(name);
    for (int round = 0; round < 150; ++round) {
      std::string s = base;
      for (int e = 1 + static_cast<int>(rng() % 4); e > 0 && !s.empty(); --e) {
        const std::size_t at = rng() % s.size();
        const unsigned kind = rng() % 5;
        if (kind == 0) s[at] = static_cast<char>(rng());
        if (kind == 1) s.erase(at, 1 + rng() % 8);
        if (kind == 2) s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 40));
        if (kind == 3) s[at] = "0123456789+-()/:\n 同成打歩"[rng() % 20];
        if (kind == 4) s.resize(at);
      }
      ReadError error;
      const auto r = ReadGame(s, FormatOf(name), &error);
      const auto pasted = ReadPastedGame(s, nullptr);
      EXPECT_TRUE(!pasted || CheckGameMoves(*pasted, *scratch, nullptr));
      EXPECT_TRUE(r ? CheckGameMoves(*r, *scratch, &error) && WriteGame(*r, Format::kKifu)
                    : !error.reason.empty())
          << error.Text();
      ++(r ? taken : refused);
    }
  }
  EXPECT_TRUE(taken > 0 && refused > 0) << taken << " taken, " << refused << " refused";
}

}  // namespace
}  // namespace shogi::records
