#include "shogi/ui/main_frame.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <optional>

#include "shogi/ui/dialogs.h"
#include "shogi/ui/game_controller.h"
#include "shogi/ui/shogi_doc.h"
#include "shogi/ui/shogi_view.h"

// Last: X11's headers define names like None and Status.
#ifdef SHOGI_HAVE_XKB
#include <X11/XKBlib.h>
#endif

namespace shogi::ui {

namespace {

QString U(const char* s) {
  return QString::fromUtf8(s);
}

const char* const kIdle = "ﾚﾃﾞｨ";

// The keyboard's lock indicators, in the order of the panes, where the platform reports them.
// Nothing when it does not (not X11, no XKB, no indicator of that name).
std::optional<bool> LockIndicator(int pane) {
#ifdef SHOGI_HAVE_XKB
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return std::nullopt;
  static const char* const kNames[4] = {"Kana", "Caps Lock", "Num Lock", "Scroll Lock"};
  const Atom name = XInternAtom(display, kNames[pane], True);
  int on = 0;
  if (name == None || !XkbGetNamedIndicator(display, name, nullptr, &on, nullptr, nullptr))
    return std::nullopt;
  return on != 0;
#else
  (void)pane;
  return std::nullopt;
#endif
}

}  // namespace

CMainFrame::CMainFrame(CShogiView* view, CGameController* controller, CShogiDoc* doc,
                       QWidget* parent)
    : QMainWindow(parent), view_(view), game_(controller) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  view_->setParent(this);
  setCentralWidget(view_);

  QMenu* game = menuBar()->addMenu(U("対局(&G)"));
  AddCommand(game, "新規対局(&N)", "新規に対局を始めます", Command::kNewGame);
  AddCommand(game, "待った", "待ったをします", Command::kUndo);
  AddCommand(game, "投了", "投了します", Command::kResign);
  game->addSeparator();
  exit_ = game->addAction(U("終了(&X)"));
  exit_->setStatusTip(U("アプリケーションを終了します"));
  connect(exit_, &QAction::triggered, this, &QWidget::close);

  QMenu* records = menuBar()->addMenu(U("棋譜(&F)"));
  AddCommand(records, "棋譜読込(&O)", "棋譜の読み込みを行います", Command::kLoadRecord);
  AddCommand(records, "指し継ぎ", "現在の局面から指し継ぎます", Command::kContinue);
  records->addSeparator();
  AddCommand(records, "棋譜ファイルを開く...", "KIF・KIFU・CSA形式の棋譜ファイルを開いて再生します",
             Command::kOpenFile)
      ->setShortcut(QKeySequence::Open);
  AddCommand(records, "棋譜を書き出す...", "棋譜をKIF・KIFU・CSA形式のファイルに書き出します",
             Command::kExport);
  AddCommand(records, "局面をSFENでコピー", "表示している局面をSFENでクリップボードにコピーします",
             Command::kCopySfen);
  AddCommand(records, "棋譜をKIFでコピー", "棋譜をKIF形式でクリップボードにコピーします",
             Command::kCopyKif);
  AddCommand(records, "棋譜を貼り付け",
             "クリップボードの棋譜（KIF・CSA・USIの局面）を読み込んで再生します", Command::kPaste);

  QMenu* settings = menuBar()->addMenu(U("設定(&E)"));
  AddCommand(settings, "各種設定(&C)", "各種設定を行います", Command::kSettings);

  QMenu* help = menuBar()->addMenu(U("ﾍﾙﾌﾟ(&H)"));
  help_ = help->addAction(U("ﾄﾋﾟｯｸの検索(&H)"));
  help_->setStatusTip(U("ヘルプ トピックの一覧を表示します"));
  connect(help_, &QAction::triggered, this, &CMainFrame::ShowHelp);
  // The help keys live on the window, so that the menu shows the item's text alone.
  auto* helpKeys = new QAction(this);
  helpKeys->setShortcuts({QKeySequence(Qt::Key_F1), QKeySequence(Qt::SHIFT | Qt::Key_F1)});
  connect(helpKeys, &QAction::triggered, this, &CMainFrame::ShowHelp);
  addAction(helpKeys);
  help->addSeparator();
  about_ = help->addAction(U("ﾊﾞｰｼﾞｮﾝ情報"));
  about_->setStatusTip(U("ﾊﾞｰｼﾞｮﾝ情報を表示します"));
  connect(about_, &QAction::triggered, this, &CMainFrame::ShowAbout);

  // The framework's file-new key runs the view's initial update again and leaves the game
  // alone; its file-open key is the records menu's open command.
  auto* fileNew = new QAction(this);
  fileNew->setShortcut(QKeySequence::New);
  connect(fileNew, &QAction::triggered, game_, &CGameController::OnInitialUpdate);
  addAction(fileNew);
  setAcceptDrops(true);

