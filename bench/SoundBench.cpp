// The sound's costs: mixing one second of output with every room sound playing (the music,
// the rain, the 3D ticking with the listener moving every frame, three thunder claps at
// once), which must stay well under 2 % of one core; loading all six samples, which the
// room does once while it loads (with the memory they then hold); and the feeder's decoding
// of one second of the streamed music.
#include <benchmark/benchmark.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sound/AudioLibrary.h"
#include "platform/sound/OggDecoder.h"
#include "platform/sound/SampleStream.h"
#include "platform/sound/bass.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 1024;

struct RoomSample {
  const char* file;
  DWORD flags;
};
constexpr std::array<RoomSample, 6> kRoomSamples{{
    {"ClockMusic.ogg", BASS_SAMPLE_LOOP},
    {"ClockRain.ogg", BASS_SAMPLE_LOOP},
    {"ClockGrom1.ogg", 0},
    {"ClockGrom2.ogg", 0},
    {"ClockGrom3.ogg", 0},
    {"ClockTicks.ogg", BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP | BASS_SAMPLE_3D | BASS_SAMPLE_SOFTWARE},
}};

const std::vector<std::string>& roomSampleBytes() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> bytes;
    for (const RoomSample& sample : kRoomSamples) {
      std::ifstream in(std::string(TICKWOOD_MEDIA_STAGE) + "/" + sample.file, std::ios::binary);
      std::ostringstream contents;
      contents << in.rdbuf();
      bytes.push_back(contents.str());
    }
    return bytes;
  }();
  return files;
}

// Loads every room sample on the silent device; answers their handles (0 where one failed).
std::array<HSAMPLE, 6> loadRoomSamples() {
  std::array<HSAMPLE, 6> handles{};
  for (std::size_t i = 0; i < kRoomSamples.size(); ++i) {
    const std::string& bytes = roomSampleBytes()[i];
    handles[i] = BASS_SampleLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 20, kRoomSamples[i].flags);
  }
  return handles;
}

void startLibrary() {
  sound::loadLibrary();
  BASS_Init(0, kRate, BASS_DEVICE_3D, nullptr, nullptr);
  BASS_Set3DFactors(-1.0f, 0.1f, -1.0f);
  BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 80);
}

// The bytes a loaded sample holds: its decoded frames, or its Ogg bytes and one ring.
double heldBytes(const std::string& bytes, DWORD flags, double& wholeBytes) {
  const bool mono = (flags & (BASS_SAMPLE_MONO | BASS_SAMPLE_3D)) != 0;
  sound::SampleData whole;
  std::string error;
  sound::decodeOggVorbis(bytes.data(), bytes.size(), mono, whole, error);
  wholeBytes += static_cast<double>(whole.pcm.capacity() * sizeof(std::int16_t));
  sound::SampleData data;
  sound::SampleFormat streamed;
  sound::decodeOrMeasureOggVorbis(bytes.data(), bytes.size(), mono, sound::kStreamAboveBytes, data, streamed, error);
  if (streamed.frames == 0) return static_cast<double>(data.pcm.capacity() * sizeof(std::int16_t));
  return static_cast<double>(bytes.size() +
                             sound::kRingFrames * static_cast<std::size_t>(streamed.channels) * sizeof(std::int16_t));
}

void loadAllRoomSamples(benchmark::State& state) {
  roomSampleBytes();
  for (auto _ : state) {
    startLibrary();
    const std::array<HSAMPLE, 6> handles = loadRoomSamples();
    for (HSAMPLE handle : handles)
      if (!handle) state.SkipWithError("a room sample did not load (build the media first)");
    sound::freeLibrary();
  }
  double held = 0.0;
  double whole = 0.0;
  for (std::size_t i = 0; i < kRoomSamples.size(); ++i)
    held += heldBytes(roomSampleBytes()[i], kRoomSamples[i].flags, whole);
  state.counters["held_MB"] = held / 1.0e6;
  state.counters["all_decoded_MB"] = whole / 1.0e6;
}
BENCHMARK(loadAllRoomSamples)->Unit(benchmark::kMillisecond)->Iterations(3);

