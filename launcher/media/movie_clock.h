// The movie clock and the choice of the picture to show.
//
// The sound is the master: whenever the sound output takes samples, it sets the clock to the
// time stamp of the sample that is being heard. Between those updates, and whenever there is no
// sound to take (no sound track, no device, the track has ended or the decoder is behind), the
// clock runs on with the wall clock, so the pictures never wait for sound that is not coming.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>

namespace el {

// Seconds on a steady clock.
inline double NowSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

class MovieClock {
 public:
  // Movie time at wall time `now`.
  double Get(double now) const {
    std::lock_guard lock(mutex_);
    return running_ ? pts_ + (now - at_) : pts_;
  }
  // The movie is at `pts` at wall time `now`.
  void Set(double pts, double now) {
    std::lock_guard lock(mutex_);
    pts_ = pts;
    at_ = now;
  }
  void Run(double now) {
    std::lock_guard lock(mutex_);
    if (!running_) at_ = now;
    running_ = true;
  }
  void Pause(double now) {
    std::lock_guard lock(mutex_);
    if (running_) pts_ += now - at_;
    running_ = false;
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    pts_ = 0;
    at_ = 0;
    running_ = false;
  }

 private:
  mutable std::mutex mutex_;
  double pts_ = 0;
  double at_ = 0;
  bool running_ = false;
};

// Number of pictures at the front of a queue ordered by time that are due at movie time
// `clock`. The last of them is shown; the ones before it are late and are dropped.
template <typename Queue>
std::size_t CountDueFrames(const Queue& frames, double clock) {
  std::size_t due = 0;
  for (const auto& frame : frames) {
    if (frame.pts > clock) break;
    ++due;
  }
  return due;
}

}  // namespace el
