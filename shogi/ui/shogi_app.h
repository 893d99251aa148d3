// The application object: owns the game (PlayState), the sound layer, the record store, the
// document and the main window, and starts them in the order the program starts.
#pragma once

#include <QTranslator>
#include <memory>

#include "shogi/ui/game_audio.h"
#include "shogi/ui/play_state.h"
#include "shogi/ui/record_store.h"

namespace shogi::ui {

class CGameController;
class CMainFrame;
class CShogiDoc;
class CShogiView;

class CShogiApp {
 public:
  // The program's own sound (SDL2_mixer) and record files (kifu01.dat ..); a service given
  // here replaces its real one (tests hand in their recorders).
  explicit CShogiApp(std::unique_ptr<GameAudio> audio = nullptr,
                     std::unique_ptr<RecordStore> store = nullptr);
  ~CShogiApp();

  // Resets the game, reads the opening book, creates the window; `show` shows it and runs
  // the game controller's initial update (tests may start hidden and call InitialUpdate
  // themselves).
  void Start(bool show = true);
  void InitialUpdate();

  PlayState& State() { return ps_; }
  CMainFrame* Frame() const { return frame_; }
  CShogiView* View() const { return view_; }
  CGameController* Game() const { return game_.get(); }
  CShogiDoc* Doc() const { return doc_.get(); }
  GameAudio& Audio() { return *audio_; }
  RecordStore& Store() { return *store_; }

 private:
  PlayState ps_;
  std::unique_ptr<GameAudio> audio_;
  std::unique_ptr<RecordStore> store_;
  std::unique_ptr<CShogiDoc> doc_;
  std::unique_ptr<CGameController> game_;    // goes before the frame: joins a thinking thread
  CMainFrame* frame_ = nullptr;              // owned here, deleted in the destructor
  CShogiView* view_ = nullptr;               // child of the frame
  std::unique_ptr<QTranslator> translator_;  // Qt's own texts in Japanese
};

// The fonts of the program: IPA Gothic for the window, named explicitly.
void SetApplicationFonts();

// Qt's own texts (standard buttons, the file dialog) in Japanese, from Qt's installed
// translations; installed while the result lives, null when they are not installed.
std::unique_ptr<QTranslator> InstallQtTranslations();

}  // namespace shogi::ui
