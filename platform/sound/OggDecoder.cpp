#include "platform/sound/OggDecoder.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace sound {
namespace {

constexpr long kMinRate = 1000;
constexpr long kMaxRate = 192000;

// The bytes as a read-only stream for libvorbisfile.
struct MemorySource {
  const unsigned char* data;
  std::size_t size;
  std::size_t position = 0;
};

std::size_t readMemory(void* out, std::size_t size, std::size_t count, void* source) {
  auto& memory = *static_cast<MemorySource*>(source);
  if (size == 0) return 0;
  const std::size_t items = std::min(count, (memory.size - memory.position) / size);
  std::memcpy(out, memory.data + memory.position, items * size);
  memory.position += items * size;
  return items;
}

// libvorbisfile takes a truncated file for a shorter one, and skips a page whose checksum
// fails as if it were not there. So the page structure is checked first: whole pages from
// the first byte to the last, the last one closing its stream. `followOn` tells whether
// each stream's pages come one after the other with none missing, which only decoding
// would otherwise find.
bool checkPages(const unsigned char* bytes, std::size_t size, std::string& error, bool& followOn) {
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(size));
  if (!buffer) {
    ogg_sync_clear(&sync);
    error = "too large";
    return false;
  }
  std::memcpy(buffer, bytes, size);
  ogg_sync_wrote(&sync, static_cast<long>(size));
  ogg_page page;
  long pages = 0;
  bool skipped = false;
  bool lastClosesStream = false;
  followOn = true;
  int serial = 0;
  long number = 0;
  for (long result; (result = ogg_sync_pageseek(&sync, &page)) != 0;) {
    if (result < 0) {
      skipped = true;
      continue;
    }
    const bool sameStream = pages > 0 && ogg_page_serialno(&page) == serial;
    if (sameStream ? ogg_page_pageno(&page) != number + 1 : !ogg_page_bos(&page)) followOn = false;
    serial = ogg_page_serialno(&page);
    number = ogg_page_pageno(&page);
    ++pages;
    lastClosesStream = ogg_page_eos(&page) != 0;
  }
  const bool partialPage = sync.returned < sync.fill;
  ogg_sync_clear(&sync);
  if (pages == 0) {
    error = "not an Ogg Vorbis file";
  } else if (skipped) {
    error = "damaged (a page is broken)";
  } else if (partialPage || !lastClosesStream) {
    error = "truncated";
  }
  return error.empty();
}

std::int16_t toPcm(float value) {
  const float clamped = std::clamp(value, -1.0f, 1.0f);
  return static_cast<std::int16_t>(std::lround(clamped * 32767.0f));
}

bool checkFormat(const vorbis_info* info, std::string& error) {
  if (!info) {
    error = "damaged (no stream information)";
  } else if (info->channels < 1 || info->channels > 2) {
    error = "has " + std::to_string(info->channels) + " channels (1 or 2 are played)";
  } else if (info->rate < kMinRate || info->rate > kMaxRate) {
    error = "has a rate of " + std::to_string(info->rate) + " Hz (1000 to 192000 are played)";
  }
  return error.empty();
}

// Writes `count` decoded frames, mixed down when the sample is kept in mono.
void convertFrames(float** channels, long count, int sourceChannels, int keptChannels, std::int16_t* out) {
  for (long frame = 0; frame < count; ++frame) {
    if (keptChannels == 1) {
      float sum = 0.0f;
      for (int c = 0; c < sourceChannels; ++c)
        sum += channels[c][frame];
      *out++ = toPcm(sum / static_cast<float>(sourceChannels));
    } else {
      *out++ = toPcm(channels[0][frame]);
      *out++ = toPcm(channels[1][frame]);
    }
  }
}

int seekMemory(void* source, ogg_int64_t offset, int whence) {
  auto& memory = *static_cast<MemorySource*>(source);
  const auto size = static_cast<ogg_int64_t>(memory.size);
  const ogg_int64_t base = whence == SEEK_SET   ? 0
                           : whence == SEEK_CUR ? static_cast<ogg_int64_t>(memory.position)
                                                : size;
  if (offset < -base || offset > size - base) return -1;
  memory.position = static_cast<std::size_t>(base + offset);
  return 0;
}

long tellMemory(void* source) { return static_cast<long>(static_cast<MemorySource*>(source)->position); }

// The sample's length from its last page, which needs a decoder that can seek; false when
// the bytes do not give one exact length of one format (the caller then decodes and sees).
bool measure(const unsigned char* data, std::size_t size, bool mono, SampleFormat& format) {
  MemorySource source{data, size};
  OggVorbis_File file{};
  const ov_callbacks callbacks{readMemory, seekMemory, nullptr, tellMemory};
  if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) return false;
  const vorbis_info* first = ov_info(&file, 0);
  std::string ignored;
  bool oneFormat = checkFormat(first, ignored);
  for (long link = 1; oneFormat && link < ov_streams(&file); ++link) {
    const vorbis_info* info = ov_info(&file, static_cast<int>(link));
    oneFormat = info && info->channels == first->channels && info->rate == first->rate;
  }
  const ogg_int64_t total = oneFormat ? ov_pcm_total(&file, -1) : -1;
  if (total > 0) format = {static_cast<int>(first->rate), mono ? 1 : first->channels, static_cast<std::size_t>(total)};
  ov_clear(&file);
  return total > 0;
}

// Frames decoded per read: what libvorbisfile hands out of one packet at most.
constexpr long kReadFrames = 4096;

