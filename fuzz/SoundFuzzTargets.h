// What the sample-loading fuzzer does with one input, shared with the unit test that replays
// the committed corpus: any bytes as an Ogg Vorbis file, decoded and (when they decode)
// played. Nothing may crash or read outside the input; the checks abort on a broken promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <ogg/ogg.h>

#include "platform/sound/AudioLibrary.h"
#include "platform/sound/OggDecoder.h"
#include "platform/sound/bass.h"

namespace fuzztargets {

inline void requireSound(bool condition) {
  if (!condition) std::abort();
}

inline void checkDecoded(const std::uint8_t* data, std::size_t size, bool mono) {
  sound::SampleData sample;
  std::string error;
  const bool decoded = sound::decodeOggVorbis(data, size, mono, sample, error);
  requireSound(decoded == error.empty());
  if (!decoded) {
    requireSound(sample.pcm.empty());
    return;
  }
  requireSound(sample.channels == 1 || (!mono && sample.channels == 2));
  requireSound(sample.frames() > 0 && sample.frames() <= sound::kMaxSampleFrames);
  requireSound(sample.pcm.size() == sample.frames() * static_cast<std::size_t>(sample.channels));
  requireSound(sample.rate >= 1000 && sample.rate <= 192000);
}

// Loads the bytes as the room loads its ticking (mono, 3D, looping) and mixes a block.
inline void playLoaded(const std::uint8_t* data, std::size_t size) {
  sound::loadLibrary();
  BASS_Init(0, 44100, BASS_DEVICE_3D, nullptr, nullptr);
  const HSAMPLE sample =
      BASS_SampleLoad(TRUE, data, 0, static_cast<DWORD>(size), 2, BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP | BASS_SAMPLE_3D);
  if (sample) {
    requireSound(BASS_ChannelPlay(BASS_SampleGetChannel(sample, TRUE), TRUE));
    std::vector<float> block(2 * 512);
    requireSound(sound::loadedLibrary()->pull(block.data(), 512));
    for (float value : block)
      requireSound(value > -1.0f && value < 1.0f);
  }
  sound::freeLibrary();
}

// Loads the bytes on a library that streams every sample, and plays them round their loop
// point with the feeder answering between blocks.
inline void playStreamed(const std::uint8_t* data, std::size_t size) {
  sound::AudioLibrary library(0);
  requireSound(library.init(0, 44100, BASS_DEVICE_3D, nullptr));
  const HSAMPLE sample = library.sampleLoad(TRUE, data, 0, static_cast<DWORD>(size), 2, BASS_SAMPLE_LOOP);
  if (!sample) return;
  requireSound(library.channelPlay(library.sampleGetChannel(sample, TRUE), TRUE));
  std::vector<float> block(2 * 4096);
  library.pull(block.data(), 0);
  for (int i = 0; i < 3; ++i) {
    library.settleStreams();
    requireSound(library.pull(block.data(), 4096));
    for (float value : block)
      requireSound(value > -1.0f && value < 1.0f);
  }
}

// The input with the checksum of every whole Ogg page in it made right, so that mutations
// inside pages reach the Vorbis decoder instead of stopping at the page check.
inline std::vector<std::uint8_t> withPageChecksums(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  constexpr std::size_t kHeader = 27;
  std::size_t at = 0;
  while (at + kHeader <= size) {
    if (bytes[at] != 'O' || bytes[at + 1] != 'g' || bytes[at + 2] != 'g' || bytes[at + 3] != 'S') {
      ++at;
      continue;
    }
    const std::size_t segments = bytes[at + 26];
    const std::size_t headerSize = kHeader + segments;
    if (at + headerSize > size) break;
    std::size_t bodySize = 0;
    for (std::size_t i = 0; i < segments; ++i)
      bodySize += bytes[at + kHeader + i];
    if (at + headerSize + bodySize > size) break;
    ogg_page page{bytes.data() + at, static_cast<long>(headerSize), bytes.data() + at + headerSize,
                  static_cast<long>(bodySize)};
    ogg_page_checksum_set(&page);
    at += headerSize + bodySize;
  }
  return bytes;
}

inline void runSampleLoad(const std::uint8_t* data, std::size_t size) {
  checkDecoded(data, size, false);
  const std::vector<std::uint8_t> repaired = withPageChecksums(data, size);
  checkDecoded(repaired.data(), repaired.size(), true);
  playLoaded(repaired.data(), repaired.size());
  playStreamed(repaired.data(), repaired.size());
}

} // namespace fuzztargets
