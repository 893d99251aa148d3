// Move entry with the mouse: pick-ups from the board and the hand, legal and illegal
// put-downs, the promotion cases, and the moves the board refuses although the generated
// list lets them through.
#include "shogi/ui/game_texts.h"
#include "ui_test_util.h"

using namespace shogi;
using namespace shogi::ui;
using namespace shogi::ui::test;

namespace {

// Kings only: the player's on (4, 8), the computer's on (8, 0).
Position Kings() {
  Position p;
  p.Set(4, 8, 1, kKing);
  p.Set(8, 0, 2, kKing);
  return p;
}

// A game at its first move with the given position, the computer kept from starting.
std::unique_ptr<TestApp> GameWith(const Position& p) {
  auto t = std::make_unique<TestApp>();
  t->audio->busyClips = 1;
  t->game->OnNewGame();
  t->SetPosition(p);
  return t;
}

}  // namespace

class MoveEntryTest : public QObject {
  Q_OBJECT
 private slots:
  void legalMoveIsCommitted();
  void refusedClicks_data();
  void refusedClicks();
  void promotion_data();
  void promotion();
  void handPickAnswersInTheWholeSlot_data();
  void handPickAnswersInTheWholeSlot();
  void handPieceOnOccupiedSquareGoesBack();
  void moveIntoCheckIsRefused_data();
  void moveIntoCheckIsRefused();
  void pawnDropMateIsRefused_data();
  void pawnDropMateIsRefused();
};

void MoveEntryTest::legalMoveIsCommitted() {
  TestApp t;
  t.audio->busyClips = 1;
  t.game->OnNewGame();
  t.audio->calls.clear();
  t.Click(TestApp::CellCentre(2, 6));
  QCOMPARE(t.ps().turn, Turn::kPieceHeld);
  QCOMPARE(t.view->Pending().fromFile, 2);
  QCOMPARE(t.view->Pending().fromRank, 6);
  t.Click(TestApp::CellCentre(2, 5));
  QCOMPARE(t.ps().turn, Turn::kComputerThinking);
  QCOMPARE(t.gs().moveNumber, 1);
  QCOMPARE(t.gs().moveRec[1], (MoveRec{2, 6, 2, 5, 0, 0}));
  QCOMPARE(t.gs().Current().Owner(2, 5), 1);
  QCOMPARE(t.view->ShownKind(2, 5), int(kPawn));
  QCOMPARE(t.Clips(), (std::vector<std::string>{"clip IDSOUND_KOMA", "read 1"}));
  // The computer waits for the read-out; once the clips are done it starts on the timer.
  QVERIFY(t.ps().computerStartPending);
  t.audio->busyClips = 0;
  t.Tick();
  QVERIFY(!t.ps().computerStartPending);
  QVERIFY(t.FinishComputer());
  QCOMPARE(t.gs().moveNumber, 2);
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t.frame->ProgressPane()->text(), MoveDoneText());
}

void MoveEntryTest::refusedClicks_data() {
  QTest::addColumn<QPoint>("pick");
  QTest::addColumn<QPoint>("put");  // none: nothing was picked up
  const QPoint pawn = TestApp::CellCentre(2, 6);
  QTest::newRow("pawn three squares") << pawn << TestApp::CellCentre(2, 3);
  QTest::newRow("pawn off the board") << pawn << QPoint(50, 430);
  QTest::newRow("pawn onto an own pawn") << pawn << TestApp::CellCentre(3, 6);
  QTest::newRow("empty square") << TestApp::CellCentre(4, 4) << QPoint();
  QTest::newRow("computer's piece") << TestApp::CellCentre(4, 0) << QPoint();
  QTest::newRow("beside the board") << QPoint(600, 250) << QPoint();
}

// Clicks that make no move: a piece picked up goes back where it stood.
void MoveEntryTest::refusedClicks() {
  QFETCH(QPoint, pick);
  QFETCH(QPoint, put);
  TestApp t;
  t.audio->busyClips = 1;
  t.game->OnNewGame();
  t.Click(pick);
  if (!put.isNull()) {
    QCOMPARE(t.ps().turn, Turn::kPieceHeld);
    t.Click(put);
  }
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t.gs().moveNumber, 0);
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) QCOMPARE(t.view->ShownOwner(f, r), t.gs().Current().Owner(f, r));
}

