// How the frame loop's requests reach the mixer on the output's thread without either
// waiting on the other for long: the frame loop appends under a mutex held for one
// push_back; the output's thread, once per block, swaps the whole list out under the same
// mutex but only with try_lock, so a block never waits for the frame loop (a busy mutex
// delays the requests by one block, about 23 ms). Decoding and mixing run with the mutex
// free.
#pragma once

#include <mutex>
#include <vector>

#include "platform/sound/Mixer.h"

namespace sound {

class CommandQueue {
public:
  CommandQueue();

  // The frame loop's side.
  void post(MixerCommand command);
  // The output's side: applies what was posted since the last call, in order.
  void applyTo(Mixer& mixer);

private:
  std::mutex mutex_;
  std::vector<MixerCommand> posted_;
  std::vector<MixerCommand> taken_; // only the output's thread touches it
};

} // namespace sound
