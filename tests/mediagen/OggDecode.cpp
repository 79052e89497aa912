#include "tests/mediagen/OggDecode.h"

#include <vorbis/vorbisfile.h>

namespace mediatest {

bool decodeOgg(const std::string& path, DecodedSound& sound, std::string& error) {
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0) {
    error = "not an Ogg Vorbis file: " + path;
    return false;
  }
  const vorbis_info* info = ov_info(&file, -1);
  sound.rate = info->rate;
  sound.channels = info->channels;
  sound.samples.assign(static_cast<std::size_t>(info->channels), {});
  int section = 0;
  while (true) {
    float** pcm = nullptr;
    const long count = ov_read_float(&file, &pcm, 4096, &section);
    if (count == 0) break;
    if (count < 0) {
      error = "damaged stream in " + path;
      ov_clear(&file);
      return false;
    }
    for (int c = 0; c < sound.channels; ++c) {
      sound.samples[static_cast<std::size_t>(c)].insert(sound.samples[static_cast<std::size_t>(c)].end(), pcm[c],
                                                        pcm[c] + count);
    }
  }
  ov_clear(&file);
  return true;
}

} // namespace mediatest
