// A stand-in for the window thread: it sleeps until MixerAudio's wake function is called (or
// a deadline passes) and then calls Pump, as the game's window would on a posted event.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "shogi/sound/mixer_audio.h"

namespace shogi::sound::testing_util {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

class WindowLoop {
 public:
  explicit WindowLoop(MixerAudio& audio) : audio_(audio) {
    audio_.SetWakeFunction([this] {
      std::lock_guard lock(mutex_);
      woken_ = true;
      ++wakes_;
      cv_.notify_one();
    });
  }
  ~WindowLoop() { audio_.SetWakeFunction(nullptr); }

  // Pumps on every wake until `done` holds or `seconds` have passed; returns `done()`.
  bool RunUntil(const std::function<bool()>& done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
    for (;;) {
      audio_.Pump();
      if (done()) return true;
      std::unique_lock lock(mutex_);
      // The deadline holds even when wakes never stop coming.
      if (!cv_.wait_until(lock, deadline, [this] { return woken_; }) || Clock::now() >= deadline)
        return done();
      woken_ = false;
    }
  }

  // Pumps on every wake for `seconds`.
  void RunFor(double seconds) {
    RunUntil([] { return false; }, seconds);
  }

  int Wakes() {
    std::lock_guard lock(mutex_);
    return wakes_;
  }

 private:
  MixerAudio& audio_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool woken_ = false;
  int wakes_ = 0;
};

}  // namespace shogi::sound::testing_util
