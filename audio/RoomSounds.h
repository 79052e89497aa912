// Every sound of the clock room: the library brought up when the room loads, music, rain,
// three thunder claps and the clock's ticking, the volume's fade-in, the listener at the
// camera, and the silence at the end. The clock room calls it from loadScene, updateScene,
// the storm's thunder and shutdownAudio.
#pragma once

#include <array>
#include <cstdint>

#include "engine/app/Stopwatch.h"
#include "engine/data/MediaLibrary.h"
#include "engine/scene/CameraPath.h"
#include "platform/d3dx9/d3dx9math.h"
#include "platform/sound/SoundLock.h"
#include "platform/sound/bass.h"

namespace audio {

// "Music", "Sound" and "Volume" of the settings.
struct SoundSettings {
  bool music = true;
  bool sound = true;
  int volume = 80; // 0 ... 100
};

// How long the sounds take to rise from silence to "Volume" after the room has loaded.
constexpr std::int64_t kFadeInMs = 4000;

// The global sample volume `elapsedMs` into the fade-in: volume x min(1, elapsed / 4000),
// truncated.
int fadeInVolume(int volume, std::int64_t elapsedMs);

class RoomSounds {
public:
  RoomSounds() = default;
  ~RoomSounds();
  RoomSounds(const RoomSounds&) = delete;
  RoomSounds& operator=(const RoomSounds&) = delete;

  // loadScene, first step: bind the library and open the default output for `window`, or no
  // output when there is none; roll-off 0.1; everything silent (global sample volume 0).
  // When another saver of the user plays already, nothing starts and this one stays silent.
  void start(HWND window);
  // loadScene, right after start: the samples loadSounds will load with `settings` start
  // decoding on the library's threads, so that they decode while the room loads.
  void decodeAhead(const engine::MediaLibrary& media, const SoundSettings& settings);
  // loadScene, the sounds: music when "Music" is set; rain, the three thunder claps and the
  // ticking at `clockFace` when "Sound" is set. The loops start at once, still silent.
  void loadSounds(const engine::MediaLibrary& media, const SoundSettings& settings, const D3DXVECTOR3& clockFace);
  // loadScene, last step: the fade-in starts now.
  void restartFadeIn() { fadeIn_.restart(); }
  // Every ready frame, first in updateScene: the fade-in's volume, then the listener at the
  // camera (its position, viewing direction and up vector). Nothing before start.
  void update(const engine::CameraPose& camera);
  // One clap of the storm, 0 ... 2 for "/ClockGrom1.ogg" ... "/ClockGrom3.ogg", on a channel
  // of its own.
  void playThunder(int clap);
  // The storm queues thunder only when the first clap loaded.
  bool thunderLoaded() const { return thunder_[0] != 0; }
  // shutdownAudio: silence (global sample volume 0), then the library unloaded.
  void shutdown();

  HSAMPLE musicSample() const { return music_; }
  HSAMPLE rainSample() const { return rain_; }
  HSAMPLE thunderSample(int clap) const { return thunder_[static_cast<std::size_t>(clap)]; }
  HSAMPLE ticksSample() const { return ticks_; }

  static constexpr std::size_t kSoundCount = 6; // music, rain, three claps, ticking

private:
  // The sample `sound` (an index of the room's sounds), from the bytes decoded ahead if it was.
  HSAMPLE load(const engine::MediaLibrary& media, std::size_t sound);
  void startTicking(const D3DXVECTOR3& clockFace);

  bool started_ = false;
  sound::SoundLock soundLock_;
  SoundSettings settings_;
  HSAMPLE music_ = 0;
  HSAMPLE rain_ = 0;
  std::array<HSAMPLE, 3> thunder_{};
  HSAMPLE ticks_ = 0;
  engine::Stopwatch fadeIn_;
  // Fixed places: a sample decoded ahead is read from here until it loads.
  std::array<engine::ByteBlock, kSoundCount> aheadBytes_;
  std::array<bool, kSoundCount> decodingAhead_{};
};

} // namespace audio