void MoveEntryTest::promotion_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("fromFile");
  QTest::addColumn<int>("fromRank");
  QTest::addColumn<int>("toFile");
  QTest::addColumn<int>("toRank");
  QTest::addColumn<bool>("answer");
  QTest::addColumn<bool>("asked");
  QTest::addColumn<int>("kindAfter");
  QTest::newRow("pawn from rank 1, compulsory") << 1 << 0 << 1 << 0 << 0 << false << false << 8;
  QTest::newRow("pawn from rank 3, yes") << 1 << 0 << 3 << 0 << 2 << true << true << 8;
  QTest::newRow("pawn from rank 3, no") << 1 << 0 << 3 << 0 << 2 << false << true << 1;
  QTest::newRow("silver into the zone, no") << 4 << 1 << 3 << 1 << 2 << false << true << 4;
  QTest::newRow("silver into the zone, yes") << 4 << 1 << 3 << 1 << 2 << true << true << 11;
  QTest::newRow("knight from rank 3, compulsory") << 3 << 1 << 3 << 0 << 1 << false << false << 10;
  QTest::newRow("knight from rank 2, compulsory") << 3 << 1 << 2 << 0 << 0 << false << false << 10;
  QTest::newRow("knight from rank 4 to 2, asked") << 3 << 1 << 4 << 0 << 2 << false << true << 3;
  QTest::newRow("lance to rank 0, compulsory") << 2 << 0 << 4 << 0 << 0 << false << false << 9;
  QTest::newRow("lance to rank 1, asked") << 2 << 0 << 4 << 0 << 1 << true << true << 9;
  QTest::newRow("gold never promotes") << 5 << 1 << 3 << 1 << 2 << true << false << 5;
  QTest::newRow("bishop out of the zone, asked") << 6 << 2 << 1 << 5 << 4 << true << true << 13;
  QTest::newRow("bishop into the zone, no") << 6 << 5 << 4 << 2 << 1 << false << true << 6;
  QTest::newRow("lance to rank 1, no") << 2 << 0 << 4 << 0 << 1 << false << true << 2;
}

void MoveEntryTest::promotion() {
  QFETCH(int, kind);
  QFETCH(int, fromFile);
  QFETCH(int, fromRank);
  QFETCH(int, toFile);
  QFETCH(int, toRank);
  QFETCH(bool, answer);
  QFETCH(bool, asked);
  QFETCH(int, kindAfter);
  Position p = Kings();
  p.Set(fromFile, fromRank, 1, kind);
  auto t = GameWith(p);
  t->script.promote = answer;
  t->script.asked.clear();
  t->Click(TestApp::CellCentre(fromFile, fromRank));
  QCOMPARE(t->ps().turn, Turn::kPieceHeld);
  t->Click(TestApp::CellCentre(toFile, toRank));
  QCOMPARE(t->ps().turn, Turn::kComputerThinking);
  const bool wasAsked =
      !t->script.asked.empty() && t->script.asked.front() == QString("shogi::ui::CPromoteDlg");
  QCOMPARE(wasAsked, asked);
  QCOMPARE(t->gs().Current().KindAt(toFile, toRank), kindAfter);
  QCOMPARE(t->gs().moveRec[1].promote, kindAfter != kind ? 1 : 0);
  if (asked) QVERIFY(!t->ps().modalShown);  // the full redraw after the question cleared it
}

void MoveEntryTest::handPickAnswersInTheWholeSlot_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QPoint>("offset");
  QTest::newRow("pawn, top left") << 1 << QPoint(0, 0);
  QTest::newRow("rook, bottom right") << 7 << QPoint(38, 41);
}

void MoveEntryTest::handPickAnswersInTheWholeSlot() {
  QFETCH(int, kind);
  QFETCH(QPoint, offset);
  Position p = Kings();
  p.SetHand(1, kind, 2);
  auto t = GameWith(p);
  const QPoint at = HandSlot(1, kind) + offset;
  t->Click(at);
  QCOMPARE(t->ps().turn, Turn::kPieceHeld);
  QCOMPARE(t->view->Pending().dropKind, kind);
  QCOMPARE(t->view->ShownHand(1, kind), 1);
  QCOMPARE(t->view->DragPos(), HandSlot(1, kind) + QPoint(17, 22));
  QVERIFY(t->ps().dragFirstMove);
  // Just outside the slot nothing is picked.
  auto u = GameWith(p);
  u->Click(HandSlot(1, kind) + QPoint(offset.x() == 0 ? -1 : 39, offset.y()));
  QVERIFY(u->ps().turn == Turn::kPlayerToMove || u->view->Pending().dropKind != kind);
}

