// The audio library loaded and initialised without an output (device 0), so a test hears
// exactly what the calls made the mixer play by pulling its frames.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sound/AudioLibrary.h"
#include "platform/sound/bass.h"
#include "platform/win32/desktop.h"

namespace soundtest {

inline std::vector<std::string>& diagnostics() {
  static std::vector<std::string> lines;
  return lines;
}

// `frames` copies of one 16-bit value, or one period of a sine repeated.
inline sound::SampleData constantSample(std::int16_t value, int frames, int rate = 44100) {
  sound::SampleData data;
  data.rate = rate;
  data.channels = 1;
  data.pcm.assign(static_cast<std::size_t>(frames), value);
  return data;
}

class SoundLibrary : public ::testing::Test {
protected:
  static constexpr int kRate = 44100;
  // One output block of the default output.
  static constexpr int kBlock = 1024;

  void SetUp() override {
    diagnostics().clear();
    win32::setDiagnosticSink([](std::string_view line) { diagnostics().emplace_back(line); });
    ASSERT_TRUE(sound::loadLibrary());
    ASSERT_TRUE(BASS_Init(0, kRate, BASS_DEVICE_3D, nullptr, nullptr));
    library_ = sound::loadedLibrary();
  }
  void TearDown() override {
    sound::freeLibrary();
    win32::setDiagnosticSink(nullptr);
  }

  // Interleaved stereo frames.
  std::vector<float> pull(int frames) {
    std::vector<float> out(2 * static_cast<std::size_t>(frames));
    EXPECT_TRUE(library_->pull(out.data(), frames));
    return out;
  }
  // A block to let a gain ramp finish, then one steady frame's left and right values.
  std::pair<float, float> settledFrame() {
    pull(kBlock);
    const std::vector<float> out = pull(1);
    return {out[0], out[1]};
  }
  HCHANNEL start(HSAMPLE sample) {
    const HCHANNEL channel = BASS_SampleGetChannel(sample, TRUE);
    if (channel) {
      EXPECT_TRUE(BASS_ChannelPlay(channel, TRUE));
    }
    return channel;
  }
  bool logged(const std::string& line) const {
    for (const std::string& l : diagnostics())
      if (l == line) return true;
    return false;
  }

  sound::AudioLibrary* library_ = nullptr;
};

} // namespace soundtest
