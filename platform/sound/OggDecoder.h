// Ogg Vorbis bytes to a sample, decoded whole with libvorbisfile. The bytes are untrusted
// (a Media folder can replace any sound), so every failure is an answer, never a crash.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/sound/SampleData.h"

namespace sound {

// Longest sample accepted, in frames (about twelve minutes at 44.1 kHz): Vorbis codes
// silence in a byte or two per thousand frames, so a small crafted file could otherwise
// ask for gigabytes.
constexpr std::size_t kMaxSampleFrames = std::size_t{1} << 25;

// Decodes mono or stereo Vorbis at 1 kHz to 192 kHz; `mono` mixes stereo down. On failure
// answers false with the reason in `error` ("not an Ogg Vorbis file", "truncated", ...).
// Decoding stops early ("cancelled") once `cancel` holds true.
bool decodeOggVorbis(const void* bytes, std::size_t size, bool mono, SampleData& sample, std::string& error,
                     const std::atomic<bool>* cancel = nullptr);

} // namespace sound
