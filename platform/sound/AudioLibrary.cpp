#include "platform/sound/AudioLibrary.h"

#include <cmath>
#include <string>

#include "platform/sound/OggDecoder.h"
#include "platform/sound/StreamFeeder.h"
#include "platform/win32/desktop.h"

namespace sound {
namespace {

constexpr DWORD kSampleHandleBit = 0x80000000u;
constexpr std::uint32_t kMaxChannelNumbers = 0xFFFFu; // a channel handle's low 16 bits, less 0
constexpr DWORD kKnownSampleFlags = BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP | BASS_SAMPLE_3D | BASS_SAMPLE_SOFTWARE;
constexpr DWORD kMinRate = 1000;
constexpr DWORD kMaxRate = 192000;
constexpr std::string_view kSampleLoad = "BASS_SampleLoad";

// 3D sources are points: their samples are kept in one channel, as BASS_SAMPLE_MONO asks.
bool monoSample(DWORD flags) { return (flags & (BASS_SAMPLE_MONO | BASS_SAMPLE_3D)) != 0; }

// A channel handle: the generation of its use in the high half, its number + 1 in the low.
HCHANNEL channelHandle(std::uint32_t number, std::uint32_t generation) { return generation << 16 | (number + 1); }

bool finite(const BASS_3DVECTOR& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool zero(const BASS_3DVECTOR& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }
Vec3 toVec3(const BASS_3DVECTOR& v) { return {v.x, v.y, v.z}; }
std::optional<Vec3> given(const BASS_3DVECTOR* v) { return v ? std::optional<Vec3>(toVec3(*v)) : std::nullopt; }

// -1 (unchanged) or a value in [low, high].
bool unchangedOr(int value, int low, int high) { return value == -1 || (value >= low && value <= high); }

// A negative factor is left unchanged; a new one must lie in (0, high] or [0, high].
bool factorValid(float value, bool zeroAllowed, float high) {
  return value < 0.0f || (value <= high && (zeroAllowed || value > 0.0f));
}

} // namespace

AudioLibrary::AudioLibrary(std::size_t streamAbove) : streamAbove_(streamAbove) {}

AudioLibrary::~AudioLibrary() {
  // A library unloaded while samples decode ahead (a run stopped during its start) does not
  // wait for whole files to decode.
  cancelDecodes_ = true;
  pendingDecodes_.clear();
  output_.reset();
  feeder_.reset();
}

BOOL AudioLibrary::refuse(std::string_view call, std::string_view why) const {
  win32::reportDiagnostic("Sound: " + std::string(call) + ": " + std::string(why) + "\n");
  return FALSE;
}

BOOL AudioLibrary::init(int device, DWORD freq, DWORD flags, const void* clsid) {
  constexpr std::string_view call = "BASS_Init";
  if (mixer_) return refuse(call, "already initialised");
  if (clsid) return refuse(call, "a class id is not supported");
  if (flags & ~BASS_DEVICE_3D) return refuse(call, "unknown flags");
  if (freq < kMinRate || freq > kMaxRate) return refuse(call, "unsupported output rate");
  if (device == 0) {
    mixer_ = std::make_unique<Mixer>(static_cast<int>(freq));
    return TRUE;
  }
  if (device != 1) return refuse(call, "no device " + std::to_string(device));
  std::string error;
  std::unique_ptr<AudioOutput> output = openDefaultOutput(static_cast<int>(freq), *this, error);
  if (!output) return refuse(call, "no output device (" + error + ")");
  mixer_ = std::make_unique<Mixer>(output->rate());
  output_ = std::move(output);
  output_->start();
  return TRUE;
}

BOOL AudioLibrary::setConfig(DWORD option, DWORD value) {
  constexpr std::string_view call = "BASS_SetConfig";
  if (!mixer_) return refuse(call, "not initialised");
  if (option != BASS_CONFIG_GVOL_SAMPLE) return refuse(call, "unknown option " + std::to_string(option));
  if (value > 100) return refuse(call, "volume above 100");
  logStreamLines(); // the frame loop sets the volume every frame
  queue_.post(SetGlobalVolume{static_cast<int>(value)});
  return TRUE;
}

BOOL AudioLibrary::set3DFactors(float distf, float rollf, float doppf) {
  constexpr std::string_view call = "BASS_Set3DFactors";
  if (!mixer_) return refuse(call, "not initialised");
  if (!factorValid(distf, false, 1.0e6f) || !factorValid(rollf, true, 10.0f) || !factorValid(doppf, true, 10.0f))
    return refuse(call, "factor out of range");
  if (rollf >= 0.0f) queue_.post(SetRolloff{rollf});
  return TRUE;
}

BOOL AudioLibrary::set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                                 const BASS_3DVECTOR* top) {
  constexpr std::string_view call = "BASS_Set3DPosition";
  if (!mixer_) return refuse(call, "not initialised");
  if (vel && !zero(*vel)) return refuse(call, "velocities are not supported");
  if ((front == nullptr) != (top == nullptr)) return refuse(call, "front and top come together");
  if ((pos && !finite(*pos)) || (front && (!finite(*front) || !finite(*top))))
    return refuse(call, "a vector is not finite");
  if (front && !usableOrientation(toVec3(*front), toVec3(*top))) return refuse(call, "front and top are parallel");
  queue_.post(SetListener{given(pos), given(front), given(top)});
  return TRUE;
}

void AudioLibrary::apply3D() {
  if (mixer_) queue_.post(Apply3D{});
  logStreamLines(); // the frame loop applies every frame
}

void AudioLibrary::logStreamLines() {
  if (!feeder_) return;
  for (const std::string& line : feeder_->takeLines())
    win32::reportDiagnostic(line);
}

void AudioLibrary::settleStreams() {
  if (!feeder_) return;
  feeder_->settle();
  logStreamLines();
}

BOOL AudioLibrary::checkSampleOptions(DWORD max, DWORD flags) const {
  if (!mixer_) return refuse(kSampleLoad, "not initialised");
  if (flags & ~kKnownSampleFlags) return refuse(kSampleLoad, "unknown flags");
  if (max < 1 || max > kMaxChannelNumbers - channels_.size())
    return refuse(kSampleLoad, "unsupported number of channels " + std::to_string(max));
  return TRUE;
}

HSAMPLE AudioLibrary::sampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max, DWORD flags) {
  if (!checkSampleOptions(max, flags)) return 0;
  if (!mem) return refuse(kSampleLoad, "only samples in memory are loaded");
  if (!file || length == 0) return refuse(kSampleLoad, "no bytes");
  Decoded decoded = decode(static_cast<const unsigned char*>(file) + offset, length, monoSample(flags));
  if (!decoded.ok) return refuse(kSampleLoad, decoded.error);
  if (decoded.streamed.frames > 0)
    return addStreamed(static_cast<const unsigned char*>(file) + offset, length, decoded.streamed, max, flags);
  return addSample(std::move(decoded.data), max, flags);
}

