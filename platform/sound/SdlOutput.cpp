// The default output over SDL2 audio: SDL's callback only moves the mixer's frames out.
#include <SDL2/SDL.h>

#include "platform/sound/AudioOutput.h"

namespace sound {
namespace {

// About 23 ms at 44.1 kHz: short enough for thunder to follow its flash closely, long
// enough that a busy machine does not starve the device.
constexpr Uint16 kBlockFrames = 1024;

class SdlOutput final : public AudioOutput {
public:
  SdlOutput(SDL_AudioDeviceID device, int rate) : device_(device), rate_(rate) {}
  ~SdlOutput() override {
    SDL_CloseAudioDevice(device_); // waits for a running callback
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  SdlOutput(const SdlOutput&) = delete;
  SdlOutput& operator=(const SdlOutput&) = delete;

  int rate() const override { return rate_; }
  void start() override { SDL_PauseAudioDevice(device_, 0); }

private:
  SDL_AudioDeviceID device_;
  int rate_;
};

void SDLCALL renderInto(void* userdata, Uint8* stream, int length) {
  auto& source = *static_cast<FrameSource*>(userdata);
  source.render(reinterpret_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
}

} // namespace

std::unique_ptr<AudioOutput> openDefaultOutput(int rate, FrameSource& source, std::string& error) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_F32SYS; // SDL converts to whatever the device takes
  wanted.channels = 2;
  wanted.samples = kBlockFrames;
  wanted.callback = renderInto;
  wanted.userdata = &source;
  SDL_AudioSpec obtained{};
  const SDL_AudioDeviceID device =
      SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device == 0) {
    error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<SdlOutput>(device, obtained.freq);
}

} // namespace sound
