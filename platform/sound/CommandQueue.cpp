#include "platform/sound/CommandQueue.h"

namespace sound {
namespace {

// More than a frame's worth of requests (the listener, Apply3D, the volume, a thunder clap),
// so that neither list grows after the first frames.
constexpr std::size_t kReservedCommands = 64;

} // namespace

CommandQueue::CommandQueue() {
  posted_.reserve(kReservedCommands);
  taken_.reserve(kReservedCommands);
}

void CommandQueue::post(MixerCommand command) {
  const std::lock_guard lock(mutex_);
  posted_.push_back(std::move(command));
}

void CommandQueue::applyTo(Mixer& mixer) {
  {
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    // The emptied list goes back with its capacity, so the frame loop rarely allocates.
    posted_.swap(taken_);
  }
  for (MixerCommand& command : taken_)
    mixer.apply(command);
  taken_.clear();
}

} // namespace sound
