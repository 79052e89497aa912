// Encodes a Sound as an Ogg Vorbis file with libvorbisenc. The stream serial number is
// fixed by the caller, so the same samples always give the same bytes.
#pragma once

#include "tools/mediagen/sound/Dsp.h"

#include <cstdint>
#include <string>

namespace tools::sound {

struct VorbisSettings {
  float quality = 0.4f; // libvorbisenc's VBR quality, -0.1 ... 1.0
  std::uint32_t serial = 1;
  std::string title;
  // For loops: the encoder also sees the loop's start after its end (the stream is then cut
  // back to the loop length), so the last samples are coded as accurately as any others
  // instead of against silence.
  bool loop = false;
};

// Writes `sound` (mono or stereo, kSampleRate) to `path`. On failure answers false and
// says why in `error`.
bool writeOggVorbis(const std::string& path, const Sound& sound, const VorbisSettings& settings, std::string& error);

} // namespace tools::sound
