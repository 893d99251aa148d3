#include "shogi/ui/game_controller.h"

#include <QDateTime>
#include <QDir>
#include <QMessageBox>
#include <algorithm>

#include "shogi/engine/think.h"
#include "shogi/records/record_file.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/legality.h"
#include "shogi/sound/read_out.h"
#include "shogi/ui/dialogs.h"
#include "shogi/ui/game_texts.h"
#include "shogi/ui/layout.h"
#include "shogi/ui/move_checks.h"
#include "shogi/ui/shogi_doc.h"
#include "shogi/ui/shogi_view.h"

namespace shogi::ui {

CGameController::CGameController(PlayState& ps, GameAudio& audio, RecordStore& store,
                                 CShogiDoc* doc, CShogiView& view, QObject* parent)
    : QObject(parent),
      ps_(ps),
      audio_(audio),
      store_(store),
      doc_(doc),
      view_(view),
      music_(audio, QDir::currentPath() + "/"),
      ask_([](QDialog& d) { return d.exec(); }),
      nowMs_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
  ps_.turn = Turn::kNoGame;
  ps_.replayLastMove = 0;
  ps_.showLastMove = true;
  ps_.soundOn = true;
  ps_.readAloud = true;
  gs().useRandom = 0;
  ps_.replayRepeat = Repeat::kNone;
  ps_.replayHoldTicks = 0;
  ps_.dragFirstMove = false;
  ps_.programDir = QDir::currentPath().toStdString() + "/";
  // Writability probe: records can be saved and loaded only where "check.dat" can be made.
  ps_.runningFromCd = !records::ProbeWritable("check.dat");
  ps_.lastTickMs = nowMs_();
  statusText_ = StatusPaneText(Turn::kNoGame, 0, 0, 0).value_or(QString());
  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, &CGameController::OnTimer);
  connect(&view_, &CShogiView::LeftPressed, this, &CGameController::OnLButtonDown);
  connect(&view_, &CShogiView::RightPressed, this, &CGameController::OnRButtonDown);
  connect(&view_, &CShogiView::ButtonReleased, this, &CGameController::OnButtonUp);
}

PendingMove& CGameController::pending() {
  return view_.Pending();
}

CGameController::~CGameController() {
  timer_.stop();
  // A move being thought about is abandoned. The music stops after it.
  ps_.computer->Abandon();
  ps_.thinkingStarted = false;
}

void CGameController::OnInitialUpdate() {
  timer_.start();
  music_.PlayOpening();
  if (doc_) doc_->SetTitle(QString::fromUtf8("ホロメア版"));
}

void CGameController::PlayEffect(std::string_view clip) {
  if (ps_.soundOn) audio_.PlaySoundResource(clip);
}

void CGameController::SetTurn(Turn turn) {
  ps_.turn = turn;
  emit TurnChanged(turn);
}

void CGameController::SetStatus(const QString& text) {
  if (text == statusText_) return;
  statusText_ = text;
  emit StatusPaneChanged(text);
}

void CGameController::ReadMoveAloud() {
  if (!ps_.readAloud) return;
  view_.RedrawBoard(Redraw::kMove);
  audio_.ReadMoveAloud(gs());
}

bool CGameController::PutDownPiece(int x, int y) {
  pending().toFile = 0;
  pending().toRank = 0;
  pending().promote = 0;
  const int f = FileAt(x), r = RankAt(y);
  if (f < 0 || r < 0) return false;
  // The rules of shogi judge the move; the question is asked only where the player may
  // both promote and not promote.
  const Position& now = gs().Current();
  const MoveRec plain{pending().fromFile, pending().fromRank, f, r, 0, pending().dropKind};
  MoveRec promoted = plain;
  promoted.promote = 1;
  const bool plainLegal = IsLegalMove(now, kPlayerSide, plain);
  const bool promotedLegal = IsLegalMove(now, kPlayerSide, promoted);
  if (!plainLegal && !promotedLegal) return false;
  if (plainLegal && promotedLegal) {
    CPromoteDlg dlg(&view_);
    pending().promote = ask_(dlg) == QDialog::Accepted ? 1 : 0;
    ps_.modalShown = true;
  } else {
    pending().promote = promotedLegal ? 1 : 0;
  }
  pending().toFile = f;
  pending().toRank = r;
  if (gs().gameResult == kResultMateNow) return false;
  return true;
}

