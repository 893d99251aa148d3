// shogi-record: converts games between the slot files, KIF, KIFU, CSA and USI lines, writes
// SFEN, and lists a game's moves.
//
//   shogi-record convert IN OUT [--from FORMAT] [--to FORMAT]
//   shogi-record show IN [--from FORMAT]
//
// Formats follow the file extensions (.dat .kif .kifu .csa .usi .sfen); "-" is standard input
// or output and then needs --from or --to. Errors go to standard error with the line and the
// reason; the output file is written whole or not at all.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/records/game_record.h"
#include "shogi/records/record_file.h"

namespace {

using shogi::records::Format;

constexpr const char* kUsage =
    "usage: shogi-record convert IN OUT [--from FORMAT] [--to FORMAT]\n"
    "       shogi-record show IN [--from FORMAT]\n"
    "FORMAT: dat kif kifu csa usi sfen (sfen is written only); '-' is stdin/stdout\n";

int Fail(const std::string& text) {
  std::cerr << "shogi-record: " << text << "\n";
  return 1;
}

bool ReadInput(const std::string& path, std::string& bytes) {
  if (path == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return !std::cin.bad();
  }
  constexpr std::size_t kLimit = shogi::records::kMaxForeignRecordBytes;
  return shogi::records::ReadRegularFile(path, kLimit, bytes) ==
             shogi::records::RecordFileSystem::ReadStatus::kOk &&
         bytes.size() <= kLimit;
}

// Writes through a temporary file renamed into place, so that no partial file is left.
bool WriteOutput(const std::string& path, const std::string& bytes) {
  if (path == "-") {
    std::cout << bytes;
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
  auto& fs = shogi::records::DefaultFileSystem();
  const std::string temporary = shogi::records::TemporaryPathFor(path);
  if (fs.WriteAll(temporary, bytes) != shogi::records::RecordFileSystem::WriteStatus::kOk) {
    fs.Remove(temporary);
    return false;
  }
  if (!fs.Rename(temporary, path)) {
    fs.Remove(temporary);
    return false;
  }
  return true;
}

std::optional<Format> Pick(const std::string& path, const std::string& named) {
  if (!named.empty()) return shogi::records::FormatOfName(named);
  if (path == "-") return std::nullopt;
  return shogi::records::FormatOfPath(path);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  std::string from, to;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--from" || a == "--to") && i + 1 < argc) {
      (a == "--from" ? from : to) = argv[++i];
    } else if (a == "-h" || a == "--help") {
      std::cout << kUsage;
      return 0;
    } else {
      args.push_back(a);
    }
  }
  const bool convert = !args.empty() && args[0] == "convert" && args.size() == 3;
  const bool show = !args.empty() && args[0] == "show" && args.size() == 2;
  if (!convert && !show) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& in = args[1];
  const auto inFormat = Pick(in, from);
  if (!inFormat) return Fail(in + ": 入力の形式が分かりません（--from で指定してください）");
  if (*inFormat == Format::kSfen) return Fail(in + ": SFENは読み込めません");
  std::optional<Format> outFormat;
  if (convert) {
    outFormat = Pick(args[2], to);
    if (!outFormat) return Fail(args[2] + ": 出力の形式が分かりません（--to で指定してください）");
  }

  std::string bytes;
  if (!ReadInput(in, bytes)) return Fail(in + ": 読み込めません");
  shogi::records::ReadError error;
  const auto record = shogi::records::ReadGame(bytes, *inFormat, &error);
  if (!record) return Fail(in + ": " + error.Text());
  // Slot files are checked here; the text readers check every move as they read.
  auto scratch = std::make_unique<shogi::GameHistory>();
  if (!shogi::records::CheckGameMoves(*record, *scratch, &error))
    return Fail(in + ": " + error.Text());

  if (show) {
    std::cout << shogi::records::MoveListText(*record);
    return 0;
  }
  const auto out = shogi::records::WriteGame(*record, *outFormat);
  if (!out) return Fail(args[2] + ": この形式では書き出せません");
  if (!WriteOutput(args[2], *out)) return Fail(args[2] + ": 書き込めません");
  return 0;
}
