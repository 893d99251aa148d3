// Single instance: the lock, and the raise request from a second launcher to the first (the
// real second program is tried in launcher_app_test.cpp).
#include "instance_lock.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "test_util.h"

namespace {

using launcher::InstanceLock;
using launcher_test::TempDir;
using launcher_test::WaitFor;

constexpr char kName[] = "MOVE:ElMutex";

// A socket on `socket`, connected (or, when bind, bound there and left without a listener).
int Socket(const std::filesystem::path& socket, bool bind = false) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
  auto* a = reinterpret_cast<sockaddr*>(&address);
  if ((bind ? ::bind(fd, a, sizeof address) : ::connect(fd, a, sizeof address)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST(launcherInstance, LockAndSocketAreFreeAgainAfterTheFirst) {
  TempDir dir;
  const std::filesystem::path socket = dir / (std::string(kName) + ".sock");
  {
    InstanceLock first(kName, dir.path());
    ASSERT_EQ(first.role(), InstanceLock::Role::kFirst);
    first.Listen([] {});
  }
  EXPECT_FALSE(std::filesystem::exists(socket));
  // A launcher that was killed leaves its socket file behind.
  const int stale = Socket(socket, /*bind=*/true);
  ASSERT_GE(stale, 0);
  ::close(stale);
  InstanceLock next(kName, dir.path());
  ASSERT_EQ(next.role(), InstanceLock::Role::kFirst);
  std::atomic<int> raised{0};
  next.Listen([&] { ++raised; });
  EXPECT_TRUE(InstanceLock(kName, dir.path()).RequestRaise());
  EXPECT_TRUE(WaitFor([&] { return raised == 1; }, 3));
}

TEST(launcherInstance, SilentOrWrongClientsDoNotRaiseOrBlock) {
  TempDir dir;
  InstanceLock first(kName, dir.path());
  std::atomic<int> raised{0};
  first.Listen([&] { ++raised; });
  const std::filesystem::path socket = dir / (std::string(kName) + ".sock");

  const int silent = Socket(socket);
  ASSERT_GE(silent, 0);
  const int wrong = Socket(socket);
  ASSERT_GE(wrong, 0);
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
  InstanceLock lock(kName, dir.path());
  EXPECT_EQ(lock.role(), InstanceLock::Role::kUnavailable);
  EXPECT_FALSE(std::filesystem::exists(dir / kName));

  // Nor is such a runtime folder taken as the default.
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  EXPECT_NE(InstanceLock::DefaultDir(), dir.path());
  ::chmod(dir.path().c_str(), 0700);
  EXPECT_EQ(InstanceLock::DefaultDir(), dir.path());
  if (old != nullptr) {
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

}  // namespace
