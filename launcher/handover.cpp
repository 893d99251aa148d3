#include "handover.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

extern char** environ;

namespace launcher {
namespace {

bool IsProgram(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

void ReportAndExit(int fd, int error) {
  [[maybe_unused]] const ssize_t written = ::write(fd, &error, sizeof error);
  ::_exit(127);
}

// In the started process, before exec: only async-signal-safe calls from here on.
[[noreturn]] void ExecChild(char* const* argv, const char* dir, int reportFd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &defaults, nullptr);
  if (::chdir(dir) != 0) ReportAndExit(reportFd, errno);
  // Every descriptor of the launcher is close-on-exec; this also catches the ones that
  // libraries opened without it.
  if (reportFd > 3) ::close_range(3, static_cast<unsigned>(reportFd) - 1, 0);
  ::close_range(static_cast<unsigned>(reportFd) + 1, UINT_MAX, 0);
  ::execve(argv[0], argv, environ);
  ReportAndExit(reportFd, errno);
  ::_exit(127);
}

}  // namespace

std::filesystem::path FindInPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  const std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string_view::npos) end = dirs.size();
    const std::string_view dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      std::filesystem::path candidate = std::filesystem::path(dir) / name;
      if (IsProgram(candidate)) return candidate;
    }
    start = end + 1;
  }
  return {};
}

bool SpawnDetached(const std::vector<std::string>& argv, const std::filesystem::path& dir) {
  if (argv.empty()) return false;
  // Everything the children need is prepared here: after fork() they may not allocate.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const std::string workDir = dir.string();

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t middle = ::fork();
  if (middle < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (middle == 0) {
    // A new session, and a grandchild that init adopts when this process ends at once.
    ::close(report[0]);
    ::setsid();
    const pid_t child = ::fork();
    if (child < 0) ReportAndExit(report[1], errno);
    if (child == 0) ExecChild(args.data(), workDir.c_str(), report[1]);
    ::_exit(0);
  }
  ::close(report[1]);
  int error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  // End of file without a report: the exec succeeded and closed the pipe.
  return got == 0;
}

HandOver StartCommand(const std::string& command, const std::filesystem::path& dir) {
  if (command.empty()) return HandOver::kFailed;
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::absolute(dir, ec);
  if (ec) return HandOver::kFailed;
  std::filesystem::path target(command);
  if (target.is_relative()) target = base / target;
  // Absolute from here on, so that no name can pass for an option of the opener.
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return HandOver::kFailed;
  if (IsProgram(target)) {
    return SpawnDetached({target.string()}, base) ? HandOver::kRun : HandOver::kFailed;
  }
  const std::filesystem::path opener = FindInPath("xdg-open");
  if (opener.empty()) return HandOver::kFailed;
  return SpawnDetached({opener.string(), target.string()}, base) ? HandOver::kOpened
                                                                 : HandOver::kFailed;
}

}  // namespace launcher
