#include "platform/sound/Mixer.h"

#include <algorithm>
#include <cmath>

namespace sound {
namespace {

constexpr float kKnee = 0.9f;
constexpr float kPcmScale = 1.0f / 32768.0f;
// The room loads six samples; room for many more keeps the mixer's thread from
// reallocating its table while a sample arrives.
constexpr std::size_t kReservedSamples = 64;

// Where a playing voice reads: the frame at `position` and the one after it, which for a
// loop is the first frame again, so the loop point is interpolated like any other.
struct ReadPoint {
  std::size_t frame;
  std::size_t next;
  float fraction;
};

ReadPoint readPoint(double position, std::size_t length, bool loop) {
  const auto frame = std::min(static_cast<std::size_t>(position), length - 1);
  std::size_t next = frame + 1;
  if (next == length) next = loop ? 0 : frame;
  return {frame, next, static_cast<float>(position - static_cast<double>(frame))};
}

float interpolate(std::int16_t a, std::int16_t b, float fraction) {
  const float first = static_cast<float>(a);
  return (first + fraction * (static_cast<float>(b) - first)) * kPcmScale;
}

// A voice's frames decoded whole: every frame is there.
struct WholeFrames {
  const std::int16_t* pcm;
  std::size_t channels;

  bool fetch(const ReadPoint& at, std::uint64_t, const std::int16_t*& first, const std::int16_t*& second) {
    first = pcm + at.frame * channels;
    second = pcm + at.next * channels;
    return true;
  }
};

// A streamed voice's frames: in its ring, numbered on across loops, once the feeder has
// written them; a frame it has not is missing, heard as silence and counted.
struct RingFrames {
  const StreamRing& ring;
  std::uint64_t length;
  std::uint64_t written;
  std::uint64_t dry = 0;

