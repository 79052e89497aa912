// Samples from the media and starting them: what every sound of the room goes through.
#pragma once

#include <string_view>

#include "engine/data/MediaLibrary.h"
#include "platform/sound/bass.h"

namespace audio {

// Simultaneous channels of every sample: two thunder claps due in the same frame each get
// their own.
constexpr DWORD kSampleChannels = 20;

// The media file `name` ("/ClockRain.ogg"; a Media folder first, then the archive) read
// whole and loaded with `flags` (BASS_SAMPLE_*). 0, with the log line
// "Cannot load sound <name>", when the file cannot be read or is no playable sample.
HSAMPLE loadSample(const engine::MediaLibrary& media, std::string_view name, DWORD flags);
// The same in two halves, for a sample decoded ahead from the bytes it is later loaded from:
// the file read whole into `bytes` (false when it cannot be, or is empty or beyond 4 GiB),
// and `bytes` loaded as the sound `name`.
bool readSampleFile(const engine::MediaLibrary& media, std::string_view name, engine::ByteBlock& bytes);
HSAMPLE loadSample(std::string_view name, const engine::ByteBlock& bytes, DWORD flags);

// A new channel of the sample, played from its start; 0 when there is none (a sample that
// did not load, or all its channels playing), which is silence and no error.
HCHANNEL startSound(HSAMPLE sample);

} // namespace audio
