#include "launcher_app.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "handover.h"
#include "start_command.h"

namespace launcher {

LauncherOptions LauncherOptions::Defaults() {
  LauncherOptions options;
  std::error_code ec;
  options.dir = std::filesystem::current_path(ec);
  if (ec) options.dir = ".";
  options.lockDir = InstanceLock::DefaultDir();
  return options;
}

Launcher::Launcher(LauncherOptions options) : options_(std::move(options)) {
  if (!options_.handOver) {
    options_.handOver = [dir = options_.dir](const std::string& command) {
      // The screen stays silent; the terminal, if any, is told.
      if (StartCommand(command, dir) == HandOver::kFailed)
        std::fprintf(stderr, "launcher: cannot start the command of START.TXT: \"%s\"\n",
                     command.c_str());
    };
  }
}

Launcher::~Launcher() {
  if (started_ && !finished_) Shutdown();
}

bool Launcher::Start() {
  started_ = true;
  // One launcher at a time; a second one brings the first one's window to the front.
  lock_ = std::make_unique<InstanceLock>(std::string(kWindowName) + kLockSuffix, options_.lockDir);
  if (lock_->role() == InstanceLock::Role::kSecond) {
    lock_->RequestRaise();
    lock_.reset();
    finished_ = true;
    exitCode_ = 0;
    return false;
  }

  // The media library and the window.
  if (!system_.Init()) {
    el::elSystem::ErrorBox("elSystem::Init", SDL_GetError());
    lock_.reset();
    finished_ = true;
    exitCode_ = 1;
    return false;
  }
  el::DisplayConfig display;
  display.title = kWindowName;
  if (!draw_.Create(display)) {
    // Declined full screen ends the program normally; no window at all is a failure.
    exitCode_ = draw_.declined() ? 0 : 1;
    if (!draw_.declined()) el::elSystem::ErrorBox("elDraw::Create", draw_.error());
    system_.Shutdown();
    lock_.reset();
    finished_ = true;
    return false;
  }
  movie_ = std::make_unique<el::elStream>(draw_, system_.audioAvailable());
  raiseEvent_ = SDL_RegisterEvents(1);
  if (raiseEvent_ != static_cast<Uint32>(-1)) {
    lock_->Listen([type = raiseEvent_] {
      SDL_Event event{};
      event.type = type;
      SDL_PushEvent(&event);
    });
  }

  // The command, from the current directory.
  command_ = ReadStartCommand(options_.dir / kCommandFile);

  state_ = kMovieState;
  return true;
}

int Launcher::Run() {
  if (!Start()) return exitCode_;
  while (!finished_) Step(1000);
  return exitCode_;
}

int Launcher::WaitMs(int maxWaitMs) {
  if (state_ != previousState_ || state_ == kHandOverState) return 0;
  const double seconds = movie_->SecondsToNextFrame();
  const int ms = static_cast<int>(std::ceil(seconds * 1000));
  return std::clamp(ms, 0, std::max(0, maxWaitMs));
}

void Launcher::Step(int maxWaitMs) {
  if (finished_ || !started_) return;
  SDL_Event event;
  const int wait = WaitMs(maxWaitMs);
  const bool got = wait > 0 ? SDL_WaitEventTimeout(&event, wait) != 0 : SDL_PollEvent(&event) != 0;
  if (got) {
    HandleEvent(event);
    while (!finished_ && SDL_PollEvent(&event)) HandleEvent(event);
  }
  if (finished_) return;
  // Escape hands over at any time.
  if (keyboard_.TakePress(SDLK_ESCAPE)) state_ = kHandOverState;
  RunFrame();
}

void Launcher::HandleEvent(const SDL_Event& event) {
  if (keyboard_.HandleEvent(event)) return;
  if (event.type == raiseEvent_) {
    ++raiseRequests_;
    draw_.Raise();
    return;
  }
  const bool closeBox = event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT &&
                                                   event.window.event == SDL_WINDOWEVENT_CLOSE &&
                                                   event.window.windowID == draw_.windowId());
  if (closeBox) Shutdown();  // without the hand-over
}

void Launcher::RunFrame() {
  const bool entered = state_ != previousState_;
  previousState_ = state_;
  switch (state_) {
    case kMovieState: {
      if (entered && movie_->LoadObject(options_.dir / kMovieFile, true)) movie_->Play();
      const el::DisplayConfig& screen = draw_.config();
      draw_.Clear();
      movie_->DrawFrame(0, 0, screen.width, screen.height);
      draw_.Present();
      if (movie_->State() == el::MovieState::kEnded) {
        movie_->Stop();
        movie_->Close();
        state_ = kHandOverState;
      }
      break;
    }
    case kHandOverState:
      if (entered) {
        options_.handOver(command_);
        Shutdown();
      }
      break;
    default:
      break;
  }
}

void Launcher::Shutdown() {
  if (finished_) return;
  if (movie_) movie_->Close();
  movie_.reset();
  lock_.reset();  // stops the listener before SDL goes
  draw_.Destroy();
  system_.Shutdown();
  finished_ = true;
  exitCode_ = 0;
}

}  // namespace launcher
