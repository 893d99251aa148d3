#include "shogi/sound/mixer_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <fstream>
#include <iterator>

#include "shogi/sound/smf.h"

namespace shogi::sound {

namespace {

constexpr int kClipChannel = 0;

// The one open instance; the mixer's callbacks are plain functions and find it here.
std::atomic<MixerAudio*> g_open{nullptr};
// Held by the timer callback while it uses the instance, and by the destructor while it
// lets go of it: SDL_RemoveTimer does not wait for a callback that is already running.
std::mutex g_timerMutex;

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA's library prints its failures to stderr (on a machine without a sound card, several
// lines for every attempt). SDL loads that library at run time; load the same one and give
// it a handler that drops the messages, so that a missing device goes unremarked.
void QuietAlsa() {
  static const bool done = [] {
    void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!lib) return true;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler")))
      set(&IgnoreAlsaError);
    return true;  // the library stays loaded: SDL shares it
  }();
  (void)done;
}

}  // namespace

MixerAudio::MixerAudio(ClipLookup lookup) : MixerAudio(std::move(lookup), Options{}) {}

MixerAudio::MixerAudio(ClipLookup lookup, Options options)
    : lookup_(std::move(lookup)), options_(std::move(options)) {
  MixerAudio* expected = nullptr;
  if (!g_open.compare_exchange_strong(expected, this)) return;  // another one is open: silent
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  QuietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER) != 0) {
    g_open = nullptr;
    return;
  }
  ownsSdl_ = true;
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
    ownsSdl_ = false;
    g_open = nullptr;
    return;
  }
  Mix_Init(MIX_INIT_MID);
  Mix_SetSoundFonts(options_.soundFont.c_str());
  Mix_AllocateChannels(1);
  Mix_ChannelFinished(&MixerAudio::OnChannelFinished);
  Mix_HookMusicFinished(&MixerAudio::OnMusicFinished);
  open_ = true;
}

MixerAudio::~MixerAudio() {
  if (!open_) return;
  if (timer_ != 0) SDL_RemoveTimer(timer_);
  timer_ = 0;
  Mix_HookMusicFinished(nullptr);
  Mix_ChannelFinished(nullptr);
  Mix_HaltMusic();
  if (music_) Mix_FreeMusic(music_);
  Mix_HaltChannel(-1);
  for (auto& [name, chunk] : chunks_)
    if (chunk) Mix_FreeChunk(chunk);
  Mix_CloseAudio();
  Mix_Quit();
  {
    std::lock_guard lock(g_timerMutex);
    g_open = nullptr;
  }
  if (ownsSdl_) SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
}

MixerAudio::ClipLookup MixerAudio::DirectoryLookup(std::string directory) {
  return [directory = std::move(directory)](std::string_view name) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(directory + "/" + std::string(name) + ".wav", bytes)) bytes.clear();
    return bytes;
  };
}

// --- Callbacks from other threads: flags and the wake function only ---

void MixerAudio::OnChannelFinished(int channel) {
  MixerAudio* self = g_open.load();
  if (!self || channel != kClipChannel) return;
  self->clipFinished_ = true;
  self->Wake();
}

void MixerAudio::OnMusicFinished() {
  MixerAudio* self = g_open.load();
  if (!self || self->halting_) return;  // a halt of ours, not the end of a piece
  self->hookEnded_ = self->playingGeneration_.load();
  self->Wake();
}

uint32_t MixerAudio::OnMusicTimer(uint32_t, void* param) {
  std::lock_guard lock(g_timerMutex);
  MixerAudio* self = g_open.load();
  if (self) {
    self->timerEnded_ = reinterpret_cast<uintptr_t>(param);
    self->Wake();
  }
  return 0;  // once
}

void MixerAudio::SetWakeFunction(std::function<void()> wake) {
  std::lock_guard lock(wakeMutex_);
  wake_ = std::move(wake);
}

void MixerAudio::Wake() {
  std::lock_guard lock(wakeMutex_);
  if (wake_) wake_();
}

// --- Clips ---

Mix_Chunk* MixerAudio::Chunk(std::string_view name) {
  if (!open_) return nullptr;
  if (auto it = chunks_.find(name); it != chunks_.end()) return it->second;
  Mix_Chunk* chunk = nullptr;
  std::vector<uint8_t> bytes = lookup_ ? lookup_(name) : std::vector<uint8_t>{};
  if (!bytes.empty()) {
    // The chunk keeps its own converted copy of the samples.
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (rw) chunk = Mix_LoadWAV_RW(rw, 1);
  }
  chunks_.emplace(std::string(name), chunk);
  return chunk;
}

bool MixerAudio::LoadClip(std::string_view name) {
  return Chunk(name) != nullptr;
}

