#include "shogi/ui/shogi_view.h"

#include <QDateTime>
#include <QDir>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
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

namespace shogi::ui {

namespace {

QFont PanelFont() {
  QFont font("IPAGothic");
  font.setPixelSize(14);
  return font;
}

}  // namespace

CShogiView::CShogiView(PlayState& ps, GameAudio& audio, RecordStore& store, CShogiDoc* doc,
                       QWidget* parent)
    : QWidget(parent),
      ps_(ps),
      audio_(audio),
      store_(store),
      doc_(doc),
      music_(audio, QDir::currentPath() + "/"),
      ask_([](QDialog& d) { return d.exec(); }),
      nowMs_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
  setFixedSize(kViewWidth, kViewHeight);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  ps_.turn = Turn::kNoGame;
  ps_.replayLastMove = 0;
  const qreal dpr = devicePixelRatioF();
  art_.Load(dpr > 1.5 ? 2 : 1);
  pending_ = PendingMove{};
  RefreshViewPosition();
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
  lastMoveText_ = QString();
  DrawPanelTexts(true);
  statusText_ = StatusPaneText(Turn::kNoGame, 0, 0, 0).value_or(QString());
  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, &CShogiView::OnTimer);
}

CShogiView::~CShogiView() {
  timer_.stop();
  // A move being thought about is finished, never cut short. The music stops after it.
  if (ps_.worker.joinable()) ps_.worker.join();
}

void CShogiView::OnInitialUpdate() {
  timer_.start();
  music_.PlayOpening();
  if (doc_) doc_->SetTitle(QString::fromUtf8("ホロメア版"));
}

// ---------------------------------------------------------------------------------------------
// State helpers

void CShogiView::PlayEffect(std::string_view clip) {
  if (ps_.soundOn) audio_.PlaySoundResource(clip);
}

void CShogiView::SetTurn(Turn turn) {
  ps_.turn = turn;
  emit TurnChanged(turn);
}

void CShogiView::SetStatus(const QString& text) {
  if (text == statusText_) return;
  statusText_ = text;
  emit StatusPaneChanged(text);
}

void CShogiView::Request(const QRegion& region) {
  update(region.intersected(rect()));
}

void CShogiView::RequestCell(int f, int r) {
  if (OnBoard(f, r)) Request(CellRect(f, r));
}

int CShogiView::HeldKind() const {
  if (pending_.dropKind > 0) return pending_.dropKind;
  return gs().Current().KindAt(pending_.fromFile, pending_.fromRank);
}

void CShogiView::AnalyzePlayerMoves() {
  AnalyzeMoves(gs(), gs().Current(), gs().playerSide, 0);
}

void CShogiView::RefreshViewPosition() {
  const Position& p = gs().snapshot[std::clamp(gs().moveNumber, 0, kSnapshotCount - 1)];
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) {
      shownOwners_[f][r] = p.Owner(f, r);
      shownKinds_[f][r] = p.KindAt(f, r);
    }
  for (int side = 0; side <= 2; ++side)
    for (int k = 0; k <= 7; ++k) shownHands_[side][k] = side == 0 || k == 0 ? 0 : p.Hand(side, k);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CShogiView::DrawPanelTexts(bool withClocks) {
  QPainter p(&art_.canvas);
  p.drawImage(kTextPanel, art_.clean, kTextPanel);
  p.setFont(PanelFont());
  p.setPen(Qt::white);
  auto text = [&](int x, int y, const QString& s) {
    p.drawText(QRect(x, y, kTextPanel.right() + 1 - x, 20), Qt::AlignLeft | Qt::AlignTop, s);
  };
  text(24, 248, LevelText(gs().level));
  const bool empty =
      withClocks ? gs().moveNumber < 1 && gs().gameResult.load() < 1 : gs().moveNumber < 1;
  if (!empty) {
    text(24, 268, MoveNumberText(shownMoveNumber_));
    text(36, 288, lastMoveText_);
  }
  if (withClocks) {
    p.end();
    DrawClocks();
  }
}

void CShogiView::DrawClocks() {
  QPainter p(&art_.canvas);
  p.drawImage(kClockStrip, art_.clean, kClockStrip);
  p.setFont(PanelFont());
  p.setPen(Qt::white);
  auto text = [&](int x, int y, const QString& s) {
    p.drawText(QRect(x, y, kTextPanel.right() + 1 - x, 20), Qt::AlignLeft | Qt::AlignTop, s);
  };
  text(24, 340, "Man");
  text(64, 340, ClockText(ps_.playerClockMs));
  text(24, 368, "Com");
  text(64, 368, ClockText(ps_.computerClockMs));
}

