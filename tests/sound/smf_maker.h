// Small Standard MIDI Files for tests: a few notes of one instrument at a fixed tempo.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace shogi::sound::testing_util {

inline void PutBig(std::vector<uint8_t>& out, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[5];
  int n = 0;
  bytes[n++] = v & 0x7f;
  while (v >>= 7) bytes[n++] = static_cast<uint8_t>(0x80 | (v & 0x7f));
  while (n > 0) out.push_back(bytes[--n]);
}

// Format 0, 480 ticks per quarter note: `quarters` quarter notes at `bpm` (koto), with
// running status for the note-offs, then the end of the track on the last beat.
inline std::vector<uint8_t> MakeSmf(int quarters, int bpm) {
  std::vector<uint8_t> track;
  PutVarLen(track, 0);
  const uint32_t tempo = 60000000u / static_cast<uint32_t>(bpm);
  track.insert(track.end(), {0xff, 0x51, 0x03});
  PutBig(track, tempo, 3);
  PutVarLen(track, 0);
  track.insert(track.end(), {0xc0, 107});
  for (int i = 0; i < quarters; ++i) {
    PutVarLen(track, 0);
    track.insert(track.end(), {0x90, static_cast<uint8_t>(62 + (i % 5) * 2), 100});
    PutVarLen(track, 440);
    track.insert(track.end(), {static_cast<uint8_t>(62 + (i % 5) * 2), 0});  // running status
    if (i + 1 < quarters) {
      PutVarLen(track, 40);
      track.insert(track.end(), {0xb0, 0x0b, 100});  // expression
    }
  }
  PutVarLen(track, 40);
  track.insert(track.end(), {0xff, 0x2f, 0x00});

  std::vector<uint8_t> smf = {'M', 'T', 'h', 'd'};
  PutBig(smf, 6, 4);
  PutBig(smf, 0, 2);
  PutBig(smf, 1, 2);
  PutBig(smf, 480, 2);
  smf.insert(smf.end(), {'M', 'T', 'r', 'k'});
  PutBig(smf, static_cast<uint32_t>(track.size()), 4);
  smf.insert(smf.end(), track.begin(), track.end());
  return smf;
}

inline void WriteSmf(const std::string& path, const std::vector<uint8_t>& smf) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(smf.data()), static_cast<std::streamsize>(smf.size()));
}

}  // namespace shogi::sound::testing_util
