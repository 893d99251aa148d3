// The dialogs of the game program. Each keeps its values in public members, which are
// written into the controls when the dialog opens (Exchange(false)) and read back from them
// when the OK-type button is pressed (Exchange(true), then accept). Controls carry their
// control ids as object names ("1003", "1009", ...), so tests find them.
//
// Every dialog is opened through the view's ask function (see shogi_view.h), never by
// calling exec() directly.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace shogi::ui {

class CDialogBase : public QDialog {
  Q_OBJECT
 public:
  explicit CDialogBase(QWidget* parent);
  // Members to controls (save = false) or controls to members (save = true).
  virtual void Exchange(bool save) = 0;
  void accept() override;

 protected:
  void showEvent(QShowEvent* e) override;
  // Adds the two buttons: the first accepts, the second (when not empty) rejects.
  void AddButtons(const QString& okText, const QString& cancelText);
};

class CNewGameDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CNewGameDlg(QWidget* parent = nullptr);
  void Exchange(bool save) override;

  enum class FirstPlayer { kUnset, kMan, kComputer };
  enum class Book { kUnset, kYes, kNo };
  FirstPlayer firstPlayer = FirstPlayer::kUnset;
  Book book = Book::kUnset;
  QString levelText;

 private:
  QRadioButton* man_;
  QRadioButton* computer_;
  QRadioButton* bookYes_;
  QRadioButton* bookNo_;
  QComboBox* level_;
};

class CGameEndDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CGameEndDlg(QWidget* parent = nullptr);
  void Exchange(bool save) override;

  QString slotText;
  QString message;

 private:
  QComboBox* slot_;
  QLineEdit* message_;
};

class CLoadRecordDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CLoadRecordDlg(QWidget* parent = nullptr);
  void Exchange(bool save) override;

  QString slotText;

 private:
  QComboBox* slot_;
};

class CPromoteDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CPromoteDlg(QWidget* parent = nullptr);
  void Exchange(bool) override {}
};

class CSettingsDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CSettingsDlg(QWidget* parent = nullptr);
  void Exchange(bool save) override;

  bool soundOn = false;
  bool bgmOn = false;
  bool useRandom = false;
  bool showLastMove = false;
  bool readAloud = false;

 private:
  QCheckBox* boxes_[5];
};

class CCdRomNoticeDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CCdRomNoticeDlg(QWidget* parent = nullptr);
  void Exchange(bool save) override;

  QString message;

 private:
  QLineEdit* message_;
};

class CAboutDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  void Exchange(bool) override {}
};

// The help page, from the program's resources.
class CHelpDlg : public CDialogBase {
  Q_OBJECT
 public:
  explicit CHelpDlg(QWidget* parent = nullptr);
  void Exchange(bool) override {}
  QString Html() const;
};

}  // namespace shogi::ui
