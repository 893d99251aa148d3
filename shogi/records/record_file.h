// Game record files: the five save slots and the text file of one finished game.
//
// A record is CP932 text laid out as below; each line with content carries a trailing space:
//
//   先手；人            (or 先手；rⅡ)       who moved first: the person or the computer
//   後手；rⅡ            (or 後手；人)       the other side
//   レベル；<level>
//                                           an empty line
//   消費時間
//         computer <seconds, 6 places>
//         man      <seconds, 6 places>
//   手数；<N, 3 places>
//                                           an empty line
//   <i, 3 places> <to file><to rank><from file><from rank><promote><name>   for i = 1..N
//
// Squares are given as file and rank numbers 1..9 from sente's side. A drop has origin 0 0 and
// names the dropped kind (歩 香 桂 銀 金 角 飛); a board move has the name "・".
//
// Saving writes a new temporary file beside the slot file (created exclusively, never through
// a link left at its name) and renames it into place, so a save that breaks off leaves the
// slot's previous record whole; a slot file without any write bit is not replaced. Loading
// reads only a regular file of a size a record can have, without ever waiting on a pipe or
// device, checks the whole record first — its header, its move count against its move lines,
// the move numbers, every move line and every move's legality in turn, nothing but blanks
// after the last line — and changes the game only when all of it is sound. All file access
// goes through a RecordFileSystem, which tests replace.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shogi/rules/game_state.h"

namespace shogi::records {

inline constexpr int kSlotCount = 5;

// The slot names of the save and load dialogs, slots 1 to 5.
inline constexpr std::array<std::string_view, kSlotCount> kSlotNames = {
    "セーブデータ①", "セーブデータ②", "セーブデータ③", "セーブデータ④", "セーブデータ⑤"};

// The status-bar text for a record that cannot be loaded.
inline constexpr std::string_view kLoadFailedText = "棋譜ファイルを読み込めません";
// The message-box text for a record that cannot be saved (the reason follows it).
inline constexpr std::string_view kSaveFailedText = "棋譜ファイルを保存できません";

// No record the program writes comes near this size (299 moves take about 4 KB); a larger
// file is no record.
inline constexpr std::size_t kMaxRecordBytes = 8192;

// The slot (1..5) whose name equals `name`, else 0.
int SlotOfName(std::string_view name);

// "kifu01.dat" … "kifu05.dat" for slots 1..5; empty for any other number.
std::string SlotFileName(int slot);

// A record as read from a file, before it is put into a game.
struct RecordData {
  int firstMover = 1;  // 1 the person moved first, 2 the computer
  int level = 0;
  int computerSeconds = 0;
  int playerSeconds = 0;
  std::vector<MoveRec> moves;  // move records 1..N, internal coordinates

  bool operator==(const RecordData&) const = default;
};

// The record of the game in `gs` (moves 1..moveNumber) as CP932 bytes. Nothing when the game
// holds something a record cannot express (a move count outside 0..299, an unknown drop kind).
std::optional<std::string> FormatRecord(const GameHistory& gs);

// Reads a record from CP932 bytes and checks its form: the header lines and names, a level
// of 0..3, times of 0 or more, 0 <= N <= 299, move lines numbered 1..N in order, for every
// move destination digits 1..9, and either the name "・" with origin digits 1..9 or a known
// piece name with origin 0 0, and nothing but blanks after line N. On failure returns nothing
// and, when `why` is given, says what is wrong.
std::optional<RecordData> ParseRecord(std::string_view bytes, std::string* why = nullptr);

// Replays the moves from the start position and checks that each one is legal shogi in its
// position (IsLegalMove for the side to move), declined promotions included.
bool CheckRecordMoves(const RecordData& record, std::string* why = nullptr);

// The file operations used by saving and loading. A failed operation leaves its reason in
// errno.
class RecordFileSystem {
 public:
  enum class ReadStatus { kOk, kMissing, kFailed };

  enum class WriteStatus { kOk, kCannotOpen, kFailed };

  virtual ~RecordFileSystem() = default;
  // Reads the file, at most kMaxRecordBytes + 1 bytes of it. kMissing when it does not exist,
  // kFailed when it cannot be opened or read or is no regular file (after following links);
  // never waits for a writer or a device.
  virtual ReadStatus ReadAll(const std::string& path, std::string& bytes) = 0;
  // Creates the file, which must not exist yet (a link at the name is not followed), and
  // writes all bytes, flushed to the disk.
  virtual WriteStatus WriteAll(const std::string& path, std::string_view bytes) = 0;
  // Replaces `to` by `from` in one step.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Removes the name (a link, not what it points to).
  virtual void Remove(const std::string& path) = 0;
  // The mode bits (st_mode) of what the name leads to, or nothing when it does not exist.
  virtual std::optional<unsigned> Mode(const std::string& path) = 0;
};

// The real file system (POSIX calls).
RecordFileSystem& DefaultFileSystem();

// Records of other programs (KIF, CSA) may carry long comments; no game file comes near this.
inline constexpr std::size_t kMaxForeignRecordBytes = 4 << 20;

// Reads a regular file (after following links) without ever waiting on a pipe or a device:
// at most limit + 1 bytes, so that a caller can tell a file that is too large.
RecordFileSystem::ReadStatus ReadRegularFile(const std::string& path, std::size_t limit,
                                             std::string& bytes);

// The name of the temporary file a save of `path` writes first.
std::string TemporaryPathFor(const std::string& path);

// Saves the record of the game in `gs` to `path`. Returns false when nothing was saved; the
// file at `path` is then as it was and `why` (when given) tells the player why, in UTF-8. A
// file that cannot be opened writes "cannot open file\n" to standard output. A slot file
// that has no write bit for anyone counts as one that cannot be opened.
bool SaveRecord(const GameHistory& gs, const std::string& path,
                RecordFileSystem& fs = DefaultFileSystem(), std::string* why = nullptr);

// The start-up writability probe: creates the file when it is missing, leaves an existing
// one as it is (never truncated) and keeps it. True when the file could be opened for
// writing.
bool ProbeWritable(const std::string& path);

enum class LoadStatus {
  kLoaded,      // the record is in the game
  kMissing,     // no such file: nothing loaded, nothing changed
  kCannotOpen,  // the file exists but cannot be read: nothing changed
  kInvalid,     // the file is not a sound record: nothing changed
};

struct LoadResult {
  LoadStatus status = LoadStatus::kInvalid;
  int replayLastMove = 0;  // N when loaded: the last move replay can reach
  std::string problem;     // for kInvalid, what is wrong (for logs and tests)

  bool Loaded() const { return status == LoadStatus::kLoaded; }
};

// Loads the record at `path` into `gs`. When it is loaded, the game is reset as by
// ResetGameState and then holds the record's firstMover, level, computerSeconds,
// playerSeconds and move records 1..N, with snapshots 0..N rebuilt from the moves and
// moveNumber 0 (the start of replay). Otherwise `gs` is left exactly as it was. A file that
// cannot be opened (missing or unreadable) writes "cannot open file\n" to standard output.
LoadResult LoadRecord(const std::string& path, GameHistory& gs,
                      RecordFileSystem& fs = DefaultFileSystem());

}  // namespace shogi::records
