// The launcher's start, state loop and hand-over, driven in this process with the dummy video
// and sound drivers; the second launcher is the real program.
#include "launcher_app.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "el_draw.h"
#include "el_system.h"
#include "test_util.h"

extern char** environ;

namespace {

using launcher::Launcher;
using launcher::LauncherOptions;
using launcher_test::TempDir;
using launcher_test::WaitFor;
using launcher_test::WriteFile;

constexpr char kLoadError[] = "エラー発生|elStream::LoadObject : ストリームを読み込めません";

class launcherApp : public ::testing::Test {
 protected:
  void SetUp() override {
    previousHook_ = el::elSystem::SetMessageHook(
        [this](el::MessageKind, const std::string& title, const std::string& text) {
          messages_.push_back(title + "|" + text);
          return el::MessageAnswer::kOk;
        });
    WriteFile(dir_ / "START.TXT", "./game\r\n");
    std::filesystem::copy_file(LAUNCHER_MOVIE, dir_ / "Q.AVI");
  }
  void TearDown() override { el::elSystem::SetMessageHook(previousHook_); }

  LauncherOptions Options() {
    LauncherOptions options;
    options.dir = dir_.path();
    options.lockDir = lockDir_.path();
    options.handOver = [this](const std::string& command) { handedOver_.push_back(command); };
    return options;
  }

  static void StepFor(Launcher& app, double seconds) {
    const double end = el::NowSeconds() + seconds;
    while (!app.finished() && el::NowSeconds() < end) app.Step(50);
  }

  static void PressKey(SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
    event.type = SDL_KEYUP;
    SDL_PushEvent(&event);
  }

  // True when any pixel of the back buffer is not black.
  static bool ShowsAPicture(Launcher& app) {
    std::vector<uint32_t> pixels;
    if (!app.draw().ReadBackBuffer(&pixels)) return false;
    for (uint32_t p : pixels) {
      if ((p & 0xffffff) != 0) return true;
    }
    return false;
  }

  TempDir dir_;
  TempDir lockDir_;
  el::MessageHook previousHook_;
  std::vector<std::string> messages_;
  std::vector<std::string> handedOver_;
};

TEST_F(launcherApp, MoviePlaysUntilEscapeHandsOverOnce) {
  Launcher app(Options());
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(app.state(), launcher::kMovieState);
  EXPECT_EQ(app.command(), "./game");
  // The movie fades in from black.
  EXPECT_TRUE(WaitFor(
      [&] {
        app.Step(50);
        return ShowsAPicture(app);
      },
      10));
  // Other keys do not skip it.
  PressKey(SDLK_RETURN);
  PressKey(SDLK_SPACE);
  StepFor(app, 0.3);
  EXPECT_FALSE(app.finished());
  EXPECT_TRUE(handedOver_.empty());

  // Escape twice before the next frame: one hand-over, in that frame.
  PressKey(SDLK_ESCAPE);
  PressKey(SDLK_ESCAPE);
  app.Step(0);
  EXPECT_TRUE(app.finished());
  EXPECT_EQ(app.exitCode(), 0);
  ASSERT_EQ(handedOver_, std::vector<std::string>{"./game"});
  // After the end, more keys change nothing.
  app.Step(0);
  EXPECT_EQ(handedOver_.size(), 1u);
  EXPECT_TRUE(messages_.empty());
}

class launcherAppBadMovie : public launcherApp,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(launcherAppBadMovie, ErrorBoxThenEmptyWindowUntilEscape) {
  const std::string kind = GetParam();
  std::filesystem::remove(dir_ / "Q.AVI");
  if (kind == "garbage") WriteFile(dir_ / "Q.AVI", std::string(100000, '\x17'));
  if (kind == "cut") {
    const auto real = launcher_test::ReadBytes(LAUNCHER_MOVIE);
    WriteFile(dir_ / "Q.AVI", std::string(real.begin(), real.begin() + 2000));
  }
  if (kind == "fifo") {
    ASSERT_EQ(::mkfifo((dir_ / "Q.AVI").c_str(), 0600), 0);
  }
  Launcher app(Options());
  ASSERT_TRUE(app.Start());
  StepFor(app, 0.3);
  ASSERT_EQ(messages_, std::vector<std::string>{kLoadError});
  EXPECT_EQ(app.state(), launcher::kMovieState);
  EXPECT_FALSE(app.finished());
  EXPECT_FALSE(ShowsAPicture(app));
  EXPECT_TRUE(handedOver_.empty());

