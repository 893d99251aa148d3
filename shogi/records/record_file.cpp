#include "shogi/records/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

#include "shogi/records/cp932.h"
#include "shogi/rules/coordinates.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/scan.h"

namespace shogi::records {

namespace {

constexpr std::string_view kPersonName = "人";
constexpr std::string_view kComputerName = "rⅡ";
// Index = drop kind; 0 is the name of a board move.
constexpr std::array<std::string_view, 8> kPieceNames = {"・", "歩", "香", "桂",
                                                         "銀", "金", "角", "飛"};

bool Fail(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

// The name read from the file, in UTF-8, or empty when it is no CP932.
std::string NameOf(const std::string& cp932) {
  return Cp932ToUtf8(cp932).value_or(std::string());
}

std::string Format(const char* format, auto... args) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

class PosixFileSystem final : public RecordFileSystem {
 public:
  ReadStatus ReadAll(const std::string& path, std::string& bytes) override {
    return ReadRegularFile(path, kMaxRecordBytes, bytes);
  }

  WriteStatus WriteAll(const std::string& path, std::string_view bytes) override {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) return WriteStatus::kCannotOpen;
    std::size_t done = 0;
    int error = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? errno : ENOSPC;
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    errno = error;
    return error == 0 ? WriteStatus::kOk : WriteStatus::kFailed;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }

  void Remove(const std::string& path) override { ::unlink(path.c_str()); }

  std::optional<unsigned> Mode(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<unsigned>(info.st_mode);
  }
};

void SayCannotOpen() {
  std::fputs("cannot open file\n", stdout);
  std::fflush(stdout);
}

}  // namespace

RecordFileSystem::ReadStatus ReadRegularFile(const std::string& path, std::size_t limit,
                                             std::string& bytes) {
  using ReadStatus = RecordFileSystem::ReadStatus;
  // Without O_NONBLOCK a pipe at the slot's name would wait for a writer forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? ReadStatus::kMissing : ReadStatus::kFailed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = error;
    return ReadStatus::kFailed;
  }
  bytes.clear();
  char buffer[4096];
  while (bytes.size() <= limit) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return ReadStatus::kFailed;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  if (bytes.size() > limit + 1) bytes.resize(limit + 1);
  ::close(fd);
  return ReadStatus::kOk;
}

int SlotOfName(std::string_view name) {
  for (int i = 0; i < kSlotCount; ++i)
    if (kSlotNames[i] == name) return i + 1;
  return 0;
}

std::string SlotFileName(int slot) {
  if (slot < 1 || slot > kSlotCount) return {};
  return Format("kifu0%d.dat", slot);
}

std::optional<std::string> FormatRecord(const GameHistory& gs) {
  const int n = gs.moveNumber;
  if (n < 0 || n > kMaxMoves) return std::nullopt;
  const bool personFirst = gs.firstMover == 1;
  std::string text;
  text += personFirst ? "先手；人   \n" : "先手；rⅡ \n";
  text += personFirst ? "後手；rⅡ \n" : "後手；人   \n";
  text += Format("レベル；%d \n", gs.level);
  text += "\n消費時間 \n";
  text += Format("      computer %6d \n", gs.computerSeconds);
  text += Format("      man      %6d \n", gs.playerSeconds);
  text += Format("手数；%3d \n\n", n);
  for (int i = 1; i <= n; ++i) {
    const MoveRec& m = gs.moveRec[i];
    if (m.dropKind < 0 || m.dropKind >= static_cast<int>(kPieceNames.size())) return std::nullopt;
    int toFile = 0, toRank = 0, fromFile = 0, fromRank = 0;
    InternalToNotation(gs.firstMover, m.toFile, m.toRank, toFile, toRank);
    if (m.dropKind == 0)
      InternalToNotation(gs.firstMover, m.fromFile, m.fromRank, fromFile, fromRank);
    text += Format("%3d %d%d%d%d%d%s \n", i, toFile, toRank, fromFile, fromRank, m.promote,
                   std::string(kPieceNames[m.dropKind]).c_str());
  }
  return Utf8ToCp932(text);
}

