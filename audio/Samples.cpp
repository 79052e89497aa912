#include "audio/Samples.h"

#include <cstdint>
#include <string>

#include "engine/core/Log.h"

namespace audio {

bool readSampleFile(const engine::MediaLibrary& media, std::string_view name, engine::ByteBlock& bytes) {
  engine::FileLocation location = media.locate(name);
  bool mayBorrow = true; // the linked archive's bytes can be decoded in place
  return location.readAll(bytes, mayBorrow) && bytes.size() > 0 && bytes.size() <= 0xFFFFFFFFu;
}

HSAMPLE loadSample(std::string_view name, const engine::ByteBlock& bytes, DWORD flags) {
  HSAMPLE sample = 0;
  if (bytes.size() > 0 && bytes.size() <= 0xFFFFFFFFu)
    sample = BASS_SampleLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), kSampleChannels, flags);
  if (!sample) engine::logLine("Cannot load sound " + std::string(name) + "\n");
  return sample;
}

HSAMPLE loadSample(const engine::MediaLibrary& media, std::string_view name, DWORD flags) {
  engine::ByteBlock bytes;
  if (!readSampleFile(media, name, bytes)) bytes = engine::ByteBlock();
  return loadSample(name, bytes, flags);
}

HCHANNEL startSound(HSAMPLE sample) {
  if (!sample) return 0;
  const HCHANNEL channel = BASS_SampleGetChannel(sample, TRUE);
  if (channel) BASS_ChannelPlay(channel, TRUE);
  return channel;
}

} // namespace audio
