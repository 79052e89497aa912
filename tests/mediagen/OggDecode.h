// Decodes a whole Ogg Vorbis file with libvorbisfile, as the program's sound layer does,
// so the tests check what a listener will hear rather than what the generator meant.
#pragma once

#include <string>
#include <vector>

namespace mediatest {

struct DecodedSound {
  long rate = 0;
  int channels = 0;
  std::vector<std::vector<float>> samples; // one vector per channel
  std::size_t frames() const { return samples.empty() ? 0 : samples[0].size(); }
};

// Answers false (with the reason in `error`) when the file cannot be opened or decoded.
bool decodeOgg(const std::string& path, DecodedSound& sound, std::string& error);

} // namespace mediatest
