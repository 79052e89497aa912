// What reaches the output: runs of the room's sounds (driven as the clock room drives them)
// on SDL's disk audio driver, which writes every mixed block to a file in real time, read
// back and measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/e2e/Process.h"
#include "tests/support/TempDir.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;
const std::filesystem::path kMediaStage = TICKWOOD_MEDIA_STAGE;

// Interleaved stereo float frames as the disk driver wrote them.
struct Mixed {
  std::vector<float> values;

  std::size_t frames() const { return values.size() / 2; }
  static std::size_t at(double seconds) { return static_cast<std::size_t>(seconds * kRate); }
  // RMS of both channels over [from, to) frames.
  double rms(std::size_t from, std::size_t to) const {
    to = std::min(to, frames());
    if (from >= to) return 0.0;
    double sum = 0.0;
    for (std::size_t i = 2 * from; i < 2 * to; ++i)
      sum += static_cast<double>(values[i]) * values[i];
    return std::sqrt(sum / static_cast<double>(2 * (to - from)));
  }
  std::size_t firstSound() const {
    const auto it = std::find_if(values.begin(), values.end(), [](float v) { return v != 0.0f; });
    return static_cast<std::size_t>(it - values.begin()) / 2;
  }
  float peak() const {
    float most = 0.0f;
    for (float v : values)
      most = std::max(most, std::fabs(v));
    return most;
  }
};

class SoundOutput : public ::testing::Test {
protected:
  // The Media folder of the run holds these sounds of the generated media.
  void provide(std::initializer_list<const char*> names) {
    for (const char* name : names)
      folder_.write(std::string("Media/") + name, testsupport::TempDir::read(kMediaStage / name));
  }

  Mixed run(double seconds, std::vector<std::string> options) {
    const std::filesystem::path output = folder_.file("mixed-" + std::to_string(++runs_) + ".raw");
    std::vector<std::string> arguments{TICKWOOD_ROOM_SOUNDS_RUN, folder_.path().string(), std::to_string(seconds)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    e2e::Process process(arguments,
                         {{"SDL_AUDIODRIVER", "disk"},
                          {"SDL_DISKAUDIOFILE", output.string()},
                          {"TICKWOOD_LOG", "1"},
                          {"ASAN_OPTIONS", "detect_leaks=0"}},
                         folder_);
    EXPECT_EQ(process.wait(std::chrono::milliseconds(static_cast<int>(seconds * 1000)) + 30s), 0) << process.err();
    log_ = process.err();
    out_ = process.out();
    Mixed mixed;
    const std::string bytes = testsupport::TempDir::read(output);
    mixed.values.resize(bytes.size() / sizeof(float));
    std::copy_n(bytes.data(), mixed.values.size() * sizeof(float), reinterpret_cast<char*>(mixed.values.data()));
    return mixed;
  }

  testsupport::TempDir folder_;
  std::string log_;
  std::string out_;
  int runs_ = 0;
};

TEST_F(SoundOutput, OutputIsSilentAtTheStartAndAudibleAfterTheFadeIn) {
  provide({"ClockMusic.ogg", "ClockRain.ogg", "ClockGrom1.ogg", "ClockGrom2.ogg", "ClockGrom3.ogg", "ClockTicks.ogg"});
  const Mixed mixed = run(7.0, {"--volume", "80"});
  EXPECT_EQ(log_.find("Cannot load sound"), std::string::npos) << log_;
  // Before the sounds are loaded the output runs, silent. (The disk driver's clock strays a
  // few per cent from the wall clock; 4.2 s of output after the first sound are at or near
  // the end of the fade-in either way.)
  const std::size_t start = mixed.firstSound();
  ASSERT_GT(mixed.frames(), start + Mixed::at(5.2));
  ASSERT_GT(start, 0u);
  const double rising = mixed.rms(start, start + Mixed::at(0.3));
  const double full = mixed.rms(start + Mixed::at(4.2), start + Mixed::at(5.2));
  EXPECT_GT(full, 0.02) << "the room must be clearly audible after the fade-in";
  EXPECT_LT(rising, full / 5.0);
  EXPECT_LT(mixed.peak(), 1.0f);
}

TEST_F(SoundOutput, ThunderClapFollowsAFlashByAbout500Ms) {
  provide({"ClockGrom1.ogg", "ClockTicks.ogg"}); // the ticking plays before and around it
  const Mixed mixed = run(4.5, {"--music", "0", "--volume", "100", "--distance", "100", "--flash", "2000"});
  std::size_t flash = 0;
  ASSERT_EQ(std::sscanf(out_.c_str(), "flash at frame %zu", &flash), 1) << out_;
  const std::size_t window = Mixed::at(0.01);
  // The loudest moment of the ticking in the second before the flash.
  double ticking = 0.0;
  for (std::size_t at = flash - Mixed::at(1.0); at + window < flash; at += window)
    ticking = std::max(ticking, mixed.rms(at, at + window));
  std::size_t clap = 0;
  for (std::size_t at = flash; at + window < mixed.frames() && !clap; at += window)
    if (mixed.rms(at, at + window) > 4.0 * ticking) clap = at;
  ASSERT_NE(clap, 0u) << "no thunder was heard";
  // A frame (16 ms) and an output block (23 ms) either way, and the output's clock, which
  // lags the wall clock a little on a busy machine.
  EXPECT_NEAR(static_cast<double>(clap - flash) / kRate, 0.5, 0.1);
}

TEST_F(SoundOutput, TickingIsLouderWithTheCameraNearTheClockThanAcrossTheRoom) {
  provide({"ClockTicks.ogg"});
  // The tick-tock loop is 2 s long: any 2 s of it hold the same sound.
  const Mixed near = run(9.0, {"--music", "0", "--volume", "100", "--distance", "30"});
  const Mixed far = run(9.0, {"--music", "0", "--volume", "100", "--distance", "300"});
  const std::size_t nearStart = near.firstSound() + Mixed::at(4.5);
  const std::size_t farStart = far.firstSound() + Mixed::at(4.5);
  ASSERT_GT(near.frames(), nearStart + Mixed::at(2.0));
  ASSERT_GT(far.frames(), farStart + Mixed::at(2.0));
  const double nearLevel = near.rms(nearStart, nearStart + Mixed::at(2.0));
  const double farLevel = far.rms(farStart, farStart + Mixed::at(2.0));
  EXPECT_GT(farLevel, 0.0);
  // 1 / (1 + 0.1 x 29) against 1 / (1 + 0.1 x 299): about eight times.
  EXPECT_NEAR(nearLevel / farLevel, (1.0 + 0.1 * 299.0) / (1.0 + 0.1 * 29.0), 0.5);
}

TEST_F(SoundOutput, VolumeZeroKeepsTheOutputSilent) {
  provide({"ClockMusic.ogg", "ClockRain.ogg", "ClockTicks.ogg"});
  const Mixed mixed = run(3.0, {"--volume", "0", "--flash", "500"});
  ASSERT_GT(mixed.frames(), Mixed::at(2.5));
  EXPECT_EQ(mixed.peak(), 0.0f);
}

} // namespace
