// Small Standard MIDI Files for tests: a few notes of one instrument at a fixed tempo.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace shogi::sound::testing_util {

// A file of format 0, 480 ticks per quarter note, around one track.
inline std::vector<uint8_t> SmfOf(const std::vector<uint8_t>& track) {
  std::vector<uint8_t> smf = {'M', 'T', 'h', 'd',  0,    0,   0,   6,   0,
                              0,   0,   1,   0x01, 0xe0, 'M', 'T', 'r', 'k'};
  for (int shift = 24; shift >= 0; shift -= 8)
    smf.push_back(static_cast<uint8_t>(track.size() >> shift));
  smf.insert(smf.end(), track.begin(), track.end());
  return smf;
}

// `quarters` quarter notes at `bpm` (koto), the
// note-offs in running status, then the end of the track on the last beat.
inline std::vector<uint8_t> MakeSmf(int quarters, int bpm) {
  const uint32_t tempo = 60000000u / static_cast<uint32_t>(bpm);
  std::vector<uint8_t> track = {0x00,
                                0xff,
                                0x51,
                                0x03,
                                static_cast<uint8_t>(tempo >> 16),
                                static_cast<uint8_t>(tempo >> 8),
                                static_cast<uint8_t>(tempo),
                                0x00,
                                0xc0,
                                107};
  for (int i = 0; i < quarters; ++i) {
    const auto key = static_cast<uint8_t>(62 + (i % 5) * 2);
    track.insert(track.end(), {0x00, 0x90, key, 100, 0x83, 0x38, key, 0});   // 440 ticks
    if (i + 1 < quarters) track.insert(track.end(), {40, 0xb0, 0x0b, 100});  // expression
  }
  track.insert(track.end(), {40, 0xff, 0x2f, 0x00});
  return SmfOf(track);
}

inline void WriteSmf(const std::string& path, const std::vector<uint8_t>& smf) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(smf.data()), static_cast<std::streamsize>(smf.size()));
}

}  // namespace shogi::sound::testing_util
