#include "movie_source.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/version.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace el {
namespace {

constexpr double kMaxPtsJump = 10.0;  // seconds
constexpr double kDefaultFrameTime = 1.0 / 15;
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 384000;
constexpr int kMaxChannels = 16;

void QuietFfmpeg() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// Owners of the FFmpeg objects: each frees its object with FFmpeg's own function.
struct FormatCloser {
  void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct CodecFreer {
  void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
  void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct ScalerFreer {
  void operator()(SwsContext* p) const { sws_freeContext(p); }
};
struct ResamplerFreer {
  void operator()(SwrContext* p) const { swr_free(&p); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;

// The length of a decoded picture in stream time-base units (0 when unknown). FFmpeg names the
// field `duration` from libavutil 57.30 on and deprecates the older `pkt_duration`.
int64_t FrameDuration(const AVFrame& frame) {
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
  return frame.duration;
#else
  return frame.pkt_duration;
#endif
}

double Seconds(int64_t ts, int64_t start, AVRational base) {
  if (ts == AV_NOPTS_VALUE) return NAN;
  if (start != AV_NOPTS_VALUE) ts -= start;
  return static_cast<double>(ts) * av_q2d(base);
}

// Opens a decoder for one stream; null when that fails.
CodecPtr OpenDecoder(const AVCodec* codec, const AVStream* stream) {
  CodecPtr context(avcodec_alloc_context3(codec));
  if (context == nullptr) return nullptr;
  context->max_pixels = kMaxMoviePixels;
  context->thread_count = 1;
  if (avcodec_parameters_to_context(context.get(), stream->codecpar) < 0 ||
      avcodec_open2(context.get(), codec, nullptr) < 0) {
    return nullptr;
  }
  return context;
}

}  // namespace

double SanePts(double pts, double expected) {
  if (!std::isfinite(pts) || pts < expected - 1e-3 || pts > expected + kMaxPtsJump) {
    return expected;
  }
  return pts;
}

struct MovieSource::Impl {
  Options options;
  FormatPtr format;
  PacketPtr packet;
  bool packetPending = false;  // `packet` was refused with EAGAIN and is to be sent again
  FramePtr frame;

  CodecPtr video;
  int videoIndex = -1;
  AVRational videoBase{1, 1};
  int64_t videoStart = AV_NOPTS_VALUE;
  double frameTime = kDefaultFrameTime;
  double nextVideoPts = 0;
  ScalerPtr sws;

  CodecPtr audio;
  int audioIndex = -1;
  AVRational audioBase{1, 1};
  int64_t audioStart = AV_NOPTS_VALUE;
  double nextAudioPts = 0;
  AudioFormat output;
  ResamplerPtr swr;
  int swrRate = 0;
  int swrFormat = -1;
  AVChannelLayout swrLayout{};

  bool readEnded = false;
  bool videoDone = false;
  bool audioDone = false;

  ~Impl() { av_channel_layout_uninit(&swrLayout); }

  bool audioOn() const { return audio != nullptr && output.rate > 0; }

  bool ConvertVideo(VideoFrame* out) {
    const int w = frame->width;
    const int h = frame->height;
    if (w <= 0 || h <= 0 || static_cast<int64_t>(w) * h > kMaxMoviePixels) return false;
    const auto pixelFormat = static_cast<AVPixelFormat>(frame->format);
    if (pixelFormat == AV_PIX_FMT_NONE || !sws_isSupportedInput(pixelFormat)) return false;
    sws.reset(sws_getCachedContext(sws.release(), w, h, pixelFormat, options.width, options.height,
                                   AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (sws == nullptr) return false;
    // BGRA bytes are ARGB8888 words on a little-endian machine.
    out->pixels.resize(static_cast<size_t>(options.width) * options.height);
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(out->pixels.data()), nullptr, nullptr,
                          nullptr};
    int strides[4] = {options.width * 4, 0, 0, 0};
    if (sws_scale(sws.get(), frame->data, frame->linesize, 0, h, planes, strides) <= 0)
      return false;

    const int64_t length = FrameDuration(*frame);
    double duration = length > 0 ? static_cast<double>(length) * av_q2d(videoBase) : frameTime;
    if (!std::isfinite(duration) || duration <= 0 || duration > 1.0) duration = frameTime;
    out->pts = SanePts(Seconds(frame->best_effort_timestamp, videoStart, videoBase), nextVideoPts);
    out->duration = duration;
    nextVideoPts = out->pts + duration;
    return true;
  }

  bool SetUpResampler() {
    const int rate = frame->sample_rate;
    const int channels = frame->ch_layout.nb_channels;
    if (rate < kMinSampleRate || rate > kMaxSampleRate || channels < 1 || channels > kMaxChannels ||
        frame->nb_samples <= 0) {
      return false;
    }
    if (swr != nullptr && swrRate == rate && swrFormat == frame->format &&
        av_channel_layout_compare(&swrLayout, &frame->ch_layout) == 0) {
      return true;
    }
    swr.reset();
    av_channel_layout_uninit(&swrLayout);
    AVChannelLayout in{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
        av_channel_layout_copy(&in, &frame->ch_layout) < 0) {
      av_channel_layout_default(&in, channels);
    }
    AVChannelLayout out{};
    av_channel_layout_default(&out, output.channels);
    SwrContext* made = nullptr;
    const int set =
        swr_alloc_set_opts2(&made, &out, AV_SAMPLE_FMT_S16, output.rate, &in,
                            static_cast<AVSampleFormat>(frame->format), rate, 0, nullptr);
    swr.reset(made);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (set < 0 || swr == nullptr || swr_init(swr.get()) < 0) {
      swr.reset();
      return false;
    }
    swrRate = rate;
    swrFormat = frame->format;
    if (av_channel_layout_copy(&swrLayout, &frame->ch_layout) < 0) {
      swr.reset();
      return false;
    }
    return true;
  }

  bool ConvertAudio(AudioChunk* out) {
    if (!SetUpResampler()) return false;
    const int capacity = swr_get_out_samples(swr.get(), frame->nb_samples);
    if (capacity <= 0) return false;
    const int frameBytes = output.channels * 2;
    out->bytes.resize(static_cast<size_t>(capacity) * frameBytes);
    uint8_t* dst = out->bytes.data();
    const int made =
        swr_convert(swr.get(), &dst, capacity, const_cast<const uint8_t**>(frame->extended_data),
                    frame->nb_samples);
    if (made <= 0) return false;
    out->bytes.resize(static_cast<size_t>(made) * frameBytes);
    out->pts = SanePts(Seconds(frame->best_effort_timestamp, audioStart, audioBase), nextAudioPts);
    nextAudioPts = out->pts + static_cast<double>(frame->nb_samples) / frame->sample_rate;
    return true;
  }
};

MovieSource::MovieSource(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MovieSource::~MovieSource() = default;

bool MovieSource::VideoDecodersAvailable() {
  void* it = nullptr;
  while (const AVCodec* codec = av_codec_iterate(&it)) {
    if (codec->type == AVMEDIA_TYPE_VIDEO && av_codec_is_decoder(codec)) return true;
  }
  return false;
}

std::unique_ptr<MovieSource> MovieSource::Open(const std::filesystem::path& file,
                                               const Options& options, MovieError* error) {
  *error = MovieError::kUnreadable;
  if (options.width <= 0 || options.height <= 0) return nullptr;
  if (!VideoDecodersAvailable()) {
    *error = MovieError::kNoDecoder;
    return nullptr;
  }
  // Only a regular file (after links): opening a pipe or a device would wait for a writer or
  // read without end.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return nullptr;
  QuietFfmpeg();

  auto impl = std::make_unique<Impl>();
  impl->options = options;
  // Local files only: the "file:" prefix keeps a name with a colon from choosing a protocol,
  // and the whitelist keeps the file from pulling in other protocols or files.
  AVDictionary* settings = nullptr;
  av_dict_set(&settings, "protocol_whitelist", "file", 0);
  const std::string url = "file:" + file.string();
  AVFormatContext* format = nullptr;
  const int opened = avformat_open_input(&format, url.c_str(), nullptr, &settings);
  av_dict_free(&settings);
  if (opened < 0) return nullptr;
  impl->format.reset(format);
  if (avformat_find_stream_info(format, nullptr) < 0) return nullptr;

  const AVCodec* videoCodec = nullptr;
  impl->videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &videoCodec, 0);
  if (impl->videoIndex < 0 || videoCodec == nullptr) return nullptr;
  AVStream* videoStream = format->streams[impl->videoIndex];
  const AVCodecParameters* par = videoStream->codecpar;
  if (par->width < 0 || par->height < 0 ||
      static_cast<int64_t>(par->width) * par->height > kMaxMoviePixels) {
    return nullptr;
  }
  impl->video = OpenDecoder(videoCodec, videoStream);
  if (impl->video == nullptr) return nullptr;
  impl->videoBase = videoStream->time_base;
  impl->videoStart = videoStream->start_time;
  const AVRational rate = av_guess_frame_rate(format, videoStream, nullptr);
  if (rate.num > 0 && rate.den > 0) {
    impl->frameTime = std::clamp(av_q2d(av_inv_q(rate)), 1.0 / 120, 1.0);
  }

  if (options.withSound) {
    const AVCodec* audioCodec = nullptr;
    const int index =
        av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, impl->videoIndex, &audioCodec, 0);
    if (index >= 0 && audioCodec != nullptr) {
      const AVStream* audioStream = format->streams[index];
      const AVCodecParameters* apar = audioStream->codecpar;
      if (apar->sample_rate >= kMinSampleRate && apar->sample_rate <= kMaxSampleRate &&
          apar->ch_layout.nb_channels >= 1 && apar->ch_layout.nb_channels <= kMaxChannels) {
        impl->audio = OpenDecoder(audioCodec, audioStream);
      }
      if (impl->audio != nullptr) {
        impl->audioIndex = index;
        impl->audioBase = audioStream->time_base;
        impl->audioStart = audioStream->start_time;
      }
    }
  }

  impl->packet.reset(av_packet_alloc());
  impl->frame.reset(av_frame_alloc());
  if (impl->packet == nullptr || impl->frame == nullptr) return nullptr;
  *error = MovieError::kNone;
  return std::unique_ptr<MovieSource>(new MovieSource(std::move(impl)));
}

AudioFormat MovieSource::sourceAudio() const {
  if (impl_->audio == nullptr) return {};
  return {impl_->audio->sample_rate, impl_->audio->ch_layout.nb_channels};
}

void MovieSource::SetAudioOutput(const AudioFormat& format) {
  impl_->output = format;
  if (format.rate <= 0 || format.channels <= 0) impl_->output = {};
  impl_->swr.reset();
}

double MovieSource::duration() const {
  const int64_t d = impl_->format->duration;
  if (d == AV_NOPTS_VALUE || d <= 0) return 0;
  return static_cast<double>(d) / AV_TIME_BASE;
}

MovieSource::Item MovieSource::Next(VideoFrame* video, AudioChunk* audio) {
  Impl& m = *impl_;
  for (;;) {
    int videoResult = AVERROR(EAGAIN);
    if (!m.videoDone) {
      videoResult = avcodec_receive_frame(m.video.get(), m.frame.get());
      if (videoResult == 0) {
        const bool made = m.ConvertVideo(video);
        av_frame_unref(m.frame.get());
        if (made) return Item::kVideo;
        continue;
      }
      if (videoResult == AVERROR_EOF) m.videoDone = true;
    }
    int audioResult = AVERROR(EAGAIN);
    if (m.audioOn() && !m.audioDone) {
      audioResult = avcodec_receive_frame(m.audio.get(), m.frame.get());
      if (audioResult == 0) {
        const bool made = m.ConvertAudio(audio);
        av_frame_unref(m.frame.get());
        if (made) return Item::kAudio;
        continue;
      }
      if (audioResult == AVERROR_EOF) m.audioDone = true;
    }
    const bool audioFinished = !m.audioOn() || m.audioDone;
    if (m.videoDone && audioFinished) return Item::kEnd;

    if (m.readEnded) {
      // Everything has been sent and the decoders are drained: whatever still answers
      // "again" or an error has nothing more to give.
      if (videoResult != 0) m.videoDone = true;
      if (audioResult != 0) m.audioDone = true;
      continue;
    }

    const bool resend = m.packetPending;
    m.packetPending = false;
    if (!resend && av_read_frame(m.format.get(), m.packet.get()) < 0) {
      // End of file, or a read error that ends the movie here.
      m.readEnded = true;
      avcodec_send_packet(m.video.get(), nullptr);
      if (m.audioOn()) avcodec_send_packet(m.audio.get(), nullptr);
      continue;
    }
    AVCodecContext* decoder = nullptr;
    if (m.packet->stream_index == m.videoIndex) {
      decoder = m.video.get();
    } else if (m.audioOn() && m.packet->stream_index == m.audioIndex) {
      decoder = m.audio.get();
    }
    // A decoder that answers "again" wants its output taken first: the packet is kept and sent
    // once more after that. If it refuses a packet it was given back, it breaks its contract;
    // the packet is dropped then rather than offered forever. Any other refusal (a damaged
    // packet) skips the packet.
    if (decoder != nullptr && avcodec_send_packet(decoder, m.packet.get()) == AVERROR(EAGAIN) &&
        !resend) {
      m.packetPending = true;
      continue;
    }
    av_packet_unref(m.packet.get());
  }
}

}  // namespace el