// A channel of the sample that is playing: the one given while it still plays, else a new one.
HCHANNEL keepPlaying(HSAMPLE sample, HCHANNEL channel) {
  if (channel && BASS_ChannelPlay(channel, FALSE)) return channel;
  channel = BASS_SampleGetChannel(sample, TRUE);
  BASS_ChannelPlay(channel, TRUE);
  return channel;
}

// One iteration is one second of output: its time in milliseconds, divided by ten, is the
// share of one core the mixing takes.
void mixOneSecondOfTheRoom(benchmark::State& state) {
  startLibrary();
  const std::array<HSAMPLE, 6> handles = loadRoomSamples();
  for (HSAMPLE handle : handles)
    if (!handle) state.SkipWithError("a room sample did not load (build the media first)");
  std::array<HCHANNEL, 6> channels{};
  for (std::size_t i = 0; i < handles.size(); ++i)
    channels[i] = keepPlaying(handles[i], 0);
  BASS_ChannelSet3DAttributes(channels[5], BASS_3DMODE_NORMAL, 0.0f, 400.0f, 360, 360, 100);
  const BASS_3DVECTOR clockFace{0.0f, 0.0f, 0.0f};
  BASS_ChannelSet3DPosition(channels[5], &clockFace, nullptr, nullptr);
  sound::AudioLibrary& library = *sound::loadedLibrary();
  std::vector<float> block(2 * kBlock);
  float x = -300.0f;
  for (auto _ : state) {
    // The mixing runs far faster than the sound here: the feeder fills the music's ring (a
    // second and a half) first, as it would have while a second played.
    state.PauseTiming();
    library.settleStreams();
    state.ResumeTiming();
    for (std::size_t clap = 2; clap < 5; ++clap) // the claps end after some seconds
      channels[clap] = keepPlaying(handles[clap], channels[clap]);
    for (int mixed = 0; mixed < kRate; mixed += kBlock) {
      // The frame loop moves the listener about once a block (a frame at 40 frames/s).
      x = x > 300.0f ? -300.0f : x + 1.0f;
      const BASS_3DVECTOR eye{x, 100.0f, 0.0f};
      const BASS_3DVECTOR front{1.0f, 0.0f, 0.0f};
      const BASS_3DVECTOR top{0.0f, 0.0f, 1.0f};
      BASS_Set3DPosition(&eye, nullptr, &front, &top);
      BASS_Apply3D();
      library.pull(block.data(), kBlock);
      benchmark::DoNotOptimize(block.data());
    }
  }
  sound::freeLibrary();
}
BENCHMARK(mixOneSecondOfTheRoom)->Unit(benchmark::kMillisecond);

// One iteration decodes one second of the music as the feeder does for its channel: the
// time in milliseconds, divided by ten, is the feeder's share of one core.
void feedOneSecondOfTheMusic(benchmark::State& state) {
  const std::string& music = roomSampleBytes()[0];
  sound::OggVorbisReader reader;
  std::string error;
  std::vector<std::int16_t> ring(2 * 4096);
  if (!reader.open(music.data(), music.size(), false, error)) state.SkipWithError("the music did not open");
  for (auto _ : state) {
    for (long fed = 0; fed < kRate;) {
      const long frames = reader.read(ring.data(), 4096, error);
      if (frames > 0) {
        fed += frames;
      } else if (!reader.open(music.data(), music.size(), false, error)) {
        state.SkipWithError("the music did not open again");
        break;
      }
    }
    benchmark::DoNotOptimize(ring.data());
  }
}
BENCHMARK(feedOneSecondOfTheMusic)->Unit(benchmark::kMillisecond);

} // namespace
