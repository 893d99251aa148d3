// elStream: movie playback with sound.
//
// One reader thread reads and decodes the file (MovieSource) into two bounded queues: pictures
// (already scaled to the display size) and sound chunks. SDL's audio thread takes the sound and
// drives the movie clock; the window thread shows, at each of its frames, the last picture whose
// time has come, dropping late ones. Close() stops the sound first, then raises the abort flag,
// wakes the reader wherever it waits and joins it.
#pragma once

#include <SDL.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "el_draw.h"
#include "el_sound.h"
#include "movie_clock.h"
#include "movie_source.h"

namespace el {

// Movie states as the launcher polls them; 4 is the end of the movie.
enum class MovieState { kNone = 0, kStopped = 1, kPaused = 2, kPlaying = 3, kEnded = 4 };

inline constexpr std::string_view kLoadObject = "elStream::LoadObject";
inline constexpr std::string_view kCannotReadStream = "ストリームを読み込めません";
inline constexpr std::string_view kNoMovieSystem = "DirectShow/ActiveMovieが使えません";

class elStream {
 public:
  // Pictures are drawn into `draw`'s back buffer; sound is played when `withSoundDevice`.
  elStream(elDraw& draw, bool withSoundDevice) : draw_(draw), soundDevice_(withSoundDevice) {}
  elStream(const elStream&) = delete;
  elStream& operator=(const elStream&) = delete;
  ~elStream() { Close(); }

  // Opens a movie, with its sound track when withSound, and starts reading it. On failure
  // shows the error box "elStream::LoadObject : <reason>" and leaves no movie open.
  bool LoadObject(const std::filesystem::path& file, bool withSound);
  void Play();
  void Stop();
  // Stops playback and releases the movie.
  void Close();

  MovieState State();
  bool isOpen() const { return source_ != nullptr; }
  bool hasSound() const { return sound_.isOpen(); }

  // Draws the picture that is due now at (x, y), scaled to w x h, into the back buffer.
  void DrawFrame(int x, int y, int w, int h);
  // Seconds the window thread may wait before the next picture is due (or the end is reached).
  double SecondsToNextFrame();
  // Movie time now, in seconds.
  double clock() const { return clock_.Get(NowSeconds()); }

 private:
  void ReadLoop();
  void FillAudio(uint8_t* out, int bytes);

  elDraw& draw_;
  const bool soundDevice_;
  std::unique_ptr<MovieSource> source_;
  elSound sound_;
  int bytesPerSecond_ = 0;
  double soundLatency_ = 0;
  SdlTexturePtr picture_;
  bool hasPicture_ = false;
  bool playing_ = false;
  MovieClock clock_;
  std::thread reader_;

  // Shared with the reader thread and the audio thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<VideoFrame> frames_;
  std::deque<AudioChunk> chunks_;
  size_t chunkBytes_ = 0;   // bytes not yet taken, over all chunks
  size_t chunkOffset_ = 0;  // bytes already taken from the front chunk
  double endTime_ = 0;      // end of the last picture or sound read so far
  bool readerDone_ = false;
  bool abort_ = false;
};

}  // namespace el
