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

TEST(launcherStartTxt, CommandFollowedByCrLfIsExactlyThatCommand) {
  EXPECT_EQ(CommandOf("./shogi\r\n"), "./shogi");
  EXPECT_EQ(CommandOf("game program\r\nsecond line\r\n"), "game program");
}

TEST(launcherStartTxt, LinuxLineEndsAndTrailingBlanksEndTheCommand) {
  const struct {
    const char* bytes;
    const char* command;
  } cases[] = {
      {"./shogi\n", "./shogi"},
      {"./shogi \n", "./shogi"},
      {"./shogi\t  \r\n", "./shogi"},
      {"./shogi  ", "./shogi"},
      {"a\nb\rc", "a"},
      {"my game \nnext", "my game"},
      {"   \n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandOf(c.bytes), c.command) << c.bytes;
}

TEST(launcherStartTxt, MoreThan50BytesAreCutTo50) {
  const std::string long_name(80, 'x');
  EXPECT_EQ(CommandOf(long_name), std::string(50, 'x'));
  // A carriage return after the first 50 bytes is never read.
  EXPECT_EQ(CommandOf(std::string(49, 'a') + "bc\r\n"), std::string(49, 'a') + "b");
  // Exactly 50 bytes, and a carriage return as the 50th byte.
  EXPECT_EQ(CommandOf(std::string(50, 'd')), std::string(50, 'd'));
  EXPECT_EQ(CommandOf(std::string(49, 'e') + "\r"), std::string(49, 'e'));
}

TEST(launcherStartTxt, ZeroByteEndsTheCommandLikeTheBufferEnd) {
  EXPECT_EQ(CommandOf(std::string("run\0me\r\n", 8)), "run");
  EXPECT_EQ(CommandOf("\r\n./shogi"), "");
}

TEST(launcherStartTxt, NoReadableFileGivesAnEmptyCommand) {
  TempDir dir;
  EXPECT_EQ(ReadStartCommand(dir / "START.TXT"), "");
  EXPECT_EQ(CommandOf(""), "");
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