int CShogiView::ShownNumber() const {
  return thinkingStarted_ ? thinkingMove_ : gs().moveNumber;
}

int CShogiView::FramedMove() const {
  const int n = ShownNumber();
  if (!ps_.showLastMove || n < 1) return 0;
  const int m = ps_.turn == Turn::kComputerThinking && thinkingStarted_ ? n - 1 : n;
  return m >= 1 && m <= kMaxMoves ? m : 0;
}

void CShogiView::paintEvent(QPaintEvent* e) {
  // The panel's upper lines are put back into the canvas from the shown texts; the clocks
  // stay as the last tick drew them.
  if (e->region().intersects(QRect(kTextPanel.left(), kTextPanel.top(), kTextPanel.width(),
                                   kClockStrip.top() - kTextPanel.top()))) {
    QPainter c(&art_.canvas);
    const QRect upper(kTextPanel.left(), kTextPanel.top(), kTextPanel.width(),
                      kClockStrip.top() - kTextPanel.top());
    c.drawImage(upper, art_.clean, upper);
    c.setFont(PanelFont());
    c.setPen(Qt::white);
    c.drawText(QRect(24, 248, 110, 20), Qt::AlignLeft | Qt::AlignTop, LevelText(gs().level));
    if (ShownNumber() >= 1) {
      c.drawText(QRect(24, 268, 110, 20), Qt::AlignLeft | Qt::AlignTop,
                 MoveNumberText(shownMoveNumber_));
      c.drawText(QRect(36, 288, 98, 20), Qt::AlignLeft | Qt::AlignTop, lastMoveText_);
    }
  }
  QPainter p(this);
  p.drawImage(QRect(0, 0, kCanvasWidth, kCanvasHeight), art_.canvas);
  p.fillRect(QRect(0, kCanvasHeight, kViewWidth, kViewHeight - kCanvasHeight), palette().window());
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (shownOwners_[f][r] != 0) {
        const QImage& img = art_.Piece(shownOwners_[f][r], shownKinds_[f][r]);
        if (!img.isNull()) p.drawImage(PiecePos(f, r), img);
      }
  if (const int m = FramedMove(); m > 0) {
    const MoveRec& rec = gs().moveRec[m];
    if (OnBoard(rec.toFile, rec.toRank))
      p.drawImage(CellRect(rec.toFile, rec.toRank).topLeft(), art_.frame);
  }
  for (int side = 1; side <= 2; ++side)
    for (int kind = 1; kind <= 7; ++kind) {
      const int n = shownHands_[side][kind];
      if (n < 1 || n > kMaxStack) continue;
      const QPoint slot = HandSlot(side, kind);
      for (int i = n; i >= 1; --i)
        p.drawImage(slot + QPoint(i * HandStep(kind), 0), art_.Piece(side, kind));
    }
  if (ps_.turn == Turn::kPieceHeld)
    p.drawImage(dragPos_ - QPoint(17, 20), art_.Piece(kPlayerSide, HeldKind()));
}

void CShogiView::RedrawBoard(Redraw mode) {
  const GameState& g = gs();
  const int m = std::clamp(g.moveNumber, 0, kMaxMoves);
  lastMoveText_ = LastMoveText(g, m, shownKinds_);
  shownMoveNumber_ = g.moveNumber;
  ps_.modalShown = false;
  DrawPanelTexts(true);
  Request(mode == Redraw::kWhole ? rect() : QRegion(kTextPanel));
  if (mode == Redraw::kMove) {
    if (m - 1 >= 1) RequestCell(g.moveRec[m - 1].toFile, g.moveRec[m - 1].toRank);
    if (pending_.dropKind == 0) RequestCell(pending_.fromFile, pending_.fromRank);
    RequestCell(pending_.toFile, pending_.toRank);
    RequestCell(g.moveRec[m].toFile, g.moveRec[m].toRank);
  } else if (mode == Redraw::kStepBack) {
    if (m > 0) RequestCell(pending_.toFile, pending_.toRank);
    if (m + 1 <= kMaxMoves) {
      const MoveRec& next = g.moveRec[m + 1];
      if (OnBoard(next.fromFile, next.fromRank) && shownOwners_[next.fromFile][next.fromRank])
        RequestCell(next.fromFile, next.fromRank);
      if (OnBoard(next.toFile, next.toRank) && shownOwners_[next.toFile][next.toRank])
        RequestCell(next.toFile, next.toRank);
    }
    RequestCell(g.moveRec[m].toFile, g.moveRec[m].toRank);
  }
  if (mode != Redraw::kPanel) {
    if (ps_.showLastMove && m > 0) RequestCell(g.moveRec[m].toFile, g.moveRec[m].toRank);
    Request(kPlayerHandArea);
    Request(kComputerHandArea);
  }
}

