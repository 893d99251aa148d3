#include "el_stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "el_system.h"

namespace el {
namespace {

constexpr size_t kMaxFrames = 4;             // pictures decoded ahead
constexpr double kSoundAhead = 1.0;          // seconds of sound decoded ahead
constexpr double kDecoderBehindWait = 0.01;  // seconds, when no picture is ready yet
constexpr double kMaxWait = 0.25;            // seconds
constexpr double kIdleWait = 0.5;            // seconds, when nothing plays

}  // namespace

bool elStream::LoadObject(const std::filesystem::path& file, bool withSound) {
  Close();
  const DisplayConfig& screen = draw_.config();
  MovieSource::Options options;
  options.width = screen.width;
  options.height = screen.height;
  options.withSound = withSound && soundDevice_;
  MovieError error = MovieError::kNone;
  std::unique_ptr<MovieSource> source = MovieSource::Open(file, options, &error);
  if (source != nullptr && draw_.renderer() != nullptr) {
    picture_.reset(SDL_CreateTexture(draw_.renderer(), SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, screen.width, screen.height));
  }
  if (source == nullptr || picture_ == nullptr) {
    if (source != nullptr) error = MovieError::kUnreadable;
    source.reset();
    elSystem::ErrorBox(kLoadObject,
                       error == MovieError::kNoDecoder ? kNoMovieSystem : kCannotReadStream);
    return false;
  }
  SDL_SetTextureBlendMode(picture_.get(), SDL_BLENDMODE_NONE);

  const AudioFormat track = source->sourceAudio();
  if (track.rate > 0 && sound_.Open({track.rate, std::min(track.channels, 2)},
                                    [this](uint8_t* out, int bytes) { FillAudio(out, bytes); })) {
    source->SetAudioOutput(sound_.format());
    bytesPerSecond_ = sound_.format().bytesPerSecond();
    soundLatency_ = sound_.latency();
  } else {
    source->SetAudioOutput({});
  }

  source_ = std::move(source);
  clock_.Reset();
  reader_ = std::thread(&elStream::ReadLoop, this);
  return true;
}

void elStream::ReadLoop() {
  VideoFrame frame;
  AudioChunk chunk;
  const size_t soundCap =
      std::max<size_t>(4096, static_cast<size_t>(bytesPerSecond_ * kSoundAhead));
  for (;;) {
    const MovieSource::Item item = source_->Next(&frame, &chunk);
    std::unique_lock lock(mutex_);
    if (item == MovieSource::Item::kEnd) break;
    if (item == MovieSource::Item::kVideo) {
      changed_.wait(lock, [&] { return abort_ || frames_.size() < kMaxFrames; });
      if (abort_) break;
      endTime_ = std::max(endTime_, frame.pts + frame.duration);
      frames_.push_back(std::move(frame));
    } else if (bytesPerSecond_ > 0 && !chunk.bytes.empty()) {
      changed_.wait(lock, [&] { return abort_ || chunkBytes_ < soundCap; });
      if (abort_) break;
      endTime_ =
          std::max(endTime_, chunk.pts + static_cast<double>(chunk.bytes.size()) / bytesPerSecond_);
      chunkBytes_ += chunk.bytes.size();
      chunks_.push_back(std::move(chunk));
    }
    if (abort_) break;
  }
  std::lock_guard lock(mutex_);
  readerDone_ = true;
}

void elStream::FillAudio(uint8_t* out, int bytes) {
  const double now = NowSeconds();
  size_t written = 0;
  double firstPts = NAN;
  {
    std::lock_guard lock(mutex_);
    while (written < static_cast<size_t>(bytes) && !chunks_.empty()) {
      AudioChunk& front = chunks_.front();
      if (std::isnan(firstPts)) {
        firstPts = front.pts + static_cast<double>(chunkOffset_) / bytesPerSecond_;
      }
      const size_t n = std::min(front.bytes.size() - chunkOffset_, bytes - written);
      std::memcpy(out + written, front.bytes.data() + chunkOffset_, n);
      written += n;
      chunkOffset_ += n;
      chunkBytes_ -= n;
      if (chunkOffset_ == front.bytes.size()) {
        chunks_.pop_front();
        chunkOffset_ = 0;
      }
    }
  }
  changed_.notify_all();
  std::memset(out + written, 0, bytes - written);
  // The samples just taken are heard after the buffer that is playing now.
  if (written > 0) clock_.Set(firstPts - soundLatency_, now);
}

void elStream::Play() {
  if (source_ == nullptr || playing_) return;
  playing_ = true;
  clock_.Run(NowSeconds());
  sound_.Pause(false);
}

void elStream::Stop() {
  if (!playing_) return;
  playing_ = false;
  sound_.Pause(true);
  clock_.Pause(NowSeconds());
}

void elStream::Close() {
  Stop();
  sound_.Close();  // no fill call after this
  {
    std::lock_guard lock(mutex_);
    abort_ = true;
  }
  changed_.notify_all();
  if (reader_.joinable()) reader_.join();
  source_.reset();
  picture_.reset();
  hasPicture_ = false;
  bytesPerSecond_ = 0;
  soundLatency_ = 0;
  clock_.Reset();
  std::lock_guard lock(mutex_);
  frames_.clear();
  chunks_.clear();
  chunkBytes_ = 0;
  chunkOffset_ = 0;
  endTime_ = 0;
  readerDone_ = false;
  abort_ = false;
}

MovieState elStream::State() {
  if (source_ == nullptr) return MovieState::kNone;
  if (!playing_) return MovieState::kStopped;
  const double now = clock();
  std::lock_guard lock(mutex_);
  if (readerDone_ && frames_.empty() && chunks_.empty() && now >= endTime_) {
    return MovieState::kEnded;
  }
  return MovieState::kPlaying;
}

void elStream::DrawFrame(int x, int y, int w, int h) {
  if (picture_ == nullptr) return;
  VideoFrame due;
  bool have = false;
  {
    const double now = clock();
    std::lock_guard lock(mutex_);
    const size_t count = CountDueFrames(frames_, now);
    if (count > 0) {
      due = std::move(frames_[count - 1]);
      frames_.erase(frames_.begin(), frames_.begin() + static_cast<long>(count));
      have = true;
    }
  }
  if (have) {
    changed_.notify_all();
    const int width = draw_.config().width;
    if (due.pixels.size() == static_cast<size_t>(width) * draw_.config().height &&
        SDL_UpdateTexture(picture_.get(), nullptr, due.pixels.data(), width * 4) == 0) {
      hasPicture_ = true;
    }
  }
  if (!hasPicture_) return;
  draw_.SelectBackBuffer();
  const SDL_Rect dst{x, y, w, h};
  SDL_RenderCopy(draw_.renderer(), picture_.get(), nullptr, &dst);
}

double elStream::SecondsToNextFrame() {
  if (source_ == nullptr || !playing_) return kIdleWait;
  const double now = clock();
  double wait = kDecoderBehindWait;
  {
    std::lock_guard lock(mutex_);
    if (!frames_.empty()) {
      wait = frames_.front().pts - now;
    } else if (readerDone_) {
      wait = endTime_ - now;
    }
  }
  return std::clamp(wait, 0.0, kMaxWait);
}

}  // namespace el
