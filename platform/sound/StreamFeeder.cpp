#include "platform/sound/StreamFeeder.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace sound {
namespace {

// The rings hold a second and a half, so passes this often keep them nearly full; it is also about the
// longest a started channel waits for its first frames.
constexpr auto kPassInterval = std::chrono::milliseconds(10);

} // namespace

StreamFeeder::StreamFeeder() : thread_([this](std::stop_token stop) { run(stop); }) {}

StreamFeeder::~StreamFeeder() = default; // the thread is asked to stop and joined first

void StreamFeeder::watch(std::shared_ptr<const LoadedSample> sample, std::string name) {
  const std::lock_guard lock(mutex_);
  for (int slot = 0; slot < sample->maxChannels; ++slot) {
    auto channel = std::make_unique<Channel>();
    channel->sample = sample;
    channel->slot = slot;
    channel->name = name;
    channels_.push_back(std::move(channel));
  }
}

void StreamFeeder::settle() {
  std::unique_lock lock(mutex_);
  // No pass runs while the lock is held here, so the next one to end begins after this call.
  settleUntil_ = passes_ + 1;
  wake_.notify_all();
  wake_.wait(lock, [this] { return passes_ >= settleUntil_; });
}

std::vector<std::string> StreamFeeder::takeLines() {
  const std::lock_guard lock(linesMutex_);
  return std::exchange(lines_, {});
}

void StreamFeeder::run(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    pass();
    ++passes_;
    wake_.notify_all();
    wake_.wait_for(lock, stop, kPassInterval, [this] { return passes_ < settleUntil_; });
  }
}

void StreamFeeder::pass() {
  for (const std::unique_ptr<Channel>& channel : channels_)
    serve(*channel);
}

void StreamFeeder::serve(Channel& channel) {
  const SampleStream& stream = *channel.sample->stream;
  StreamRing& ring = stream.ring(channel.slot);
  const std::uint32_t wanted = ring.wanted();
  if (wanted == 0) return; // never started
  if (wanted == channel.served) {
    fill(channel, ring);
    checkUnderrun(channel, ring);
    return;
  }
  // The mixer started the channel (again) and waits: the ring is ours until it is published.
  ring.begin(stream.format().channels, kRingFrames);
  rewind(channel);
  channel.dryHeard = ring.dryFrames();
  channel.starving = false;
  fill(channel, ring);
  ring.publish(wanted);
  channel.served = wanted;
}

void StreamFeeder::fill(Channel& channel, StreamRing& ring) {
  const std::size_t length = channel.sample->frames();
  while (true) {
    if (channel.decoded == length) {
      if (!channel.sample->loop) {
        channel.reader.close(); // played out: its decoder's memory goes until a restart
        return;
      }
      // Frames numbered on: the mixer reads the first frame right after the last.
      rewind(channel);
    }
    std::size_t room = 0;
    std::int16_t* out = ring.space(room);
    if (room == 0) return;
    const std::size_t frames = decodeInto(channel, out, std::min(room, length - channel.decoded));
    ring.commit(frames);
    channel.decoded += frames;
  }
}

void StreamFeeder::rewind(Channel& channel) {
  const SampleStream& stream = *channel.sample->stream;
  channel.decoded = 0;
  std::string error;
  channel.silent = !channel.reader.open(stream.ogg().data(), stream.ogg().size(), stream.mono(), error);
  if (channel.silent && !channel.reported) {
    log(channel, error);
    channel.reported = true;
  }
}

std::size_t StreamFeeder::decodeInto(Channel& channel, std::int16_t* out, std::size_t frames) {
  if (!channel.silent) {
    std::string error;
    const long count = channel.reader.read(out, static_cast<long>(frames), error);
    if (count > 0) return static_cast<std::size_t>(count);
    // A broken packet, or bytes that end before their last page said: the rest of this time
    // round the sample is silence, and the channel still ends (or loops) on time.
    if (count < 0 && !channel.reported) {
      log(channel, error);
      channel.reported = true;
    }
    channel.silent = true;
  }
  const auto channels = static_cast<std::size_t>(channel.sample->stream->format().channels);
  std::fill_n(out, frames * channels, std::int16_t{0});
  return frames;
}

void StreamFeeder::checkUnderrun(Channel& channel, const StreamRing& ring) {
  const std::uint64_t dry = ring.dryFrames();
  const bool starving = dry != channel.dryHeard;
  // One line for each time the ring runs dry, not one for every pass it stays so.
  if (starving && !channel.starving) log(channel, "stream underrun");
  channel.dryHeard = dry;
  channel.starving = starving;
}

void StreamFeeder::log(const Channel& channel, const std::string& why) {
  const std::lock_guard lock(linesMutex_);
  lines_.push_back("Sound: " + channel.name + ": " + why + "\n");
}

} // namespace sound
