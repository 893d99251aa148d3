// The launcher: single instance, the window "MOVE", the opening movie, and the hand-over to
// the command of START.TXT.
#pragma once

#include <SDL.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "el_draw.h"
#include "el_stream.h"
#include "el_system.h"
#include "instance_lock.h"

namespace launcher {

inline constexpr char kWindowName[] = "MOVE";
inline constexpr char kLockSuffix[] = ":ElMutex";
inline constexpr char kCommandFile[] = "START.TXT";
inline constexpr char kMovieFile[] = "Q.AVI";

// State codes of the main loop.
inline constexpr int kNoState = 0;
inline constexpr int kHandOverState = 8;
inline constexpr int kMovieState = 10;

struct LauncherOptions {
  // Folder of START.TXT and Q.AVI, against which the command is resolved and in which it runs.
  std::filesystem::path dir;
  // Folder of the single-instance lock.
  std::filesystem::path lockDir;
  // Starts the command; the default is StartCommand(command, dir), whose failure is silent.
  std::function<void(const std::string& command)> handOver;

  // The current directory, the per-user lock folder and the real hand-over.
  static LauncherOptions Defaults();
};

class Launcher {
 public:
  explicit Launcher(LauncherOptions options);
  ~Launcher();
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  // The start: single instance, window, command, state 10. False when the program ends here
  // (a second launcher, full screen declined, no display); exitCode() then tells the code.
  bool Start();
  // Waits at most maxWaitMs for an event or for the next picture of the movie, handles the
  // events and runs one frame of the current state.
  void Step(int maxWaitMs);
  // Start() and the loop until the window closes; returns the exit code.
  int Run();

  bool finished() const { return finished_; }
  int exitCode() const { return exitCode_; }
  int state() const { return state_; }
  const std::string& command() const { return command_; }
  int raiseRequests() const { return raiseRequests_; }
  el::elDraw& draw() { return draw_; }

 private:
  void HandleEvent(const SDL_Event& event);
  void RunFrame();
  void Shutdown();
  int WaitMs(int maxWaitMs);

  LauncherOptions options_;
  std::unique_ptr<InstanceLock> lock_;
  el::elSystem system_;
  el::elDraw draw_;
  std::unique_ptr<el::elStream> movie_;
  el::elKeyboard keyboard_;
  Uint32 raiseEvent_ = 0;
  std::string command_;
  int state_ = kNoState;
  int previousState_ = kNoState;
  int raiseRequests_ = 0;
  bool started_ = false;
  bool finished_ = false;
  int exitCode_ = 0;
};

}  // namespace launcher
