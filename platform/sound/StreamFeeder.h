// The thread that decodes streamed samples while they play: for every channel the mixer has
// started it keeps a decoder over the sample's bytes and fills the channel's ring ahead of
// the mixer, begins again at the first frame when the mixer restarts the channel or a
// looping sample comes round, and writes silence past a decoding error. The mixer's thread
// therefore never decodes, allocates or waits for it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/LoadedSample.h"
#include "platform/sound/OggDecoder.h"

namespace sound {

class StreamFeeder {
public:
  StreamFeeder();
  ~StreamFeeder();
  StreamFeeder(const StreamFeeder&) = delete;
  StreamFeeder& operator=(const StreamFeeder&) = delete;

  // Feeds the channels of a streamed sample from now on; `name` stands for it in log lines.
  void watch(std::shared_ptr<const LoadedSample> sample, std::string name);
  // Returns once a whole pass over the channels has run after the call: every started
  // channel then has its ring filled as far as it goes.
  void settle();
  // The log lines written since the last call ("Sound: <sample>: <why>\n"), for the caller's
  // thread to log: the log is the frame loop's, not this thread's.
  std::vector<std::string> takeLines();

private:
  // What the feeder keeps of one channel; only its thread touches it.
  struct Channel {
    std::shared_ptr<const LoadedSample> sample;
    int slot = 0;
    std::string name;
    OggVorbisReader reader;
    std::uint32_t served = 0;   // the ring request being answered
    std::size_t decoded = 0;    // frames written in the current time round the sample
    bool silent = false;        // decoding failed or ended early: silence to the sample's end
    bool reported = false;      // the failure has been logged
    std::uint64_t dryHeard = 0; // missing frames already known
    bool starving = false;      // frames went missing in the last pass (its line is written)
  };

  void run(std::stop_token stop);
  void pass();
  void serve(Channel& channel);
  void fill(Channel& channel, StreamRing& ring);
  void rewind(Channel& channel);
  std::size_t decodeInto(Channel& channel, std::int16_t* out, std::size_t frames);
  void checkUnderrun(Channel& channel, const StreamRing& ring);
  void log(const Channel& channel, const std::string& why);

  std::mutex mutex_; // the channel list and the pass count
  std::condition_variable_any wake_;
  std::vector<std::unique_ptr<Channel>> channels_;
  std::uint64_t passes_ = 0;
  std::uint64_t settleUntil_ = 0; // the pass a settle call waits for
  std::mutex linesMutex_;
  std::vector<std::string> lines_;
  std::jthread thread_; // last: it runs on the members above
};

} // namespace sound
