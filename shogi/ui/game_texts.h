// The texts the board window shows: the text panel, the status pane, the dialogs' messages.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "shogi/rules/game_state.h"
#include "shogi/ui/turn.h"

namespace shogi::ui {

// The kind names of the panel (kind 0 and 12 are a full-width blank).
QString KindName(int kind);

// "Level Easy    ", "Level Normal ", "Level Hard    ", or empty for any other level.
QString LevelText(int level);

// "第%3d手".
QString MoveNumberText(int moveNumber);

// The last move in notation, from move record m and the kinds standing on the board after it
// (kinds indexed [fileIndex][rankIndex]): "△７六歩", "▼２二角成", "△５五角打".
QString LastMoveText(const GameHistory& gs, int m, const int (&kinds)[9][10]);

// A clock value as "%H:%M:%S" (hours of the day, as a time span shows them).
QString ClockText(int64_t ms);

// Status pane 1 during the computer's thinking or otherwise; nothing when the pane stays as
// it is (thinking with no candidates counted yet).
std::optional<QString> StatusPaneText(Turn turn, int gameResult, int progressTotal,
                                      int progressDone);

// The status pane right after the computer's move.
QString MoveDoneText();

// The display name of each level (Easy, Normal, Hard for 1..3; empty for 0), and the level a
// name stands for (2 for a name it does not know).
QString LevelName(int level);
int LevelIndex(const QString& name);

// Record slots: "セーブデータ①" .. "セーブデータ⑤" for 1..5; the slot of a name, or 0.
QString SlotName(int slot);
int SlotOfName(const QString& name);

// End-of-game messages.
QString ComputerLostMessage(int moveNumber);  // "ひどい将棋ですみません" or "負けました"
QString ComputerWonMessage();                 // "コンピュータが勝ちました"
QString MoveLimitMessage();                   // "手数が上限に達しました"

}  // namespace shogi::ui
