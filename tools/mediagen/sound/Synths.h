// The room's sounds, each made from code and a fixed seed.
#pragma once

#include "tools/mediagen/sound/Dsp.h"

namespace tools::sound {

// Mono tick-tock loop of exactly two seconds: the tick starts at 0 s, the tock at 1 s.
Sound makeTicks();

// Steady rain on the window, a seamless stereo loop.
Sound makeRain();

enum class ThunderKind { Close, Far, Rolling };
// One thunder clap, stereo, ending in silence.
Sound makeThunder(ThunderKind kind);

// The calm night music, a seamless stereo loop of whole bars.
Sound makeMusic();

} // namespace tools::sound
