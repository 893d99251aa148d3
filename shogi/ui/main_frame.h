// The main window: menu bar, the board view as its only content, and the status bar with the
// prompt pane, the progress pane and the four lock indicators. The window keeps its size.
#pragma once

#include <QMainWindow>
#include <map>

#include "shogi/ui/move_checks.h"

class QAction;
class QLabel;

namespace shogi::ui {

class CGameController;
class CShogiView;
class CShogiDoc;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  CMainFrame(CShogiView* view, CGameController* controller, CShogiDoc* doc,
             QWidget* parent = nullptr);

  // Enables every game command from the turn alone.
  void UpdateCommands();

  QAction* CommandAction(Command c) const { return commands_.at(c); }
  QAction* ExitAction() const { return exit_; }
  QAction* HelpAction() const { return help_; }
  QAction* AboutAction() const { return about_; }
  QLabel* PromptPane() const { return prompt_; }
  QLabel* ProgressPane() const { return progress_; }
  QLabel* Indicator(int i) const { return indicators_[i]; }
  CShogiView* View() const { return view_; }
  CGameController* Game() const { return game_; }

  // The help page and the about box, through the game controller's ask function.
  void ShowHelp();
  void ShowAbout();

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  // A KIF, KIFU or CSA file dropped on the window opens as the open command does.
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  QAction* AddCommand(class QMenu* menu, const char* text, const char* prompt, Command c);
  void UpdateIndicators();

  CShogiView* view_;
  CGameController* game_;
  std::map<Command, QAction*> commands_;
  QAction* exit_ = nullptr;
  QAction* help_ = nullptr;
  QAction* about_ = nullptr;
  QLabel* prompt_ = nullptr;
  QLabel* progress_ = nullptr;
  QLabel* indicators_[4] = {};
};

}  // namespace shogi::ui