void CGameController::OnLButtonDown(QPoint pt) {
  const int x = pt.x(), y = pt.y();
  bool moved = false;
  switch (ps_.turn) {
    case Turn::kPlayerToMove:
      if (view_.PickUpPiece(x, y)) {
        if (pending().dropKind > 0) {
          const QPoint slot = HandSlot(kPlayerSide, pending().dropKind);
          view_.SetDragPos(slot + QPoint(17, 22));
          ps_.dragFirstMove = true;
          view_.Request(kPlayerHandArea);
        } else {
          view_.SetDragPos(QPoint(kBoardLeft + kCellWidth * pending().fromFile + 17,
                                  kBoardTop + kCellHeight * pending().fromRank + 22));
          view_.RequestCell(pending().fromFile, pending().fromRank);
        }
        SetTurn(Turn::kPieceHeld);
      }
      break;
    case Turn::kPieceHeld:
      if (PutDownPiece(x, y)) {
        const MoveRec move{pending().fromFile, pending().fromRank, pending().toFile,
                           pending().toRank,   pending().promote,  pending().dropKind};
        // The player's time total is the player's clock; the move took what it grew by.
        const auto total = static_cast<int32_t>(ps_.playerClockMs / 1000);
        if (!ps_.computer->CommitPlayerMove(move, std::max(0, total - gs().playerSeconds))) {
          view_.RefreshViewPosition();  // the history is full; the game has ended
          view_.Request(view_.rect());
          SetTurn(Turn::kPlayerToMove);
          break;
        }
        gs().playerSeconds = total;
        view_.RefreshViewPosition();
        const int m = gs().moveNumber;
        view_.RequestCell(pending().toFile, pending().toRank);
        if (ps_.showLastMove && m > 1) {
          const MoveRec& prev = gs().moveRec[m - 1];
          if (prev.toFile != pending().toFile || prev.toRank != pending().toRank)
            view_.RequestCell(prev.toFile, prev.toRank);
        }
        view_.Request(kPlayerHandArea);
        SetTurn(Turn::kComputerThinking);
        moved = true;
      } else {
        view_.RefreshViewPosition();
        if (pending().dropKind > 0)
          view_.Request(kPlayerHandArea);
        else
          view_.RequestCell(pending().fromFile, pending().fromRank);
        view_.Request(QRect(view_.DragPos() - QPoint(17, 20), QSize(kPieceWidth, kPieceHeight)));
        SetTurn(Turn::kPlayerToMove);
      }
      break;
    case Turn::kReplay:
      ReplayStepBack(true);
      break;
    default:
      break;
  }
  if (ps_.turn == Turn::kComputerThinking) view_.setCursor(view_.Pictures().thinkingCursor);
  if (ps_.turn == Turn::kPlayerToMove)
    view_.Request(QRect(QPoint(x - 17, y - 20), QPoint(x + 18, y + 17)));
  if (ps_.turn == Turn::kComputerThinking && moved) {
    view_.RedrawBoard(ps_.modalShown ? Redraw::kWhole : Redraw::kPanel);
    view_.Request(QRegion(QRect(QPoint(x - 17, y - 20), QPoint(x + 18, y + 17)))
                      .subtracted(CellRect(pending().toFile, pending().toRank)));
    PlayEffect(sound::kClipPiece);
    ReadMoveAloud();
    if (gs().moveNumber >= kMaxMoves) {
      EndGame(MoveLimitMessage());
      view_.RedrawBoard(Redraw::kWhole);
      return;
    }
    ps_.computerStartPending = true;
    TryStartPendingComputer();
  }
}

void CGameController::OnRButtonDown(QPoint) {
  if (ps_.turn == Turn::kReplay) ReplayStepForward(true);
}

