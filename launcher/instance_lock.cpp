#include "instance_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace launcher {
namespace {

constexpr std::string_view kRaiseRequest = "raise\n";
constexpr int kClientTimeoutMs = 1000;

// A folder that is this user's alone: owned by us, no access for group or others.
bool IsPrivateDir(const std::filesystem::path& dir) {
  struct stat info {};
  return ::lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
         (info.st_mode & 077) == 0;
}

bool MakeAddress(const std::filesystem::path& path, sockaddr_un* address) {
  const std::string text = path.string();
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (text.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, text.c_str(), text.size() + 1);
  return true;
}

void CloseFd(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

}  // namespace

std::filesystem::path InstanceLock::DefaultDir() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
      runtime != nullptr && *runtime == '/' && IsPrivateDir(runtime)) {
    return runtime;
  }
  return std::filesystem::path("/tmp") / ("shogi-launcher-" + std::to_string(::getuid()));
}

InstanceLock::InstanceLock(const std::string& name, const std::filesystem::path& dir)
    : lockPath_(dir / name), socketPath_(dir / (name + ".sock")) {
  ::mkdir(dir.c_str(), 0700);
  if (!IsPrivateDir(dir)) return;  // a folder others could write to is not trusted
  lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) return;
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    CloseFd(&lockFd_);
    role_ = Role::kSecond;
    return;
  }
  role_ = Role::kFirst;

  // Holding the lock, any socket file left here belongs to a launcher that is gone.
  sockaddr_un address{};
  if (!MakeAddress(socketPath_, &address)) return;
  ::unlink(socketPath_.c_str());
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) return;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listenFd_, 4) != 0) {
    CloseFd(&listenFd_);
  }
}

InstanceLock::~InstanceLock() {
  Release();
}

bool InstanceLock::RequestRaise() {
  sockaddr_un address{};
  if (role_ != Role::kSecond || !MakeAddress(socketPath_, &address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool sent = false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    sent = ::send(fd, kRaiseRequest.data(), kRaiseRequest.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(kRaiseRequest.size());
  }
  ::close(fd);
  return sent;
}

void InstanceLock::Listen(std::function<void()> onRaise) {
  if (listenFd_ < 0 || listener_.joinable()) return;
  if (::pipe2(wakeFds_, O_CLOEXEC) != 0) return;
  onRaise_ = std::move(onRaise);
  listener_ = std::thread(&InstanceLock::ListenLoop, this);
}

void InstanceLock::ListenLoop() {
  for (;;) {
    pollfd waits[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (waits[1].revents != 0) return;
    if ((waits[0].revents & POLLIN) == 0) continue;
    const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    // Read the request, waiting at most a moment: a silent client must not hold us up.
    char buffer[16];
    size_t got = 0;
    while (got < kRaiseRequest.size()) {
      pollfd in{client, POLLIN, 0};
      if (::poll(&in, 1, kClientTimeoutMs) <= 0) break;
      const ssize_t n = ::recv(client, buffer + got, sizeof buffer - got, 0);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ::close(client);
    if (std::string_view(buffer, got) == kRaiseRequest && onRaise_) onRaise_();
  }
}

void InstanceLock::Release() {
  if (listener_.joinable()) {
    const char stop = 0;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds_[1], &stop, 1);
    listener_.join();
  }
  CloseFd(&wakeFds_[0]);
  CloseFd(&wakeFds_[1]);
  if (listenFd_ >= 0) {
    CloseFd(&listenFd_);
    ::unlink(socketPath_.c_str());
  }
  CloseFd(&lockFd_);  // closing the only descriptor releases the flock
}

}  // namespace launcher