bool AudioLibrary::decodeAhead(const void* file, DWORD length, DWORD flags) {
  if (!file || length == 0) return false;
  const bool mono = monoSample(flags);
  // The decoder only reads the bytes and keeps its state to itself, so samples decode side
  // by side; what a load does with the result stays on the caller's thread.
  auto result =
      std::async(std::launch::async, [file, length, mono, streamAbove = streamAbove_, cancel = &cancelDecodes_] {
        Decoded decoded;
        decoded.ok = decodeOrMeasureOggVorbis(file, length, mono, streamAbove, decoded.data, decoded.streamed,
                                              decoded.error, cancel);
        return decoded;
      });
  pendingDecodes_.push_back({file, length, mono, std::move(result)});
  return true;
}

AudioLibrary::Decoded AudioLibrary::decode(const unsigned char* file, DWORD length, bool mono) {
  for (auto pending = pendingDecodes_.begin(); pending != pendingDecodes_.end(); ++pending) {
    if (pending->file != file || pending->length != length || pending->mono != mono) continue;
    Decoded decoded = pending->result.get();
    pendingDecodes_.erase(pending);
    return decoded;
  }
  Decoded decoded;
  decoded.ok =
      decodeOrMeasureOggVorbis(file, length, mono, streamAbove_, decoded.data, decoded.streamed, decoded.error);
  return decoded;
}

