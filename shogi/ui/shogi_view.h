// The board view: draws the board from the game's state, lets a held piece follow the mouse
// and reports the clicks to the game controller, which decides what they mean.
//
// Drawing: everything is drawn in paintEvent from state (the canvas with its panel texts, the
// shown position, the last-move mark, the piece held by the mouse). RedrawBoard and the move
// steps only decide which areas changed and ask for exactly those to be repainted.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include "shogi/ui/art.h"
#include "shogi/ui/play_state.h"

namespace shogi::ui {

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
  explicit CShogiView(PlayState& ps, QWidget* parent = nullptr);

  // Drawing steps.
  void RefreshViewPosition();
  void RedrawBoard(Redraw mode);
  void DrawClocks();
  void Request(const QRegion& region);
  void RequestCell(int f, int r);
  // Takes the player's piece under the point into the hand of the mouse; false for none.
  bool PickUpPiece(int x, int y);
  void SetDragPos(QPoint pos) { dragPos_ = pos; }
  PendingMove& Pending() { return pending_; }

  // What the game controller and tests look at.
  const PendingMove& Pending() const { return pending_; }
  int ShownOwner(int f, int r) const { return shownOwners_[f][r]; }
  int ShownKind(int f, int r) const { return shownKinds_[f][r]; }
  int ShownHand(int side, int kind) const { return shownHands_[side][kind]; }
  int ShownMoveNumber() const { return shownMoveNumber_; }
  const QString& LastMoveTextShown() const { return lastMoveText_; }
  QPoint DragPos() const { return dragPos_; }
  const Art& Pictures() const { return art_; }
  const QImage& Canvas() const { return art_.canvas; }
  // The frame's move number as the paint handler puts it, or 0 for none.
  int FramedMove() const;

 signals:
  // Mouse buttons, in view coordinates (a double-click counts as a press).
  void LeftPressed(QPoint pt);
  void RightPressed(QPoint pt);
  void ButtonReleased();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  const GameHistory& gs() const { return *ps_.gs; }
  int HeldKind() const;
  void DrawPanelTexts(bool withClocks);
  void OnMouseMove(QPoint pt);
  int ShownNumber() const;

  PlayState& ps_;
  Art art_;
  int shownOwners_[9][10] = {};
  int shownKinds_[9][10] = {};
  int shownHands_[3][8] = {};
  PendingMove pending_;
  QPoint dragPos_;
  QString lastMoveText_;
  int shownMoveNumber_ = 0;
};

}  // namespace shogi::ui
