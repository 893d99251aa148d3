// The movie's reader and decoder: reads a movie file with FFmpeg and hands out its pictures,
// scaled to the display size as ARGB8888, and its sound, converted to the output format.
// Not thread-safe; the movie player runs it on its reader thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace el {

struct VideoFrame {
  double pts = 0;                // seconds from the start of the movie
  double duration = 0;           // seconds
  std::vector<uint32_t> pixels;  // width * height ARGB8888 pixels of the output size
};

struct AudioChunk {
  double pts = 0;              // seconds from the start of the movie, of the first sample
  std::vector<uint8_t> bytes;  // interleaved signed 16-bit samples in the output format
};

struct AudioFormat {
  int rate = 0;      // samples per second per channel
  int channels = 0;  // interleaved channels
  int bytesPerSecond() const { return rate * channels * 2; }
};

enum class MovieError {
  kNone,
  kNoDecoder,   // this FFmpeg can decode no video at all
  kUnreadable,  // the file is missing, not a movie, or has no picture that can be decoded
};

// Largest picture, in pixels, that is decoded; larger ones are refused as damaged.
inline constexpr int64_t kMaxMoviePixels = 4096 * 4096;

// Keeps time stamps sane: one that is missing, not finite, earlier than expected or more than
// ten seconds past the expected time (a damaged file) is replaced by the expected time.
double SanePts(double pts, double expected);

class MovieSource {
 public:
  struct Options {
    int width = 480;        // size of the pictures handed out
    int height = 316;       // size of the pictures handed out
    bool withSound = true;  // open the sound track, when the file has one that can be decoded
  };

  ~MovieSource();
  MovieSource(const MovieSource&) = delete;
  MovieSource& operator=(const MovieSource&) = delete;

  // True when this FFmpeg has at least one video decoder.
  static bool VideoDecodersAvailable();

  // Opens a movie file; returns null and sets *error on failure.
  static std::unique_ptr<MovieSource> Open(const std::filesystem::path& file,
                                           const Options& options, MovieError* error);

  // Sound format of the file's sound track (rate 0 when it has none, or it is not opened).
  AudioFormat sourceAudio() const;
  // Format that sound chunks are converted to; rate 0 skips the sound track. Until this is
  // called, the sound track is skipped.
  void SetAudioOutput(const AudioFormat& format);
  // Length of the movie in seconds as the file states it, or 0 when unknown.
  double duration() const;

  enum class Item { kVideo, kAudio, kEnd };
  // Reads and decodes until the next picture or sound chunk is ready, or the movie has ended.
  // Damaged packets are skipped.
  Item Next(VideoFrame* video, AudioChunk* audio);

 private:
  struct Impl;
  explicit MovieSource(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace el