namespace {

std::optional<RecordData> Bad(std::string* why, std::string text) {
  Fail(why, std::move(text));
  return std::nullopt;
}

}  // namespace

std::optional<RecordData> ParseRecord(std::string_view bytes, std::string* why) {
  FormatScanner in(bytes, [](std::string_view utf8) { return Utf8ToCp932(utf8); });
  std::vector<std::string> f;
  RecordData r;

  if (!in.Match("先手；%4s \n", f)) return Bad(why, "no sente line");
  const std::string sente = NameOf(f[0]);
  if (!in.Match("後手；%4s \n", f)) return Bad(why, "no gote line");
  const std::string gote = NameOf(f[0]);
  const bool personFirst = sente == kPersonName && gote == kComputerName;
  const bool computerFirst = sente == kComputerName && gote == kPersonName;
  if (!personFirst && !computerFirst) return Bad(why, "unknown player names");
  // As the game always did, the gote name decides.
  r.firstMover = gote == kComputerName ? 1 : 2;

  if (!in.Match("レベル；%d \n", f) || !ScannedInt(f[0], r.level)) return Bad(why, "no level line");
  if (r.level < 0 || r.level > 3) return Bad(why, "level out of range");
  if (!in.Match("\n消費時間 \n", f)) return Bad(why, "no time heading");
  if (!in.Match("      computer %6d \n", f) || !ScannedInt(f[0], r.computerSeconds))
    return Bad(why, "no computer time");
  if (!in.Match("      man      %6d \n", f) || !ScannedInt(f[0], r.playerSeconds))
    return Bad(why, "no player time");
  if (r.computerSeconds < 0 || r.playerSeconds < 0) return Bad(why, "negative time");
  int n = 0;
  if (!in.Match("手数；%3d \n\n", f) || !ScannedInt(f[0], n)) return Bad(why, "no move count");
  if (n < 0 || n > kMaxMoves) return Bad(why, "move count out of range");

  for (int i = 1; i <= n; ++i) {
    const std::string line = "move " + std::to_string(i) + ": ";
    if (!in.Match("%3d %1d%1d%1d%1d%1d%2s \n", f)) return Bad(why, line + "malformed line");
    int d[5];  // to file, to rank, from file, from rank, promote
    int number = 0;
    if (!ScannedInt(f[0], number)) return Bad(why, line + "bad number");
    if (number != i) return Bad(why, line + "numbered " + f[0]);
    for (int k = 0; k < 5; ++k)
      if (!ScannedInt(f[k + 1], d[k])) return Bad(why, line + "bad digit");
    const std::string name = NameOf(f[6]);
    int kind = -1;
    for (std::size_t k = 0; k < kPieceNames.size(); ++k)
      if (kPieceNames[k] == name) kind = static_cast<int>(k);
    if (kind < 0) return Bad(why, line + "unknown piece name");
    auto digit = [](int v) { return v >= 1 && v <= 9; };
    if (!digit(d[0]) || !digit(d[1])) return Bad(why, line + "bad destination");
    MoveRec m;
    NotationToInternal<int32_t>(r.firstMover, d[0], d[1], m.toFile, m.toRank);
    if (kind == 0) {
      if (!digit(d[2]) || !digit(d[3])) return Bad(why, line + "bad origin");
      NotationToInternal<int32_t>(r.firstMover, d[2], d[3], m.fromFile, m.fromRank);
    } else {
      if (d[2] != 0 || d[3] != 0) return Bad(why, line + "drop with an origin");
      m.dropKind = kind;
    }
    m.promote = d[4];
    r.moves.push_back(m);
  }
  // More move lines than the count says, or anything else after the last one.
  if (!in.AtEnd()) return Bad(why, "more after move " + std::to_string(n));
  return r;
}

namespace {

// Replays the record into `scratch`; false at the first move that is not legal.
bool Replay(const RecordData& record, GameHistory& scratch, std::string* why) {
  ResetHistory(scratch);
  scratch.firstMover = record.firstMover;
  scratch.level = record.level;
  for (std::size_t i = 0; i < record.moves.size(); ++i) {
    const MoveRec& m = record.moves[i];
    const int side = SideToMove(scratch);
    if (!IsLegalMove(scratch.Current(), side, m))
      return Fail(why, "move " + std::to_string(i + 1) + ": not legal");
    if (!CommitMove(scratch, m, side)) return Fail(why, "too many moves");
  }
  return true;
}

}  // namespace

