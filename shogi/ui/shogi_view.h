// The board view: draws the board from the game's state, takes the player's moves with the
// mouse, drives the turn flow on its 100 ms timer and carries out the game commands.
//
// Drawing: everything is drawn in paintEvent from state (the canvas with its panel texts, the
// shown position, the last-move mark, the piece held by the mouse). RedrawBoard and the move
// steps only decide which areas changed and ask for exactly those to be repainted.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "shogi/records/game_record.h"
#include "shogi/ui/art.h"
#include "shogi/ui/game_audio.h"
#include "shogi/ui/music_controller.h"
#include "shogi/ui/play_state.h"
#include "shogi/ui/record_store.h"

class QDialog;

namespace shogi::ui {

class CShogiDoc;

// Opens a modal dialog and returns its result (QDialog::Accepted or Rejected). The default
// runs dialog.exec(); tests put in a function that answers without showing anything.
using AskFn = std::function<int(QDialog&)>;

// What RedrawBoard asks to be repainted besides the text panel.
enum class Redraw {
  kPanel,     // nothing more
  kWhole,     // the whole view
  kMove,      // the squares of the move just made or stepped to, and the hands
  kStepBack,  // the squares a replay step back changed, and the hands
};

// The move being entered, or the move last shown, in the view's order of fields.
struct PendingMove {
  int fromFile = 0, toFile = 0, fromRank = 0, toRank = 0, promote = 0, dropKind = 0;
};

class CShogiView : public QWidget {
  Q_OBJECT
 public:
  CShogiView(PlayState& ps, GameAudio& audio, RecordStore& store, CShogiDoc* doc,
             QWidget* parent = nullptr);
  ~CShogiView() override;

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

  // One tick of the 100 ms timer.
  void OnTimer();

  // Mouse handlers, in view coordinates.
  void OnLButtonDown(QPoint pt);
  void OnRButtonDown(QPoint pt);
  void OnButtonUp();
  void OnMouseMove(QPoint pt);

  // Drawing steps.
  void RefreshViewPosition();
  void RedrawBoard(Redraw mode);
  // Takes the player's piece under the point into the hand of the mouse; false for none.
  bool PickUpPiece(int x, int y);
  // Sets the held piece down on the square under the point (asking about promotion where
  // the player may choose); false when it cannot go there.
  bool PutDownPiece(int x, int y);
  void ReadMoveAloud();

  // What tests look at.
  const PlayState& State() const { return ps_; }
  const CMusicController& Music() const { return music_; }
  const PendingMove& Pending() const { return pending_; }
  int ShownOwner(int f, int r) const { return shownOwners_[f][r]; }
  int ShownKind(int f, int r) const { return shownKinds_[f][r]; }
  int ShownHand(int side, int kind) const { return shownHands_[side][kind]; }
  int ShownMoveNumber() const { return shownMoveNumber_; }
  const QString& LastMoveTextShown() const { return lastMoveText_; }
  const QString& StatusText() const { return statusText_; }
  QPoint DragPos() const { return dragPos_; }
  QTimer& Timer() { return timer_; }
  const Art& Pictures() const { return art_; }
  const QImage& Canvas() const { return art_.canvas; }
  // The frame's move number as the paint handler puts it, or 0 for none.
  int FramedMove() const;

 signals:
  void TurnChanged(shogi::ui::Turn turn);
  void StatusPaneChanged(const QString& text);
  // A notice for the status bar's first pane, shown until the next prompt replaces it.
  void PromptPaneChanged(const QString& text);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  GameState& gs() { return *ps_.gs; }
  const GameState& gs() const { return *ps_.gs; }
  void SetTurn(Turn turn);
  // A sound effect, when sounds are on.
  void PlayEffect(std::string_view clip);
  void SetStatus(const QString& text);
  void Request(const QRegion& region);
  void RequestCell(int f, int r);
  int HeldKind() const;
  void DrawPanelTexts(bool withClocks);
  void DrawClocks();
  void AnalyzePlayerMoves();
  // The player is to move (their moves analysed), or the computer starts thinking.
  void BeginTurn(bool playerToMove);
  void StartComputer();
  void TryStartPendingComputer();
  void FinishComputerTurn();
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
  CMusicController music_;
  Art art_;
  QTimer timer_;
  AskFn ask_;
  std::function<int64_t()> nowMs_;
  records::Ending loadedEnding_ = records::Ending::kNone;  // of the record being replayed
  std::string startTime_;  // of the game played or replayed, "YYYY/MM/DD HH:MM:SS" if known

  int shownOwners_[9][10] = {};
  int shownKinds_[9][10] = {};
  int shownHands_[3][8] = {};
  PendingMove pending_;
  QPoint dragPos_;
  QString lastMoveText_;
  int shownMoveNumber_ = 0;
  QString statusText_;
  bool thinkingStarted_ = false;  // moveNumber counts the computer's coming move
  // The move number while the computer thinks: the thinking thread moves gs.moveNumber about
  // during its look-ahead, so the window thread reads this copy instead.
  int thinkingMove_ = 0;
  int ShownNumber() const;
};

}  // namespace shogi::ui
