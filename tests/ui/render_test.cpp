// Rendering: pixels of the drawn board against the piece pictures, the hands, the last-move
// frame, the move and status texts, and the clocks.
#include <QPainter>

#include "shogi/ui/game_texts.h"
#include "ui_test_util.h"

using namespace shogi;
using namespace shogi::ui;
using namespace shogi::ui::test;

namespace {

// The colour a piece picture gives at a point of the view, drawn over the canvas.
QRgb Composite(const CShogiView* v, const QImage& piece, QPoint pieceTopLeft, QPoint at) {
  QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&img);
  p.drawImage(QPoint(0, 0), v->Canvas(), QRect(at, QSize(1, 1)));
  if (!piece.isNull()) p.drawImage(pieceTopLeft - at, piece);
  p.end();
  return img.pixel(0, 0);
}

QRgb CanvasAt(const CShogiView* v, QPoint at) {
  return v->Canvas().pixel(at);
}

QImage Grab(CShogiView* v) {
  return v->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

class RenderTest : public QObject {
  Q_OBJECT
 private slots:
  void startPositionPixels();
  void pixelsAfterMoves_data();
  void pixelsAfterMoves();
  void handStacks_data();
  void handStacks();
  void lastMoveText_data();
  void lastMoveText();
  void statusTexts_data();
  void statusTexts();
  void clockTickChargesTheSideToMove();
};

void RenderTest::startPositionPixels() {
  TestApp t;
  t.game->OnNewGame();
  const QImage shot = Grab(t.view);
  const Art& art = t.view->Pictures();
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) {
      const QPoint c = TestApp::CellCentre(f, r);
      const Position& p = t.gs().Current();
      const QRgb want = p.Owner(f, r) ? Composite(t.view, art.Piece(p.Owner(f, r), p.KindAt(f, r)),
                                                  PiecePos(f, r), c)
                                      : CanvasAt(t.view, c);
      QVERIFY2(shot.pixel(c) == want, qPrintable(QString("cell %1,%2").arg(f).arg(r)));
    }
  // The two pictures differ at the cell centre, so the comparison can tell them apart.
  QVERIFY(Composite(t.view, art.Piece(1, 1), PiecePos(0, 6), TestApp::CellCentre(0, 6)) !=
          CanvasAt(t.view, TestApp::CellCentre(0, 6)));
  QCOMPARE(t.view->FramedMove(), 0);  // no frame before the first move
}

void RenderTest::pixelsAfterMoves_data() {
  QTest::addColumn<int>("showLastMove");
  QTest::newRow("last move shown") << 1;
  QTest::newRow("last move hidden") << 0;
}

void RenderTest::pixelsAfterMoves() {
  QFETCH(int, showLastMove);
  TestApp t;
  t.audio->busyClips = 1;
  t.game->OnNewGame();
  t.script.settings[3] = showLastMove;
  t.game->OnSettings();
  t.Click(TestApp::CellCentre(2, 6));
  QCOMPARE(t.view->ShownOwner(2, 6), 0);  // a held piece has left its square
  t.Click(TestApp::CellCentre(2, 5));
  QCOMPARE(t.gs().moveNumber, 1);
  const QImage shot = Grab(t.view);
  const Art& art = t.view->Pictures();
  const QPoint from = TestApp::CellCentre(2, 6), to = TestApp::CellCentre(2, 5);
  QCOMPARE(shot.pixel(from), CanvasAt(t.view, from));
  QCOMPARE(shot.pixel(to), Composite(t.view, art.Piece(1, 1), PiecePos(2, 5), to));
  // The frame's edge lies on the destination cell.
  const QPoint edge = CellRect(2, 5).topLeft() + QPoint(2, 20);
  const QRgb framed = Composite(t.view, art.frame, CellRect(2, 5).topLeft(), edge);
  QCOMPARE(shot.pixel(edge) == framed, showLastMove == 1);
  QCOMPARE(t.view->FramedMove(), showLastMove);
  // The text panel is drawn: white text on the move-number, level and clock lines.
  QCOMPARE(t.view->LastMoveTextShown(), QString::fromUtf8("△７六歩"));
  for (const QRect& line :
       {QRect(24, 268, 100, 18), QRect(24, 248, 100, 18), QRect(24, 340, 100, 18)}) {
    int white = 0;
    for (int y = line.top(); y <= line.bottom(); ++y)
      for (int x = line.left(); x <= line.right(); ++x)
        white += qGray(t.view->Canvas().pixel(x, y)) > 200;
    QVERIFY(white > 10);
  }
}

void RenderTest::handStacks_data() {
  QTest::addColumn<int>("side");
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("count");
  QTest::newRow("two bishops") << 1 << 6 << 2;
  QTest::newRow("computer rook") << 2 << 7 << 1;
  QTest::newRow("seventeen pawns") << 1 << 1 << 17;
  QTest::newRow("eighteen pawns, not drawn") << 1 << 1 << 18;
}

