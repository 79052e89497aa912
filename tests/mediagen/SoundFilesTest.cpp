// Decodes the generated sounds the way the program will and checks what a listener gets:
// rates, channels, lengths, headroom, seamless loops, and thunder above rain and music.
#include "tests/mediagen/OggDecode.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

using mediatest::DecodedSound;

std::string mediaFile(const std::string& name) { return std::string(TICKWOOD_MEDIA_STAGE) + "/" + name; }

// Each file is decoded once per test program.
const DecodedSound& decoded(const std::string& name) {
  static std::map<std::string, DecodedSound> cache;
  auto found = cache.find(name);
  if (found == cache.end()) {
    DecodedSound sound;
    std::string error;
    EXPECT_TRUE(mediatest::decodeOgg(mediaFile(name), sound, error)) << error;
    found = cache.emplace(name, std::move(sound)).first;
  }
  return found->second;
}

double decibels(double value) { return value > 0 ? 20.0 * std::log10(value) : -200.0; }

double peakOf(const DecodedSound& sound) {
  double peak = 0.0;
  for (const auto& channel : sound.samples)
    for (float x : channel)
      peak = std::max(peak, static_cast<double>(std::fabs(x)));
  return peak;
}

// RMS over frames [begin, end) of all channels.
double rmsOf(const DecodedSound& sound, std::size_t begin, std::size_t end) {
  double sum = 0.0;
  for (const auto& channel : sound.samples)
    for (std::size_t n = begin; n < end; ++n)
      sum += static_cast<double>(channel[n]) * channel[n];
  const double count = static_cast<double>((end - begin) * sound.samples.size());
  return count > 0 ? std::sqrt(sum / count) : 0.0;
}

// The loudest one-second stretch: how loud a sound gets as the ear judges it.
double loudestSecond(const DecodedSound& sound) {
  const std::size_t window = static_cast<std::size_t>(sound.rate);
  double loudest = 0.0;
  for (std::size_t at = 0; at + window <= sound.frames(); at += window / 4)
    loudest = std::max(loudest, rmsOf(sound, at, at + window));
  return loudest;
}

double seconds(const DecodedSound& sound) {
  return static_cast<double>(sound.frames()) / static_cast<double>(sound.rate);
}

void report(const std::string& name, const DecodedSound& sound) {
  std::printf("%-16s %7.3f s  %s  peak %6.1f dBFS  RMS %6.1f dBFS  loudest second %6.1f dBFS\n", name.c_str(),
              seconds(sound), sound.channels == 1 ? "mono  " : "stereo", decibels(peakOf(sound)),
              decibels(rmsOf(sound, 0, sound.frames())), decibels(loudestSecond(sound)));
}

// Common to every sound: the rate the program opens its device with, the channel count,
// and headroom so that neither decoding nor a 16-bit mixer clips.
void expectPlayable(const std::string& name, int channels) {
  const DecodedSound& sound = decoded(name);
  ASSERT_GT(sound.frames(), 0u) << name;
  report(name, sound);
  EXPECT_EQ(sound.rate, 44100) << name;
  EXPECT_EQ(sound.channels, channels) << name;
  EXPECT_LT(peakOf(sound), 0.98) << name << " clips";
}

// A loop is heard end to start; that step must look like any other step of the sound.
void expectSeamless(const std::string& name) {
  const DecodedSound& sound = decoded(name);
  for (std::size_t c = 0; c < sound.samples.size(); ++c) {
    const auto& x = sound.samples[c];
    double typical = 0.0;
    for (std::size_t n = 1; n < x.size(); ++n)
      typical += std::fabs(x[n] - x[n - 1]);
    typical /= static_cast<double>(x.size() - 1);
    const double seam = std::fabs(x.front() - x.back());
    EXPECT_LE(seam, typical) << name << " channel " << c << " clicks at the loop seam";
  }
}

TEST(SoundFiles, MusicIsACalmStereoLoopOfTwoToFourMinutes) {
  expectPlayable("ClockMusic.ogg", 2);
  const DecodedSound& music = decoded("ClockMusic.ogg");
  EXPECT_GE(seconds(music), 120.0);
  EXPECT_LE(seconds(music), 240.0);
  expectSeamless("ClockMusic.ogg");
  // Background music: no passage jumps out far above the rest.
  EXPECT_LT(decibels(loudestSecond(music)) - decibels(rmsOf(music, 0, music.frames())), 8.0);
}

