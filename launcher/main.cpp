// launcher: plays the opening movie, then starts the command of START.TXT.
#include "launcher_app.h"

int main() {
  return launcher::Launcher(launcher::LauncherOptions::Defaults()).Run();
}