void CShogiView::ReadMoveAloud() {
  if (!ps_.readAloud) return;
  RedrawBoard(Redraw::kMove);
  audio_.ReadMoveAloud(gs());
}

// ---------------------------------------------------------------------------------------------
// Move entry

bool CShogiView::PickUpPiece(int x, int y) {
  pending_ = PendingMove{};
  for (int kind = 1; kind <= 7; ++kind) {
    if (HandSlotRect(kPlayerSide, kind).contains(x, y) && shownHands_[kPlayerSide][kind] > 0) {
      shownHands_[kPlayerSide][kind] -= 1;
      pending_.dropKind = kind;
      return true;
    }
  }
  const int f = FileAt(x), r = RankAt(y);
  if (f < 0 || r < 0) return false;
  if (shownOwners_[f][r] != kPlayerSide) return false;
  shownOwners_[f][r] = 0;
  shownKinds_[f][r] = 0;
  pending_.fromFile = f;
  pending_.fromRank = r;
  return true;
}

bool CShogiView::PutDownPiece(int x, int y) {
  pending_.toFile = 0;
  pending_.toRank = 0;
  pending_.promote = 0;
  const int f = FileAt(x), r = RankAt(y);
  if (f < 0 || r < 0) return false;
  // The rules of shogi judge the move; the question is asked only where the player may
  // both promote and not promote.
  const Position& now = gs().Current();
  const MoveRec plain{pending_.fromFile, pending_.fromRank, f, r, 0, pending_.dropKind};
  MoveRec promoted = plain;
  promoted.promote = 1;
  const bool plainLegal = IsLegalMove(now, kPlayerSide, plain);
  const bool promotedLegal = IsLegalMove(now, kPlayerSide, promoted);
  if (!plainLegal && !promotedLegal) return false;
  if (plainLegal && promotedLegal) {
    CPromoteDlg dlg(this);
    pending_.promote = ask_(dlg) == QDialog::Accepted ? 1 : 0;
    ps_.modalShown = true;
  } else {
    pending_.promote = promotedLegal ? 1 : 0;
  }
  pending_.toFile = f;
  pending_.toRank = r;
  if (gs().gameResult.load() == 2) return false;
  return true;
}

void CShogiView::OnLButtonDown(QPoint pt) {
  const int x = pt.x(), y = pt.y();
  bool moved = false;
  switch (ps_.turn) {
    case Turn::kPlayerToMove:
      if (PickUpPiece(x, y)) {
        if (pending_.dropKind > 0) {
          const QPoint slot = HandSlot(kPlayerSide, pending_.dropKind);
          dragPos_ = slot + QPoint(17, 22);
          ps_.dragFirstMove = true;
          Request(kPlayerHandArea);
        } else {
          dragPos_ = QPoint(kBoardLeft + kCellWidth * pending_.fromFile + 17,
                            kBoardTop + kCellHeight * pending_.fromRank + 22);
          RequestCell(pending_.fromFile, pending_.fromRank);
        }
        SetTurn(Turn::kPieceHeld);
        AnalyzePlayerMoves();
      }
      break;
    case Turn::kPieceHeld:
      if (PutDownPiece(x, y)) {
        const MoveRec move{pending_.fromFile, pending_.fromRank, pending_.toFile,
                           pending_.toRank,   pending_.promote,  pending_.dropKind};
        if (!CommitPlayerMove(gs(), move)) {  // the history is full; the game has ended
          RefreshViewPosition();
          Request(rect());
          SetTurn(Turn::kPlayerToMove);
          break;
        }
        // The player's time total is the player's clock; the move took what it grew by.
        const auto total = static_cast<int32_t>(ps_.playerClockMs / 1000);
        gs().moveSeconds[gs().moveNumber] = std::max(0, total - gs().playerSeconds);
        gs().playerSeconds = total;
        RefreshViewPosition();
        const int m = gs().moveNumber;
        RequestCell(pending_.toFile, pending_.toRank);
        if (ps_.showLastMove && m > 1) {
          const MoveRec& prev = gs().moveRec[m - 1];
          if (prev.toFile != pending_.toFile || prev.toRank != pending_.toRank)
            RequestCell(prev.toFile, prev.toRank);
        }
        Request(kPlayerHandArea);
        SetTurn(Turn::kComputerThinking);
        moved = true;
      } else {
        RefreshViewPosition();
        if (pending_.dropKind > 0)
          Request(kPlayerHandArea);
        else
          RequestCell(pending_.fromFile, pending_.fromRank);
        Request(QRect(dragPos_ - QPoint(17, 20), QSize(kPieceWidth, kPieceHeight)));
        SetTurn(Turn::kPlayerToMove);
      }
      break;
    case Turn::kReplay:
      ReplayStepBack(true);
      break;
    default:
      break;
  }
  if (ps_.turn == Turn::kComputerThinking) setCursor(art_.thinkingCursor);
  if (ps_.turn == Turn::kPlayerToMove)
    Request(QRect(QPoint(x - 17, y - 20), QPoint(x + 18, y + 17)));
  if (ps_.turn == Turn::kComputerThinking && moved) {
    RedrawBoard(ps_.modalShown ? Redraw::kWhole : Redraw::kPanel);
    Request(QRegion(QRect(QPoint(x - 17, y - 20), QPoint(x + 18, y + 17)))
                .subtracted(CellRect(pending_.toFile, pending_.toRank)));
    PlayEffect(sound::kClipPiece);
    ReadMoveAloud();
    if (gs().moveNumber >= kMaxMoves) {
      EndGame(MoveLimitMessage());
      RedrawBoard(Redraw::kWhole);
      return;
    }
    ps_.computerStartPending = true;
    TryStartPendingComputer();
  }
}