// A page of slack is left alone; more (the measured length was short) is given back.
void trimCapacity(std::vector<std::int16_t>& pcm) {
  if ((pcm.capacity() - pcm.size()) * sizeof(std::int16_t) > 4096) pcm.shrink_to_fit();
}

bool decodeWhole(OggVorbisReader& reader, std::size_t expectedFrames, const std::atomic<bool>* cancel,
                 SampleData& sample, std::string& error) {
  sample.rate = reader.rate();
  sample.channels = reader.channels();
  // Sized once: growing by doubling would hold up to twice the frames, and both copies
  // while it grows.
  sample.pcm.reserve(std::min(expectedFrames, kMaxSampleFrames) * static_cast<std::size_t>(sample.channels));
  std::int16_t block[2 * kReadFrames];
  while (true) {
    if (cancel && cancel->load(std::memory_order_relaxed)) {
      error = "cancelled";
      return false;
    }
    const long count = reader.read(block, kReadFrames, error);
    if (count == 0) break;
    if (count < 0) return false;
    if (sample.frames() + static_cast<std::size_t>(count) > kMaxSampleFrames) {
      error = "too long";
      return false;
    }
    sample.pcm.insert(sample.pcm.end(), block, block + count * sample.channels);
  }
  if (sample.frames() == 0) {
    error = "holds no sound";
    return false;
  }
  trimCapacity(sample.pcm);
  return true;
}

} // namespace

struct OggVorbisReader::State {
  explicit State(MemorySource memory) : source(memory) {}
  ~State() {
    if (opened) ov_clear(&file);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  MemorySource source;
  OggVorbis_File file{};
  bool opened = false;
  int sourceChannels = 0;
  int keptChannels = 0;
  long rate = 0;
  int section = -1;
};

OggVorbisReader::OggVorbisReader() = default;
OggVorbisReader::~OggVorbisReader() = default;

bool OggVorbisReader::open(const void* bytes, std::size_t size, bool mono, std::string& error) {
  auto state = std::make_unique<State>(MemorySource{static_cast<const unsigned char*>(bytes), size});
  state_.reset();
  // Without seek and tell callbacks the decoder reads straight through, the same way for
  // intact and damaged files.
  const ov_callbacks callbacks{readMemory, nullptr, nullptr, nullptr};
  state->opened = ov_open_callbacks(&state->source, &state->file, nullptr, 0, callbacks) == 0;
  if (!state->opened) {
    error = "not an Ogg Vorbis file";
    return false;
  }
  const vorbis_info* first = ov_info(&state->file, -1);
  if (!checkFormat(first, error)) return false;
  state->sourceChannels = first->channels;
  state->keptChannels = mono ? 1 : first->channels;
  state->rate = first->rate;
  state_ = std::move(state);
  return true;
}

void OggVorbisReader::close() { state_.reset(); }

int OggVorbisReader::rate() const { return state_ ? static_cast<int>(state_->rate) : 0; }
int OggVorbisReader::channels() const { return state_ ? state_->keptChannels : 0; }

long OggVorbisReader::read(std::int16_t* out, long frames, std::string& error) {
  if (!state_) {
    error = "not open";
    return -1;
  }
  State& state = *state_;
  float** channels = nullptr;
  int section = 0;
  const long count = ov_read_float(&state.file, &channels, static_cast<int>(std::min(frames, kReadFrames)), &section);
  if (count == 0) return 0;
  if (count < 0) {
    error = count == OV_HOLE ? "damaged (data is missing)" : "damaged (a packet cannot be decoded)";
    return -1;
  }
  if (section != state.section) {
    // A chained file may change its format between streams; one sample has one format.
    const vorbis_info* info = ov_info(&state.file, -1);
    if (!checkFormat(info, error)) return -1;
    if (info->channels != state.sourceChannels || info->rate != state.rate) {
      error = "changes its format between streams";
      return -1;
    }
    state.section = section;
  }
  convertFrames(channels, count, state.sourceChannels, state.keptChannels, out);
  return count;
}

bool decodeOrMeasureOggVorbis(const void* bytes, std::size_t size, bool mono, std::size_t streamAbove,
                              SampleData& sample, SampleFormat& streamed, std::string& error,
                              const std::atomic<bool>* cancel) {
  sample = SampleData{};
  streamed = SampleFormat{};
  error.clear();
  const auto* data = static_cast<const unsigned char*>(bytes);
  if (!data || size == 0) {
    error = "empty";
    return false;
  }
  bool followOn = false;
  if (!checkPages(data, size, error, followOn)) return false;
  OggVorbisReader reader;
  if (!reader.open(data, size, mono, error)) return false;
  SampleFormat measured;
  const bool knownLength = measure(data, size, mono, measured);
  // Anything unusual is decoded whole, so that it gets the answer decoding gives.
  if (followOn && knownLength && measured.pcmBytes() > streamAbove && measured.frames <= kMaxSampleFrames) {
    streamed = measured;
    return true;
  }
  if (decodeWhole(reader, measured.frames, cancel, sample, error)) return true;
  sample = SampleData{};
  return false;
}

bool decodeOggVorbis(const void* bytes, std::size_t size, bool mono, SampleData& sample, std::string& error,
                     const std::atomic<bool>* cancel) {
  SampleFormat unused;
  return decodeOrMeasureOggVorbis(bytes, size, mono, std::numeric_limits<std::size_t>::max(), sample, unused, error,
                                  cancel);
}

} // namespace sound
