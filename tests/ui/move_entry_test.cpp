// The board: a click move is taken only when the legality check allows it (even when the
// generated list lets it through), the promotion question comes exactly when the choice is
// free, a refused move puts the piece back; the clocks and the last-move text.
#include <QLabel>

#include "shogi/ui/game_texts.h"
#include "ui_test_util.h"

using namespace shogi;
using namespace shogi::ui;
using namespace shogi::ui::test;

namespace {

// "K48 k80 G47 B*": a kind letter (upper case the player's, lower case the computer's) with
// file and rank index, or "<letter>*" for one more in the player's hand. Empty: the start.
Position Board(const QString& pieces) {
  if (pieces.isEmpty()) return StartPosition();
  Position p;
  for (const QString& w : pieces.split(' ')) {
    const int kind =
        w[0].toUpper() == 'K' ? int(kKing) : QString("PLNSGBR").indexOf(w[0].toUpper()) + 1;
    if (w[1] == '*')
      p.SetHand(1, kind, p.Hand(1, kind) + 1);
    else
      p.Set(w[1].digitValue(), w[2].digitValue(), w[0].isUpper() ? 1 : 2, kind);
  }
  return p;
}

// A square "fr", a hand piece "P*", or a point off the board.
QPoint At(const QString& where) {
  if (where == "off") return QPoint(50, 430);
  if (where == "beside") return QPoint(600, 250);
  if (where[1] == '*')
    return HandSlot(1, QString("PLNSGBR").indexOf(where[0]) + 1) + QPoint(10, 10);
  return TestApp::CellCentre(where[0].digitValue(), where[1].digitValue());
}

// A game at its first move in the given position; the computer is kept from starting.
std::unique_ptr<TestApp> GameWith(const QString& pieces) {
  auto t = std::make_unique<TestApp>();
  t->audio->busyClips = 1;
  t->game->OnNewGame();
  t->SetPosition(Board(pieces));
  return t;
}

}  // namespace

class MoveEntryTest : public QObject {
  Q_OBJECT
 private slots:
  void legalMoveIsCommitted();
  void clicksJudgedByTheRules_data();
  void clicksJudgedByTheRules();
  void promotion_data();
  void promotion();
  void lastMoveText();
};

// A move from the start: the clocks charge the side to move (a held piece counts for the
// player), the move is committed with its sounds, and the computer waits for the read-out.
void MoveEntryTest::legalMoveIsCommitted() {
  TestApp t;
  t.audio->busyClips = 1;
  t.Tick();
  QCOMPARE(t.ps().playerClockMs, 0);  // no game: the clocks stand still
  t.game->OnNewGame();
  t.audio->calls.clear();
  for (int i = 0; i < 10; ++i) t.Tick();
  t.Click(At("26"));
  QCOMPARE(t.ps().turn, Turn::kPieceHeld);
  t.Tick();
  t.Click(At("25"));
  t.Tick();
  QCOMPARE(t.ps().playerClockMs, 1100);
  QCOMPARE(t.ps().computerClockMs, 100);
  QCOMPARE(t.ps().turn, Turn::kComputerThinking);
  QCOMPARE(t.gs().moveRec[1], (MoveRec{2, 6, 2, 5, 0, 0}));
  QCOMPARE(t.view->ShownKind(2, 5), int(kPawn));
  QCOMPARE(t.Clips(), (std::vector<std::string>{"clip IDSOUND_KOMA", "read 1"}));
  QVERIFY(t.ps().computerStartPending);
  t.audio->busyClips = 0;
  t.Tick();
  QVERIFY(t.FinishComputer());
  QCOMPARE(t.gs().moveNumber, 2);
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t.frame->ProgressPane()->text(), MoveDoneText());
  QCOMPARE(ClockText(3723'999), QString("01:02:03"));
}

void MoveEntryTest::clicksJudgedByTheRules_data() {
  QTest::addColumn<QString>("pieces");
  QTest::addColumn<QString>("from");
  QTest::addColumn<QString>("to");  // empty: nothing is picked up
  QTest::addColumn<bool>("taken");
  const auto row = [](const char* name, QString pieces, const char* from, const char* to,
                      bool taken) {
    QTest::newRow(name) << pieces << QString(from) << QString(to) << taken;
  };
  const QString pin = "K48 k80 G47 l42";  // the gold shields the king from the lance
  const QString mate = "K88 k00 G02 P*";  // the gold guards the drop square and (1, 1)
  row("pawn three squares", "", "26", "23", false);
  row("pawn off the board", "", "26", "off", false);
  row("pawn onto an own pawn", "", "26", "36", false);
  row("empty square", "", "44", "", false);
  row("computer's piece", "", "40", "", false);
  row("beside the board", "", "beside", "", false);
  row("drop on a piece", "K48 k80 g33 B*", "B*", "33", false);
  row("drop", "K48 k80 g33 B*", "B*", "44", true);
  row("pinned gold steps aside", pin, "47", "37", false);
  row("pinned gold stays in line", pin, "47", "46", true);
  row("king into attack", pin + " p56", "48", "57", false);
  row("pawn drop mate", mate + " S21", "P*", "01", false);
  row("pawn drop check", mate, "P*", "01", true);
}

void MoveEntryTest::clicksJudgedByTheRules() {
  QFETCH(QString, pieces);
  QFETCH(QString, from);
  QFETCH(QString, to);
  QFETCH(bool, taken);
  auto t = GameWith(pieces);
  t->Click(At(from));
  if (!to.isEmpty()) {
    QCOMPARE(t->ps().turn, Turn::kPieceHeld);
    t->Click(At(to));
  }
  QCOMPARE(t->gs().moveNumber, taken ? 1 : 0);
  QCOMPARE(t->ps().turn, taken ? Turn::kComputerThinking : Turn::kPlayerToMove);
  // Whatever was picked up is back where it was, or stands where it was put.
  const Position& now = t->gs().Current();
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) QCOMPARE(t->view->ShownOwner(f, r), now.Owner(f, r));
  for (int k = kPawn; k <= kRook; ++k) QCOMPARE(t->view->ShownHand(1, k), now.Hand(1, k));
}