void MoveEntryTest::handPieceOnOccupiedSquareGoesBack() {
  Position p = Kings();
  p.SetHand(1, kBishop, 1);
  p.Set(3, 3, 2, kGold);
  auto t = GameWith(p);
  t->Click(HandSlot(1, kBishop) + QPoint(10, 10));
  QCOMPARE(t->view->ShownHand(1, kBishop), 0);
  t->Click(TestApp::CellCentre(3, 3));
  QCOMPARE(t->ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t->view->ShownHand(1, kBishop), 1);
  // Dropped on an empty square it is a drop.
  t->Click(HandSlot(1, kBishop) + QPoint(10, 10));
  t->Click(TestApp::CellCentre(4, 4));
  QCOMPARE(t->gs().moveRec[1], (MoveRec{0, 0, 4, 4, 0, kBishop}));
  QCOMPARE(t->view->LastMoveTextShown(), QString::fromUtf8("△５五角打"));
}

void MoveEntryTest::moveIntoCheckIsRefused_data() {
  QTest::addColumn<bool>("clearFlags");
  QTest::newRow("as generated") << false;
  QTest::newRow("list marks everything legal") << true;
}

void MoveEntryTest::moveIntoCheckIsRefused() {
  QFETCH(bool, clearFlags);
  // The gold on (4, 7) shields the king from the lance on (4, 2).
  Position p = Kings();
  p.Set(4, 7, 1, kGold);
  p.Set(4, 2, 2, kLance);
  auto t = GameWith(p);
  t->Click(TestApp::CellCentre(4, 7));
  if (clearFlags)
    for (int i = 0; i < t->gs().moveListCount; ++i) t->gs().moveList[i].illegal = 0;
  t->Click(TestApp::CellCentre(3, 7));  // steps aside: the king would stand in the lance's line
  QCOMPARE(t->ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t->gs().moveNumber, 0);
  // The king stepping next to the lance's file is also refused when attacked.
  t->Click(TestApp::CellCentre(4, 8));
  if (clearFlags)
    for (int i = 0; i < t->gs().moveListCount; ++i) t->gs().moveList[i].illegal = 0;
  Position q = t->gs().Current();
  q.Set(5, 6, 2, kPawn);  // attacks (5, 7)
  t->gs().snapshot[0] = q;
  t->Click(TestApp::CellCentre(5, 7));
  QCOMPARE(t->ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t->gs().moveNumber, 0);
  // A safe move goes through.
  t->view->RefreshViewPosition();
  t->Click(TestApp::CellCentre(4, 7));
  t->Click(TestApp::CellCentre(4, 6));
  QCOMPARE(t->gs().moveNumber, 1);
}

void MoveEntryTest::pawnDropMateIsRefused_data() {
  QTest::addColumn<bool>("guardEscape");
  QTest::addColumn<bool>("refused");
  QTest::newRow("drop that mates") << true << true;
  QTest::newRow("drop that only checks") << false << false;
}

void MoveEntryTest::pawnDropMateIsRefused() {
  QFETCH(bool, guardEscape);
  QFETCH(bool, refused);
  Position p;
  p.Set(8, 8, 1, kKing);
  p.Set(0, 0, 2, kKing);
  p.Set(0, 2, 1, kGold);                     // guards the drop square and (1, 1)
  if (guardEscape) p.Set(2, 1, 1, kSilver);  // guards (1, 0)
  p.SetHand(1, kPawn, 1);
  auto t = GameWith(p);
  t->Click(HandSlot(1, kPawn) + QPoint(5, 5));
  QCOMPARE(t->ps().turn, Turn::kPieceHeld);
  for (int i = 0; i < t->gs().moveListCount; ++i) t->gs().moveList[i].illegal = 0;
  t->Click(TestApp::CellCentre(0, 1));
  QCOMPARE(t->gs().moveNumber, refused ? 0 : 1);
  QCOMPARE(t->ps().turn, refused ? Turn::kPlayerToMove : Turn::kComputerThinking);
}

QTEST_MAIN(MoveEntryTest)
#include "move_entry_test.moc"
