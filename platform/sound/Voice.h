// What the mixer keeps of one channel of a sample. Only the mixer's thread touches it;
// the array of a sample's voices is allocated by the thread that loads the sample.
#pragma once

#include <cstdint>

#include "platform/sound/Spatial.h"

namespace sound {

struct Voice {
  std::uint32_t generation = 0; // the use of the channel the settings belong to
  bool playing = false;
  double position = 0.0;       // in frames of the sample
  std::uint64_t loops = 0;     // times the position went round a looping sample
  std::uint32_t streamUse = 0; // a streamed sample's ring request this voice plays (0: none yet)
  int volume = 100;            // 0 ... 100
  Source3D source;             // heard now
  Source3D pending;            // heard from the next Apply3D
  bool gainKnown = false;
  StereoGain gain; // where the last block's gain ramp ended
};

} // namespace sound
