// Rendering: pixels of the drawn board against the piece pictures, the hands, the last-move
// frame, the text panel and the status texts, and the areas each redraw asks for.
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
  void pixelsAfterMoves();
  void handStacks_data();
  void handStacks();
  void lastMoveFrame_data();
  void lastMoveFrame();
  void lastMoveText_data();
  void lastMoveText();
  void panelTexts();
  void statusTexts_data();
  void statusTexts();
  void clockTickChargesTheSideToMove();
  void redrawAreas();
  void dragRepaintsTrailAndPiece();
};

void RenderTest::startPositionPixels() {
  TestApp t;
  t.view->OnNewGame();
  const QImage shot = Grab(t.view);
  QCOMPARE(shot.size(), QSize(696, 440));
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
  // Before the first move: no frame, the move lines empty.
  QCOMPARE(t.view->FramedMove(), 0);
}

void RenderTest::pixelsAfterMoves() {
  TestApp t;
  t.audio->busyClips = 1;
  t.view->OnNewGame();
  t.Click(TestApp::CellCentre(2, 6));
  // While held, the origin is empty and the piece is drawn at the pointer.
  QVERIFY(Grab(t.view).pixel(TestApp::CellCentre(2, 6) + QPoint(0, 0)) != 0);
  QCOMPARE(t.view->ShownOwner(2, 6), 0);
  t.Click(TestApp::CellCentre(2, 5));
  QCOMPARE(t.gs().moveNumber, 1);
  const QImage shot = Grab(t.view);
  const Art& art = t.view->Pictures();
  const QPoint from = TestApp::CellCentre(2, 6), to = TestApp::CellCentre(2, 5);
  QCOMPARE(shot.pixel(from), CanvasAt(t.view, from));
  QCOMPARE(shot.pixel(to), Composite(t.view, art.Piece(1, 1), PiecePos(2, 5), to));
  // The frame's edge lies on the destination cell.
  const QPoint edge = CellRect(2, 5).topLeft() + QPoint(2, 20);
  QCOMPARE(shot.pixel(edge), Composite(t.view, art.frame, CellRect(2, 5).topLeft(), edge));
}

void RenderTest::handStacks_data() {
  QTest::addColumn<int>("side");
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("count");
  QTest::newRow("three pawns") << 1 << 1 << 3;
  QTest::newRow("two bishops") << 1 << 6 << 2;
  QTest::newRow("computer gold") << 2 << 5 << 4;
  QTest::newRow("computer rook") << 2 << 7 << 1;
  QTest::newRow("seventeen pawns") << 1 << 1 << 17;
  QTest::newRow("eighteen pawns, not drawn") << 1 << 1 << 18;
}

void RenderTest::handStacks() {
  QFETCH(int, side);
  QFETCH(int, kind);
  QFETCH(int, count);
  TestApp t;
  t.view->OnNewGame();
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
  if (side == 1 && kind == 1 && count == 3) {
    // The copies of a stack of three pawns stand at x = 544, 548, 552.
    QCOMPARE(slot + QPoint(HandStep(1), 0), QPoint(544, 238));
    QCOMPARE(slot + QPoint(3 * HandStep(1), 0), QPoint(552, 238));
  }
}

void RenderTest::lastMoveFrame_data() {
  QTest::addColumn<int>("showLastMove");
  QTest::newRow("shown") << 1;
  QTest::newRow("hidden") << 0;
}

