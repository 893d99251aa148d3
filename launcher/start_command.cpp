#include "start_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace launcher {

std::string ParseStartCommand(std::span<const unsigned char> bytes) {
  const auto head = bytes.first(std::min(bytes.size(), kMaxCommandBytes));
  const auto end = std::find_if(head.begin(), head.end(), [](unsigned char c) {
    return c == '\r' || c == '\n' || c == '\0';
  });
  std::string command(head.begin(), end);
  // Editors leave blanks at the end of a line; no file name ends in one.
  while (!command.empty() && (command.back() == ' ' || command.back() == '\t')) command.pop_back();
  return command;
}

std::string ReadStartCommand(const std::filesystem::path& file) {
  // Binary read of a regular file only: a pipe or device of that name would block the
  // launcher forever, and a directory has no command.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return {};
  unsigned char buffer[kMaxCommandBytes];
  std::size_t count = 0;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    while (count < sizeof buffer) {
      const ssize_t got = ::read(fd, buffer + count, sizeof buffer - count);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      count += static_cast<std::size_t>(got);
    }
  }
  ::close(fd);
  return ParseStartCommand(std::span(buffer, count));
}

}  // namespace launcher
