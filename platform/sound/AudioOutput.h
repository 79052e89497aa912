// A running output: it asks its source for stereo float frames on a thread of its own.
#pragma once

#include <memory>
#include <string>

namespace sound {

class FrameSource {
public:
  virtual ~FrameSource() = default;
  // Fills `frames` interleaved stereo frames. Called on the output's thread.
  virtual void render(float* stereo, int frames) = 0;
};

class AudioOutput {
public:
  virtual ~AudioOutput() = default; // stops the output; no render call runs after it
  virtual int rate() const = 0;
  // Begins calling the source.
  virtual void start() = 0;
};

// The system's default output through SDL2 audio, opened stopped, asking for `rate`
// (it may run at another; rate() tells). Null with the reason in `error` when there is none.
std::unique_ptr<AudioOutput> openDefaultOutput(int rate, FrameSource& source, std::string& error);

} // namespace sound
