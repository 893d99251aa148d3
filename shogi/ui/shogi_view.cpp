#include "shogi/ui/shogi_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "shogi/ui/game_texts.h"
#include "shogi/ui/layout.h"

namespace shogi::ui {

namespace {

QFont PanelFont() {
  QFont font("IPAGothic");
  font.setPixelSize(14);
  return font;
}

}  // namespace

CShogiView::CShogiView(PlayState& ps, QWidget* parent) : QWidget(parent), ps_(ps) {
  setFixedSize(kViewWidth, kViewHeight);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  const qreal dpr = devicePixelRatioF();
  art_.Load(dpr > 1.5 ? 2 : 1);
  pending_ = PendingMove{};
  RefreshViewPosition();
  lastMoveText_ = QString();
  DrawPanelTexts(true);
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
      withClocks ? gs().moveNumber < 1 && gs().gameResult == kResultNone : gs().moveNumber < 1;
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
  return ps_.thinkingStarted ? ps_.thinkingMove : gs().moveNumber;
}

int CShogiView::FramedMove() const {
  const int n = ShownNumber();
  if (!ps_.showLastMove || n < 1) return 0;
  const int m = ps_.turn == Turn::kComputerThinking && ps_.thinkingStarted ? n - 1 : n;
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
  const GameHistory& g = gs();
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

void CShogiView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton)
    emit LeftPressed(e->position().toPoint());
  else if (e->button() == Qt::RightButton)
    emit RightPressed(e->position().toPoint());
}

// A quick second press arrives as a double-click; it does what the press does.
void CShogiView::mouseDoubleClickEvent(QMouseEvent* e) {
  mousePressEvent(e);
}

void CShogiView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) emit ButtonReleased();
}

void CShogiView::mouseMoveEvent(QMouseEvent* e) {
  OnMouseMove(e->position().toPoint());
}

}  // namespace shogi::ui