double MixerAudio::ClipSeconds(std::string_view name) {
  Mix_Chunk* chunk = Chunk(name);
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  if (!chunk || Mix_QuerySpec(&frequency, &format, &channels) == 0) return 0;
  const int frameBytes = SDL_AUDIO_BITSIZE(format) / 8 * channels;
  return frameBytes > 0 ? static_cast<double>(chunk->alen) / frameBytes / frequency : 0;
}

void MixerAudio::PlayClip(std::string_view name) {
  Mix_Chunk* chunk = Chunk(name);
  if (!chunk) return;
  queue_.emplace_back(std::string(name), chunk);
  idleReported_ = false;
  ServiceClips();
}

bool MixerAudio::IsIdle() const {
  return queue_.empty() && (!clipPlaying_ || clipFinished_);
}

void MixerAudio::ServiceClips() {
  if (clipPlaying_ && clipFinished_.exchange(false)) clipPlaying_ = false;
  if (!clipPlaying_) StartNextClip();
}

void MixerAudio::StartNextClip() {
  while (!clipPlaying_ && !queue_.empty()) {
    auto [name, chunk] = std::move(queue_.front());
    queue_.pop_front();
    clipFinished_ = false;
    if (Mix_PlayChannel(kClipChannel, chunk, 0) == -1) continue;
    clipPlaying_ = true;
    if (clipStarted_) clipStarted_(name);
  }
}

void MixerAudio::SetIdleCallback(std::function<void()> callback) {
  idleCallback_ = std::move(callback);
}

void MixerAudio::SetClipStartedCallback(std::function<void(const std::string&)> callback) {
  clipStarted_ = std::move(callback);
}

// --- Music ---

void MixerAudio::StopMusic() {
  if (timer_ != 0) SDL_RemoveTimer(timer_);
  timer_ = 0;
  deadline_.reset();
  if (music_) {
    halting_ = true;
    Mix_HaltMusic();
    halting_ = false;
    Mix_FreeMusic(music_);
    music_ = nullptr;
  }
  musicBytes_.clear();
  musicState_ = MusicState::kNone;
}

bool MixerAudio::OpenMusic(const std::string& path) {
  if (!open_) return false;
  StopMusic();
  ++generation_;  // whatever was pending belongs to an older piece now
  if (!ReadFile(path, musicBytes_) || musicBytes_.empty()) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(musicBytes_.data(), static_cast<int>(musicBytes_.size()));
  music_ = rw ? Mix_LoadMUS_RW(rw, 1) : nullptr;
  if (!music_) {
    musicBytes_.clear();
    return false;
  }
  const std::optional<double> length =
      Mix_GetMusicType(music_) == MUS_MID ? SmfLengthSeconds(musicBytes_) : std::nullopt;
  playingGeneration_ = generation_;
  halting_ = true;  // starting a piece may halt the mixer's previous one
  const int played = Mix_PlayMusic(music_, 0);
  halting_ = false;
  if (played != 0) {
    StopMusic();
    return false;
  }
  musicState_ = MusicState::kPlaying;
  if (length && *length > 0) {
    const auto start = std::chrono::steady_clock::now();
    deadline_ = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(*length));
    const auto ms = static_cast<uint32_t>(*length * 1000.0 + 0.5);
    timer_ = SDL_AddTimer(ms > 0 ? ms : 1, &MixerAudio::OnMusicTimer,
                          reinterpret_cast<void*>(static_cast<uintptr_t>(generation_)));
  }
  return true;
}

void MixerAudio::CloseMusic() {
  const bool wasPlaying = musicState_ == MusicState::kPlaying;
  StopMusic();
  if (wasPlaying) {
    endToReport_ = generation_;
    Wake();
  }
}

void MixerAudio::ServiceMusic() {
  if (musicState_ != MusicState::kPlaying) return;
  const bool byLength =
      deadline_ && (timerEnded_ == generation_ || std::chrono::steady_clock::now() >= *deadline_);
  const bool byHook = hookEnded_ == generation_;
  if (byLength || byHook) {
    // The synthesizer may still sound its tail; the next CloseMusic or OpenMusic stops it.
    musicState_ = MusicState::kEnded;
    endToReport_ = generation_;
  }
}

void MixerAudio::SetPieceEndedCallback(std::function<void()> callback) {
  pieceEnded_ = std::move(callback);
}

// --- Window thread ---

void MixerAudio::Pump() {
  ServiceClips();
  if (!idleReported_ && !clipPlaying_ && queue_.empty()) {
    idleReported_ = true;
    if (idleCallback_) idleCallback_();
  }
  ServiceMusic();
  if (endToReport_) {
    const uint64_t ended = *endToReport_;
    endToReport_.reset();
    if (ended == generation_ && musicState_ != MusicState::kPlaying && pieceEnded_) pieceEnded_();
  }
}

}  // namespace shogi::sound
