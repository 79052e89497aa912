// The room's sounds as the clock room drives them, heard through the library without an
// output device (SDL is pointed at an audio driver that does not exist, so the room falls
// back to silence the way it does on a machine without sound).
#include "audio/RoomSounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "engine/core/Log.h"
#include "platform/sound/AudioLibrary.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "tests/support/TempDir.h"

namespace {

const std::filesystem::path kSeeds = std::filesystem::path(TICKWOOD_FUZZ_CORPUS) / "ogg";
constexpr const char* kAllSounds[] = {"ClockMusic.ogg", "ClockRain.ogg",  "ClockGrom1.ogg",
                                      "ClockGrom2.ogg", "ClockGrom3.ogg", "ClockTicks.ogg"};
// One loop of the seed tone: the RMS over it does not depend on where the loop stands.
constexpr int kToneFrames = 4410;

void logDiagnostic(std::string_view line) { engine::logLine(line); }

class RoomSoundsTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "tickwood-no-such-driver", 1);
    setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    win32::setDiagnosticSink(logDiagnostic);
    win32::setClock(&clock_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
  }
  void TearDown() override {
    sounds_.shutdown();
    std::filesystem::current_path(previous_);
    win32::setClock(nullptr);
    win32::setDiagnosticSink(nullptr);
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("XDG_RUNTIME_DIR");
  }

  // The Media folder holds the named sounds, each a copy of the mono seed tone.
  void provide(std::initializer_list<const char*> names) {
    const std::string tone = testsupport::TempDir::read(kSeeds / "mono-tone.ogg");
    for (const char* name : names)
      folder_.write(std::string("Media/") + name, tone);
  }
  void loadRoom(const audio::SoundSettings& settings, D3DXVECTOR3 clockFace = {0, 0, 0}) {
    sounds_.start(nullptr);
    sounds_.loadSounds(media_, settings, clockFace);
    sounds_.restartFadeIn();
  }
  // One frame's update with the camera at `eye` looking along +X (Z up), then a block to
  // let the gains settle, then the RMS of one loop of the tone.
  float heardAt(std::int64_t msSinceLoad, D3DXVECTOR3 eye = {-200, 0, 0}) {
    clock_.setNow(msSinceLoad);
    sounds_.update({eye, {1, 0, 0}, {0, 0, 1}});
    std::vector<float> block(2 * kToneFrames);
    sound::AudioLibrary* library = sound::loadedLibrary();
    EXPECT_TRUE(library && library->pull(block.data(), 1024));
    EXPECT_TRUE(library && library->pull(block.data(), kToneFrames));
    double sum = 0.0;
    for (float value : block)
      sum += static_cast<double>(value) * value;
    return static_cast<float>(std::sqrt(sum / static_cast<double>(block.size())));
  }

  win32::ManualClock clock_;
  testsupport::TempDir folder_;
  std::filesystem::path previous_;
  engine::MediaLibrary media_;
  audio::RoomSounds sounds_;
};

TEST(FadeIn, VolumeRisesLinearlyFromSilenceToTheSettingOverFourSeconds) {
  EXPECT_EQ(audio::fadeInVolume(80, 0), 0);
  EXPECT_EQ(audio::fadeInVolume(80, 1000), 20);
  EXPECT_EQ(audio::fadeInVolume(80, 2000), 40);
  EXPECT_EQ(audio::fadeInVolume(80, 3999), 79); // truncated, not rounded
  EXPECT_EQ(audio::fadeInVolume(80, 4000), 80);
  EXPECT_EQ(audio::fadeInVolume(80, 600000), 80);
  EXPECT_EQ(audio::fadeInVolume(55, 1000), 13);
  EXPECT_EQ(audio::fadeInVolume(80, -30), 0);
}

TEST_F(RoomSoundsTest, OnlyOneSaverOfTheUserPlaysTheOthersStaySilent) {
  provide({"ClockMusic.ogg"});
  sound::SoundLock other; // another saver's, started first
  ASSERT_EQ(other.acquire(), sound::SoundLock::Outcome::Taken);
  EXPECT_EQ(sound::SoundLock::path(), (folder_.path() / "tickwood-sound.lock").string());
  {
    engine::LogCapture log;
    loadRoom({true, true, 80});
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Another saver plays the sound; this one is silent\n"});
    EXPECT_EQ(sound::loadedLibrary(), nullptr);
    EXPECT_EQ(sounds_.musicSample(), 0u);
    EXPECT_FALSE(sounds_.thunderLoaded());
    sounds_.update({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}); // a silent room's frames do nothing
    sounds_.shutdown();
  }
  // Once the other ends, the next saver plays; while it plays, the lock is its own.
  other.release();
  loadRoom({true, false, 80});
  EXPECT_NE(sounds_.musicSample(), 0u);
  sound::SoundLock third;
  EXPECT_EQ(third.acquire(), sound::SoundLock::Outcome::HeldElsewhere);
  sounds_.shutdown();
  EXPECT_EQ(third.acquire(), sound::SoundLock::Outcome::Taken);
}

