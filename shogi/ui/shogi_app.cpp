#include "shogi/ui/shogi_app.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include "shogi/ui/game_controller.h"
#include "shogi/ui/main_frame.h"
#include "shogi/ui/real_services.h"
#include "shogi/ui/shogi_doc.h"
#include "shogi/ui/shogi_view.h"

namespace shogi::ui {

void SetApplicationFonts() {
  QFont font("IPAGothic");
  font.setPointSize(9);
  QApplication::setFont(font);
}

std::unique_ptr<QTranslator> InstallQtTranslations() {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator.get()))
    return nullptr;
  return translator;
}

CShogiApp::CShogiApp(std::unique_ptr<GameAudio> audio, std::unique_ptr<RecordStore> store)
    : audio_(audio ? std::move(audio) : std::make_unique<MixerGameAudio>()),
      store_(store ? std::move(store) : std::make_unique<FileRecordStore>()),
      doc_(std::make_unique<CShogiDoc>()) {}

CShogiApp::~CShogiApp() {
  game_.reset();  // abandons a move being thought about and stops the music
  delete frame_;
}

void CShogiApp::Start(bool show) {
  // Before any window: a new game and the opening book.
  ResetHistory(*ps_.gs);
  ps_.computer->NewGame();
  LoadBook(*ps_.book);
  SetApplicationFonts();
  if (!translator_) translator_ = InstallQtTranslations();
  view_ = new CShogiView(ps_);
  game_ = std::make_unique<CGameController>(ps_, *audio_, *store_, doc_.get(), *view_);
  frame_ = new CMainFrame(view_, game_.get(), doc_.get());
  if (show) {
    frame_->show();
    InitialUpdate();
  }
}

void CShogiApp::InitialUpdate() {
  game_->OnInitialUpdate();
}

}  // namespace shogi::ui
