// The game's sound output on SDL2_mixer: voice clips one after another, and MIDI music
// through FluidSynth with the TimGM6mb SoundFont.
//
// Use from one thread only — the window thread — except SetWakeFunction's function, which
// MixerAudio itself calls from other threads:
//
//   MixerAudio audio(lookup);            // once per program; silent when there is no device
//   audio.SetWakeFunction(post);         // post(): make the window thread call audio.Pump()
//   audio.SetPieceEndedCallback(fn);     // music: a piece has ended (naturally or by close)
//   audio.SetIdleCallback(fn);           // clips: the last queued clip has finished
//   audio.PlayClip("IDSOUND_KOMA");      // queue a clip; returns at once
//   audio.IsIdle();                      // no clip playing and none queued
//   audio.OpenMusic("BGM01.mid");        // play a piece once; its end is notified
//   audio.CloseMusic();                  // stop; notifies the end of a piece still playing
//
// Clips. The lookup function gives the WAVE bytes of a clip by name (the game keeps them as
// resources); each clip is decoded once and kept. A clip starts only when the one before it
// has finished, so nothing is cut and the order is kept; an unknown name plays nothing.
//
// Music. One piece at a time, played once. Its end is taken from the length of the MIDI
// file itself (the mixer's own end-of-music hook comes about 3 s after the last note, and
// also fires on a halt), so a track reopened at its end repeats without a gap; for files
// whose length cannot be read, the mixer's hook marks the end. Every piece that was started
// gives exactly one "piece ended" notification — at its end, or at CloseMusic if that comes
// first — unless another piece has been opened before the notification was delivered. A
// missing file or synthesizer makes OpenMusic return false: nothing plays, nothing is
// reported and no notification comes.
//
// Threads. The mixer's callbacks run on the audio thread and the end-of-piece timer on
// SDL's timer thread; they only set flags and call the wake function. Pump() — on the
// window thread — does everything else: it starts the next clip and calls the callbacks.
// Without a wake function, calling Pump() from a periodic timer (e.g. every 100 ms) works
// too, with that much latency.
//
// Starting SDL: signal handlers are not installed (SDL_HINT_NO_SIGNAL_HANDLERS), so the
// program keeps its own handling of SIGINT and SIGTERM. Only one MixerAudio may be open at a
// time; a second one, or one without an audio device, is silent: it accepts every call and
// plays nothing (IsIdle() stays true, OpenMusic returns false).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace shogi::sound {

inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class MixerAudio final {
 public:
  // WAVE bytes of a clip by name; empty when there is no such clip.
  using ClipLookup = std::function<std::vector<uint8_t>(std::string_view name)>;

  struct Options {
    std::string soundFont = kDefaultSoundFont;
  };

  explicit MixerAudio(ClipLookup lookup);
  MixerAudio(ClipLookup lookup, Options options);
  ~MixerAudio();
  MixerAudio(const MixerAudio&) = delete;
  MixerAudio& operator=(const MixerAudio&) = delete;

  // A lookup that reads "<directory>/<name>.wav".
  static ClipLookup DirectoryLookup(std::string directory);

  // True when the audio device is open; false means silent.
  bool IsOpen() const { return open_; }

  // --- Clips ---
  // Queues the clip; it starts as soon as every clip queued before it has finished.
  void PlayClip(std::string_view name);
  // No clip is playing or waiting.
  bool IsIdle() const;
  // Decodes the clip (if not yet done); false when it is missing or not WAVE data, or when
  // the device is not open.
  bool LoadClip(std::string_view name);
  // Length of a decoded clip in seconds (0 when not loaded).
  double ClipSeconds(std::string_view name);
  // Called by Pump when the last queued clip has finished.
  void SetIdleCallback(std::function<void()> callback);
  // Called by Pump when a clip starts (for tests and diagnostics).
  void SetClipStartedCallback(std::function<void(const std::string&)> callback);

  // --- Music ---
  // Opens the file and plays it once; false when the file or the synthesizer is missing.
  bool OpenMusic(const std::string& path);
  // Stops the piece; if it was still playing, its end is notified.
  void CloseMusic();
  // A piece is open and has not reached its end yet.
  bool MusicPlaying() const { return musicState_ == MusicState::kPlaying; }
  void SetPieceEndedCallback(std::function<void()> callback);

  // --- Thread hand-over ---
  // `wake` may be called from any thread at any time (also during this object's calls); it
  // must only arrange for Pump() to be called soon on the window thread.
  void SetWakeFunction(std::function<void()> wake);
  void Pump();

 private:
  enum class MusicState { kNone, kPlaying, kEnded };

  static void OnChannelFinished(int channel);
  static void OnMusicFinished();
  static uint32_t OnMusicTimer(uint32_t interval, void* param);

  void Wake();
  Mix_Chunk* Chunk(std::string_view name);
  void ServiceClips();
  void StartNextClip();
  void ServiceMusic();
  void StopMusic();

  ClipLookup lookup_;
  Options options_;
  bool open_ = false;
  bool ownsSdl_ = false;

  std::mutex wakeMutex_;
  std::function<void()> wake_;

  // Clips.
  std::map<std::string, Mix_Chunk*, std::less<>> chunks_;
  std::deque<std::pair<std::string, Mix_Chunk*>> queue_;
  bool clipPlaying_ = false;
  bool idleReported_ = true;
  std::atomic<bool> clipFinished_{false};
  std::function<void()> idleCallback_;
  std::function<void(const std::string&)> clipStarted_;

  // Music.
  MusicState musicState_ = MusicState::kNone;
  Mix_Music* music_ = nullptr;
  std::vector<uint8_t> musicBytes_;  // kept alive while the mixer reads from them
  uint64_t generation_ = 0;          // number of the piece last opened
  std::optional<uint64_t> endToReport_;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  int timer_ = 0;
  std::atomic<uint64_t> playingGeneration_{0};
  std::atomic<uint64_t> hookEnded_{0};
  std::atomic<uint64_t> timerEnded_{0};
  std::atomic<bool> halting_{false};
  std::function<void()> pieceEnded_;
};

}  // namespace shogi::sound