void CShogiView::OnMouseMove(QPoint pt) {
  if (ps_.turn == Turn::kPieceHeld) {
    const int kind = HeldKind();
    QRegion old;
    if (ps_.dragFirstMove) {
      ps_.dragFirstMove = false;
      old = QRegion(kPlayerHandDragArea);
    } else {
      old = QRegion(TrailOutline(kind, dragPos_.x(), dragPos_.y()), Qt::OddEvenFill);
    }
    const QRegion now(PieceOutline(kind, pt.x(), pt.y()), Qt::OddEvenFill);
    Request(old.subtracted(now));
    dragPos_ = pt;
    Request(QRect(pt - QPoint(17, 20), QSize(kPieceWidth, kPieceHeight)));
  }
  if (ps_.turn == Turn::kReplay) setCursor(art_.replayCursor);
  if (ps_.turn == Turn::kComputerThinking) setCursor(art_.thinkingCursor);
}

void CShogiView::OnRButtonDown(QPoint) {
  if (ps_.turn == Turn::kReplay) ReplayStepForward(true);
}

void CShogiView::OnButtonUp() {
  if (ps_.turn == Turn::kReplay) {
    ps_.replayRepeat = Repeat::kNone;
    ps_.replayHoldTicks = 0;
    setCursor(art_.replayCursor);
  }
  if (ps_.turn == Turn::kComputerThinking) setCursor(art_.thinkingCursor);
}

void CShogiView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton)
    OnLButtonDown(e->position().toPoint());
  else if (e->button() == Qt::RightButton)
    OnRButtonDown(e->position().toPoint());
}

// A quick second press arrives as a double-click; it does what the press does.
void CShogiView::mouseDoubleClickEvent(QMouseEvent* e) {
  mousePressEvent(e);
}

void CShogiView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) OnButtonUp();
}

void CShogiView::mouseMoveEvent(QMouseEvent* e) {
  OnMouseMove(e->position().toPoint());
}

// ---------------------------------------------------------------------------------------------
// Turn flow

void CShogiView::StartComputer() {
  gs().moveReady.store(0, std::memory_order_relaxed);
  thinkingMove_ = gs().moveNumber + 1;
  thinkingStarted_ = true;
  ps_.worker = StartComputerMove(gs(), *ps_.book);
}

void CShogiView::TryStartPendingComputer() {
  if (!ps_.computerStartPending || !audio_.ClipsIdle()) return;
  ps_.computerStartPending = false;
  StartComputer();
  // The frame moves to the player's move in the paint handler's view of it.
  if (ps_.showLastMove) {
    const MoveRec& rec = gs().moveRec[thinkingMove_ - 1];
    RequestCell(rec.toFile, rec.toRank);
  }
}

