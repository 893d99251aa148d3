// The document of the game program. It holds nothing of the game (that lives in PlayState);
// only the title the frame shows.
#pragma once

#include <QObject>
#include <QString>

namespace shogi::ui {

class CShogiDoc : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  void SetTitle(const QString& title) {
    title_ = title;
    emit TitleChanged(title_);
  }
  const QString& Title() const { return title_; }

 signals:
  void TitleChanged(const QString& title);

 private:
  QString title_;
};

}  // namespace shogi::ui
