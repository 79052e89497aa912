#include "audio/Samples.h"

#include <cstdint>
#include <string>

#include "engine/core/Log.h"

namespace audio {

HSAMPLE loadSample(const engine::MediaLibrary& media, std::string_view name, DWORD flags) {
  engine::FileLocation location = media.locate(name);
  engine::ByteBlock bytes;
  bool mayBorrow = true; // the linked archive's bytes can be decoded in place
  HSAMPLE sample = 0;
  if (location.readAll(bytes, mayBorrow) && bytes.size() > 0 && bytes.size() <= 0xFFFFFFFFu)
    sample = BASS_SampleLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), kSampleChannels, flags);
  if (!sample) engine::logLine("Cannot load sound " + std::string(name) + "\n");
  return sample;
}

HCHANNEL startSound(HSAMPLE sample) {
  if (!sample) return 0;
  const HCHANNEL channel = BASS_SampleGetChannel(sample, TRUE);
  if (channel) BASS_ChannelPlay(channel, TRUE);
  return channel;
}

} // namespace audio
