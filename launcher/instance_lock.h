// Single instance: a per-user lock named after the window, and a local socket over which a
// second launcher asks the first one to bring its window to the front.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace launcher {

class InstanceLock {
 public:
  enum class Role {
    kFirst,        // this process holds the lock
    kSecond,       // another launcher holds it
    kUnavailable,  // no lock could be made (no usable folder); run as if first
  };

  // Takes the lock "<name>" in `dir` (made 0700 when missing) and, when first, opens the
  // socket "<name>.sock" beside it.
  InstanceLock(const std::string& name, const std::filesystem::path& dir);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  Role role() const { return role_; }

  // Second launcher: asks the first one to raise its window. True when the request was sent.
  bool RequestRaise();

  // First launcher: calls onRaise (on a listener thread) for each raise request.
  void Listen(std::function<void()> onRaise);

  // Stops listening, removes the socket and releases the lock.
  void Release();

  // The per-user folder for the lock: $XDG_RUNTIME_DIR when it is a folder that only this user
  // can enter and write, otherwise /tmp/shogi-launcher-<uid>.
  static std::filesystem::path DefaultDir();

 private:
  void ListenLoop();

  Role role_ = Role::kUnavailable;
  std::filesystem::path lockPath_;
  std::filesystem::path socketPath_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  int wakeFds_[2] = {-1, -1};
  std::function<void()> onRaise_;
  std::thread listener_;
};

}  // namespace launcher
