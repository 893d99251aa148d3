#include "shogi/ui/game_texts.h"

#include "shogi/records/record_file.h"

namespace shogi::ui {

QString KindName(int kind) {
  static const char* const kNames[16] = {"　", "歩",   "香",   "桂",   "銀", "金", "角", "飛",
                                         "と", "成香", "成桂", "成銀", "　", "馬", "龍", "玉"};
  return kind >= 0 && kind < 16 ? QString::fromUtf8(kNames[kind]) : QString();
}

QString LevelText(int level) {
  switch (level) {
    case 1:
      return "Level Easy    ";
    case 2:
      return "Level Normal ";
    case 3:
      return "Level Hard    ";
    default:
      return QString();
  }
}

QString MoveNumberText(int moveNumber) {
  return QString::fromUtf8("第%1手").arg(moveNumber, 3, 10, QChar(' '));
}

QString LastMoveText(const GameHistory& gs, int m, const int (&kinds)[9][10]) {
  static const char* const kDigits[10] = {"", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
  static const char* const kNumerals[10] = {"",   "一", "二", "三", "四",
                                            "五", "六", "七", "八", "九"};
  if (m < 0 || m > kMaxMoves) return QString();
  const MoveRec& rec = gs.moveRec[m];
  const bool playersMove = gs.firstMover == 1 ? m % 2 == 1 : m % 2 == 0;
  QString text = QString::fromUtf8(playersMove ? "△" : "▼");
  const int file = gs.firstMover == 1 ? 9 - rec.toFile : rec.toFile + 1;
  const int rank = gs.firstMover == 1 ? rec.toRank + 1 : 9 - rec.toRank;
  if (file >= 1 && file <= 9) text += QString::fromUtf8(kDigits[file]);
  if (rank >= 1 && rank <= 9) text += QString::fromUtf8(kNumerals[rank]);
  const bool onBoard = rec.toFile >= 0 && rec.toFile < 9 && rec.toRank >= 0 && rec.toRank < 9;
  const int kind = onBoard ? kinds[rec.toFile][rec.toRank] : 0;
  if (rec.promote == 1 && kind > 7)
    text += KindName(kind - 7) + QString::fromUtf8("成");
  else
    text += KindName(kind);
  if (rec.dropKind > 0) text += QString::fromUtf8("打");
  return text;
}

QString ClockText(int64_t ms) {
  const int64_t s = ms < 0 ? 0 : ms / 1000;
  return QString("%1:%2:%3")
      .arg((s / 3600) % 24, 2, 10, QChar('0'))
      .arg((s / 60) % 60, 2, 10, QChar('0'))
      .arg(s % 60, 2, 10, QChar('0'));
}

std::optional<QString> StatusPaneText(Turn turn, int gameResult, int progressTotal,
                                      int progressDone) {
  const QString full = QString::fromUtf8("■"), empty = QString::fromUtf8("□");
  if (gameResult > kResultMateNow) return QString::fromUtf8("%1手で詰みました").arg(gameResult);
  if (turn != Turn::kComputerThinking) return empty.repeated(10);
  if (progressTotal <= 0) return std::nullopt;
  const int filled = progressDone * 10 / progressTotal;
  const int percent = progressDone * 100 / progressTotal;
  QString text = full.repeated(filled);
  if (filled < 10) text += empty.repeated(10 - filled);
  text += QString::fromUtf8("%1%完了").arg(percent, 3, 10, QChar(' '));
  return text;
}

QString MoveDoneText() {
  return QString::fromUtf8("■■■■■■■■■■100%完了");
}

QString LevelName(int level) {
  switch (level) {
    case 1:
      return "Easy";
    case 2:
      return "Normal";
    case 3:
      return "Hard";
    default:
      return QString();
  }
}

int LevelIndex(const QString& name) {
  for (int i = 0; i <= 3; ++i)
    if (LevelName(i) == name) return i;
  return 2;
}

QString SlotName(int slot) {
  if (slot < 1 || slot > records::kSlotCount) return QString();
  const std::string_view name = records::kSlotNames[slot - 1];
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

int SlotOfName(const QString& name) {
  return records::SlotOfName(name.toStdString());
}

QString ComputerLostMessage(int moveNumber) {
  return QString::fromUtf8(moveNumber < 60 ? "ひどい将棋ですみません" : "負けました");
}
QString ComputerWonMessage() {
  return QString::fromUtf8("コンピュータが勝ちました");
}
QString MoveLimitMessage() {
  return QString::fromUtf8("手数が上限に達しました");
}

}  // namespace shogi::ui
