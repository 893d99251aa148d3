// Shared helpers of the game program's tests: an application with the recording sound layer,
// the in-memory records, a scripted ask function and a clock the test moves by hand.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "shogi/rules/attacks.h"
#include "shogi/ui/dialogs.h"
#include "shogi/ui/game_controller.h"
#include "shogi/ui/layout.h"
#include "shogi/ui/main_frame.h"
#include "shogi/ui/shogi_app.h"
#include "shogi/ui/shogi_view.h"
#include "test_doubles.h"

namespace shogi::ui::test {

// What the scripted ask function answers and what it saw.
struct Script {
  int firstPlayer = 0;
  int bookChoice = 1;
  QString level = "Easy";
  bool newGameOk = true;
  bool promote = true;
  bool saveRecord = false;
  QString slot = QString::fromUtf8("セーブデータ①");
  bool settingsOk = true;
  int settings[5] = {1, 1, 0, 1, 1};  // sound, music, random, last move, read aloud

  std::vector<QString> asked;         // class names of the dialogs, in order
  std::vector<QString> messages;      // messages of the end-of-game and notice dialogs
  std::vector<QString> boxes;         // "text|informative text" of message boxes
  bool clearSaveFailureOnBox = true;  // a message box mends the failing store
};

struct TestApp {
  explicit TestApp(bool show = true) {
    auto a = std::make_unique<RecordingAudio>();
    auto s = std::make_unique<MemoryRecordStore>();
    audio = a.get();
    store = s.get();
    app = std::make_unique<CShogiApp>(std::move(a), std::move(s));
    app->Start(show);
    view = app->View();
    game = app->Game();
    frame = app->Frame();
    game->Timer().stop();  // the tests drive the timer
    game->SetClock([this] { return nowMs; });
    game->SetAsk([this](QDialog& d) { return Answer(d); });
  }

  int Answer(QDialog& d) {
    script.asked.push_back(d.metaObject()->className());
    if (auto* dlg = qobject_cast<CDialogBase*>(&d)) dlg->Exchange(false);
    if (auto* n = qobject_cast<CNewGameDlg*>(&d)) {
      if (!script.newGameOk) return QDialog::Rejected;
      d.findChild<QAbstractButton*>(script.firstPlayer == 0 ? "1004" : "1005")->setChecked(true);
      d.findChild<QAbstractButton*>(script.bookChoice == 0 ? "1006" : "1007")->setChecked(true);
      auto* level = d.findChild<QComboBox*>("1003");
      level->setCurrentIndex(level->findText(script.level));
      n->accept();
      return n->result();
    }
    if (auto* box = qobject_cast<QMessageBox*>(&d)) {
      script.boxes.push_back(box->text() + "|" + box->informativeText());
      if (script.clearSaveFailureOnBox) store->failSaves.clear();
      return QDialog::Accepted;
    }
    if (qobject_cast<CPromoteDlg*>(&d))
      return script.promote ? QDialog::Accepted : QDialog::Rejected;
    if (auto* e = qobject_cast<CGameEndDlg*>(&d)) {
      script.messages.push_back(e->message);
      if (!script.saveRecord) return QDialog::Rejected;
      auto* slot = d.findChild<QComboBox*>("1003");
      slot->setCurrentIndex(slot->findText(script.slot));
      e->accept();
      return e->result();
    }
    if (auto* c = qobject_cast<CCdRomNoticeDlg*>(&d)) {
      script.messages.push_back(c->message);
      return QDialog::Accepted;
    }
    if (auto* l = qobject_cast<CLoadRecordDlg*>(&d)) {
      auto* slot = d.findChild<QComboBox*>("1003");
      slot->setCurrentIndex(slot->findText(script.slot));
      l->accept();
      return l->result();
    }
    if (auto* s = qobject_cast<CSettingsDlg*>(&d)) {
      if (!script.settingsOk) return QDialog::Rejected;
      const char* ids[5] = {"1010", "1011", "1012", "1013", "1015"};
      for (int i = 0; i < 5; ++i)
        d.findChild<QAbstractButton*>(ids[i])->setChecked(script.settings[i] != 0);
      s->accept();
      return s->result();
    }
    return QDialog::Accepted;
  }

  // The sound effects and read-outs, without the music calls.
  std::vector<std::string> Clips() const {
    std::vector<std::string> out;
    for (const std::string& c : audio->calls)
      if (c.rfind("clip ", 0) == 0 || c.rfind("read ", 0) == 0) out.push_back(c);
    return out;
  }

  GameState& gs() { return *app->State().gs; }
  PlayState& ps() { return app->State(); }

  // Clicks in view coordinates.
  void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseMove(view, p);
    QTest::mousePress(view, b, {}, p);
    QTest::mouseRelease(view, b, {}, p);
  }
  static QPoint CellCentre(int f, int r) { return CellRect(f, r).center(); }

  // Waits for the thinking thread and finishes the computer's turn on the timer.
  bool FinishComputer(int seconds = 120) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!ps().computer->Ready()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Tick();
    return true;
  }
  void Tick() {
    nowMs += 100;
    game->OnTimer();
  }

  // A position for move-entry tests: only the given pieces, the player to move.
  void SetPosition(const Position& p) {
    gs().snapshot[gs().moveNumber] = p;
    view->RefreshViewPosition();
    view->RedrawBoard(Redraw::kWhole);
  }

  std::unique_ptr<CShogiApp> app;
  CShogiView* view = nullptr;
  CGameController* game = nullptr;
  CMainFrame* frame = nullptr;
  RecordingAudio* audio = nullptr;
  MemoryRecordStore* store = nullptr;
  Script script;
  int64_t nowMs = 1'700'000'000'000;
};

}  // namespace shogi::ui::test