HSAMPLE AudioLibrary::addSample(SampleData data, DWORD max, DWORD flags) {
  if (!checkSampleOptions(max, flags)) return 0;
  const bool shapeValid = data.channels == (monoSample(flags) ? 1 : data.channels) && data.channels >= 1 &&
                          data.channels <= 2 && data.frames() > 0 && data.rate > 0;
  if (!shapeValid) return refuse(kSampleLoad, "unsupported sample data");
  return addLoaded(std::make_shared<const LoadedSample>(std::move(data), (flags & BASS_SAMPLE_LOOP) != 0,
                                                        (flags & BASS_SAMPLE_3D) != 0, static_cast<int>(max)),
                   max);
}

HSAMPLE AudioLibrary::addStreamed(const unsigned char* file, DWORD length, const SampleFormat& format, DWORD max,
                                  DWORD flags) {
  SampleData shape;
  shape.rate = format.rate;
  shape.channels = format.channels;
  auto stream = std::make_unique<const SampleStream>(file, length, format, monoSample(flags), static_cast<int>(max));
  auto sample =
      std::make_shared<const LoadedSample>(std::move(shape), (flags & BASS_SAMPLE_LOOP) != 0,
                                           (flags & BASS_SAMPLE_3D) != 0, static_cast<int>(max), std::move(stream));
  if (!feeder_) feeder_ = std::make_unique<StreamFeeder>();
  feeder_->watch(sample, "sample " + std::to_string(samples_.size() + 1));
  return addLoaded(std::move(sample), max);
}

HSAMPLE AudioLibrary::addLoaded(std::shared_ptr<const LoadedSample> sample, DWORD max) {
  const auto index = static_cast<std::uint32_t>(samples_.size());
  firstChannel_.push_back(static_cast<std::uint32_t>(channels_.size()));
  for (std::uint32_t slot = 0; slot < max; ++slot)
    channels_.push_back({index, slot, 0});
  samples_.push_back(sample);
  queue_.post(AddSample{std::move(sample), std::make_unique<Voice[]>(max)});
  return kSampleHandleBit | (index + 1);
}

const LoadedSample* AudioLibrary::sampleOf(HSAMPLE handle, std::uint32_t& index) const {
  if (!(handle & kSampleHandleBit)) return nullptr;
  index = (handle & ~kSampleHandleBit) - 1;
  return index < samples_.size() ? samples_[index].get() : nullptr;
}

HCHANNEL AudioLibrary::sampleGetChannel(HSAMPLE handle, BOOL onlynew) {
  constexpr std::string_view call = "BASS_SampleGetChannel";
  if (!mixer_) return refuse(call, "not initialised");
  if (!onlynew) return refuse(call, "only new channels are handed out");
  std::uint32_t index = 0;
  const LoadedSample* sample = sampleOf(handle, index);
  if (!sample) return refuse(call, "not a sample");
  for (int slot = 0; slot < sample->maxChannels; ++slot) {
    std::atomic<std::uint32_t>& status = sample->status[slot];
    std::uint32_t word = status.load(std::memory_order_acquire);
    if (stateOf(word) != ChannelState::Free) continue;
    const std::uint32_t generation = nextGeneration(generationOf(word));
    // Only this thread hands channels out, but the mixer may free others meanwhile.
    if (status.compare_exchange_strong(word, statusWord(generation, ChannelState::Reserved), std::memory_order_acq_rel))
      return channelHandle(firstChannel_[index] + static_cast<std::uint32_t>(slot), generation);
  }
  return refuse(call, "all " + std::to_string(sample->maxChannels) + " channels are playing");
}

