#include "shogi/ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "shogi/ui/game_texts.h"

namespace shogi::ui {

namespace {

QString U(const char* s) {
  return QString::fromUtf8(s);
}

QLabel* Heading(const char* text, QWidget* parent) {
  auto* label = new QLabel(U(text), parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QComboBox* SlotCombo(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName("1003");
  for (int slot = 1; slot <= 5; ++slot) combo->addItem(SlotName(slot));
  combo->model()->sort(0);  // a sorted list, as the slot names sort in slot order
  return combo;
}

QLineEdit* MessageEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName("1009");
  edit->setReadOnly(true);
  // A field that only shows a message looks like one: the dialog's face, not an input's.
  QPalette look = edit->palette();
  look.setColor(QPalette::Base, look.color(QPalette::Window));
  edit->setPalette(look);
  edit->setFocusPolicy(Qt::NoFocus);
  return edit;
}

// Without a title the dialog has no caption text; the window system still frames it. An empty
// title would be replaced by the program's name, a blank one is not.
void NoTitle(QDialog* d) {
  d->setWindowTitle(QStringLiteral(" "));
}

}  // namespace

CDialogBase::CDialogBase(QWidget* parent) : QDialog(parent) {
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  // As large as the contents and no larger or smaller: no resize grip, no maximise button.
  new QVBoxLayout(this);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  setSizeGripEnabled(false);
}

void CDialogBase::accept() {
  Exchange(true);
  QDialog::accept();
}

void CDialogBase::showEvent(QShowEvent* e) {
  Exchange(false);
  QDialog::showEvent(e);
}

void CDialogBase::AddButtons(const QString& okText, const QString& cancelText) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  auto* ok = new QPushButton(okText, this);
  ok->setObjectName("IDOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CDialogBase::accept);
  row->addWidget(ok);
  if (!cancelText.isEmpty()) {
    auto* cancel = new QPushButton(cancelText, this);
    cancel->setObjectName("IDCANCEL");
    connect(cancel, &QPushButton::clicked, this, &CDialogBase::reject);
    row->addWidget(cancel);
  }
  row->addStretch();
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

CNewGameDlg::CNewGameDlg(QWidget* parent) : CDialogBase(parent) {
  setWindowTitle(U("新規対局"));
  auto* box = static_cast<QVBoxLayout*>(layout());
  auto* first = new QGroupBox(U("先　手"), this);
  auto* firstRow = new QHBoxLayout(first);
  man_ = new QRadioButton("Man", first);
  man_->setObjectName("1004");
  computer_ = new QRadioButton("Computer", first);
  computer_->setObjectName("1005");
  firstRow->addWidget(man_);
  firstRow->addWidget(computer_);
  auto* book = new QGroupBox(U("定　跡"), this);
  auto* bookRow = new QHBoxLayout(book);
  bookYes_ = new QRadioButton("Yes", book);
  bookYes_->setObjectName("1006");
  bookNo_ = new QRadioButton("No", book);
  bookNo_->setObjectName("1007");
  bookRow->addWidget(bookYes_);
  bookRow->addWidget(bookNo_);
  auto* levelRow = new QHBoxLayout;
  levelRow->addWidget(new QLabel(U("レベル"), this));
  level_ = new QComboBox(this);
  level_->setObjectName("1003");
  level_->addItems({"Easy", "Normal"});
  levelRow->addWidget(level_);
  box->addWidget(first);
  box->addWidget(book);
  box->addLayout(levelRow);
  AddButtons("OK", U("ｷｬﾝｾﾙ"));
}

void CNewGameDlg::Exchange(bool save) {
  if (save) {
    firstPlayer = man_->isChecked()        ? FirstPlayer::kMan
                  : computer_->isChecked() ? FirstPlayer::kComputer
                                           : FirstPlayer::kUnset;
    book = bookYes_->isChecked() ? Book::kYes : bookNo_->isChecked() ? Book::kNo : Book::kUnset;
    levelText = level_->currentText();
    return;
  }
  // A radio group with nothing selected needs its exclusivity lifted to clear it.
  for (auto [a, b, first, second] :
       {std::tuple{man_, computer_, firstPlayer == FirstPlayer::kMan,
                   firstPlayer == FirstPlayer::kComputer},
        std::tuple{bookYes_, bookNo_, book == Book::kYes, book == Book::kNo}}) {
    a->setAutoExclusive(false);
    b->setAutoExclusive(false);
    a->setChecked(first);
    b->setChecked(second);
    a->setAutoExclusive(true);
    b->setAutoExclusive(true);
  }
  const int index = level_->findText(levelText);
  if (index >= 0) level_->setCurrentIndex(index);
}

CGameEndDlg::CGameEndDlg(QWidget* parent) : CDialogBase(parent) {
  NoTitle(this);
  auto* box = static_cast<QVBoxLayout*>(layout());
  box->addWidget(Heading("■■　対局終了　■■", this));
  message_ = MessageEdit(this);
  box->addWidget(message_);
  box->addWidget(new QLabel(U("棋譜の保存先を指定"), this));
  slot_ = SlotCombo(this);
  box->addWidget(slot_);
  AddButtons(U("保存"), U("ｷｬﾝｾﾙ"));
}

void CGameEndDlg::Exchange(bool save) {
  if (save) {
    slotText = slot_->currentText();
    return;
  }
  message_->setText(message);
  const int index = slot_->findText(slotText);
  if (index >= 0) slot_->setCurrentIndex(index);
}

CLoadRecordDlg::CLoadRecordDlg(QWidget* parent) : CDialogBase(parent) {
  setWindowTitle(U("棋譜読込"));
  auto* box = static_cast<QVBoxLayout*>(layout());
  box->addWidget(new QLabel(U("読み込む棋譜ファイルを指定してください"), this));
  slot_ = SlotCombo(this);
  box->addWidget(slot_);
  AddButtons(U("読込"), U("ｷｬﾝｾﾙ"));
}

void CLoadRecordDlg::Exchange(bool save) {
  if (save) {
    slotText = slot_->currentText();
    return;
  }
  const int index = slot_->findText(slotText);
  if (index >= 0) slot_->setCurrentIndex(index);
}

CPromoteDlg::CPromoteDlg(QWidget* parent) : CDialogBase(parent) {
  NoTitle(this);
  static_cast<QVBoxLayout*>(layout())->addWidget(Heading("■■　成りますか？　■■", this));
  AddButtons(U("成"), U("不　成"));
}

CSettingsDlg::CSettingsDlg(QWidget* parent) : CDialogBase(parent) {
  setWindowTitle(U("各種設定"));
  auto* box = static_cast<QVBoxLayout*>(layout());
  static const char* const kTexts[5] = {"サウンドを鳴らす", "BGMを鳴らす", "思考に乱数を使用する",
                                        "最終手を表示する", "棋譜読み上げ"};
  static const char* const kIds[5] = {"1010", "1011", "1012", "1013", "1015"};
  for (int i = 0; i < 5; ++i) {
    boxes_[i] = new QCheckBox(U(kTexts[i]), this);
    boxes_[i]->setObjectName(kIds[i]);
    box->addWidget(boxes_[i]);
  }
  AddButtons("OK", U("ｷｬﾝｾﾙ"));
}

void CSettingsDlg::Exchange(bool save) {
  bool* members[5] = {&soundOn, &bgmOn, &useRandom, &showLastMove, &readAloud};
  for (int i = 0; i < 5; ++i) {
    if (save)
      *members[i] = boxes_[i]->isChecked();
    else
      boxes_[i]->setChecked(*members[i]);
  }
}

CCdRomNoticeDlg::CCdRomNoticeDlg(QWidget* parent) : CDialogBase(parent) {
  NoTitle(this);
  auto* box = static_cast<QVBoxLayout*>(layout());
  box->addWidget(Heading("■■　対局終了　■■", this));
  message_ = MessageEdit(this);
  box->addWidget(message_);
  auto* notice = new QGroupBox(U("　ご　注　意　"), this);
  auto* noticeBox = new QVBoxLayout(notice);
  for (const char* text :
       {"CD-ROMから起動している場合、棋譜の保存・読込・再生はできません。　棋譜の保存・読込・"
        "再生を行う場合は、ハードディスクにインストールした後、プログラムをハードディスクから"
        "起動してください。",
        "ハードディスクへのインストールの方法についてはマニュアルをご覧ください。"}) {
    auto* label = new QLabel(U(text), notice);
    label->setWordWrap(true);
    label->setMinimumWidth(320);
    noticeBox->addWidget(label);
  }
  box->addWidget(notice);
  AddButtons("OK", QString());
}

void CCdRomNoticeDlg::Exchange(bool save) {
  if (!save) message_->setText(message);
}

CAboutDlg::CAboutDlg(QWidget* parent) : CDialogBase(parent) {
  setWindowTitle(U("Shogi のﾊﾞｰｼﾞｮﾝ情報"));
  auto* box = static_cast<QVBoxLayout*>(layout());
  box->addWidget(new QLabel(U("Shogi Version 1.0 ホロメア版"), this));
  box->addWidget(new QLabel(U("将棋 — 人とコンピュータの対局"), this));
  AddButtons("OK", QString());
}

CHelpDlg::CHelpDlg(QWidget* parent) : CDialogBase(parent) {
  setWindowTitle(U("ﾍﾙﾌﾟ"));
  auto* browser = new QTextBrowser(this);
  browser->setObjectName("help");
  browser->setHtml(Html());
  browser->setMinimumSize(480, 360);
  static_cast<QVBoxLayout*>(layout())->addWidget(browser);
  AddButtons("OK", QString());
}

QString CHelpDlg::Html() const {
  QFile file(":/help/help.html");
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(file.readAll());
}

}  // namespace shogi::ui
