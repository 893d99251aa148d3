// The way out of the launcher: START.TXT, the single-instance lock (the real second program is
// tried in launcher_app_test.cpp), and the hand-over to the command or the desktop's opener.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <random>
#include <span>
#include <sstream>
#include <string>

#include "handover.h"
#include "instance_lock.h"
#include "start_command.h"
#include "test_util.h"

namespace launcher_test {
namespace {

using launcher::HandOver;
using launcher::InstanceLock;
using launcher::ReadStartCommand;
using launcher::StartCommand;

TEST(launcherStartTxt, FirstLineOfAtMost50BytesWithoutTrailingBlanks) {
  TempDir dir;
  const std::filesystem::path file = dir / "START.TXT";
  EXPECT_EQ(ReadStartCommand(file), "");  // no file; what a file holds is tried by the fuzz
  // A folder or a pipe of that name has no command, and the pipe does not block: it is read
  // in a child that can be stopped.
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  EXPECT_EQ(ReadStartCommand(file), "");
  std::filesystem::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  const pid_t child = ::fork();
  if (child == 0) _exit(ReadStartCommand(file).empty() ? 0 : 1);
  EXPECT_TRUE(EndsCleanly(child, 3)) << "reading a pipe blocked";
}

TEST(launcherFuzz, StartTxtReaderKeepsItsPromises) {
  std::mt19937 rng(20240601);
  TempDir dir;
  const std::filesystem::path file = dir / "START.TXT";
  for (int round = 0; round < 1500; ++round) {
    std::string bytes(rng() % 120, '\0');
    for (char& c : bytes) {
      const unsigned pick = rng() % 16;
      c = pick < 4 ? "\r\n\0 "[pick] : static_cast<char>(rng());
    }
    WriteFile(file, bytes);
    const std::string command = ReadStartCommand(file);
    SCOPED_TRACE(round);
    ASSERT_LE(command.size(), 50u);
    ASSERT_EQ(bytes.compare(0, command.size(), command), 0) << "not a prefix";
    ASSERT_EQ(command.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    ASSERT_TRUE(command.empty() || (command.back() != ' ' && command.back() != '\t'));
    // Whatever was cut after the command is blanks, up to a line end or the 50-byte limit.
    const size_t limit = std::min<size_t>(bytes.size(), 50);
    size_t end = command.size();
    while (end < limit && (bytes[end] == ' ' || bytes[end] == '\t')) ++end;
    ASSERT_TRUE(end == limit || bytes[end] == '\r' || bytes[end] == '\n' || bytes[end] == '\0');
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    ASSERT_EQ(launcher::ParseStartCommand(std::span(data, bytes.size())), command);
  }
}

constexpr char kName[] = "MOVE:ElMutex";

// A socket on the lock's socket file, connected (or bound there and left without a listener).
int Socket(const TempDir& dir, bool bind = false) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (dir / (std::string(kName) + ".sock")).c_str(),
               sizeof address.sun_path - 1);
  auto* a = reinterpret_cast<sockaddr*>(&address);
  if ((bind ? ::bind(fd, a, sizeof address) : ::connect(fd, a, sizeof address)) == 0) return fd;
  return ::close(fd), -1;
}

// The lock and socket are free again after the first launcher ends, even when one that was
// killed left its socket file; silent or wrong clients neither raise nor hold up a request.
TEST(launcherInstance, SecondLauncherRaisesTheFirst) {
  TempDir dir;
  {
    InstanceLock first(kName, dir.path());
    ASSERT_EQ(first.role(), InstanceLock::Role::kFirst);
    first.Listen([] {});
  }
  EXPECT_FALSE(std::filesystem::exists(dir / (std::string(kName) + ".sock")));
  ASSERT_EQ(::close(Socket(dir, /*bind=*/true)), 0);  // a stale socket file

  InstanceLock first(kName, dir.path());
  ASSERT_EQ(first.role(), InstanceLock::Role::kFirst);
  std::atomic<int> raised{0};
  first.Listen([&] { ++raised; });
  const int silent = Socket(dir), wrong = Socket(dir);
  ASSERT_GE(silent, 0);
  ASSERT_EQ(::send(wrong, "hello!\n", 7, 0), 7);
  ::close(wrong);
  InstanceLock second(kName, dir.path());
  EXPECT_EQ(second.role(), InstanceLock::Role::kSecond);
  EXPECT_FALSE(first.RequestRaise());  // the first one cannot ask itself
  EXPECT_TRUE(second.RequestRaise());
  EXPECT_TRUE(WaitFor([&] { return raised == 1; }, 5)) << "a silent client held up the request";
  ::close(silent);
  EXPECT_FALSE(WaitFor([&] { return raised > 1; }, 0.2));
}

TEST(launcherInstance, FolderThatOthersCanWriteIsNotUsed) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  EXPECT_EQ(InstanceLock(kName, dir.path()).role(), InstanceLock::Role::kUnavailable);
  EXPECT_FALSE(std::filesystem::exists(dir / kName));
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  EXPECT_NE(InstanceLock::DefaultDir(), dir.path());
  ::chmod(dir.path().c_str(), 0700);
  EXPECT_EQ(InstanceLock::DefaultDir(), dir.path());
  old != nullptr ? ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

// Puts a fake xdg-open, which writes its arguments to a file, alone on PATH (or nothing).
class FakeOpener {
 public:
  explicit FakeOpener(bool present = true)
      : oldPath_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    if (present) WriteScript(bin_ / "xdg-open", "printf '%s\\n' \"$@\" > " + log().string());
    ::setenv("PATH", (bin_.path().string() + (present ? ":/usr/bin:/bin" : "")).c_str(), 1);
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
  pid_t parent = 0, session = 0;
  ASSERT_TRUE(report >> folder >> parent >> session);
  EXPECT_EQ(std::filesystem::path(folder), std::filesystem::canonical(dir.path()));
  EXPECT_NE(parent, ::getpid()) << "the started program must not be the launcher's child";
  EXPECT_NE(session, ::getsid(0)) << "the started program must have a session of its own";
}

// A name full of shell syntax is just a name; a name that looks like an option reaches the
// opener as a path; an absolute name is taken as it is.
TEST(launcherHandOver, NothingInTheCommandIsInterpreted) {
  TempDir dir, other;
  FakeOpener opener;
  const std::string odd = "odd name;touch pwned $(touch pwned2) &";
  WriteScript(dir / odd, "echo ran > ran.txt\n");
  EXPECT_EQ(StartCommand(odd, dir.path()), HandOver::kRun);
  EXPECT_EQ(WaitForLine(dir / "ran.txt"), "ran\n");
  EXPECT_EQ(StartCommand("game; touch pwned3", dir.path()), HandOver::kFailed);
  EXPECT_EQ(StartCommand("game arg", dir.path()), HandOver::kFailed);
  for (const char* name : {"pwned", "pwned2", "pwned3"})
    EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
  EXPECT_FALSE(std::filesystem::exists(opener.log()));

  WriteFile(other / "notes.txt", "notes");
  for (const std::string& name :
       {std::string("readme.html"), std::string("--help"), (other / "notes.txt").string()}) {
    if (name[0] != '/') WriteFile(dir / name, "");
    std::filesystem::remove(opener.log());
    EXPECT_EQ(StartCommand(name, dir.path()), HandOver::kOpened) << name;
    EXPECT_EQ(WaitForLine(opener.log()), (dir.path() / name).string() + "\n");
  }
}

// Without an opener only programs start.
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
}  // namespace launcher_test
