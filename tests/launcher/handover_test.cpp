// The hand-over: the command runs detached, without a shell, from the launcher's folder.
#include "handover.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "test_util.h"

namespace {

using launcher::HandOver;
using launcher::StartCommand;
using launcher_test::ReadFile;
using launcher_test::TempDir;
using launcher_test::WaitForLine;
using launcher_test::WriteFile;
using launcher_test::WriteScript;

// Puts a fake xdg-open first on PATH that writes its arguments to a file.
class FakeOpener {
 public:
  explicit FakeOpener(bool present = true) {
    const char* old = std::getenv("PATH");
    oldPath_ = old != nullptr ? old : "";
    if (present) {
      WriteScript(bin_ / "xdg-open", "printf '%s\\n' \"$@\" > \"" + log().string() + "\"\n");
    }
    ::setenv("PATH", (bin_.path().string() + ":/usr/bin:/bin").c_str(), 1);
    if (!present) ::setenv("PATH", bin_.path().c_str(), 1);
  }
  ~FakeOpener() { ::setenv("PATH", oldPath_.c_str(), 1); }
  std::filesystem::path log() const { return bin_ / "opened.txt"; }

 private:
  TempDir bin_;
  std::string oldPath_;
};

TEST(launcherHandOver, ProgramRunsDetachedInTheLaunchersFolder) {
  TempDir dir;
  // The program reports its folder, its parent and its session.
  WriteScript(dir / "game",
              "read -r _ _ _ ppid _ sid _ < /proc/$$/stat\n"
              "echo \"$PWD $ppid $sid\" > started.txt\n");
  ASSERT_EQ(StartCommand("game", dir.path()), HandOver::kRun);
  std::istringstream report(WaitForLine(dir / "started.txt"));
  std::string folder;
  pid_t parent = 0;
  pid_t session = 0;
  ASSERT_TRUE(report >> folder >> parent >> session);
  EXPECT_EQ(std::filesystem::path(folder), std::filesystem::canonical(dir.path()));
  EXPECT_NE(parent, ::getpid()) << "the started program must not be the launcher's child";
  EXPECT_NE(session, ::getsid(0)) << "the started program must have a session of its own";
}

TEST(launcherHandOver, NothingInTheCommandIsInterpreted) {
  TempDir dir;
  FakeOpener opener;
  // A name full of shell syntax is just a name.
  const std::string odd = "odd name;touch pwned $(touch pwned2) &";
  WriteScript(dir / odd, "echo ran > ran.txt\n");
  EXPECT_EQ(StartCommand(odd, dir.path()), HandOver::kRun);
  EXPECT_EQ(WaitForLine(dir / "ran.txt"), "ran\n");
  // Without such a file nothing runs at all.
  EXPECT_EQ(StartCommand("game; touch pwned3", dir.path()), HandOver::kFailed);
  EXPECT_EQ(StartCommand("game arg", dir.path()), HandOver::kFailed);
  for (const char* name : {"pwned", "pwned2", "pwned3"}) {
    EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(opener.log()));
}

TEST(launcherHandOver, OtherFilesGoToTheOpenerByFullPath) {
  TempDir dir;
  FakeOpener opener;
  WriteFile(dir / "readme.html", "<p>hello</p>");
  EXPECT_EQ(StartCommand("readme.html", dir.path()), HandOver::kOpened);
  EXPECT_EQ(WaitForLine(opener.log()), (dir / "readme.html").string() + "\n");

  // A name that looks like an option reaches the opener as a path, not as an option.
  std::filesystem::remove(opener.log());
  WriteFile(dir / "--help", "");
  EXPECT_EQ(StartCommand("--help", dir.path()), HandOver::kOpened);
  EXPECT_EQ(WaitForLine(opener.log()), (dir / "--help").string() + "\n");

  // An absolute name is taken as it is.
  TempDir other;
  WriteFile(other / "notes.txt", "notes");
  std::filesystem::remove(opener.log());
  EXPECT_EQ(StartCommand((other / "notes.txt").string(), dir.path()), HandOver::kOpened);
  EXPECT_EQ(WaitForLine(opener.log()), (other / "notes.txt").string() + "\n");
}

// What cannot start fails for the caller alone; without an opener only programs start.
TEST(launcherHandOver, FailuresAreReportedToTheCallerOnly) {
  TempDir dir;
  WriteFile(dir / "broken", "not a program\n");  // executable, but the system cannot run it
  ::chmod((dir / "broken").c_str(), 0755);
  WriteFile(dir / "readme.html", "");
  WriteScript(dir / "game", "echo ok > ok.txt\n");
  for (bool present : {true, false}) {
    FakeOpener opener(present);
    for (const char* command : {"", "shogi", "broken"})
      EXPECT_EQ(StartCommand(command, dir.path()), HandOver::kFailed) << command;
    EXPECT_FALSE(std::filesystem::exists(opener.log()));
  }
  FakeOpener none(/*present=*/false);
  EXPECT_EQ(StartCommand("readme.html", dir.path()), HandOver::kFailed);
  EXPECT_EQ(StartCommand("game", dir.path()), HandOver::kRun);
  EXPECT_EQ(WaitForLine(dir / "ok.txt"), "ok\n");
}

}  // namespace
