// The mixing core: the loaded samples' voices, the listener and the global volume, mixed
// into interleaved stereo float frames. It knows no device and no thread: the output (or a
// test) calls it, and the frame loop's requests arrive as commands.
#pragma once

#include <memory>
#include <vector>

#include "platform/sound/MixerCommand.h"

namespace sound {

// Limits a mixed value to the open range -1...1: identity up to 0.9, then a tanh knee, so a
// loud moment is rounded off instead of clipped hard (or wrapped, as integer output would).
float softLimit(float value);

class Mixer {
public:
  explicit Mixer(int outputRate);

  int outputRate() const { return rate_; }
  void apply(MixerCommand& command);
  // Adds every playing channel into `frames` stereo frames (overwriting what is there).
  void mix(float* stereo, int frames);

  // The commands, one operation each.
  void operator()(AddSample& command);
  void operator()(const PlayChannel& command);
  void operator()(const SetChannelVolume& command);
  void operator()(const SetChannelDistances& command);
  void operator()(const SetChannel3DPosition& command);
  void operator()(const SetListener& command);
  void operator()(const SetRolloff& command) { pendingRolloff_ = command.rolloff; }
  void operator()(const SetGlobalVolume& command) { globalVolume_ = command.volume; }
  void operator()(const Apply3D&);

private:
  struct SampleVoices {
    std::shared_ptr<const LoadedSample> sample;
    std::unique_ptr<Voice[]> voices;
  };

  // The voice of a channel in its current use, reset to the sample's defaults when the use
  // is new; null when the channel has been given back since (a stale handle).
  Voice* voiceFor(const ChannelRef& channel);
  StereoGain targetGain(const LoadedSample& sample, const Voice& voice) const;
  // Adds one voice into the block; false when a sample that does not loop has ended.
  bool mixVoice(const LoadedSample& sample, int slot, Voice& voice, float* stereo, int frames) const;

  int rate_;
  std::vector<SampleVoices> samples_;
  int globalVolume_ = 100;
  float rolloff_ = 1.0f;
  float pendingRolloff_ = 1.0f;
  ListenerFrame listener_;
  ListenerFrame pendingListener_;
};

} // namespace sound