void CGameController::OnButtonUp() {
  if (ps_.turn == Turn::kReplay) {
    ps_.replayRepeat = Repeat::kNone;
    ps_.replayHoldTicks = 0;
    view_.setCursor(view_.Pictures().replayCursor);
  }
  if (ps_.turn == Turn::kComputerThinking) view_.setCursor(view_.Pictures().thinkingCursor);
}

void CGameController::StartComputer() {
  ps_.computer->Start();
  ps_.thinkingMove = ps_.computer->ThinkingMove();
  ps_.thinkingStarted = true;
}

void CGameController::TryStartPendingComputer() {
  if (!ps_.computerStartPending || !audio_.ClipsIdle()) return;
  ps_.computerStartPending = false;
  StartComputer();
  // The frame moves to the player's move in the paint handler's view of it.
  if (ps_.showLastMove) {
    const MoveRec& rec = gs().moveRec[ps_.thinkingMove - 1];
    view_.RequestCell(rec.toFile, rec.toRank);
  }
}

void CGameController::OnTimer() {
  if (const std::optional<ThinkResult> think = ps_.computer->TakeMove()) {
    ps_.thinkingStarted = false;
    OnComputerMove(*think);
  } else {
    ClockTick();
  }
  if (ps_.turn == Turn::kReplay && ps_.replayHoldTicks < 15) ps_.replayHoldTicks += 1;
  if (ps_.turn == Turn::kReplay && ps_.replayRepeat == Repeat::kForward &&
      ps_.replayHoldTicks == 15)
    ReplayStepForward(false);
  if (ps_.turn == Turn::kReplay && ps_.replayRepeat == Repeat::kBack && ps_.replayHoldTicks == 15)
    ReplayStepBack(false);
  TryStartPendingComputer();
}

void CGameController::OnComputerMove(const ThinkResult& think) {
  GameHistory& g = gs();
  const int result = think.gameResult;
  if (result != kResultComputerResigns) {
    const MoveRec& rec = g.moveRec[g.moveNumber];
    pending() = {rec.fromFile, rec.toFile, rec.fromRank, rec.toRank, rec.promote, rec.dropKind};
    view_.RefreshViewPosition();
    if (rec.dropKind == 0) view_.RequestCell(rec.fromFile, rec.fromRank);
    view_.RequestCell(rec.toFile, rec.toRank);
    if (ps_.showLastMove && g.moveNumber > 1) {
      const MoveRec& prev = g.moveRec[g.moveNumber - 1];
      if (prev.toFile != rec.toFile || prev.toRank != rec.toRank)
        view_.RequestCell(prev.toFile, prev.toRank);
    }
    PlayEffect(sound::kClipPiece);
    view_.Request(kComputerHandArea);
  }
  QString message;
  if (result == 1) {
    message = ComputerLostMessage(g.moveNumber);
    PlayEffect(sound::kClipLost);
  } else if (result == 2) {
    message = ComputerWonMessage();
    PlayEffect(sound::kClipThanks);
  } else if (g.moveNumber >= kMaxMoves) {
    message = MoveLimitMessage();
  } else {
    SetTurn(Turn::kPlayerToMove);
  }
  if (!message.isEmpty()) EndGame(message);
  view_.RedrawBoard(result == 1 || result == 2 || !message.isEmpty() ? Redraw::kWhole
                                                                     : Redraw::kPanel);
  if (ps_.turn == Turn::kPlayerToMove) {
    SetStatus(MoveDoneText());
    ReadMoveAloud();
    view_.unsetCursor();
    if (KingInCheck(g.Current(), kPlayerSide)) PlayEffect(sound::kClipCheck);
  }
}

void CGameController::EndGame(const QString& message) {
  if (ps_.runningFromCd) {
    CCdRomNoticeDlg dlg(&view_);
    dlg.message = message;
    ask_(dlg);
  } else {
    // The dialog comes back after a save that failed, so that the game is not lost: only a
    // save that was made, or cancelling, ends it.
    QString slotText = SlotName(1);
    for (;;) {
      CGameEndDlg dlg(&view_);
      dlg.message = message;
      dlg.slotText = slotText;
      if (ask_(dlg) != QDialog::Accepted) break;
      slotText = dlg.slotText;
      const int slot = SlotOfName(slotText);
      if (slot == 0) break;
      std::string why;
      if (store_.Save(gs(), slot, &why)) break;
      QMessageBox box(
          QMessageBox::Warning, QString::fromUtf8("Shogi"),
          QString::fromUtf8(records::kSaveFailedText.data(), records::kSaveFailedText.size()),
          QMessageBox::Ok, &view_);
      box.setInformativeText(QString::fromStdString(why));
      ask_(box);
    }
  }
  SetTurn(Turn::kNoGame);
  view_.unsetCursor();
}

