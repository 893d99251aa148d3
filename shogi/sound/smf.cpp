#include "shogi/sound/smf.h"

#include <algorithm>
#include <map>

namespace shogi::sound {

namespace {

class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, std::size_t pos, std::size_t end)
      : bytes_(bytes), pos_(pos), end_(end) {}

  bool AtEnd() const { return pos_ >= end_; }
  std::size_t Pos() const { return pos_; }

  bool Byte(uint8_t& b) {
    if (pos_ >= end_) return false;
    b = bytes_[pos_++];
    return true;
  }
  bool Peek(uint8_t& b) const {
    if (pos_ >= end_) return false;
    b = bytes_[pos_];
    return true;
  }
  bool Big(int n, uint32_t& v) {
    v = 0;
    for (int i = 0; i < n; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      v = (v << 8) | b;
    }
    return true;
  }
  bool VarLen(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      v = (v << 7) | (b & 0x7f);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  bool Skip(uint32_t n) {
    if (n > end_ - pos_) return false;
    pos_ += n;
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t pos_;
  std::size_t end_;
};

// Walks one track; records its tempo changes and its last tick.
bool ReadTrack(Reader r, std::map<uint64_t, uint32_t>& tempos, uint64_t& lastTick) {
  uint64_t tick = 0;
  uint8_t status = 0;
  while (!r.AtEnd()) {
    uint32_t delta;
    if (!r.VarLen(delta)) return false;
    tick += delta;
    uint8_t b;
    if (!r.Peek(b)) return false;
    if (b & 0x80) {
      r.Byte(b);
      status = b;
    } else if (status == 0 || status >= 0xf0) {
      return false;  // running status without a status
    }
    if (status == 0xff) {
      uint8_t type;
      uint32_t length;
      if (!r.Byte(type) || !r.VarLen(length)) return false;
      if (type == 0x51 && length == 3) {
        uint32_t tempo;
        if (!r.Big(3, tempo)) return false;
        tempos[tick] = tempo;
      } else if (!r.Skip(length)) {
        return false;
      }
      status = 0;
      if (type == 0x2f) {
        lastTick = std::max(lastTick, tick);
        return true;
      }
    } else if (status == 0xf0 || status == 0xf7) {
      uint32_t length;
      if (!r.VarLen(length) || !r.Skip(length)) return false;
      status = 0;
    } else {
      const uint8_t high = status & 0xf0;
      const int dataBytes = (high == 0xc0 || high == 0xd0) ? 1 : 2;
      if (!r.Skip(dataBytes)) return false;
    }
    lastTick = std::max(lastTick, tick);
  }
  return true;
}

}  // namespace

std::optional<double> SmfLengthSeconds(std::span<const uint8_t> bytes) {
  Reader header(bytes, 0, bytes.size());
  uint32_t magic, length, format, tracks, division;
  if (!header.Big(4, magic) || magic != 0x4d546864 || !header.Big(4, length) || length < 6 ||
      !header.Big(2, format) || !header.Big(2, tracks) || !header.Big(2, division) ||
      !header.Skip(length - 6) || division == 0)
    return std::nullopt;
  (void)format;

  std::map<uint64_t, uint32_t> tempos;  // tick → microseconds per quarter note
  uint64_t lastTick = 0;
  std::size_t pos = header.Pos();
  for (uint32_t t = 0; t < tracks; ++t) {
    Reader chunk(bytes, pos, bytes.size());
    uint32_t id, size;
    if (!chunk.Big(4, id) || !chunk.Big(4, size)) return std::nullopt;
    const std::size_t start = chunk.Pos();
    if (size > bytes.size() - start) return std::nullopt;
    if (id == 0x4d54726b && !ReadTrack(Reader(bytes, start, start + size), tempos, lastTick))
      return std::nullopt;
    pos = start + size;
  }

  if (division & 0x8000) {  // SMPTE: frames per second and ticks per frame
    const int fps = 256 - static_cast<int>((division >> 8) & 0xff);
    const int perFrame = static_cast<int>(division & 0xff);
    if (fps <= 0 || perFrame <= 0) return std::nullopt;
    return static_cast<double>(lastTick) / (fps * perFrame);
  }
  double seconds = 0;
  uint64_t tick = 0;
  uint32_t tempo = 500000;
  for (const auto& [at, value] : tempos) {
    if (at >= lastTick) break;
    seconds += static_cast<double>(at - tick) * tempo / (1e6 * division);
    tick = at;
    tempo = value;
  }
  seconds += static_cast<double>(lastTick - tick) * tempo / (1e6 * division);
  return seconds;
}

}  // namespace shogi::sound
