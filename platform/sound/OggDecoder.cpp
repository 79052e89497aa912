#include "platform/sound/OggDecoder.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sound {
namespace {

constexpr long kMinRate = 1000;
constexpr long kMaxRate = 192000;

// The bytes as a read-only stream for libvorbisfile. Without seek and tell callbacks the
// decoder reads straight through, the same way for intact and damaged files.
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
// the first byte to the last, the last one closing its stream.
bool checkPages(const unsigned char* bytes, std::size_t size, std::string& error) {
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
  for (long result; (result = ogg_sync_pageseek(&sync, &page)) != 0;) {
    if (result < 0) {
      skipped = true;
      continue;
    }
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

// Owns the decoder so that every way out of decodeOggVorbis releases it.
class VorbisFile {
public:
  explicit VorbisFile(MemorySource& source) {
    const ov_callbacks callbacks{readMemory, nullptr, nullptr, nullptr};
    opened_ = ov_open_callbacks(&source, &file_, nullptr, 0, callbacks) == 0;
  }
  ~VorbisFile() {
    if (opened_) ov_clear(&file_);
  }
  VorbisFile(const VorbisFile&) = delete;
  VorbisFile& operator=(const VorbisFile&) = delete;

  bool opened() const { return opened_; }
  OggVorbis_File* get() { return &file_; }

private:
  OggVorbis_File file_{};
  bool opened_ = false;
};

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

// Appends `count` decoded frames, mixed down when the sample is kept in mono.
void appendFrames(float** channels, long count, int sourceChannels, int keptChannels, std::vector<std::int16_t>& pcm) {
  for (long frame = 0; frame < count; ++frame) {
    if (keptChannels == 1) {
      float sum = 0.0f;
      for (int c = 0; c < sourceChannels; ++c)
        sum += channels[c][frame];
      pcm.push_back(toPcm(sum / static_cast<float>(sourceChannels)));
    } else {
      pcm.push_back(toPcm(channels[0][frame]));
      pcm.push_back(toPcm(channels[1][frame]));
    }
  }
}

bool decodeFrames(OggVorbis_File* file, bool mono, const std::atomic<bool>* cancel, SampleData& sample,
                  std::string& error) {
  const vorbis_info* first = ov_info(file, -1);
  if (!checkFormat(first, error)) return false;
  const int sourceChannels = first->channels;
  sample.rate = static_cast<int>(first->rate);
  sample.channels = mono ? 1 : sourceChannels;
  int currentSection = -1;
  while (true) {
    if (cancel && cancel->load(std::memory_order_relaxed)) {
      error = "cancelled";
      return false;
    }
    float** channels = nullptr;
    int section = 0;
    const long count = ov_read_float(file, &channels, 4096, &section);
    if (count == 0) break;
    if (count < 0) {
      error = count == OV_HOLE ? "damaged (data is missing)" : "damaged (a packet cannot be decoded)";
      return false;
    }
    if (section != currentSection) {
      // A chained file may change its format between streams; one sample has one format.
      const vorbis_info* info = ov_info(file, -1);
      if (!checkFormat(info, error)) return false;
      if (info->channels != sourceChannels || info->rate != sample.rate) {
        error = "changes its format between streams";
        return false;
      }
      currentSection = section;
    }
    if (sample.frames() + static_cast<std::size_t>(count) > kMaxSampleFrames) {
      error = "too long";
      return false;
    }
    appendFrames(channels, count, sourceChannels, sample.channels, sample.pcm);
  }
  if (sample.frames() == 0) {
    error = "holds no sound";
    return false;
  }
  return true;
}

} // namespace

bool decodeOggVorbis(const void* bytes, std::size_t size, bool mono, SampleData& sample, std::string& error,
                     const std::atomic<bool>* cancel) {
  sample = SampleData{};
  error.clear();
  const auto* data = static_cast<const unsigned char*>(bytes);
  if (!data || size == 0) {
    error = "empty";
    return false;
  }
  if (!checkPages(data, size, error)) return false;
  MemorySource source{data, size};
  VorbisFile file(source);
  if (!file.opened()) {
    error = "not an Ogg Vorbis file";
    return false;
  }
  if (decodeFrames(file.get(), mono, cancel, sample, error)) return true;
  sample = SampleData{};
  return false;
}

} // namespace sound