std::optional<AudioLibrary::ChannelTarget> AudioLibrary::channelOf(DWORD handle, std::string_view call,
                                                                   bool needs3D) const {
  if (!mixer_) {
    refuse(call, "not initialised");
    return std::nullopt;
  }
  const std::uint32_t number = (handle & 0xFFFFu) - 1;
  const std::uint32_t generation = handle >> 16;
  if ((handle & kSampleHandleBit) || number >= channels_.size()) {
    refuse(call, "not a channel");
    return std::nullopt;
  }
  ChannelRef ref = channels_[number];
  ref.generation = generation;
  const LoadedSample* sample = samples_[ref.sample].get();
  const std::uint32_t word = sample->status[ref.slot].load(std::memory_order_acquire);
  if (generationOf(word) != generation || stateOf(word) == ChannelState::Free) {
    refuse(call, "the channel has ended");
    return std::nullopt;
  }
  if (needs3D && !sample->is3D) {
    refuse(call, "not a 3D channel");
    return std::nullopt;
  }
  return ChannelTarget{ref, sample};
}

BOOL AudioLibrary::channelPlay(DWORD handle, BOOL restart) {
  constexpr std::string_view call = "BASS_ChannelPlay";
  const auto target = channelOf(handle, call, false);
  if (!target) return FALSE;
  std::atomic<std::uint32_t>& status = target->sample->status[target->ref.slot];
  std::uint32_t word = status.load(std::memory_order_acquire);
  const std::uint32_t playing = statusWord(target->ref.generation, ChannelState::Playing);
  // The mixer may have freed the channel since channelOf looked: then it has ended.
  while (generationOf(word) == target->ref.generation && stateOf(word) != ChannelState::Free) {
    if (status.compare_exchange_weak(word, playing, std::memory_order_acq_rel)) {
      queue_.post(PlayChannel{target->ref, restart != FALSE});
      return TRUE;
    }
  }
  return refuse(call, "the channel has ended");
}

BOOL AudioLibrary::channelSet3DAttributes(DWORD handle, int mode, float min, float max, int iangle, int oangle,
                                          int outvol) {
  constexpr std::string_view call = "BASS_ChannelSet3DAttributes";
  const auto target = channelOf(handle, call, true);
  if (!target) return FALSE;
  // Sources sound alike all around (full cones), so the outside volume has nothing to act on.
  if (!unchangedOr(mode, BASS_3DMODE_NORMAL, BASS_3DMODE_NORMAL) || !unchangedOr(iangle, 360, 360) ||
      !unchangedOr(oangle, 360, 360))
    return refuse(call, "only world positions and full cones are supported");
  if (!unchangedOr(outvol, 0, 100) || !std::isfinite(min) || !std::isfinite(max))
    return refuse(call, "argument out of range");
  queue_.post(SetChannelDistances{target->ref, min, max});
  return TRUE;
}

BOOL AudioLibrary::channelSet3DPosition(DWORD handle, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                                        const BASS_3DVECTOR* vel) {
  constexpr std::string_view call = "BASS_ChannelSet3DPosition";
  const auto target = channelOf(handle, call, true);
  if (!target) return FALSE;
  if (vel && !zero(*vel)) return refuse(call, "velocities are not supported");
  if ((pos && !finite(*pos)) || (orient && !finite(*orient))) return refuse(call, "a vector is not finite");
  // The orientation is where a sound cone would point; with full cones it changes nothing.
  queue_.post(SetChannel3DPosition{target->ref, given(pos)});
  return TRUE;
}

BOOL AudioLibrary::channelSetAttributes(DWORD handle, int freq, int volume, int pan) {
  constexpr std::string_view call = "BASS_ChannelSetAttributes";
  const auto target = channelOf(handle, call, false);
  if (!target) return FALSE;
  if (freq != -1 || pan != -1) return refuse(call, "only the volume can be changed");
  if (!unchangedOr(volume, 0, 100)) return refuse(call, "argument out of range");
  if (volume != -1) queue_.post(SetChannelVolume{target->ref, volume});
  return TRUE;
}

void AudioLibrary::render(float* stereo, int frames) {
  queue_.applyTo(*mixer_);
  mixer_->mix(stereo, frames);
}

bool AudioLibrary::pull(float* stereo, int frames) {
  if (!mixer_ || output_) return false;
  render(stereo, frames);
  return true;
}

} // namespace sound