  PressKey(SDLK_ESCAPE);
  StepFor(app, 1);
  EXPECT_TRUE(app.finished());
  EXPECT_EQ(handedOver_, std::vector<std::string>{"./game"});
  EXPECT_EQ(messages_.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, launcherAppBadMovie,
                         ::testing::Values("missing", "garbage", "cut", "fifo"));

TEST_F(launcherApp, CloseBoxEndsWithoutHandOver) {
  Launcher app(Options());
  ASSERT_TRUE(app.Start());
  StepFor(app, 0.2);
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  event.window.windowID = app.draw().windowId();
  SDL_PushEvent(&event);
  app.Step(0);
  EXPECT_TRUE(app.finished());
  EXPECT_EQ(app.exitCode(), 0);
  EXPECT_TRUE(handedOver_.empty());
}

TEST_F(launcherApp, WithoutStartTxtTheHandOverIsEmptyAndSilent) {
  std::filesystem::remove(dir_ / "START.TXT");
  Launcher app(Options());
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(app.command(), "");
  PressKey(SDLK_ESCAPE);
  StepFor(app, 1);
  EXPECT_TRUE(app.finished());
  EXPECT_EQ(app.exitCode(), 0);
  EXPECT_EQ(handedOver_, std::vector<std::string>{""});
  EXPECT_TRUE(messages_.empty());
}

TEST_F(launcherApp, HandOverThatCannotStartSaysSoOnStderr) {
  WriteFile(dir_ / "START.TXT", "./no-such-game \n");
  LauncherOptions options = Options();
  options.handOver = nullptr;  // the real hand-over
  Launcher app(options);
  ASSERT_TRUE(app.Start());
  ::testing::internal::CaptureStderr();
  PressKey(SDLK_ESCAPE);
  StepFor(app, 1);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(app.finished());
  EXPECT_NE(said.find("\"./no-such-game\""), std::string::npos) << said;
  EXPECT_TRUE(messages_.empty());
}

TEST_F(launcherApp, SecondLauncherExitsAtOnceAndRaisesTheFirst) {
  Launcher first(Options());
  ASSERT_TRUE(first.Start());

  // The real program, as a second start by the same user, from another folder whose command
  // would leave a mark if it ran.
  TempDir other;
  launcher_test::WriteScript(other / "game", "echo ran > ran.txt\n");
  WriteFile(other / "START.TXT", "./game\r\n");
  // The child finds the first one's lock folder through XDG_RUNTIME_DIR.
  ::setenv("XDG_RUNTIME_DIR", lockDir_.path().c_str(), 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, other.path().c_str());
  char* argv[] = {const_cast<char*>(LAUNCHER_EXE), nullptr};
  pid_t second = 0;
  const double start = el::NowSeconds();
  ASSERT_EQ(posix_spawn(&second, LAUNCHER_EXE, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);

  int status = 0;
  const bool ended = WaitFor(
      [&] {
        first.Step(0);
        return waitpid(second, &status, WNOHANG) == second;
      },
      20);
  if (!ended) {
    kill(second, SIGKILL);
    waitpid(second, &status, 0);
  }
  // Had it run as a first launcher, it would wait for Escape after its missing movie.
  ASSERT_TRUE(ended) << "the second launcher kept running";
  EXPECT_LT(el::NowSeconds() - start, 10.0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_TRUE(WaitFor(
      [&] {
        first.Step(10);
        return first.raiseRequests() == 1;
      },
      3));
  EXPECT_FALSE(first.finished());
  EXPECT_FALSE(std::filesystem::exists(other / "ran.txt"));
}

// The window shows the back buffer without its top four rows.
TEST(launcherDisplay, WindowShowsTheClientAreaWithoutItsTopRows) {
  el::elSystem system;
  ASSERT_TRUE(system.Init());
  el::elDraw draw;
  ASSERT_TRUE(draw.Create({}));
  // Back buffer: four red rows over green. The window shows green from its first row on.
  SDL_Renderer* renderer = draw.renderer();
  draw.Clear();
  SDL_SetRenderDrawColor(renderer, 0, 255, 0, 255);
  SDL_RenderClear(renderer);
  SDL_SetRenderDrawColor(renderer, 255, 0, 0, 255);
  const SDL_Rect top{0, 0, 480, 4};
  SDL_RenderFillRect(renderer, &top);
  std::vector<uint32_t> buffer;
  ASSERT_TRUE(draw.ReadBackBuffer(&buffer));
  ASSERT_EQ(buffer.size(), 480u * 316u);
  EXPECT_EQ(buffer[0] & 0xffffff, 0xff0000u);
  draw.Present();
  SDL_SetRenderTarget(renderer, nullptr);
  uint32_t shown[2] = {};
  const SDL_Rect firstRow{0, 0, 1, 1};
  const SDL_Rect lastRow{0, 311, 1, 1};
  ASSERT_EQ(SDL_RenderReadPixels(renderer, &firstRow, SDL_PIXELFORMAT_ARGB8888, &shown[0], 4), 0);
  ASSERT_EQ(SDL_RenderReadPixels(renderer, &lastRow, SDL_PIXELFORMAT_ARGB8888, &shown[1], 4), 0);
  EXPECT_EQ(shown[0] & 0xffffff, 0x00ff00u);
  EXPECT_EQ(shown[1] & 0xffffff, 0x00ff00u);
}

}  // namespace
