// What the frame loop asks of the mixer. Calls are checked and answered on the caller's
// thread; what they change reaches the mixer as one of these, in call order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

#include "platform/sound/LoadedSample.h"
#include "platform/sound/Spatial.h"
#include "platform/sound/Voice.h"

namespace sound {

// One channel of one sample in one use (see the status word of LoadedSample).
struct ChannelRef {
  std::uint32_t sample = 0; // index in load order
  std::uint32_t slot = 0;   // 0 ... maxChannels - 1
  std::uint32_t generation = 0;
};

// The voices come along so that the mixer's thread never allocates while the frame loop
// may be decoding (and holding the allocator).
struct AddSample {
  std::shared_ptr<const LoadedSample> sample;
  std::unique_ptr<Voice[]> voices;
};
struct PlayChannel {
  ChannelRef channel;
  bool restart = true;
};
struct SetChannelVolume {
  ChannelRef channel;
  int volume = 100; // 0 ... 100
};
// Applied at the next Apply3D, as are the position and the listener.
struct SetChannelDistances {
  ChannelRef channel;
  float minDistance = 0.0f; // 0 or less: unchanged
  float maxDistance = 0.0f;
};
// A vector left out is unchanged.
struct SetChannel3DPosition {
  ChannelRef channel;
  std::optional<Vec3> position;
};
struct SetListener {
  std::optional<Vec3> position;
  std::optional<Vec3> front; // front and top come together
  std::optional<Vec3> top;
};
struct SetRolloff {
  float rolloff = 1.0f;
};
struct SetGlobalVolume {
  int volume = 100; // 0 ... 100
};
struct Apply3D {};

using MixerCommand = std::variant<AddSample, PlayChannel, SetChannelVolume, SetChannelDistances, SetChannel3DPosition,
                                  SetListener, SetRolloff, SetGlobalVolume, Apply3D>;

} // namespace sound
