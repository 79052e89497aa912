// A sample too long to keep decoded: its Ogg Vorbis bytes (a copy, as the caller may free
// its own after the load) and, for each of its channels, the ring the feeder decodes into
// while the channel plays.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/sound/OggDecoder.h"
#include "platform/sound/StreamRing.h"

namespace sound {

// Samples whose decoded frames would take more than this are decoded while they play.
// 4 MB is about 24 s of stereo at 44.1 kHz: the room's music (three minutes, 32 MB decoded)
// and rain (45 s, 8 MB) stream, one channel each, while the thunder claps and the ticking,
// short and played by several channels at once, stay decoded whole.
constexpr std::size_t kStreamAboveBytes = std::size_t{4} << 20;

// A playing channel has this many frames decoded ahead: a second and a half at 44.1 kHz (a
// third of one at 192 kHz), far more than the feeder's pauses between passes and a busy
// machine's delays, in 256 kB for stereo.
constexpr std::size_t kRingFrames = std::size_t{1} << 16;

class SampleStream {
public:
  SampleStream(const unsigned char* bytes, std::size_t size, SampleFormat format, bool mono, int channelCount)
      : ogg_(bytes, bytes + size), format_(format), mono_(mono),
        rings_(std::make_unique<StreamRing[]>(static_cast<std::size_t>(channelCount))) {}

  const std::vector<unsigned char>& ogg() const { return ogg_; }
  const SampleFormat& format() const { return format_; }
  bool mono() const { return mono_; }
  // Both threads hold the sample as const; each ring is shared by them through its atomics.
  StreamRing& ring(int slot) const { return rings_[static_cast<std::size_t>(slot)]; }

private:
  const std::vector<unsigned char> ogg_;
  const SampleFormat format_;
  const bool mono_;
  const std::unique_ptr<StreamRing[]> rings_;
};

} // namespace sound
