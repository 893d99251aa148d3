#include "shogi/sound/read_out.h"

#include <string>

namespace shogi::sound {

namespace {

std::string Numbered(const char* prefix, int a, int b) {
  return prefix + std::to_string(a) + std::to_string(b);
}

}  // namespace

const std::vector<std::string>& AllClipNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v = {"IDSOUND_SENTE", "IDSOUND_GOTE"};
    for (int file = 1; file <= 9; ++file)
      for (int rank = 1; rank <= 9; ++rank) v.push_back(Numbered("IDSOUND_BAN", file, rank));
    for (int kind = 1; kind <= 15; ++kind)
      if (kind != 12) v.push_back(Numbered("IDSOUND_KOMA", kind / 10, kind % 10));
    for (const char* effect : {"IDSOUND_NARI", "IDSOUND_ONAJI", "IDSOUND_KOMA", "IDSOUND_OUTE",
                               "IDSOUND_ONEGAI", "IDSOUND_MATTA", "IDSOUND_THANKS", "IDSOUND_MAKE"})
      v.push_back(effect);
    return v;
  }();
  return names;
}

std::vector<std::string> ReadMoveAloud(const GameHistory& gs) {
  const int m = gs.moveNumber;
  if (m < 1 || m > kMaxMoves) return {};
  const MoveRec& r = gs.moveRec[m];
  const bool drop = r.dropKind > 0;
  std::vector<std::string> clips;
  clips.push_back(m % 2 == 1 ? "IDSOUND_SENTE" : "IDSOUND_GOTE");

  const MoveRec& previous = gs.moveRec[m - 1];
  if (m >= 3 && !drop && r.toFile == previous.toFile && r.toRank == previous.toRank) {
    clips.push_back("IDSOUND_ONAJI");
  } else {
    const bool personFirst = gs.firstMover == 1;
    const int file = personFirst ? 9 - r.toFile : r.toFile + 1;
    const int rank = personFirst ? r.toRank + 1 : 9 - r.toRank;
    clips.push_back(Numbered("IDSOUND_BAN", file, rank));
  }

  const int kind = drop ? gs.snapshot[m].KindAt(r.toFile, r.toRank)
                        : gs.snapshot[m - 1].KindAt(r.fromFile, r.fromRank);
  clips.push_back(Numbered("IDSOUND_KOMA", kind / 10, kind % 10));
  if (r.promote == 1) clips.push_back("IDSOUND_NARI");
  return clips;
}

}  // namespace shogi::sound