TEST(SoundFiles, RainIsASteadyStereoLoopOfHalfAMinuteToAMinute) {
  expectPlayable("ClockRain.ogg", 2);
  const DecodedSound& rain = decoded("ClockRain.ogg");
  EXPECT_GE(seconds(rain), 30.0);
  EXPECT_LE(seconds(rain), 60.0);
  expectSeamless("ClockRain.ogg");
  // Steady: every second lies within a few decibels of the whole loop's level.
  const double whole = decibels(rmsOf(rain, 0, rain.frames()));
  for (std::size_t at = 0; at + 44100 <= rain.frames(); at += 44100) {
    EXPECT_NEAR(decibels(rmsOf(rain, at, at + 44100)), whole, 4.0) << "at " << at / 44100 << " s";
  }
}

TEST(SoundFiles, TickingIsAMonoLoopOfExactlyTwoSecondsWithTickAndTock) {
  expectPlayable("ClockTicks.ogg", 1);
  const DecodedSound& ticks = decoded("ClockTicks.ogg");
  ASSERT_EQ(ticks.frames(), 88200u);
  expectSeamless("ClockTicks.ogg");
  const std::size_t ms = 44; // frames per millisecond, near enough for windows
  // The strikes sit at 0 s and 1 s; between them the clock is quiet.
  const double tick = rmsOf(ticks, 0, 30 * ms);
  const double tock = rmsOf(ticks, 44100, 44100 + 30 * ms);
  EXPECT_GT(decibels(tick), -40.0);
  EXPECT_GT(decibels(tock), -40.0);
  EXPECT_LT(decibels(rmsOf(ticks, 400 * ms, 44100 - 50 * ms)), decibels(tick) - 40.0);
  EXPECT_LT(decibels(rmsOf(ticks, 44100 + 400 * ms, 88200 - 50 * ms)), decibels(tock) - 40.0);
  // The tock is the lower of the two: fewer zero crossings in its first 20 ms.
  auto crossings = [&](std::size_t from) {
    int count = 0;
    const auto& x = ticks.samples[0];
    for (std::size_t n = from + 1; n < from + 20 * ms; ++n)
      count += (x[n - 1] < 0) != (x[n] < 0);
    return count;
  };
  EXPECT_LT(crossings(44100), crossings(0));
}

struct Thunder {
  const char* file;
  double crackShare; // how much of the first 300 ms lies above 2 kHz, relative to the peak
};

double brightOnset(const DecodedSound& sound) {
  // A first difference is a crude high pass; enough to tell a crack from a rumble.
  double peak = 0.0;
  for (const auto& x : sound.samples)
    for (std::size_t n = 1; n < std::min<std::size_t>(x.size(), 13230); ++n)
      peak = std::max(peak, static_cast<double>(std::fabs(x[n] - x[n - 1])));
  return peak / peakOf(sound);
}

TEST(SoundFiles, ThreeDifferentThunderClapsStandAboveRainAndMusic) {
  const char* files[] = {"ClockGrom1.ogg", "ClockGrom2.ogg", "ClockGrom3.ogg"};
  const double rainPeak = decibels(peakOf(decoded("ClockRain.ogg")));
  const double rainLoudest = decibels(loudestSecond(decoded("ClockRain.ogg")));
  const double musicLoudest = decibels(loudestSecond(decoded("ClockMusic.ogg")));
  double onsets[3] = {};
  for (int i = 0; i < 3; ++i) {
    expectPlayable(files[i], 2);
    const DecodedSound& thunder = decoded(files[i]);
    EXPECT_GE(seconds(thunder), 5.0) << files[i];
    EXPECT_LE(seconds(thunder), 12.0) << files[i];
    EXPECT_GE(decibels(peakOf(thunder)), rainPeak + 6.0) << files[i];
    EXPECT_GE(decibels(loudestSecond(thunder)), rainLoudest + 6.0) << files[i];
    EXPECT_GE(decibels(loudestSecond(thunder)), musicLoudest + 3.0) << files[i];
    // A one-shot starts and ends without a click.
    for (const auto& x : thunder.samples) {
      EXPECT_LT(std::fabs(x.front()), 0.01) << files[i];
      EXPECT_LT(decibels(rmsOf(thunder, thunder.frames() - 441, thunder.frames())), -60.0) << files[i];
    }
    onsets[i] = brightOnset(thunder);
  }
  // Close, far, rolling: the close clap cracks hardest, the far one only rumbles.
  EXPECT_GT(onsets[0], onsets[2]);
  EXPECT_GT(onsets[2], onsets[1]);
}

// The archive must not change when nothing changed: two runs give the same bytes.
TEST(SoundFiles, GeneratorWritesTheSameBytesEveryTime) {
  testsupport::TempDir dir;
  for (const auto& [kind, file] : {std::pair{"ticks", "ClockTicks.ogg"}, std::pair{"thunder1", "ClockGrom1.ogg"}}) {
    const std::string output = dir.file(file).string();
    const std::string command = std::string(TICKWOOD_SOUNDGEN) + " " + kind + " '" + output + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(testsupport::TempDir::read(output), testsupport::TempDir::read(mediaFile(file))) << file;
  }
}

} // namespace