void RenderTest::lastMoveFrame() {
  QFETCH(int, showLastMove);
  TestApp t;
  t.audio->busyClips = 1;
  t.view->OnNewGame();
  t.script.settings[3] = showLastMove;
  t.view->OnSettings();
  QCOMPARE(t.ps().showLastMove, showLastMove);
  t.Click(TestApp::CellCentre(2, 6));
  t.Click(TestApp::CellCentre(2, 5));
  const QImage shot = Grab(t.view);
  const QPoint edge = CellRect(2, 5).topLeft() + QPoint(2, 20);
  const QRgb framed = Composite(t.view, t.view->Pictures().frame, CellRect(2, 5).topLeft(), edge);
  QCOMPARE(shot.pixel(edge) == framed, showLastMove == 1);
  QCOMPARE(t.view->FramedMove(), showLastMove == 1 ? 1 : 0);
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

void RenderTest::panelTexts() {
  QCOMPARE(LevelText(1), QString("Level Easy    "));
  QCOMPARE(LevelText(2), QString("Level Normal "));
  QCOMPARE(LevelText(3), QString("Level Hard    "));
  QCOMPARE(LevelText(0), QString());
  QCOMPARE(MoveNumberText(7), QString::fromUtf8("第  7手"));
  QCOMPARE(MoveNumberText(123), QString::fromUtf8("第123手"));
  QCOMPARE(ClockText(3723'000), QString("01:02:03"));
  QCOMPARE(ClockText(999), QString("00:00:00"));
  TestApp t;
  t.audio->busyClips = 1;
  t.view->OnNewGame();
  QCOMPARE(t.view->ShownMoveNumber(), 0);
  t.Click(TestApp::CellCentre(2, 6));
  t.Click(TestApp::CellCentre(2, 5));
  QCOMPARE(t.view->ShownMoveNumber(), 1);
  QCOMPARE(t.view->LastMoveTextShown(), QString::fromUtf8("△７六歩"));
  // The panel is drawn: white text pixels appear on the move-number line only after a move.
  auto whiteIn = [&](QRect r) {
    const QImage& c = t.view->Canvas();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += qGray(c.pixel(x, y)) > 200;
    return n;
  };
  QVERIFY(whiteIn(QRect(24, 268, 100, 18)) > 10);
  QVERIFY(whiteIn(QRect(24, 248, 100, 18)) > 10);  // the level
  QVERIFY(whiteIn(QRect(24, 340, 100, 18)) > 10);  // Man and the player's clock
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
  row("one of three", 2, 0, 3, 1, "■■■□□□□□□□ 33%完了");
  row("all done", 2, 0, 4, 4, "■■■■■■■■■■100%完了");
  row("nothing counted", 2, 0, 0, 0, "-");
  row("mate found while thinking", 2, 5, 10, 3, "5手で詰みました");
  row("mate found, player to move", 1, 7, 0, 0, "7手で詰みました");
  row("no game", 0, 0, 0, 0, "□□□□□□□□□□");
  row("player to move", 1, 0, 9, 9, "□□□□□□□□□□");
}

void RenderTest::statusTexts() {
  QFETCH(int, turn);
  QFETCH(int, gameResult);
  QFETCH(int, total);
  QFETCH(int, done);
  QFETCH(QString, expected);
  const auto text = StatusPaneText(turn, gameResult, total, done);
  QCOMPARE(text.value_or("-"), expected);
  QCOMPARE(MoveDoneText(), QString::fromUtf8("■■■■■■■■■■100%完了"));
}

void RenderTest::clockTickChargesTheSideToMove() {
  TestApp t;
  t.audio->busyClips = 1;
  t.Tick();
  QCOMPARE(t.ps().playerClockMs, 0);  // no game: the clocks stand still
  t.view->OnNewGame();
  for (int i = 0; i < 10; ++i) t.Tick();
  QCOMPARE(t.ps().playerClockMs, 1000);
  QCOMPARE(t.ps().computerClockMs, 0);
  t.Click(TestApp::CellCentre(2, 6));
  t.Tick();  // a held piece counts for the player
  QCOMPARE(t.ps().playerClockMs, 1100);
  t.Click(TestApp::CellCentre(2, 5));
  t.Tick();
  QCOMPARE(t.ps().computerClockMs, 100);
  QCOMPARE(t.frame->ProgressPane()->text(), QString::fromUtf8("□□□□□□□□□□"));
  // Each tick repaints the clock strip.
  t.view->TakeRequested();
  t.Tick();
  QCOMPARE(t.view->TakeRequested(), QRegion(kClockStrip));
}

void RenderTest::redrawAreas() {
  TestApp t;
  t.audio->busyClips = 1;
  t.view->OnNewGame();
  t.view->TakeRequested();
  t.view->RedrawBoard(0);
  QCOMPARE(t.view->TakeRequested(), QRegion(kTextPanel));
  t.view->RedrawBoard(1);
  QCOMPARE(t.view->TakeRequested(), QRegion(0, 0, 696, 440));
  // After the player's move: mode 2 asks for the two cells, the panel and both hands.
  t.Click(TestApp::CellCentre(2, 6));
  t.Click(TestApp::CellCentre(2, 5));
  t.view->TakeRequested();
  t.view->RedrawBoard(2);
  QRegion want =
      QRegion(kTextPanel) + CellRect(2, 6) + CellRect(2, 5) + kPlayerHandArea + kComputerHandArea;
  QCOMPARE(t.view->TakeRequested(), want);
}

void RenderTest::dragRepaintsTrailAndPiece() {
  TestApp t;
  t.view->OnNewGame();
  t.Click(TestApp::CellCentre(1, 7));  // the bishop
  QCOMPARE(t.ps().turn, 3);
  const QPoint start = t.view->DragPos();
  QCOMPARE(start, QPoint(166 + 39 + 17, 20 + 42 * 7 + 22));
  t.view->TakeRequested();
  const QPoint to(300, 150);
  t.view->OnMouseMove(to);
  const QRegion got = t.view->TakeRequested();
  const QRegion trail = QRegion(TrailOutline(6, start.x(), start.y()), Qt::OddEvenFill)
                            .subtracted(QRegion(PieceOutline(6, to.x(), to.y()), Qt::OddEvenFill));
  QCOMPARE(got, trail + QRect(to - QPoint(17, 20), QSize(36, 38)));
  QCOMPARE(t.view->DragPos(), to);
  // The held bishop is drawn at the pointer.
  const QImage shot = Grab(t.view);
  const QPoint c = to + QPoint(1, 2);
  QCOMPARE(shot.pixel(c),
           Composite(t.view, t.view->Pictures().Piece(1, 6), to - QPoint(17, 20), c));
}

QTEST_MAIN(RenderTest)
#include "render_test.moc"
