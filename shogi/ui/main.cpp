// The game program: one person plays shogi against the computer.
#include <QApplication>
#include <memory>

#include "shogi/ui/real_services.h"
#include "shogi/ui/shogi_app.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName("Shogi");
  shogi::ui::CShogiApp app(std::make_unique<shogi::ui::MixerGameAudio>(),
                           std::make_unique<shogi::ui::FileRecordStore>());
  app.Start();
  return QApplication::exec();
}
