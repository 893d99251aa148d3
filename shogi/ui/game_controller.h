// The game controller: the turn flow on the 100 ms timer, the clocks, the computer's moves on
// their thread, the game commands and the replay of records. It draws nothing itself: it
// tells the board view (CShogiView) what changed, and the music controller what happened.
#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "shogi/engine/think.h"
#include "shogi/records/game_record.h"
#include "shogi/ui/game_audio.h"
#include "shogi/ui/music_controller.h"
#include "shogi/ui/play_state.h"
#include "shogi/ui/record_store.h"

class QDialog;

namespace shogi::ui {

class CShogiDoc;
class CShogiView;
struct PendingMove;

// Opens a modal dialog and returns its result (QDialog::Accepted or Rejected). The default
// runs dialog.exec(); tests put in a function that answers without showing anything.
using AskFn = std::function<int(QDialog&)>;

class CGameController : public QObject {
  Q_OBJECT
 public:
  CGameController(PlayState& ps, GameAudio& audio, RecordStore& store, CShogiDoc* doc,
                  CShogiView& view, QObject* parent = nullptr);
  ~CGameController() override;

  // Start of the timer, the opening music and the title; run again by the file-new command.
  void OnInitialUpdate();

  void SetAsk(AskFn ask) { ask_ = std::move(ask); }
  int Ask(QDialog& dialog) { return ask_(dialog); }
  // The wall clock in milliseconds since the epoch (tests put in their own).
  void SetClock(std::function<int64_t()> nowMs) { nowMs_ = std::move(nowMs); }

  // Game commands.
  void OnNewGame();
  void OnUndo();
  void OnResign();
  void OnContinue();
  void OnSettings();
  void OnLoadRecord();

  // Records from and to other programs (record_exchange.cpp). A refused record is shown in a
  // message box and leaves the game as it was.
  bool OpenRecordFile(const QString& path);
  void OnOpenRecordFile();
  void OnPasteRecord();
  void OnExportRecord();
  void OnCopySfen();
  void OnCopyKif();

  // One tick of the 100 ms timer: takes in the computer's move once its think has ended.
  void OnTimer();
  // The computer's move of `think`, already committed to the game: shows it and passes the
  // turn (or ends the game).
  void OnComputerMove(const ThinkResult& think);

  // The board's clicks, in view coordinates.
  void OnLButtonDown(QPoint pt);
  void OnRButtonDown(QPoint pt);
  void OnButtonUp();

  const PlayState& State() const { return ps_; }
  const CMusicController& Music() const { return music_; }
  const QString& StatusText() const { return statusText_; }
  QTimer& Timer() { return timer_; }

 signals:
  void TurnChanged(shogi::ui::Turn turn);
  void StatusPaneChanged(const QString& text);
  // A notice for the status bar's first pane, shown until the next prompt replaces it.
  void PromptPaneChanged(const QString& text);

 private:
  GameHistory& gs() { return *ps_.gs; }
  const GameHistory& gs() const { return *ps_.gs; }
  PendingMove& pending();
  void SetTurn(Turn turn);
  // A sound effect, when sounds are on.
  void PlayEffect(std::string_view clip);
  void SetStatus(const QString& text);
  void ReadMoveAloud();
  // Sets the held piece down on the square under the point (asking about promotion where
  // the player may choose); false when it cannot go there.
  bool PutDownPiece(int x, int y);
  // The player is to move (their moves analysed), or the computer starts thinking.
  void BeginTurn(bool playerToMove);
  void StartComputer();
  void TryStartPendingComputer();
  void ClockTick();
  void EndGame(const QString& message);
  void ReplayStepBack(bool fromButton);
  void ReplayStepForward(bool fromButton);
  // Replay of the loaded moves 1..count from the start position.
  void EnterReplay(int count);
  bool TakeRecord(const records::GameRecord& record, const QString& source);
  void ShowRefusal(const QString& text);
  records::GameRecord RecordToWrite() const;

  PlayState& ps_;
  GameAudio& audio_;
  RecordStore& store_;
  CShogiDoc* doc_;
  CShogiView& view_;
  CMusicController music_;
  QTimer timer_;
  AskFn ask_;
  std::function<int64_t()> nowMs_;
  records::Ending loadedEnding_ = records::Ending::kNone;  // of the record being replayed
  std::string startTime_;  // of the game played or replayed, "YYYY/MM/DD HH:MM:SS" if known
  QString statusText_;
};

}  // namespace shogi::ui
