// Shared helpers of the game program's tests: an application with the recording sound layer,
// the in-memory records, a scripted ask function and a clock the test moves by hand.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QMessageBox>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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
  QString level = "Easy", slot = QString::fromUtf8("セーブデータ①");
  bool promote = true, saveRecord = false;
  // The dialogs' class names in order, the end-of-game and notice dialogs' messages, and the
  // message boxes as "text|informative text".
  std::vector<QString> asked, messages, boxes;
};

struct TestApp {
  TestApp() {
    auto a = std::make_unique<RecordingAudio>();
    auto s = std::make_unique<MemoryRecordStore>();
    audio = a.get();
    store = s.get();
    app = std::make_unique<CShogiApp>(std::move(a), std::move(s));
    app->Start(true);
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
    const auto pick = [&d](const char* id, const QString& text) {
      auto* box = d.findChild<QComboBox*>(id);
      box->setCurrentIndex(box->findText(text));
    };
    if (qobject_cast<CNewGameDlg*>(&d)) {  // book on, the first player and level of the script
      d.findChild<QAbstractButton*>(script.firstPlayer == 0 ? "1004" : "1005")->setChecked(true);
      d.findChild<QAbstractButton*>("1007")->setChecked(true);
      pick("1003", script.level);
    } else if (auto* box = qobject_cast<QMessageBox*>(&d)) {
      script.boxes.push_back(box->text() + "|" + box->informativeText());
      store->failSaves.clear();  // the player mended the cause
    } else if (qobject_cast<CPromoteDlg*>(&d)) {
      return script.promote ? QDialog::Accepted : QDialog::Rejected;
    } else if (auto* e = qobject_cast<CGameEndDlg*>(&d)) {
      script.messages.push_back(e->message);
      if (!script.saveRecord) return QDialog::Rejected;
      pick("1003", script.slot);
    } else if (auto* c = qobject_cast<CCdRomNoticeDlg*>(&d)) {
      script.messages.push_back(c->message);
    } else if (qobject_cast<CLoadRecordDlg*>(&d)) {
      pick("1003", script.slot);
    }
    d.accept();
    return QDialog::Accepted;
  }

  // The sound effects and read-outs, without the music calls.
  std::vector<std::string> Clips() const {
    std::vector<std::string> out;
    for (const std::string& c : audio->calls)
      if (c.rfind("clip ", 0) == 0 || c.rfind("read ", 0) == 0) out.push_back(c);
    return out;
  }

  GameHistory& gs() { return *app->State().gs; }
  PlayState& ps() { return app->State(); }

  // Clicks in view coordinates.
  void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseMove(view, p);
    QTest::mousePress(view, b, {}, p);
    QTest::mouseRelease(view, b, {}, p);
  }
  static QPoint CellCentre(int f, int r) { return CellRect(f, r).center(); }

  // Waits for the thinking thread (two minutes at most) and ends the computer's turn.
  bool FinishComputer() {
    for (int i = 0; i < 24000 && !ps().computer->Ready(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!ps().computer->Ready()) return false;
    Tick();
    return true;
  }
  void Tick() {
    nowMs += 100;
    game->OnTimer();
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

// The tests of the window are written in the program's own namespaces.
using namespace shogi;
using namespace shogi::ui;
using namespace shogi::ui::test;