void CGameController::ClockTick() {
  const int64_t now = nowMs_();
  if (ps_.turn == Turn::kPlayerToMove || ps_.turn == Turn::kComputerThinking ||
      ps_.turn == Turn::kPieceHeld) {
    const int64_t delta = std::max<int64_t>(0, now - ps_.lastTickMs);
    (ps_.turn == Turn::kComputerThinking ? ps_.computerClockMs : ps_.playerClockMs) += delta;
  }
  ps_.lastTickMs = now;
  view_.DrawClocks();
  view_.Request(kClockStrip);
  const GameHistory& g = gs();
  const ComputerPlayer::Progress progress = ps_.computer->CurrentProgress();
  if (auto text = StatusPaneText(ps_.turn, g.gameResult, progress.total, progress.done))
    SetStatus(*text);
}

void CGameController::OnNewGame() {
  if (ps_.turn != Turn::kNoGame && ps_.turn != Turn::kReplay) return;
  CNewGameDlg dlg(&view_);
  dlg.firstPlayer = CNewGameDlg::FirstPlayer::kMan;
  dlg.book = CNewGameDlg::Book::kYes;
  dlg.levelText = "Easy";
  if (ask_(dlg) != QDialog::Accepted) return;
  ps_.lastTickMs = nowMs_();
  startTime_ =
      QDateTime::fromMSecsSinceEpoch(ps_.lastTickMs).toString("yyyy/MM/dd HH:mm:ss").toStdString();
  ps_.playerClockMs = 0;
  ps_.computerClockMs = 0;
  GameHistory& g = gs();
  ResetHistory(g);
  ps_.computer->NewGame();
  g.firstMover = dlg.firstPlayer == CNewGameDlg::FirstPlayer::kComputer ? 2 : 1;
  g.level = LevelIndex(dlg.levelText);
  g.bookChoice = dlg.book == CNewGameDlg::Book::kNo ? 1 : 0;
  ps_.replayLastMove = 0;
  ps_.replayRepeat = Repeat::kNone;
  view_.RefreshViewPosition();
  view_.RedrawBoard(Redraw::kWhole);
  music_.NewGame(g.level);
  PlayEffect(sound::kClipNewGame);
  BeginTurn(g.firstMover == 1);
}

void CGameController::OnUndo() {
  if (ps_.turn != Turn::kPlayerToMove) return;
  PlayEffect(sound::kClipUndo);
  if (gs().moveNumber >= 2) gs().moveNumber -= 2;
  view_.RefreshViewPosition();
  view_.RedrawBoard(Redraw::kWhole);
  SetTurn(Turn::kPlayerToMove);
  gs().gameResult = kResultNone;
}

void CGameController::OnResign() {
  if (ps_.turn != Turn::kPlayerToMove) return;
  PlayEffect(sound::kClipThanks);
  SetTurn(Turn::kNoGame);
  EndGame(ComputerWonMessage());
}

void CGameController::OnContinue() {
  if (ps_.turn != Turn::kReplay) return;
  ps_.replayRepeat = Repeat::kNone;
  ps_.replayHoldTicks = 0;
  view_.unsetCursor();
  if (gs().moveNumber >= kMaxMoves) {
    EndGame(MoveLimitMessage());
    return;
  }
  BeginTurn(PlayerToMoveAfter(gs().firstMover, gs().moveNumber));
}

void CGameController::BeginTurn(bool playerToMove) {
  if (playerToMove) {
    SetTurn(Turn::kPlayerToMove);
  } else {
    SetTurn(Turn::kComputerThinking);
    StartComputer();
    view_.setCursor(view_.Pictures().thinkingCursor);
  }
}

