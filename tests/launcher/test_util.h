// Helpers shared by the launcher's tests: temporary folders, files, waiting.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

namespace launcher_test {

// A fresh folder (mode 0700) that is removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "launcher-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}
inline void WriteScript(const std::filesystem::path& file, const std::string& body) {
  WriteFile(file, "#!/bin/sh\n" + body);
  ::chmod(file.c_str(), 0755);
}
inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Polls `done` every 10 ms for at most `seconds`; true when it became true.
inline bool WaitFor(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
    if (std::chrono::steady_clock::now() > end) return false;
  return true;
}

// Waits for the child `pid`, doing `meanwhile` between looks, and kills it after `seconds`;
// true when it ended in time with exit code 0.
inline bool EndsCleanly(
    pid_t pid, double seconds, const std::function<void()>& meanwhile = [] {}) {
  int status = 0;
  if (!WaitFor([&] { return meanwhile(), ::waitpid(pid, &status, WNOHANG) == pid; }, seconds))
    return ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0), false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Waits for a file that a started process writes, and for it to be complete (ends in '\n').
inline std::string WaitForLine(const std::filesystem::path& file, double seconds = 10) {
  std::string text;
  WaitFor([&] { return !(text = ReadFile(file)).empty() && text.back() == '\n'; }, seconds);
  return text;
}

}  // namespace launcher_test
