// Ogg Vorbis bytes to a sample, decoded whole with libvorbisfile or read a block at a time.
// The bytes are untrusted (a Media folder can replace any sound), so every failure is an
// answer, never a crash.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound/SampleData.h"

namespace sound {

// Longest sample accepted, in frames (about twelve minutes at 44.1 kHz): Vorbis codes
// silence in a byte or two per thousand frames, so a small crafted file could otherwise
// ask for gigabytes.
constexpr std::size_t kMaxSampleFrames = std::size_t{1} << 25;

// A sample's shape as its headers and its last page give it, without decoding it.
struct SampleFormat {
  int rate = 0;
  int channels = 0; // as kept: 1 when loaded mono
  std::size_t frames = 0;

  std::size_t pcmBytes() const { return frames * static_cast<std::size_t>(channels) * sizeof(std::int16_t); }
};

// Decodes mono or stereo Vorbis at 1 kHz to 192 kHz; `mono` mixes stereo down. On failure
// answers false with the reason in `error` ("not an Ogg Vorbis file", "truncated", ...).
// Decoding stops early ("cancelled") once `cancel` holds true.
bool decodeOggVorbis(const void* bytes, std::size_t size, bool mono, SampleData& sample, std::string& error,
                     const std::atomic<bool>* cancel = nullptr);

// The same checks and answers as decodeOggVorbis; but when the bytes are whole, of one format
// and would decode to more than `streamAbove` bytes of PCM, they are only measured: the answer
// is true with `streamed` set and `sample` left empty, for the caller to decode while it plays.
// (`streamed.frames` is 0 when the sample was decoded.)
bool decodeOrMeasureOggVorbis(const void* bytes, std::size_t size, bool mono, std::size_t streamAbove,
                              SampleData& sample, SampleFormat& streamed, std::string& error,
                              const std::atomic<bool>* cancel = nullptr);

// Frames of Ogg Vorbis bytes in order, as 16-bit PCM (interleaved when stereo). The bytes
// must outlive the reader.
class OggVorbisReader {
public:
  OggVorbisReader();
  ~OggVorbisReader();
  OggVorbisReader(const OggVorbisReader&) = delete;
  OggVorbisReader& operator=(const OggVorbisReader&) = delete;

  // Opens (or reopens, from the first frame) the bytes and checks the first stream's format.
  bool open(const void* bytes, std::size_t size, bool mono, std::string& error);
  void close();
  bool opened() const { return state_ != nullptr; }
  // Decodes up to `frames` frames into `out`: the number decoded, 0 at the end, or -1 with
  // the reason in `error`.
  long read(std::int16_t* out, long frames, std::string& error);
  int rate() const;
  int channels() const; // as kept

private:
  struct State;
  std::unique_ptr<State> state_;
};

} // namespace sound
