#include "audio/RoomSounds.h"

#include "audio/AudioBinding.h"
#include "audio/Samples.h"
#include "engine/core/Log.h"

namespace audio {
namespace {

constexpr DWORD kOutputRate = 44100;
constexpr float kRolloff = 0.1f;
constexpr float kUnchanged = -1.0f;
constexpr DWORD kTicksFlags = BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP | BASS_SAMPLE_3D | BASS_SAMPLE_SOFTWARE;
constexpr float kTicksMaxDistance = 400.0f;

// The room's sounds in the order they load, with their flags.
struct RoomSound {
  const char* name;
  DWORD flags;
};
constexpr std::size_t kMusic = 0, kRain = 1, kFirstThunder = 2, kTicks = 5;
constexpr RoomSound kRoomSounds[RoomSounds::kSoundCount] = {
    {"/ClockMusic.ogg", BASS_SAMPLE_LOOP},
    {"/ClockRain.ogg", BASS_SAMPLE_LOOP},
    {"/ClockGrom1.ogg", 0},
    {"/ClockGrom2.ogg", 0},
    {"/ClockGrom3.ogg", 0},
    {"/ClockTicks.ogg", kTicksFlags},
};

// Music comes with "Music", the rest with "Sound".
bool wanted(std::size_t sound, const SoundSettings& settings) {
  return sound == kMusic ? settings.music : settings.sound;
}

BASS_3DVECTOR toVector(const D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }

} // namespace

int fadeInVolume(int volume, std::int64_t elapsedMs) {
  if (elapsedMs >= kFadeInMs) return volume;
  // A clock that steps back before the start would ask for a negative volume: silence.
  if (elapsedMs <= 0) return 0;
  return static_cast<int>(static_cast<double>(volume) * static_cast<double>(elapsedMs) / kFadeInMs);
}

RoomSounds::~RoomSounds() { shutdown(); }

void RoomSounds::start(HWND window) {
  if (soundLock_.acquire() == sound::SoundLock::Outcome::HeldElsewhere) {
    engine::logLine("Another saver plays the sound; this one is silent\n");
    return;
  }
  bindAudioLibrary();
  // Without an output device the library still answers every call; the room is silent.
  if (!BASS_Init(1, kOutputRate, BASS_DEVICE_3D, window, nullptr)) BASS_Init(0, kOutputRate, 0, window, nullptr);
  BASS_Set3DFactors(kUnchanged, kRolloff, kUnchanged);
  BASS_Apply3D();
  BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 0);
  started_ = true;
}

void RoomSounds::decodeAhead(const engine::MediaLibrary& media, const SoundSettings& settings) {
  if (!started_) return;
  for (std::size_t sound = 0; sound < kSoundCount; ++sound) {
    if (!wanted(sound, settings) || decodingAhead_[sound]) continue;
    engine::ByteBlock& bytes = aheadBytes_[sound];
    // Read in place: the decoder reads these very bytes until the sample loads.
    if (readSampleFile(media, kRoomSounds[sound].name, bytes))
      decodingAhead_[sound] =
          sound::decodeAhead(bytes.data(), static_cast<DWORD>(bytes.size()), kRoomSounds[sound].flags);
  }
}

HSAMPLE RoomSounds::load(const engine::MediaLibrary& media, std::size_t sound) {
  const RoomSound& room = kRoomSounds[sound];
  if (!decodingAhead_[sound]) return loadSample(media, room.name, room.flags);
  decodingAhead_[sound] = false;
  return loadSample(room.name, aheadBytes_[sound], room.flags);
}

void RoomSounds::loadSounds(const engine::MediaLibrary& media, const SoundSettings& settings,
                            const D3DXVECTOR3& clockFace) {
  settings_ = settings;
  if (!started_) return;
  if (settings.music) {
    music_ = load(media, kMusic);
    startSound(music_);
  }
  if (!settings.sound) return;
  rain_ = load(media, kRain);
  startSound(rain_);
  for (std::size_t clap = 0; clap < thunder_.size(); ++clap)
    thunder_[clap] = load(media, kFirstThunder + clap);
  ticks_ = load(media, kTicks);
  startTicking(clockFace);
}

void RoomSounds::startTicking(const D3DXVECTOR3& clockFace) {
  const HCHANNEL channel = startSound(ticks_);
  if (!channel) return;
  // A minimum distance of 0 keeps the library's 1 (see BASS_ChannelSet3DAttributes), the
  // ticking fades with distance up to 400 units and is the same all around the clock.
  BASS_ChannelSet3DAttributes(channel, BASS_3DMODE_NORMAL, 0.0f, kTicksMaxDistance, 360, 360, 100);
  const BASS_3DVECTOR position = toVector(clockFace);
  const BASS_3DVECTOR orientation{0.0f, 0.0f, 1.0f};
  BASS_ChannelSet3DPosition(channel, &position, &orientation, nullptr);
  BASS_ChannelSetAttributes(channel, -1, 100, -1);
  BASS_Apply3D();
}

void RoomSounds::update(const engine::CameraPose& camera) {
  if (!started_) return;
  if ((settings_.music || settings_.sound) && settings_.volume != 0)
    BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, static_cast<DWORD>(fadeInVolume(settings_.volume, fadeIn_.elapsedMs())));
  const BASS_3DVECTOR position = toVector(camera.eye);
  const BASS_3DVECTOR front = toVector(camera.direction);
  const BASS_3DVECTOR top = toVector(camera.up);
  BASS_Set3DPosition(&position, nullptr, &front, &top);
  BASS_Apply3D();
}

void RoomSounds::playThunder(int clap) {
  if (clap >= 0 && clap < static_cast<int>(thunder_.size())) startSound(thunder_[static_cast<std::size_t>(clap)]);
}

void RoomSounds::shutdown() {
  if (!started_) return;
  BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 0);
  unloadAudioLibrary();
  // Only now: a sample decoded ahead and never loaded is read until the library goes.
  for (engine::ByteBlock& bytes : aheadBytes_)
    bytes = engine::ByteBlock();
  decodingAhead_.fill(false);
  soundLock_.release();
  started_ = false;
  music_ = rain_ = ticks_ = 0;
  thunder_.fill(0);
}

} // namespace audio