void CGameController::OnSettings() {
  if (ps_.turn != Turn::kNoGame && ps_.turn != Turn::kPlayerToMove) return;
  CSettingsDlg dlg(&view_);
  dlg.soundOn = ps_.soundOn;
  dlg.bgmOn = music_.On();
  dlg.useRandom = gs().useRandom == 1;
  dlg.showLastMove = ps_.showLastMove;
  dlg.readAloud = ps_.readAloud;
  if (ask_(dlg) == QDialog::Accepted) {
    ps_.soundOn = dlg.soundOn;
    gs().useRandom = dlg.useRandom ? 1 : 0;
    ps_.showLastMove = dlg.showLastMove;
    ps_.readAloud = dlg.readAloud;
    music_.SetOn(dlg.bgmOn, gs().level);
  }
  view_.RedrawBoard(Redraw::kWhole);
}

void CGameController::OnLoadRecord() {
  if (ps_.turn != Turn::kNoGame || ps_.runningFromCd) return;
  CLoadRecordDlg dlg(&view_);
  dlg.slotText = SlotName(1);
  if (ask_(dlg) != QDialog::Accepted) return;
  const int slot = SlotOfName(dlg.slotText);
  if (slot == 0) return;
  const int count = store_.Load(gs(), slot);
  if (count >= 0) ps_.computer->NewGame();  // the load started the game afresh
  if (count < 0) {
    emit PromptPaneChanged(
        QString::fromUtf8(records::kLoadFailedText.data(), records::kLoadFailedText.size()));
    return;
  }
  loadedEnding_ = records::Ending::kNone;
  startTime_.clear();
  EnterReplay(count);
}

void CGameController::EnterReplay(int count) {
  ps_.replayLastMove = std::clamp(count, 0, kMaxMoves);
  gs().moveNumber = 0;
  view_.RefreshViewPosition();
  view_.RedrawBoard(Redraw::kWhole);
  ps_.replayRepeat = Repeat::kNone;
  ps_.replayHoldTicks = 0;
  SetTurn(Turn::kReplay);
  view_.setCursor(view_.Pictures().replayCursor);
}

void CGameController::ReplayStepBack(bool fromButton) {
  if (fromButton) ps_.replayHoldTicks = 0;
  GameHistory& g = gs();
  if (g.moveNumber > 0) {
    g.moveNumber -= 1;
    view_.RefreshViewPosition();
    const MoveRec& back = g.moveRec[g.moveNumber + 1];
    pending() = {back.fromFile, back.toFile,  back.fromRank,
                 back.toRank,   back.promote, back.dropKind};
    view_.RedrawBoard(g.moveNumber == 0 ? Redraw::kWhole : Redraw::kStepBack);
  }
  view_.setCursor(view_.Pictures().replayCursor);
  ps_.replayRepeat = Repeat::kBack;
}

void CGameController::ReplayStepForward(bool fromButton) {
  if (fromButton) {
    ps_.replayHoldTicks = 0;
    view_.setCursor(view_.Pictures().replayCursor);
  }
  GameHistory& g = gs();
  if (g.moveNumber < ps_.replayLastMove && g.moveNumber < kMaxMoves) {
    g.moveNumber += 1;
    const int m = g.moveNumber;
    g.snapshot[m] = g.snapshot[m - 1];
    const int side = m % 2 == 1 ? g.firstMover : Opponent(g.firstMover);
    // A record read from a file is not trusted: a move off the board changes nothing.
    const MoveRec& r = g.moveRec[m];
    const bool valid = OnBoard(r.toFile, r.toRank) && r.dropKind >= 0 && r.dropKind <= 7 &&
                       (r.dropKind > 0 || OnBoard(r.fromFile, r.fromRank));
    if (valid) ApplyMove(g.snapshot[m], r, side);
    view_.RefreshViewPosition();
    const MoveRec& rec = g.moveRec[m];
    pending() = {rec.fromFile, rec.toFile, rec.fromRank, rec.toRank, rec.promote, rec.dropKind};
    view_.RedrawBoard(Redraw::kMove);
    ps_.replayRepeat = Repeat::kForward;
  }
}

}  // namespace shogi::ui
