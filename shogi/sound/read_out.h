// Sound effects and the spoken read-out of moves, as lists of clip names. Nothing here plays
// anything: the game hands the names to MixerAudio.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shogi/rules/game_state.h"

namespace shogi::sound {

// Names of the effect clips.
inline constexpr std::string_view kClipPiece = "IDSOUND_KOMA";      // a piece is set down
inline constexpr std::string_view kClipCheck = "IDSOUND_OUTE";      // check to the player
inline constexpr std::string_view kClipNewGame = "IDSOUND_ONEGAI";  // a new game starts
inline constexpr std::string_view kClipUndo = "IDSOUND_MATTA";      // a move taken back
inline constexpr std::string_view kClipThanks = "IDSOUND_THANKS";   // computer won / resign
inline constexpr std::string_view kClipLost = "IDSOUND_MAKE";       // the computer lost

// All 105 clip names of the game: IDSOUND_SENTE, IDSOUND_GOTE, IDSOUND_BAN11 … IDSOUND_BAN99,
// IDSOUND_KOMA01 … IDSOUND_KOMA15 without 12, IDSOUND_NARI, IDSOUND_ONAJI and the effects.
const std::vector<std::string>& AllClipNames();

// The clips that read move `moveNumber` of the game aloud, in order: whose move it was
// (IDSOUND_SENTE for odd move numbers, IDSOUND_GOTE for even), the destination
// (IDSOUND_ONAJI from move 3 on for a board move to the previous move's destination, else
// IDSOUND_BAN<file><rank> in notation seen from sente), the piece (IDSOUND_KOMA<kind>: for a
// board move the kind on the origin before the move, for a drop the dropped kind) and
// IDSOUND_NARI when the move promoted. Empty when no move has been made.
std::vector<std::string> ReadMoveAloud(const GameHistory& gs);

}  // namespace shogi::sound