  bool fetch(const ReadPoint& at, std::uint64_t loops, const std::int16_t*& first, const std::int16_t*& second) {
    const std::uint64_t index = loops * length + at.frame;
    const std::uint64_t next = at.next == at.frame ? index : index + 1; // after the last frame comes the first
    if (next >= written) {
      ++dry;
      return false;
    }
    first = ring.frame(index);
    second = ring.frame(next);
    return true;
  }
};

// The gain across one block: from where the last block left it to the new target.
struct BlockGain {
  StereoGain from;
  StereoGain target;
  float leftStep;
  float rightStep;
};

template <typename Frames>
bool mixFrames(bool loop, std::size_t channels, double step, std::size_t length, const BlockGain& gain, Frames& source,
               Voice& voice, float* stereo, int frames) {
  const double end = static_cast<double>(length);
  const bool stereoSample = channels == 2;
  for (int i = 0; i < frames; ++i) {
    const ReadPoint at = readPoint(voice.position, length, loop);
    const std::int16_t* first = nullptr;
    const std::int16_t* second = nullptr;
    float left = 0.0f;
    float right = 0.0f;
    if (source.fetch(at, voice.loops, first, second)) {
      left = interpolate(first[0], second[0], at.fraction);
      right = stereoSample ? interpolate(first[1], second[1], at.fraction) : left;
    }
    const auto ramp = static_cast<float>(i + 1);
    const float leftGain = gain.leftStep == 0.0f ? gain.target.left : gain.from.left + gain.leftStep * ramp;
    const float rightGain = gain.rightStep == 0.0f ? gain.target.right : gain.from.right + gain.rightStep * ramp;
    stereo[2 * i] += left * leftGain;
    stereo[2 * i + 1] += right * rightGain;
    voice.position += step;
    if (voice.position >= end) {
      if (!loop) return false;
      voice.loops += static_cast<std::uint64_t>(voice.position / end);
      voice.position = std::fmod(voice.position, end);
    }
  }
  return true;
}

} // namespace

float softLimit(float value) {
  if (std::isnan(value)) return 0.0f;
  const float magnitude = std::fabs(value);
  if (magnitude <= kKnee) return value;
  const float limited = kKnee + (1.0f - kKnee) * std::tanh((magnitude - kKnee) / (1.0f - kKnee));
  return std::copysign(std::min(limited, std::nextafter(1.0f, 0.0f)), value);
}

Mixer::Mixer(int outputRate) : rate_(outputRate) { samples_.reserve(kReservedSamples); }

void Mixer::apply(MixerCommand& command) { std::visit(*this, command); }

void Mixer::operator()(AddSample& command) {
  samples_.push_back({std::move(command.sample), std::move(command.voices)});
}

Voice* Mixer::voiceFor(const ChannelRef& channel) {
  if (channel.sample >= samples_.size()) return nullptr;
  const SampleVoices& entry = samples_[channel.sample];
  if (channel.slot >= static_cast<std::uint32_t>(entry.sample->maxChannels)) return nullptr;
  const std::uint32_t word = entry.sample->status[channel.slot].load(std::memory_order_acquire);
  if (generationOf(word) != channel.generation || stateOf(word) == ChannelState::Free) return nullptr;
  Voice& voice = entry.voices[channel.slot];
  if (voice.generation != channel.generation) {
    voice = Voice{};
    voice.generation = channel.generation;
  }
  return &voice;
}

void Mixer::operator()(const PlayChannel& command) {
  Voice* voice = voiceFor(command.channel);
  if (!voice) return;
  if (command.restart) {
    voice->position = 0.0;
    voice->loops = 0;
  }
  // A streamed channel's feeder begins again from the first frame whenever it does.
  const SampleStream* stream = samples_[command.channel.sample].sample->stream.get();
  if (stream && (command.restart || voice->streamUse == 0))
    voice->streamUse = stream->ring(static_cast<int>(command.channel.slot)).restart();
  if (!voice->playing) voice->gainKnown = false; // a start begins at its gain, not ramping to it
  voice->playing = true;
}

void Mixer::operator()(const SetChannelVolume& command) {
  Voice* voice = voiceFor(command.channel);
  if (voice) voice->volume = command.volume;
}

void Mixer::operator()(const SetChannelDistances& command) {
  Voice* voice = voiceFor(command.channel);
  if (!voice) return;
  Source3D& source = voice->pending;
  // A distance of 0 or less keeps the current one (1 for a new channel). The room passes a
  // minimum of 0 for the ticking; taken literally, min / (min + ...) would silence it at
  // every distance.
  if (command.minDistance > 0.0f) source.minDistance = command.minDistance;
  if (command.maxDistance > 0.0f) source.maxDistance = command.maxDistance;
}

void Mixer::operator()(const SetChannel3DPosition& command) {
  Voice* voice = voiceFor(command.channel);
  if (!voice) return;
  if (command.position) voice->pending.position = *command.position;
}

void Mixer::operator()(const SetListener& command) {
  if (command.position) pendingListener_.position = *command.position;
  if (command.front && command.top) {
    pendingListener_.front = *command.front;
    pendingListener_.top = *command.top;
  }
}

void Mixer::operator()(const Apply3D&) {
  listener_ = pendingListener_;
  rolloff_ = pendingRolloff_;
  for (SampleVoices& entry : samples_) {
    if (!entry.sample->is3D) continue;
    for (int slot = 0; slot < entry.sample->maxChannels; ++slot)
      entry.voices[slot].source = entry.voices[slot].pending;
  }
}

StereoGain Mixer::targetGain(const LoadedSample& sample, const Voice& voice) const {
  const float level = static_cast<float>(voice.volume) / 100.0f * (static_cast<float>(globalVolume_) / 100.0f);
  if (!sample.is3D) return {level, level};
  const StereoGain heard = spatialGain(voice.source, listener_, rolloff_);
  return {level * heard.left, level * heard.right};
}

bool Mixer::mixVoice(const LoadedSample& sample, int slot, Voice& voice, float* stereo, int frames) const {
  const std::size_t length = sample.frames();
  if (length == 0) return false;
  const SampleStream* stream = sample.stream.get();
  // A streamed voice starts once the feeder has its first frames: a moment later than a
  // decoded one, instead of a gap at its beginning.
  if (stream && !stream->ring(slot).ready(voice.streamUse)) return true;
  const double step = static_cast<double>(sample.data.rate) / static_cast<double>(rate_);
  // The gain moves from where the last block left it to the new one across this block, so
  // the listener's every-frame moves and the fade-in's steps do not click.
  const StereoGain target = targetGain(sample, voice);
  const StereoGain from = voice.gainKnown ? voice.gain : target;
  const BlockGain gain{from, target, (target.left - from.left) / static_cast<float>(frames),
                       (target.right - from.right) / static_cast<float>(frames)};
  voice.gain = target;
  voice.gainKnown = true;
  const auto channels = static_cast<std::size_t>(sample.data.channels);
  if (!stream) {
    WholeFrames source{sample.data.pcm.data(), channels};
    return mixFrames(sample.loop, channels, step, length, gain, source, voice, stereo, frames);
  }
  StreamRing& ring = stream->ring(slot);
  RingFrames source{ring, length, ring.written()};
  const bool playing = mixFrames(sample.loop, channels, step, length, gain, source, voice, stereo, frames);
  ring.release(voice.loops * length + static_cast<std::uint64_t>(voice.position));
  if (source.dry > 0) ring.countDry(source.dry);
  return playing;
}

void Mixer::mix(float* stereo, int frames) {
  if (frames <= 0) return;
  std::fill(stereo, stereo + 2 * static_cast<std::ptrdiff_t>(frames), 0.0f);
  for (SampleVoices& entry : samples_) {
    const LoadedSample& sample = *entry.sample;
    for (int slot = 0; slot < sample.maxChannels; ++slot) {
      Voice& voice = entry.voices[slot];
      if (!voice.playing || mixVoice(sample, slot, voice, stereo, frames)) continue;
      voice.playing = false;
      // The channel is free for the next start; a failed exchange means it was never
      // marked playing in this use, which leaves nothing to give back.
      std::uint32_t expected = statusWord(voice.generation, ChannelState::Playing);
      sample.status[slot].compare_exchange_strong(expected, statusWord(voice.generation, ChannelState::Free),
                                                  std::memory_order_acq_rel);
    }
  }
  for (int i = 0; i < 2 * frames; ++i)
    stereo[i] = softLimit(stereo[i]);
}

} // namespace sound
