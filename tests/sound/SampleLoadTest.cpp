// Samples from bytes: Ogg Vorbis files decode once and play; anything else, a cut-off file
// or a damaged one gives handle 0 and says why in the log.
#include <cmath>
#include <filesystem>

#include "fuzz/SoundFuzzTargets.h"
#include "tests/sound/SoundLibraryFixture.h"
#include "tests/support/TempDir.h"

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(TICKWOOD_FUZZ_CORPUS) / "ogg";

std::string seed(const char* name) { return testsupport::TempDir::read(kCorpus / name); }

class SampleLoad : public soundtest::SoundLibrary {
protected:
  HSAMPLE load(const std::string& bytes, DWORD flags = 0) {
    return BASS_SampleLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 20, flags);
  }
  // The root mean square of a block of the output.
  float rms(int frames) {
    const std::vector<float> out = pull(frames);
    double sum = 0.0;
    for (float value : out)
      sum += static_cast<double>(value) * value;
    return static_cast<float>(std::sqrt(sum / static_cast<double>(out.size())));
  }
};

TEST_F(SampleLoad, OggVorbisFileDecodesOnceAndPlays) {
  const HSAMPLE mono = load(seed("mono-tone.ogg"));
  ASSERT_NE(mono, 0u);
  ASSERT_NE(start(mono), 0u);
  // A 0.5 sine: RMS about 0.35, whatever the coding lost.
  EXPECT_NEAR(rms(2048), 0.35f, 0.05f);

  // A stereo file loaded as a 3D sample is mixed down to one channel and plays.
  const HSAMPLE stereo = load(seed("stereo-tone.ogg"), BASS_SAMPLE_3D | BASS_SAMPLE_LOOP);
  ASSERT_NE(stereo, 0u);
  EXPECT_NE(start(stereo), 0u);
  EXPECT_TRUE(soundtest::diagnostics().empty());
}

TEST_F(SampleLoad, TruncatedDamagedOrForeignBytesGiveHandleZeroAndALogLine) {
  const std::string whole = seed("mono-tone.ogg");
  const struct {
    std::string bytes;
    const char* line;
  } cases[] = {
      {whole.substr(0, whole.size() / 2), "Sound: BASS_SampleLoad: truncated\n"},
      {whole.substr(0, whole.size() - 1), "Sound: BASS_SampleLoad: truncated\n"},
      {std::string(whole).replace(whole.size() / 2, 1, 1, static_cast<char>(whole[whole.size() / 2] ^ 0x55)),
       "Sound: BASS_SampleLoad: damaged (a page is broken)\n"},
      {"RIFF....WAVEfmt not a vorbis file at all", "Sound: BASS_SampleLoad: not an Ogg Vorbis file\n"},
  };
  for (const auto& c : cases) {
    soundtest::diagnostics().clear();
    EXPECT_EQ(load(c.bytes), 0u) << c.line;
    EXPECT_TRUE(logged(c.line)) << c.line << " got "
                                << (soundtest::diagnostics().empty() ? "" : soundtest::diagnostics()[0]);
  }
  EXPECT_EQ(BASS_SampleLoad(TRUE, whole.data(), 0, 0, 20, 0), 0u);
  EXPECT_EQ(BASS_SampleLoad(FALSE, "/tmp/file.ogg", 0, 13, 20, 0), 0u);
  EXPECT_EQ(BASS_SampleLoad(TRUE, whole.data(), 0, static_cast<DWORD>(whole.size()), 0, 0), 0u);
  EXPECT_EQ(BASS_SampleLoad(TRUE, whole.data(), 0, static_cast<DWORD>(whole.size()), 20, 0x100), 0u);
}

TEST(SampleLoadCorpus, CommittedInputsPassTheFuzzersChecks) {
  std::size_t inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    const std::string bytes = testsupport::TempDir::read(entry.path());
    fuzztargets::runSampleLoad(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++inputs;
  }
  EXPECT_GE(inputs, 2u);
}

} // namespace