TEST(SoundLock, WithoutARuntimeFolderTheLockLivesNextToTheSettings) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = runtime ? runtime : "";
  testsupport::TempDir config;
  unsetenv("XDG_RUNTIME_DIR");
  setenv("XDG_CONFIG_HOME", (config.path() / "not-yet").c_str(), 1);
  {
    sound::SoundLock lock;
    EXPECT_EQ(sound::SoundLock::path(), (config.path() / "not-yet" / "tickwood" / "sound.lock").string());
    EXPECT_EQ(lock.acquire(), sound::SoundLock::Outcome::Taken); // the folder is made
    EXPECT_TRUE(std::filesystem::exists(config.path() / "not-yet" / "tickwood" / "sound.lock"));
  }
  // A relative runtime folder is ignored, as the base-directory rules say.
  setenv("XDG_RUNTIME_DIR", "relative", 1);
  EXPECT_EQ(sound::SoundLock::path(), (config.path() / "not-yet" / "tickwood" / "sound.lock").string());
  unsetenv("XDG_CONFIG_HOME");
  if (runtime)
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else
    unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(RoomSoundsTest, WithoutAnOutputDeviceTheRoomRunsOnTheSilentDevice) {
  engine::LogCapture log;
  provide({"ClockMusic.ogg"});
  loadRoom({true, false, 80});
  ASSERT_NE(sound::loadedLibrary(), nullptr);
  EXPECT_FALSE(sound::loadedLibrary()->hasOutput());
  ASSERT_FALSE(log.lines().empty());
  EXPECT_EQ(log.lines()[0].rfind("Sound: BASS_Init: no output device (", 0), 0u) << log.lines()[0];
  EXPECT_NE(sounds_.musicSample(), 0u);
}

TEST_F(RoomSoundsTest, SoundsFadeInFromSilenceToTheVolumeAndStayThere) {
  provide({"ClockMusic.ogg"});
  loadRoom({true, false, 80});
  EXPECT_EQ(heardAt(0), 0.0f);
  const float atOneSecond = heardAt(1000);
  const float atTwoSeconds = heardAt(2000);
  const float full = heardAt(4000);
  EXPECT_GT(full, 0.1f);
  EXPECT_NEAR(atOneSecond / full, 20.0f / 80.0f, 1e-4f);
  EXPECT_NEAR(atTwoSeconds / full, 40.0f / 80.0f, 1e-4f);
  EXPECT_NEAR(heardAt(30000), full, 1e-6f);
}

TEST_F(RoomSoundsTest, VolumeZeroKeepsTheRoomSilentAlthoughTheSoundsPlay) {
  provide({"ClockMusic.ogg", "ClockRain.ogg", "ClockTicks.ogg"});
  loadRoom({true, true, 0});
  EXPECT_NE(sounds_.musicSample(), 0u);
  EXPECT_EQ(heardAt(10000), 0.0f);
}

TEST_F(RoomSoundsTest, MusicAndSoundSettingsDecideWhichSamplesLoad) {
  provide({"ClockMusic.ogg", "ClockRain.ogg", "ClockGrom1.ogg", "ClockGrom2.ogg", "ClockGrom3.ogg", "ClockTicks.ogg"});
  loadRoom({false, true, 80});
  EXPECT_EQ(sounds_.musicSample(), 0u);
  EXPECT_NE(sounds_.rainSample(), 0u);
  for (int clap = 0; clap < 3; ++clap)
    EXPECT_NE(sounds_.thunderSample(clap), 0u);
  EXPECT_NE(sounds_.ticksSample(), 0u);
  EXPECT_TRUE(sounds_.thunderLoaded());

  sounds_.shutdown();
  loadRoom({true, false, 80});
  EXPECT_NE(sounds_.musicSample(), 0u);
  EXPECT_EQ(sounds_.rainSample(), 0u);
  EXPECT_EQ(sounds_.ticksSample(), 0u);
  EXPECT_FALSE(sounds_.thunderLoaded());
}