bool CheckRecordMoves(const RecordData& record, std::string* why) {
  auto scratch = std::make_unique<GameHistory>();
  return Replay(record, *scratch, why);
}

RecordFileSystem& DefaultFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

std::string TemporaryPathFor(const std::string& path) {
  return path + ".tmp";
}

namespace {

bool SaveFailed(std::string* why, const char* what, int error) {
  if (why) {
    *why = what;
    if (error != 0) *why += std::string("（") + std::strerror(error) + "）";
  }
  return false;
}

}  // namespace

bool SaveRecord(const GameHistory& gs, const std::string& path, RecordFileSystem& fs,
                std::string* why) {
  const auto bytes = FormatRecord(gs);
  if (!bytes) return SaveFailed(why, "この対局は棋譜にできません", 0);
  // The player's own protection of a record: decided by the mode bits alone, as a program
  // run by root could write anyway.
  if (const auto mode = fs.Mode(path)) {
    if (S_ISDIR(*mode)) {
      SayCannotOpen();
      return SaveFailed(why, "保存先がフォルダです", 0);
    }
    if ((*mode & 0222) == 0) {
      SayCannotOpen();
      return SaveFailed(why, "棋譜ファイルが書き込み禁止になっています", 0);
    }
  }
  const std::string temporary = TemporaryPathFor(path);
  // What a broken save left at the temporary name goes first; a link there is removed, not
  // followed, and the new file is created only where nothing is.
  fs.Remove(temporary);
  switch (fs.WriteAll(temporary, *bytes)) {
    case RecordFileSystem::WriteStatus::kOk:
      break;
    case RecordFileSystem::WriteStatus::kCannotOpen: {
      const int error = errno;
      SayCannotOpen();
      return SaveFailed(why, "ファイルを作成できません", error);
    }
    case RecordFileSystem::WriteStatus::kFailed: {
      const int error = errno;
      fs.Remove(temporary);
      return SaveFailed(why, "書き込みに失敗しました", error);
    }
  }
  if (!fs.Rename(temporary, path)) {
    const int error = errno;
    fs.Remove(temporary);
    return SaveFailed(why, "ファイルを置き換えられません", error);
  }
  return true;
}

bool ProbeWritable(const std::string& path) {
  // No O_TRUNC: an existing file keeps its bytes. Nonblocking, so that a pipe of that name
  // fails at once instead of waiting for a reader.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

LoadResult LoadRecord(const std::string& path, GameHistory& gs, RecordFileSystem& fs) {
  LoadResult result;
  std::string bytes;
  switch (fs.ReadAll(path, bytes)) {
    case RecordFileSystem::ReadStatus::kOk:
      break;
    case RecordFileSystem::ReadStatus::kMissing:
      SayCannotOpen();
      result.status = LoadStatus::kMissing;
      return result;
    case RecordFileSystem::ReadStatus::kFailed:
      SayCannotOpen();
      result.status = LoadStatus::kCannotOpen;
      return result;
  }
  if (bytes.size() > kMaxRecordBytes) {
    result.problem = "larger than any record";
    return result;
  }
  const auto record = ParseRecord(bytes, &result.problem);
  if (!record) return result;
  auto scratch = std::make_unique<GameHistory>();
  if (!Replay(*record, *scratch, &result.problem)) return result;

  const int n = static_cast<int>(record->moves.size());
  ResetHistory(gs);
  gs.firstMover = record->firstMover;
  gs.level = record->level;
  gs.computerSeconds = record->computerSeconds;
  gs.playerSeconds = record->playerSeconds;
  for (int i = 1; i <= n; ++i) {
    gs.moveRec[i] = record->moves[i - 1];
    gs.snapshot[i] = scratch->snapshot[i];
  }
  gs.moveNumber = 0;
  result.status = LoadStatus::kLoaded;
  result.replayLastMove = n;
  return result;
}

}  // namespace shogi::records
