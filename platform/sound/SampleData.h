// A sample as the mixer reads it: decoded once at load into 16-bit frames (interleaved
// when stereo), which halves the memory of the music and rain loops against floats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound {

struct SampleData {
  int rate = 0;     // frames per second
  int channels = 0; // 1 or 2
  std::vector<std::int16_t> pcm;

  std::size_t frames() const { return channels > 0 ? pcm.size() / static_cast<std::size_t>(channels) : 0; }
};

} // namespace sound