void MoveEntryTest::promotion_data() {
  QTest::addColumn<QString>("from");  // the player's piece, with the two kings
  QTest::addColumn<QString>("to");
  QTest::addColumn<bool>("answer");
  QTest::addColumn<bool>("asked");
  QTest::addColumn<int>("kindAfter");
  const auto row = [](const char* name, const char* from, const char* to, bool answer, bool asked,
                      int kindAfter) {
    QTest::newRow(name) << QString(from) << QString(to) << answer << asked << kindAfter;
  };
  row("pawn to the last rank", "P01", "00", false, false, kProPawn);
  row("pawn into the zone, yes", "P03", "02", true, true, kProPawn);
  row("pawn into the zone, no", "P03", "02", false, true, kPawn);
  row("silver into the zone, no", "S13", "12", false, true, kSilver);
  row("knight to rank 1", "N13", "01", false, false, kProKnight);
  row("knight to rank 2, asked", "N14", "02", false, true, kKnight);
  row("lance to rank 0", "L04", "00", false, false, kProLance);
  row("lance to rank 1, yes", "L04", "01", true, true, kProLance);
  row("gold never promotes", "G13", "12", true, false, kGold);
  row("bishop out of the zone", "B21", "54", true, true, kHorse);
  row("bishop into the zone, no", "B54", "21", false, true, kBishop);
}

void MoveEntryTest::promotion() {
  QFETCH(QString, from);
  QFETCH(QString, to);
  QFETCH(bool, answer);
  QFETCH(bool, asked);
  QFETCH(int, kindAfter);
  auto t = GameWith("K48 k80 " + from);
  t->script.promote = answer;
  t->script.asked.clear();
  t->Click(At(from.mid(1)));
  t->Click(At(to));
  QCOMPARE(t->ps().turn, Turn::kComputerThinking);
  QCOMPARE(t->script.asked.size() == 1 && t->script.asked[0] == "shogi::ui::CPromoteDlg", asked);
  QCOMPARE(t->gs().Current().KindAt(to[0].digitValue(), to[1].digitValue()), kindAfter);
  QCOMPARE(t->gs().moveRec[1].promote, int(kindAfter != QString("PLNSGBR").indexOf(from[0]) + 1));
  if (asked) QVERIFY(!t->ps().modalShown);  // the full redraw after the question cleared it
}

// The text of move m: side mark, square (mirrored when the computer moved first), piece.
void MoveEntryTest::lastMoveText() {
  const struct {
    int firstMover, m;
    MoveRec move;  // from (1, 1) unless dropped
    int kind;      // the kind on the destination afterwards
    const char* text;
  } kCases[] = {
      {1, 1, {1, 1, 2, 5, 0, 0}, kPawn, "△７六歩"},
      {1, 2, {1, 1, 7, 1, 1, 0}, kHorse, "▼２二角成"},
      {1, 3, {0, 0, 4, 4, 0, kBishop}, kBishop, "△５五角打"},
      {1, 7, {1, 1, 3, 3, 0, 0}, kProSilver, "△６四成銀"},
      {2, 1, {1, 1, 0, 0, 0, 0}, kLance, "▼１九香"},
      {2, 2, {1, 1, 8, 8, 0, 0}, kKing, "△９一玉"},
  };
  for (const auto& c : kCases) {
    auto gs = std::make_unique<GameHistory>();
    gs->firstMover = c.firstMover;
    gs->moveRec[c.m] = c.move;
    int kinds[9][10] = {};
    kinds[c.move.toFile][c.move.toRank] = c.kind;
    QCOMPARE(LastMoveText(*gs, c.m, kinds), QString::fromUtf8(c.text));
  }
}

QTEST_MAIN(MoveEntryTest)
#include "move_entry_test.moc"
