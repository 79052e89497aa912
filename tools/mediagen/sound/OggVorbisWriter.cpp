#include "tools/mediagen/sound/OggVorbisWriter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tools::sound {

namespace {

// Owns the libvorbis and libogg encoder state so every exit path releases it.
class Encoder {
public:
  Encoder() {
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
  }
  ~Encoder() {
    if (streamReady_) ogg_stream_clear(&stream_);
    if (blockReady_) vorbis_block_clear(&block_);
    if (dspReady_) vorbis_dsp_clear(&dsp_);
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  bool start(int channels, const VorbisSettings& settings, std::FILE* file) {
    file_ = file;
    if (vorbis_encode_init_vbr(&info_, channels, kSampleRate, settings.quality) != 0) return false;
    vorbis_comment_add_tag(&comment_, "TITLE", settings.title.c_str());
    vorbis_comment_add_tag(&comment_, "ARTIST", "Tickwood");
    if (vorbis_analysis_init(&dsp_, &info_) != 0) return false;
    dspReady_ = true;
    if (vorbis_block_init(&dsp_, &block_) != 0) return false;
    blockReady_ = true;
    if (ogg_stream_init(&stream_, static_cast<int>(settings.serial)) != 0) return false;
    streamReady_ = true;

    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &identification, &comments, &codebooks);
    ogg_stream_packetin(&stream_, &identification);
    ogg_stream_packetin(&stream_, &comments);
    ogg_stream_packetin(&stream_, &codebooks);
    // The headers end on their own page, as the Vorbis mapping for Ogg requires.
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) {
      if (!writePage(page)) return false;
    }
    return true;
  }

  bool encode(const Sound& sound, bool loop) {
    constexpr std::size_t kChunk = 4096;
    // Two long blocks of the loop's start are enough context for the end.
    constexpr std::size_t kLoopContext = 4096;
    const std::size_t frames = sound.frames();
    endFrame_ = static_cast<ogg_int64_t>(frames);
    const std::size_t total = frames + (loop ? kLoopContext : 0);
    for (std::size_t at = 0; at < total; at += kChunk) {
      const std::size_t count = std::min(kChunk, total - at);
      float** buffer = vorbis_analysis_buffer(&dsp_, static_cast<int>(count));
      for (std::size_t n = 0; n < count; ++n) {
        const std::size_t from = (at + n) % frames;
        buffer[0][n] = sound.left[from];
        if (sound.stereo()) buffer[1][n] = sound.right[from];
      }
      vorbis_analysis_wrote(&dsp_, static_cast<int>(count));
      if (!drain()) return false;
    }
    vorbis_analysis_wrote(&dsp_, 0); // end of stream
    if (!drain()) return false;
    // Whatever is left after the final packet goes out on a last page.
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) {
      if (!writePage(page)) return false;
    }
    return true;
  }

private:
  bool drain() {
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
      vorbis_analysis(&block_, nullptr);
      vorbis_bitrate_addblock(&block_);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
        if (ended_) continue;
        // The packet that reaches the end carries the end position and closes the stream;
        // a decoder drops whatever it would produce past that position.
        if (packet.granulepos >= endFrame_) {
          packet.granulepos = endFrame_;
          packet.e_o_s = 1;
          ended_ = true;
        }
        ogg_stream_packetin(&stream_, &packet);
        ogg_page page;
        while (ogg_stream_pageout(&stream_, &page) != 0) {
          if (!writePage(page)) return false;
        }
      }
    }
    return true;
  }

  bool writePage(const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), file_) ==
               static_cast<std::size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), file_) ==
               static_cast<std::size_t>(page.body_len);
  }

  vorbis_info info_;
  vorbis_comment comment_;
  vorbis_dsp_state dsp_{};
  vorbis_block block_{};
  ogg_stream_state stream_{};
  bool dspReady_ = false, blockReady_ = false, streamReady_ = false;
  bool ended_ = false;
  ogg_int64_t endFrame_ = 0;
  std::FILE* file_ = nullptr;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool writeOggVorbis(const std::string& path, const Sound& sound, const VorbisSettings& settings, std::string& error) {
  if (sound.frames() == 0) {
    error = "no samples to encode";
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "cannot create " + path;
    return false;
  }
  Encoder encoder;
  if (!encoder.start(sound.stereo() ? 2 : 1, settings, file.get())) {
    error = "the Vorbis encoder refused its settings";
    return false;
  }
  if (!encoder.encode(sound, settings.loop)) {
    error = "cannot write " + path;
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    error = "cannot finish " + path;
    return false;
  }
  return true;
}

} // namespace tools::sound
