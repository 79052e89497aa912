// The audio library behind the BASS_ calls: it checks and answers each call on the caller's
// thread (handles, channel claims, arguments), decodes samples there (long ones are only
// checked, and decoded by the feeder's thread while they play), and hands what the call
// changes to the mixer through the command queue. The output, when there is one, pulls
// mixed frames on its own thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sound/AudioOutput.h"
#include "platform/sound/CommandQueue.h"
#include "platform/sound/SampleData.h"
#include "platform/sound/SampleStream.h"
#include "platform/sound/bass.h"

namespace sound {

class StreamFeeder;

class AudioLibrary final : private FrameSource {
public:
  // Samples that would decode to more than `streamAbove` bytes are decoded while they play.
  explicit AudioLibrary(std::size_t streamAbove = kStreamAboveBytes);
  ~AudioLibrary() override;
  AudioLibrary(const AudioLibrary&) = delete;
  AudioLibrary& operator=(const AudioLibrary&) = delete;

  // The calls, as bass.h describes them.
  BOOL init(int device, DWORD freq, DWORD flags, const void* clsid);
  BOOL setConfig(DWORD option, DWORD value);
  BOOL set3DFactors(float distf, float rollf, float doppf);
  BOOL set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                     const BASS_3DVECTOR* top);
  void apply3D();
  HSAMPLE sampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max, DWORD flags);
  // sound::decodeAhead (bass.h).
  bool decodeAhead(const void* file, DWORD length, DWORD flags);
  HCHANNEL sampleGetChannel(HSAMPLE handle, BOOL onlynew);
  BOOL channelPlay(DWORD handle, BOOL restart);
  BOOL channelSet3DAttributes(DWORD handle, int mode, float min, float max, int iangle, int oangle, int outvol);
  BOOL channelSet3DPosition(DWORD handle, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                            const BASS_3DVECTOR* vel);
  BOOL channelSetAttributes(DWORD handle, int freq, int volume, int pan);

  // What BASS_SampleLoad does once the bytes are decoded; tests give exact frames this way.
  // A sample loaded mono or 3D must come in one channel.
  HSAMPLE addSample(SampleData data, DWORD max, DWORD flags);

  // Without an output (device 0), the frames an output would play next, so tests and
  // measurements hear what the calls did. False when an output runs or before init.
  bool pull(float* stereo, int frames);
  // Returns once the streamed channels the mixer has started have their rings filled as far
  // as they go, and logs what the feeder found meanwhile (for tests and measurements).
  void settleStreams();
  bool initialised() const { return mixer_ != nullptr; }
  bool hasOutput() const { return output_ != nullptr; }
  // The rate the mixer produces: the output's, or the one init asked for without output.
  int outputRate() const { return mixer_ ? mixer_->outputRate() : 0; }

private:
  // A channel by its handle and the sample it belongs to.
  struct ChannelTarget {
    ChannelRef ref;
    const LoadedSample* sample;
  };

  void render(float* stereo, int frames) override;
  // Logs "Sound: <call>: <why>" and answers FALSE.
  BOOL refuse(std::string_view call, std::string_view why) const;
  BOOL checkSampleOptions(DWORD max, DWORD flags) const;
  const LoadedSample* sampleOf(HSAMPLE handle, std::uint32_t& index) const;
  std::optional<ChannelTarget> channelOf(DWORD handle, std::string_view call, bool needs3D) const;
  // Gives the mixer a loaded sample with `max` channels; its handle.
  HSAMPLE addLoaded(std::shared_ptr<const LoadedSample> sample, DWORD max);
  HSAMPLE addStreamed(const unsigned char* file, DWORD length, const SampleFormat& format, DWORD max, DWORD flags);
  // The feeder's log lines, written on this (the caller's) thread.
  void logStreamLines();

  // A sample being decoded ahead of its load.
  struct Decoded {
    bool ok = false;
    SampleData data;
    SampleFormat streamed; // frames 0: decoded whole into `data`
    std::string error;
  };
  struct PendingDecode {
    const void* file;
    DWORD length;
    bool mono;
    std::future<Decoded> result;
  };
  // The decoded sample of `file` from decodeAhead or, when none was started, decoded now.
  Decoded decode(const unsigned char* file, DWORD length, bool mono);

  std::unique_ptr<Mixer> mixer_;
  CommandQueue queue_;
  std::vector<std::shared_ptr<const LoadedSample>> samples_;
  // The first channel number of each sample; channel numbers run on across all samples and
  // are what a channel handle carries.
  std::vector<std::uint32_t> firstChannel_;
  std::vector<ChannelRef> channels_; // by channel number: sample and slot (no generation)
  std::atomic<bool> cancelDecodes_{false};
  std::vector<PendingDecode> pendingDecodes_; // their futures wait for the threads when dropped
  const std::size_t streamAbove_;
  std::unique_ptr<StreamFeeder> feeder_; // made with the first streamed sample
  // Last, so it is stopped before anything the render thread reads goes away.
  std::unique_ptr<AudioOutput> output_;
};

} // namespace sound
