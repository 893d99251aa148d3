// The playing length of a Standard MIDI File, from its tempo map and the tick of its last
// event (the end-of-track events included). The music player needs it because the mixer
// reports the end of a MIDI piece only seconds after the last note.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace shogi::sound {

// Seconds from the start to the last event of any track; nothing for a malformed file.
std::optional<double> SmfLengthSeconds(std::span<const uint8_t> bytes);

}  // namespace shogi::sound