TEST_F(RoomSoundsTest, MissingOrDamagedSoundFilesAreLoggedAndTheOthersStillPlay) {
  provide({"ClockTicks.ogg"});
  folder_.write("Media/ClockMusic.ogg", "not a sound");
  engine::LogCapture log;
  loadRoom({true, true, 80});
  EXPECT_TRUE(log.contains("Sound: BASS_SampleLoad: not an Ogg Vorbis file\n"));
  EXPECT_TRUE(log.contains("Cannot load sound /ClockMusic.ogg\n"));
  EXPECT_TRUE(log.contains("Cannot load sound /ClockRain.ogg\n"));
  EXPECT_TRUE(log.contains("Cannot load sound /ClockGrom3.ogg\n"));
  EXPECT_FALSE(sounds_.thunderLoaded());
  sounds_.playThunder(0); // nothing to play, nothing goes wrong
  EXPECT_GT(heardAt(5000, {-20, 0, 0}), 0.05f);
}

TEST_F(RoomSoundsTest, SoundsDecodedAheadLoadAndFailAsTheOthersDo) {
  provide({"ClockTicks.ogg", "ClockGrom1.ogg"});
  folder_.write("Media/ClockMusic.ogg", "not a sound");
  engine::LogCapture log;
  sounds_.start(nullptr);
  sounds_.decodeAhead(media_, {true, true, 80});
  sounds_.loadSounds(media_, {true, true, 80}, {0, 0, 0});
  sounds_.restartFadeIn();
  EXPECT_TRUE(log.contains("Sound: BASS_SampleLoad: not an Ogg Vorbis file\n"));
  EXPECT_TRUE(log.contains("Cannot load sound /ClockMusic.ogg\n"));
  EXPECT_TRUE(log.contains("Cannot load sound /ClockRain.ogg\n"));
  EXPECT_EQ(sounds_.musicSample(), 0u);
  EXPECT_TRUE(sounds_.thunderLoaded());
  EXPECT_NE(sounds_.ticksSample(), 0u);
  EXPECT_GT(heardAt(5000, {-20, 0, 0}), 0.05f);

  // Decoded ahead and never loaded (the room file was missing): the library goes first, then
  // the bytes it was reading.
  sounds_.shutdown();
  sounds_.start(nullptr);
  sounds_.decodeAhead(media_, {true, true, 80});
  sounds_.shutdown();
  EXPECT_EQ(sound::loadedLibrary(), nullptr);
}

TEST_F(RoomSoundsTest, TickingIsLouderWithTheCameraNearTheClockThanAcrossTheRoom) {
  provide({"ClockTicks.ogg"});
  const D3DXVECTOR3 clockFace{10, 20, 30};
  loadRoom({false, true, 100}, clockFace);
  const float near = heardAt(5000, {clockFace.x - 50, clockFace.y, clockFace.z});
  const float far = heardAt(5000, {clockFace.x - 300, clockFace.y, clockFace.z});
  // Roll-off 0.1 from the kept minimum distance 1: 1 / (1 + 0.1 x 49) against 1 / (1 + 0.1 x 299).
  EXPECT_NEAR(near / far, (1.0f + 0.1f * 299.0f) / (1.0f + 0.1f * 49.0f), 1e-3f);
  EXPECT_GT(near, 0.02f);
}

TEST_F(RoomSoundsTest, ThunderClapsPlayEachOnAChannelOfItsOwn) {
  provide({"ClockGrom1.ogg", "ClockGrom2.ogg", "ClockGrom3.ogg"});
  // Half volume, so that two claps together stay below the limiter's knee.
  loadRoom({false, true, 50});
  EXPECT_EQ(heardAt(5000), 0.0f);
  sounds_.playThunder(1);
  const float one = heardAt(5000);
  EXPECT_GT(one, 0.05f);
  sounds_.shutdown();

  loadRoom({false, true, 50}); // the fade-in starts again at 5 s
  sounds_.playThunder(1);
  sounds_.playThunder(1); // two claps due in the same frame
  sounds_.playThunder(3); // no such clap
  EXPECT_NEAR(heardAt(10000), 2.0f * one, 1e-3f);
}

TEST_F(RoomSoundsTest, ShutdownSilencesAndUnloadsTheLibrary) {
  provide({"ClockMusic.ogg"});
  loadRoom({true, false, 80});
  sounds_.shutdown();
  EXPECT_EQ(sound::loadedLibrary(), nullptr);
  EXPECT_EQ(sounds_.musicSample(), 0u);
  sounds_.update({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}); // after the end: nothing happens
  sounds_.shutdown();
}

} // namespace
