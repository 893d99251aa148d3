// The launcher's start, state loop and hand-over, in this process; a second one is the program.
#include "launcher_app.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "el_draw.h"
#include "el_system.h"
#include "test_util.h"

namespace launcher_test {
namespace {

using launcher::Launcher;
using launcher::LauncherOptions;
using Strings = std::vector<std::string>;

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

  LauncherOptions Options(bool realHandOver = false) {
    LauncherOptions options;
    options.dir = dir_.path();
    options.lockDir = lockDir_.path();
    if (!realHandOver)
      options.handOver = [this](const std::string& c) { handedOver_.push_back(c); };
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
  static bool ShowsAPicture(Launcher& app) {
    std::vector<uint32_t> pixels;
    return app.draw().ReadBackBuffer(&pixels) &&
           std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p & 0xffffff; });
  }

  TempDir dir_, lockDir_;
  el::MessageHook previousHook_;
  Strings messages_, handedOver_;
};

TEST_F(launcherApp, MoviePlaysUntilEscapeHandsOverOnce) {
  Launcher app(Options());
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(app.state(), launcher::kMovieState);
  EXPECT_EQ(app.command(), "./game");
  EXPECT_TRUE(WaitFor([&] { return app.Step(50), ShowsAPicture(app); }, 10));  // fades in
  // Other keys do not skip it.
  PressKey(SDLK_RETURN);
  PressKey(SDLK_SPACE);
  StepFor(app, 0.3);
  EXPECT_FALSE(app.finished() || !handedOver_.empty());
  // Escape twice before the next frame: one hand-over, in that frame; later steps add none.
  PressKey(SDLK_ESCAPE);
  PressKey(SDLK_ESCAPE);
  app.Step(0);
  EXPECT_TRUE(app.finished() && app.exitCode() == 0);
  app.Step(0);
  EXPECT_EQ(handedOver_, Strings{"./game"});
  EXPECT_TRUE(messages_.empty());
}

// A movie that is missing, not a movie, cut, or a pipe: one error box, then an empty window
// until Escape, and the hand-over as usual.
TEST_F(launcherApp, BadMovieShowsAnErrorThenAnEmptyWindowUntilEscape) {
  for (const std::string kind : {"missing", "garbage", "cut", "fifo"}) {
    SCOPED_TRACE(kind);
    messages_.clear();
    handedOver_.clear();
    std::filesystem::remove(dir_ / "Q.AVI");
    if (kind == "garbage") WriteFile(dir_ / "Q.AVI", std::string(100000, '\x17'));
    if (kind == "cut") WriteFile(dir_ / "Q.AVI", ReadFile(LAUNCHER_MOVIE).substr(0, 2000));
    ASSERT_TRUE(kind != "fifo" || ::mkfifo((dir_ / "Q.AVI").c_str(), 0600) == 0);
    Launcher app(Options());
    ASSERT_TRUE(app.Start());
    StepFor(app, 0.3);
    EXPECT_EQ(messages_, Strings{"エラー発生|elStream::LoadObject : ストリームを読み込めません"});
    EXPECT_EQ(app.state(), launcher::kMovieState);
    EXPECT_FALSE(app.finished() || ShowsAPicture(app) || !handedOver_.empty());
    PressKey(SDLK_ESCAPE);
    StepFor(app, 1);
    EXPECT_TRUE(app.finished());
    EXPECT_EQ(handedOver_, Strings{"./game"});
    EXPECT_EQ(messages_.size(), 1u);
  }
}

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
  EXPECT_TRUE(app.finished() && app.exitCode() == 0);
  EXPECT_TRUE(handedOver_.empty());
}

// Without START.TXT the hand-over is empty and silent; a command that cannot start is named on
// standard error, without an error box.
TEST_F(launcherApp, HandOverOfNothingOrOfWhatCannotStart) {
  for (const char* startTxt : {"", "./no-such-game \n"}) {
    std::filesystem::remove(dir_ / "START.TXT");
    if (*startTxt) WriteFile(dir_ / "START.TXT", startTxt);
    Launcher app(Options(/*realHandOver=*/*startTxt != '\0'));
    ASSERT_TRUE(app.Start());
    ::testing::internal::CaptureStderr();
    PressKey(SDLK_ESCAPE);
    StepFor(app, 1);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(app.finished() && app.exitCode() == 0);
    EXPECT_TRUE(!*startTxt || said.find("\"./no-such-game\"") != std::string::npos) << said;
    EXPECT_TRUE(messages_.empty());
  }
  EXPECT_EQ(handedOver_, Strings{""});
}

TEST_F(launcherApp, SecondLauncherExitsAtOnceAndRaisesTheFirst) {
  Launcher first(Options());
  ASSERT_TRUE(first.Start());
  // The real program, as a second start by the same user, from another folder whose command
  // would leave a mark if it ran. It finds the first one's lock through XDG_RUNTIME_DIR.
  TempDir other;
  WriteScript(other / "game", "echo ran > ran.txt\n");
  WriteFile(other / "START.TXT", "./game\r\n");
  ::setenv("XDG_RUNTIME_DIR", lockDir_.path().c_str(), 1);
  const pid_t second = ::fork();
  if (second == 0 && ::chdir(other.path().c_str()) == 0) ::execl(LAUNCHER_EXE, "launcher", nullptr);
  if (second == 0) _exit(127);
  // Had it run as a first launcher, it would wait for Escape after its missing movie.
  ASSERT_TRUE(EndsCleanly(second, 10, [&] { first.Step(0); })) << "the second launcher kept on";
  EXPECT_TRUE(WaitFor([&] { return first.Step(10), first.raiseRequests() == 1; }, 3));
  EXPECT_FALSE(first.finished());
  EXPECT_FALSE(std::filesystem::exists(other / "ran.txt"));
}

}  // namespace
}  // namespace launcher_test
