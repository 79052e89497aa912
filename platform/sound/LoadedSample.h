// A loaded sample as both threads hold it: the decoded frames (or, for a long one, the
// stream they are decoded from while they play), its flags, and one status word per channel. The frame loop claims a
// free channel by its word; the mixer gives the channel back when a sample that does not loop has played to its end.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/sound/SampleData.h"
#include "platform/sound/SampleStream.h"

namespace sound {

// A channel's status word: its generation (15 bits, never 0) and its state (2 bits). The
// generation changes each time the channel is handed out, so a handle of an earlier use
// no longer matches.
enum class ChannelState : std::uint32_t { Free = 0, Reserved = 1, Playing = 2 };

constexpr std::uint32_t statusWord(std::uint32_t generation, ChannelState state) {
  return generation << 2 | static_cast<std::uint32_t>(state);
}
constexpr std::uint32_t generationOf(std::uint32_t word) { return word >> 2; }
constexpr ChannelState stateOf(std::uint32_t word) { return static_cast<ChannelState>(word & 3u); }
constexpr std::uint32_t nextGeneration(std::uint32_t generation) { return generation % 0x7FFFu + 1u; }

struct LoadedSample {
  LoadedSample(SampleData pcm, bool looping, bool spatial, int channelCount,
               std::unique_ptr<const SampleStream> streamed = nullptr)
      : data(std::move(pcm)), stream(std::move(streamed)), loop(looping), is3D(spatial), maxChannels(channelCount),
        status(std::make_unique<std::atomic<std::uint32_t>[]>(static_cast<std::size_t>(channelCount))) {}

  std::size_t frames() const { return stream ? stream->format().frames : data.frames(); }

  const SampleData data; // a streamed sample's rate and channels, without frames
  const std::unique_ptr<const SampleStream> stream;
  const bool loop;
  const bool is3D;
  const int maxChannels;
  const std::unique_ptr<std::atomic<std::uint32_t>[]> status;
};

} // namespace sound