void CShogiView::OnTimer() {
  if (gs().moveReady.load(std::memory_order_acquire) == 1) {
    if (ps_.worker.joinable()) ps_.worker.join();
    gs().moveReady.store(0, std::memory_order_relaxed);
    thinkingStarted_ = false;
    FinishComputerTurn();
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

void CShogiView::FinishComputerTurn() {
  GameState& g = gs();
  const int result = g.gameResult.load();
  if (result == 1) {
    g.moveNumber -= 1;
  } else {
    const MoveRec& rec = g.moveRec[g.moveNumber];
    pending_ = {rec.fromFile, rec.toFile, rec.fromRank, rec.toRank, rec.promote, rec.dropKind};
    RefreshViewPosition();
    if (rec.dropKind == 0) RequestCell(rec.fromFile, rec.fromRank);
    RequestCell(rec.toFile, rec.toRank);
    if (ps_.showLastMove && g.moveNumber > 1) {
      const MoveRec& prev = g.moveRec[g.moveNumber - 1];
      if (prev.toFile != rec.toFile || prev.toRank != rec.toRank)
        RequestCell(prev.toFile, prev.toRank);
    }
    PlayEffect(sound::kClipPiece);
    Request(kComputerHandArea);
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
  RedrawBoard(result == 1 || result == 2 || !message.isEmpty() ? Redraw::kWhole : Redraw::kPanel);
  if (ps_.turn == Turn::kPlayerToMove) {
    SetStatus(MoveDoneText());
    ReadMoveAloud();
    unsetCursor();
    if (KingInCheck(g.Current(), kPlayerSide)) PlayEffect(sound::kClipCheck);
  }
}

void CShogiView::EndGame(const QString& message) {
  if (ps_.runningFromCd) {
    CCdRomNoticeDlg dlg(this);
    dlg.message = message;
    ask_(dlg);
  } else {
    // The dialog comes back after a save that failed, so that the game is not lost: only a
    // save that was made, or cancelling, ends it.
    QString slotText = SlotName(1);
    for (;;) {
      CGameEndDlg dlg(this);
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
          QMessageBox::Ok, this);
      box.setInformativeText(QString::fromStdString(why));
      ask_(box);
    }
  }
  SetTurn(Turn::kNoGame);
  unsetCursor();
}

void CShogiView::ClockTick() {
  const int64_t now = nowMs_();
  if (ps_.turn == Turn::kPlayerToMove || ps_.turn == Turn::kComputerThinking ||
      ps_.turn == Turn::kPieceHeld) {
    const int64_t delta = std::max<int64_t>(0, now - ps_.lastTickMs);
    (ps_.turn == Turn::kComputerThinking ? ps_.computerClockMs : ps_.playerClockMs) += delta;
  }
  ps_.lastTickMs = now;
  DrawClocks();
  Request(kClockStrip);
  const GameState& g = gs();
  if (auto text = StatusPaneText(ps_.turn, g.gameResult.load(std::memory_order_relaxed),
                                 g.progressTotal.load(std::memory_order_relaxed),
                                 g.progressDone.load(std::memory_order_relaxed)))
    SetStatus(*text);
}

// ---------------------------------------------------------------------------------------------
// Commands

void CShogiView::OnNewGame() {
  if (ps_.turn != Turn::kNoGame && ps_.turn != Turn::kReplay) return;
  CNewGameDlg dlg(this);
  dlg.firstPlayer = 0;
  dlg.bookChoice = 0;
  dlg.levelText = "Easy";
  if (ask_(dlg) != QDialog::Accepted) return;
  ps_.lastTickMs = nowMs_();
  startTime_ =
      QDateTime::fromMSecsSinceEpoch(ps_.lastTickMs).toString("yyyy/MM/dd HH:mm:ss").toStdString();
  ps_.playerClockMs = 0;
  ps_.computerClockMs = 0;
  GameState& g = gs();
  ResetGameState(g);
  g.firstMover = dlg.firstPlayer == 1 ? 2 : 1;
  g.level = LevelIndex(dlg.levelText);
  g.bookChoice = dlg.bookChoice;
  ps_.replayLastMove = 0;
  ps_.replayRepeat = Repeat::kNone;
  RefreshViewPosition();
  RedrawBoard(Redraw::kWhole);
  music_.NewGame(g.level);
  PlayEffect(sound::kClipNewGame);
  BeginTurn(g.firstMover == 1);
}

void CShogiView::OnUndo() {
  if (ps_.turn != Turn::kPlayerToMove) return;
  PlayEffect(sound::kClipUndo);
  if (gs().moveNumber >= 2) gs().moveNumber -= 2;
  RefreshViewPosition();
  RedrawBoard(Redraw::kWhole);
  AnalyzePlayerMoves();
  SetTurn(Turn::kPlayerToMove);
  gs().gameResult.store(0);
}

void CShogiView::OnResign() {
  if (ps_.turn != Turn::kPlayerToMove) return;
  PlayEffect(sound::kClipThanks);
  SetTurn(Turn::kNoGame);
  EndGame(ComputerWonMessage());
}

void CShogiView::OnContinue() {
  if (ps_.turn != Turn::kReplay) return;
  ps_.replayRepeat = Repeat::kNone;
  ps_.replayHoldTicks = 0;
  unsetCursor();
  if (gs().moveNumber >= kMaxMoves) {
    EndGame(MoveLimitMessage());
    return;
  }
  BeginTurn(PlayerToMoveAfter(gs().firstMover, gs().moveNumber));
}

void CShogiView::BeginTurn(bool playerToMove) {
  if (playerToMove) {
    SetTurn(Turn::kPlayerToMove);
    AnalyzePlayerMoves();
  } else {
    SetTurn(Turn::kComputerThinking);
    StartComputer();
    setCursor(art_.thinkingCursor);
  }
}

void CShogiView::OnSettings() {
  if (ps_.turn != Turn::kNoGame && ps_.turn != Turn::kPlayerToMove) return;
  CSettingsDlg dlg(this);
  dlg.soundOn = ps_.soundOn;
  dlg.bgmOn = music_.On();
  dlg.useRandom = gs().useRandom == 1;
  dlg.showLastMove = ps_.showLastMove;
  dlg.readAloud = ps_.readAloud;
  if (ask_(dlg) == QDialog::Accepted) {
    ps_.soundOn = dlg.soundOn != 0;
    gs().useRandom = dlg.useRandom ? 1 : 0;
    ps_.showLastMove = dlg.showLastMove != 0;
    ps_.readAloud = dlg.readAloud != 0;
    music_.SetOn(dlg.bgmOn != 0, gs().level);
  }
  RedrawBoard(Redraw::kWhole);
}

void CShogiView::OnLoadRecord() {
  if (ps_.turn != Turn::kNoGame || ps_.runningFromCd) return;
  CLoadRecordDlg dlg(this);
  dlg.slotText = SlotName(1);
  if (ask_(dlg) != QDialog::Accepted) return;
  const int slot = SlotOfName(dlg.slotText);
  if (slot == 0) return;
  const int count = store_.Load(gs(), slot);
  if (count < 0) {
    emit PromptPaneChanged(
        QString::fromUtf8(records::kLoadFailedText.data(), records::kLoadFailedText.size()));
    return;
  }
  loadedEnding_ = records::Ending::kNone;
  startTime_.clear();
  EnterReplay(count);
}

void CShogiView::EnterReplay(int count) {
  ps_.replayLastMove = std::clamp(count, 0, kMaxMoves);
  gs().moveNumber = 0;
  RefreshViewPosition();
  RedrawBoard(Redraw::kWhole);
  ps_.replayRepeat = Repeat::kNone;
  ps_.replayHoldTicks = 0;
  SetTurn(Turn::kReplay);
  setCursor(art_.replayCursor);
}

void CShogiView::ReplayStepBack(bool fromButton) {
  if (fromButton) ps_.replayHoldTicks = 0;
  GameState& g = gs();
  if (g.moveNumber > 0) {
    g.moveNumber -= 1;
    RefreshViewPosition();
    const MoveRec& back = g.moveRec[g.moveNumber + 1];
    pending_ = {back.fromFile, back.toFile,  back.fromRank,
                back.toRank,   back.promote, back.dropKind};
    RedrawBoard(g.moveNumber == 0 ? Redraw::kWhole : Redraw::kStepBack);
  }
  setCursor(art_.replayCursor);
  ps_.replayRepeat = Repeat::kBack;
}

void CShogiView::ReplayStepForward(bool fromButton) {
  if (fromButton) {
    ps_.replayHoldTicks = 0;
    setCursor(art_.replayCursor);
  }
  GameState& g = gs();
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
    RefreshViewPosition();
    const MoveRec& rec = g.moveRec[m];
    pending_ = {rec.fromFile, rec.toFile, rec.fromRank, rec.toRank, rec.promote, rec.dropKind};
    RedrawBoard(Redraw::kMove);
    ps_.replayRepeat = Repeat::kForward;
  }
}

}  // namespace shogi::ui
