// START.TXT: the command is the first bytes of the file up to the first line end, at most 50
// of them, without blanks at its end.
#include "start_command.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "test_util.h"

namespace {

using launcher::ReadStartCommand;
using launcher_test::TempDir;
using launcher_test::WriteFile;

std::string CommandOf(const std::string& bytes) {
  TempDir dir;
  WriteFile(dir / "START.TXT", bytes);
  return ReadStartCommand(dir / "START.TXT");
}

// A few examples; fuzz_test.cpp checks the rules on many random files.
TEST(launcherStartTxt, FirstLineOfAtMost50BytesWithoutTrailingBlanks) {
  const struct {
    std::string bytes;
    std::string command;
  } cases[] = {
      {"./shogi\r\n", "./shogi"},
      {"my game \t\nnext", "my game"},
      {"\r\n./shogi", ""},
      {std::string("run\0me\r\n", 8), "run"},
      {std::string(49, 'a') + "bc\r\n", std::string(49, 'a') + "b"},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandOf(c.bytes), c.command) << c.bytes;
  // No file, or a folder of that name: no command.
  TempDir dir;
  EXPECT_EQ(ReadStartCommand(dir / "START.TXT"), "");
  std::filesystem::create_directory(dir / "START.TXT");
  EXPECT_EQ(ReadStartCommand(dir / "START.TXT"), "");
}

TEST(launcherStartTxt, PipeNamedStartTxtDoesNotBlock) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "START.TXT").c_str(), 0600), 0);
  // Read in a child, so that a reader that blocks can be stopped.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(ReadStartCommand(dir / "START.TXT").empty() ? 0 : 1);
  int status = 0;
  const bool ended =
      launcher_test::WaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 3);
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  ASSERT_TRUE(ended) << "reading a pipe named START.TXT blocked";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