  // A disabled item gets no hover from the menu, yet its prompt is shown like any other.
  for (QMenu* menu : {game, records, settings, help}) menu->installEventFilter(this);

  statusBar()->setSizeGripEnabled(false);  // the window keeps its size
  prompt_ = new QLabel(U(kIdle), this);
  progress_ = new QLabel(game_->StatusText(), this);
  progress_->setMinimumWidth(200);
  statusBar()->addWidget(prompt_, 1);
  statusBar()->addWidget(progress_);
  static const char* const kIndicators[4] = {"ｶﾅ", "CAP", "NUM", "SCRL"};
  for (int i = 0; i < 4; ++i) {
    indicators_[i] = new QLabel(U(kIndicators[i]), this);
    indicators_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addPermanentWidget(indicators_[i]);
  }
  UpdateIndicators();
  auto* indicatorTimer = new QTimer(this);
  indicatorTimer->setInterval(250);
  connect(indicatorTimer, &QTimer::timeout, this, &CMainFrame::UpdateIndicators);
  indicatorTimer->start();

  connect(game_, &CGameController::TurnChanged, this, &CMainFrame::UpdateCommands);
  connect(game_, &CGameController::PromptPaneChanged, prompt_, &QLabel::setText);
  connect(game_, &CGameController::StatusPaneChanged, progress_, &QLabel::setText);
  if (doc) {
    connect(doc, &CShogiDoc::TitleChanged, this,
            [this](const QString& title) { setWindowTitle(title + " - Shogi"); });
  }
  UpdateCommands();
  // The window is exactly as large as its contents and can never be made larger.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QAction* CMainFrame::AddCommand(QMenu* menu, const char* text, const char* prompt, Command c) {
  QAction* a = menu->addAction(U(text));
  a->setStatusTip(U(prompt));
  commands_[c] = a;
  switch (c) {
    case Command::kNewGame:
      connect(a, &QAction::triggered, game_, &CGameController::OnNewGame);
      break;
    case Command::kUndo:
      connect(a, &QAction::triggered, game_, &CGameController::OnUndo);
      break;
    case Command::kResign:
      connect(a, &QAction::triggered, game_, &CGameController::OnResign);
      break;
    case Command::kSettings:
      connect(a, &QAction::triggered, game_, &CGameController::OnSettings);
      break;
    case Command::kLoadRecord:
      connect(a, &QAction::triggered, game_, &CGameController::OnLoadRecord);
      break;
    case Command::kContinue:
      connect(a, &QAction::triggered, game_, &CGameController::OnContinue);
      break;
    case Command::kOpenFile:
      connect(a, &QAction::triggered, game_, &CGameController::OnOpenRecordFile);
      break;
    case Command::kPaste:
      connect(a, &QAction::triggered, game_, &CGameController::OnPasteRecord);
      break;
    case Command::kExport:
      connect(a, &QAction::triggered, game_, &CGameController::OnExportRecord);
      break;
    case Command::kCopySfen:
      connect(a, &QAction::triggered, game_, &CGameController::OnCopySfen);
      break;
    case Command::kCopyKif:
      connect(a, &QAction::triggered, game_, &CGameController::OnCopyKif);
      break;
  }
  return a;
}

void CMainFrame::UpdateCommands() {
  const Turn turn = game_->State().turn;
  const bool cd = game_->State().runningFromCd;
  for (auto& [c, a] : commands_) a->setEnabled(CommandEnabled(c, turn, cd));
}

// Lock states are known only where the platform reports them; elsewhere the indicator panes
// stay greyed.
void CMainFrame::UpdateIndicators() {
  for (int i = 0; i < 4; ++i) indicators_[i]->setEnabled(LockIndicator(i).value_or(false));
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseMove) {
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
      const QAction* a = menu->actionAt(static_cast<QMouseEvent*>(e)->position().toPoint());
      if (a && !a->isEnabled()) prompt_->setText(a->statusTip());
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

bool CMainFrame::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
    prompt_->setText(tip.isEmpty() ? U(kIdle) : tip);
    return true;
  }
  return QMainWindow::event(e);
}

namespace {

// The one local file of a drag, or empty.
QString DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* e) {
  if (!DroppedFile(e->mimeData()).isEmpty() &&
      CommandEnabled(Command::kOpenFile, game_->State().turn, game_->State().runningFromCd))
    e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e) {
  const QString path = DroppedFile(e->mimeData());
  if (path.isEmpty()) return;
  e->acceptProposedAction();
  game_->OpenRecordFile(path);
}

void CMainFrame::ShowHelp() {
  CHelpDlg dlg(this);
  game_->Ask(dlg);
}

void CMainFrame::ShowAbout() {
  CAboutDlg dlg(this);
  game_->Ask(dlg);
}

}  // namespace shogi::ui