void RenderTest::handStacks() {
  QFETCH(int, side);
  QFETCH(int, kind);
  QFETCH(int, count);
  TestApp t;
  t.game->OnNewGame();
  Position p = StartPosition();
  p.SetHand(side, kind, count);
  t.SetPosition(p);
  const QImage shot = Grab(t.view);
  const QImage& piece = t.view->Pictures().Piece(side, kind);
  const QPoint slot = HandSlot(side, kind);
  if (count > 17) {
    // Nothing at all is drawn over the stand.
    for (int i = 1; i <= 3; ++i) {
      const QPoint c = slot + QPoint(i * HandStep(kind) + 18, 20);
      QCOMPARE(shot.pixel(c), CanvasAt(t.view, c));
    }
    return;
  }
  // Copy i at slot + i * step, copy n first and copy 1 last: copy 1 lies on top.
  const QPoint first = slot + QPoint(HandStep(kind), 0);
  const QPoint c = first + QPoint(18, 22);
  QImage expect(1, 1, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter e(&expect);
    e.drawImage(QPoint(0, 0), t.view->Canvas(), QRect(c, QSize(1, 1)));
    for (int i = count; i >= 1; --i) e.drawImage(slot + QPoint(i * HandStep(kind), 0) - c, piece);
  }
  QCOMPARE(shot.pixel(c), expect.pixel(0, 0));
  QCOMPARE(shot.pixel(c), Composite(t.view, piece, first, c));
  // The right edge of the last copy shows when the stack has more than one.
  if (count > 1) {
    const QPoint last = slot + QPoint(count * HandStep(kind), 0);
    const QPoint e = last + QPoint(34, 30);
    QCOMPARE(shot.pixel(e), Composite(t.view, piece, last, e));
  }
}

void RenderTest::lastMoveText_data() {
  QTest::addColumn<int>("firstMover");
  QTest::addColumn<int>("m");
  QTest::addColumn<int>("toFile");
  QTest::addColumn<int>("toRank");
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("promote");
  QTest::addColumn<int>("drop");
  QTest::addColumn<QString>("expected");
  auto row = [](const char* name, int fm, int m, int f, int r, int k, int pr, int d,
                const char* e) {
    QTest::newRow(name) << fm << m << f << r << k << pr << d << QString::fromUtf8(e);
  };
  row("player's pawn", 1, 1, 2, 5, 1, 0, 0, "△７六歩");
  row("computer's bishop promotes", 1, 2, 7, 1, 13, 1, 0, "▼２二角成");
  row("dropped bishop", 1, 3, 4, 4, 6, 0, 6, "△５五角打");
  row("silver promotes", 1, 5, 3, 2, 11, 1, 0, "△６三銀成");
  row("promoted piece moves", 1, 7, 3, 3, 11, 0, 0, "△６四成銀");
  row("computer first, mirrored", 2, 1, 0, 0, 2, 0, 0, "▼１九香");
  row("computer first, player's move", 2, 2, 8, 8, 15, 0, 0, "△９一玉");
}

void RenderTest::lastMoveText() {
  QFETCH(int, firstMover);
  QFETCH(int, m);
  QFETCH(int, toFile);
  QFETCH(int, toRank);
  QFETCH(int, kind);
  QFETCH(int, promote);
  QFETCH(int, drop);
  QFETCH(QString, expected);
  auto gs = std::make_unique<GameState>();
  gs->firstMover = firstMover;
  gs->moveRec[m] = MoveRec{drop ? 0 : 1, drop ? 0 : 1, toFile, toRank, promote, drop};
  int kinds[9][10] = {};
  kinds[toFile][toRank] = kind;
  QCOMPARE(LastMoveText(*gs, m, kinds), expected);
}

void RenderTest::statusTexts_data() {
  QTest::addColumn<int>("turn");
  QTest::addColumn<int>("gameResult");
  QTest::addColumn<int>("total");
  QTest::addColumn<int>("done");
  QTest::addColumn<QString>("expected");  // "-" for unchanged
  auto row = [](const char* n, int t, int g, int total, int done, const char* e) {
    QTest::newRow(n) << t << g << total << done << QString::fromUtf8(e);
  };
  row("seven of twenty", 2, 0, 20, 7, "■■■□□□□□□□ 35%完了");
  row("all done", 2, 0, 4, 4, "■■■■■■■■■■100%完了");
  row("nothing counted", 2, 0, 0, 0, "-");
  row("mate found while thinking", 2, 5, 10, 3, "5手で詰みました");
  row("mate found, player to move", 1, 7, 0, 0, "7手で詰みました");
  row("no game", 0, 0, 0, 0, "□□□□□□□□□□");
}

void RenderTest::statusTexts() {
  QFETCH(int, turn);
  QFETCH(int, gameResult);
  QFETCH(int, total);
  QFETCH(int, done);
  QFETCH(QString, expected);
  const auto text = StatusPaneText(static_cast<Turn>(turn), gameResult, total, done);
  QCOMPARE(text.value_or("-"), expected);
}

void RenderTest::clockTickChargesTheSideToMove() {
  TestApp t;
  t.audio->busyClips = 1;
  t.Tick();
  QCOMPARE(t.ps().playerClockMs, 0);  // no game: the clocks stand still
  t.game->OnNewGame();
  for (int i = 0; i < 10; ++i) t.Tick();
  QCOMPARE(t.ps().playerClockMs, 1000);
  QCOMPARE(t.ps().computerClockMs, 0);
  t.Click(TestApp::CellCentre(2, 6));
  t.Tick();  // a held piece counts for the player
  QCOMPARE(t.ps().playerClockMs, 1100);
  t.Click(TestApp::CellCentre(2, 5));
  t.Tick();
  QCOMPARE(t.ps().computerClockMs, 100);
  QCOMPARE(ClockText(3723'999), QString("01:02:03"));
}

QTEST_MAIN(RenderTest)
#include "render_test.moc"
