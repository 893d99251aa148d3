// The board: a click move is taken only when the legality check allows it (even when the
// generated list lets it through), the promotion question comes exactly when the choice is
// free, a refused move puts the piece back; the clocks and the last-move text.
#include <QLabel>
#include <tuple>

#include "shogi/ui/game_texts.h"
#include "ui_test_util.h"

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
  t->gs().snapshot[0] = Board(pieces);
  t->view->RefreshViewPosition();
  t->view->RedrawBoard(Redraw::kWhole);
  return t;
}

struct ClickCase {
  QString pieces, from, to;  // to empty: nothing is picked up
  bool taken;
};
struct PromotionCase {
  QString from, to;  // the player's piece, with the two kings
  bool answer, asked;
  int kindAfter;
};

}  // namespace

class MoveEntryTest : public QObject {
  Q_OBJECT
 private slots:
  // A move from the start: the clocks charge the side to move (a held piece counts for the
  // player), the move is committed, and the computer waits for the read-out.
  void legalMoveIsCommitted() {
    TestApp t;
    t.audio->busyClips = 1;
    t.Tick();
    QCOMPARE(t.ps().playerClockMs, 0);  // no game: the clocks stand still
    t.game->OnNewGame();
    for (int i = 0; i < 10; ++i) t.Tick();
    t.Click(At("26"));
    t.Tick();
    t.Click(At("25"));
    t.Tick();
    QCOMPARE(t.ps().playerClockMs, 1100);
    QCOMPARE(t.ps().computerClockMs, 100);
    QCOMPARE(t.ps().turn, Turn::kComputerThinking);
    QCOMPARE(t.gs().moveRec[1], (MoveRec{2, 6, 2, 5, 0, 0}));
    QVERIFY(t.ps().computerStartPending);
    t.audio->busyClips = 0;
    t.Tick();
    QVERIFY(t.FinishComputer());
    QCOMPARE(t.frame->ProgressPane()->text(), MoveDoneText());
    QCOMPARE(ClockText(3723'999), QString("01:02:03"));
  }

  void clicksJudgedByTheRules_data() {
    QTest::addColumn<ClickCase>("c");
    const QString pin = "K48 k80 G47 l42";  // the gold shields the king from the lance
    const QString mate = "K88 k00 G02 P*";  // the gold guards the drop square and (1, 1)
    QTest::newRow("pawn three squares") << ClickCase{"", "26", "23", false};
    QTest::newRow("pawn off the board") << ClickCase{"", "26", "off", false};
    QTest::newRow("pawn onto an own pawn") << ClickCase{"", "26", "36", false};
    QTest::newRow("empty square") << ClickCase{"", "44", "", false};
    QTest::newRow("computer's piece") << ClickCase{"", "40", "", false};
    QTest::newRow("beside the board") << ClickCase{"", "beside", "", false};
    QTest::newRow("drop on a piece") << ClickCase{"K48 k80 g33 B*", "B*", "33", false};
    QTest::newRow("drop") << ClickCase{"K48 k80 g33 B*", "B*", "44", true};
    QTest::newRow("pinned gold steps aside") << ClickCase{pin, "47", "37", false};
    QTest::newRow("pinned gold stays in line") << ClickCase{pin, "47", "46", true};
    QTest::newRow("king into attack") << ClickCase{pin + " p56", "48", "57", false};
    QTest::newRow("pawn drop mate") << ClickCase{mate + " S21", "P*", "01", false};
    QTest::newRow("pawn drop check") << ClickCase{mate, "P*", "01", true};
  }
  void clicksJudgedByTheRules() {
    QFETCH(ClickCase, c);
    auto t = GameWith(c.pieces);
    t->Click(At(c.from));
    if (!c.to.isEmpty()) {
      QCOMPARE(t->ps().turn, Turn::kPieceHeld);
      t->Click(At(c.to));
    }
    QCOMPARE(t->gs().moveNumber, c.taken ? 1 : 0);
    QCOMPARE(t->ps().turn, c.taken ? Turn::kComputerThinking : Turn::kPlayerToMove);
    // Whatever was picked up is back where it was, or stands where it was put.
    const Position& now = t->gs().Current();
    for (int i = 0; i < 81; ++i)
      QCOMPARE(t->view->ShownOwner(i / 9, i % 9), now.Owner(i / 9, i % 9));
    for (int k = kPawn; k <= kRook; ++k) QCOMPARE(t->view->ShownHand(1, k), now.Hand(1, k));
  }

  void promotion_data() {
    QTest::addColumn<PromotionCase>("c");
    QTest::newRow("pawn to the last rank") << PromotionCase{"P01", "00", false, false, kProPawn};
    QTest::newRow("pawn into the zone, yes") << PromotionCase{"P03", "02", true, true, kProPawn};
    QTest::newRow("pawn into the zone, no") << PromotionCase{"P03", "02", false, true, kPawn};
    QTest::newRow("silver into the zone, no") << PromotionCase{"S13", "12", false, true, kSilver};
    QTest::newRow("knight to rank 1") << PromotionCase{"N13", "01", false, false, kProKnight};
    QTest::newRow("knight to rank 2, asked") << PromotionCase{"N14", "02", false, true, kKnight};
    QTest::newRow("lance to rank 0") << PromotionCase{"L04", "00", false, false, kProLance};
    QTest::newRow("lance to rank 1, yes") << PromotionCase{"L04", "01", true, true, kProLance};
    QTest::newRow("gold never promotes") << PromotionCase{"G13", "12", true, false, kGold};
    QTest::newRow("bishop out of the zone") << PromotionCase{"B21", "54", true, true, kHorse};
    QTest::newRow("bishop into the zone, no") << PromotionCase{"B54", "21", false, true, kBishop};
  }
  void promotion() {
    QFETCH(PromotionCase, c);
    auto t = GameWith("K48 k80 " + c.from);
    t->script.promote = c.answer;
    t->script.asked.clear();
    t->Click(At(c.from.mid(1)));
    t->Click(At(c.to));
    QCOMPARE(t->ps().turn, Turn::kComputerThinking);
    QCOMPARE(t->script.asked == std::vector<QString>{"shogi::ui::CPromoteDlg"}, c.asked);
    QCOMPARE(t->gs().Current().KindAt(c.to[0].digitValue(), c.to[1].digitValue()), c.kindAfter);
    QCOMPARE(t->gs().moveRec[1].promote,
             int(c.kindAfter != QString("PLNSGBR").indexOf(c.from[0]) + 1));
    if (c.asked) QVERIFY(!t->ps().modalShown);  // the full redraw after the question cleared it
  }

  // The text of move m: side mark, square (mirrored when the computer moved first), piece.
  void lastMoveText() {
    // The first mover, m, the move (from (1, 1) unless dropped), the kind on its destination.
    const std::tuple<int, int, MoveRec, int, const char*> kCases[] = {
        {1, 1, {1, 1, 2, 5, 0, 0}, kPawn, "△７六歩"},
        {1, 2, {1, 1, 7, 1, 1, 0}, kHorse, "▼２二角成"},
        {1, 3, {0, 0, 4, 4, 0, kBishop}, kBishop, "△５五角打"},
        {1, 7, {1, 1, 3, 3, 0, 0}, kProSilver, "△６四成銀"},
        {2, 1, {1, 1, 0, 0, 0, 0}, kLance, "▼１九香"},
        {2, 2, {1, 1, 8, 8, 0, 0}, kKing, "△９一玉"},
    };
    for (const auto& [firstMover, m, move, kind, text] : kCases) {
      auto gs = std::make_unique<GameHistory>();
      gs->firstMover = firstMover;
      gs->moveRec[m] = move;
      int kinds[9][10] = {};
      kinds[move.toFile][move.toRank] = kind;
      QCOMPARE(LastMoveText(*gs, m, kinds), QString::fromUtf8(text));
    }
  }
};

QTEST_MAIN(MoveEntryTest)
#include "move_entry_test.moc"
