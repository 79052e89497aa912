// Long samples decoded while they play: what the mixer makes of a streamed sample must be
// what it makes of the same sample decoded whole, across loops and restarts, and a feeder
// that falls behind costs silence and a log line, never wrong frames.
#include <algorithm>
#include <filesystem>

#include "fuzz/SoundFuzzTargets.h"
#include "platform/sound/OggDecoder.h"
#include "platform/sound/StreamFeeder.h"
#include "tests/sound/NewCount.h"
#include "tests/sound/SoundLibraryFixture.h"
#include "tests/support/TempDir.h"

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(TICKWOOD_FUZZ_CORPUS) / "ogg";

std::string seed(const char* name) { return testsupport::TempDir::read(kCorpus / name); }

// The file with its audio page numbered one on, as if the page before it were lost.
std::string withMissingAudioPage(std::string bytes) {
  const std::size_t audioPage = bytes.rfind("OggS");
  bytes[audioPage + 18] = static_cast<char>(bytes[audioPage + 18] + 1);
  const std::vector<std::uint8_t> fixed =
      fuzztargets::withPageChecksums(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return {fixed.begin(), fixed.end()};
}

constexpr int kRate = 44100;

// The same calls made on a library that decodes samples whole and one that streams them all.
class StreamedSample : public ::testing::Test {
protected:
  void SetUp() override {
    soundtest::diagnostics().clear();
    win32::setDiagnosticSink([](std::string_view line) { soundtest::diagnostics().emplace_back(line); });
    ASSERT_TRUE(whole_.init(0, kRate, BASS_DEVICE_3D, nullptr));
    ASSERT_TRUE(streamed_.init(0, kRate, BASS_DEVICE_3D, nullptr));
  }
  void TearDown() override { win32::setDiagnosticSink(nullptr); }

  static HSAMPLE load(sound::AudioLibrary& library, const std::string& bytes, DWORD flags, DWORD max = 20) {
    return library.sampleLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), max, flags);
  }
  static HCHANNEL start(sound::AudioLibrary& library, HSAMPLE sample) {
    const HCHANNEL channel = library.sampleGetChannel(sample, TRUE);
    EXPECT_TRUE(library.channelPlay(channel, TRUE));
    return channel;
  }
  static std::vector<float> pull(sound::AudioLibrary& library, int frames) {
    std::vector<float> out(2 * static_cast<std::size_t>(frames));
    EXPECT_TRUE(library.pull(out.data(), frames));
    return out;
  }
  // Hands the mixer what was called and lets the feeder answer it: a streamed channel then
  // plays from its first frame in the next block, as a decoded one does.
  void settle() {
    pull(whole_, 0);
    pull(streamed_, 0);
    streamed_.settleStreams();
  }
  // Blocks of these sizes from both libraries, frame for frame the same.
  void expectSameBlocks(std::initializer_list<int> sizes, const char* where) {
    int block = 0;
    for (int frames : sizes) {
      const std::vector<float> expected = pull(whole_, frames);
      const std::vector<float> got = pull(streamed_, frames);
      for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(got[i], expected[i]) << where << ", block " << block << ", value " << i;
      streamed_.settleStreams();
      ++block;
    }
  }
  static bool silent(const std::vector<float>& block, std::size_t from = 0) {
    for (std::size_t i = from; i < block.size(); ++i)
      if (block[i] != 0.0f) return false;
    return true;
  }
  static bool logged(const std::string& line) {
    return std::count(soundtest::diagnostics().begin(), soundtest::diagnostics().end(), line) > 0;
  }

  sound::AudioLibrary whole_;
  sound::AudioLibrary streamed_{0};
};

TEST(SampleDecoding, DecodedSampleHoldsNoMoreThanItsFramesAndItsMeasuredLengthIsExact) {
  for (const char* name : {"mono-tone.ogg", "stereo-tone.ogg"}) {
    const std::string bytes = seed(name);
    sound::SampleData sample;
    std::string error;
    ASSERT_TRUE(sound::decodeOggVorbis(bytes.data(), bytes.size(), false, sample, error)) << name << ": " << error;
    EXPECT_LE((sample.pcm.capacity() - sample.pcm.size()) * sizeof(std::int16_t), 4096u) << name;

    sound::SampleData unused;
    sound::SampleFormat streamed;
    ASSERT_TRUE(
        sound::decodeOrMeasureOggVorbis(bytes.data(), bytes.size(), false, 0, unused, streamed, error, nullptr));
    EXPECT_TRUE(unused.pcm.empty());
    EXPECT_EQ(streamed.frames, sample.frames()) << name;
    EXPECT_EQ(streamed.channels, sample.channels) << name;
    EXPECT_EQ(streamed.rate, sample.rate) << name;
  }
}

TEST_F(StreamedSample, LoopingStreamMixesFrameForFrameAsTheDecodedSampleAcrossLoopsAndRestarts) {
  const std::string bytes = seed("stereo-tone.ogg");
  const HSAMPLE wholeSample = load(whole_, bytes, BASS_SAMPLE_LOOP);
  const HSAMPLE streamedSample = load(streamed_, bytes, BASS_SAMPLE_LOOP);
  ASSERT_NE(wholeSample, 0u);
  ASSERT_NE(streamedSample, 0u);
  const HCHANNEL wholeChannel = start(whole_, wholeSample);
  const HCHANNEL streamedChannel = start(streamed_, streamedSample);
  settle();
  // Blocks of many sizes (each shorter than the ring), so that loop points
  // and the ring's own wrap fall inside blocks and on their edges.
  expectSameBlocks({1024, 333, 40000, 20000, 1, 30000, 4096, 44000}, "first play");
  ASSERT_FALSE(silent(pull(streamed_, 1024)));
  pull(whole_, 1024);

  ASSERT_TRUE(whole_.channelPlay(wholeChannel, TRUE));
  ASSERT_TRUE(streamed_.channelPlay(streamedChannel, TRUE));
  settle();
  expectSameBlocks({500, 40000, 30000}, "after a restart");
  // Resuming without a restart goes on where the channel is.
  ASSERT_TRUE(whole_.channelPlay(wholeChannel, FALSE));
  ASSERT_TRUE(streamed_.channelPlay(streamedChannel, FALSE));
  expectSameBlocks({2000, 2000}, "resumed");
  EXPECT_TRUE(soundtest::diagnostics().empty());
}

TEST_F(StreamedSample, MonoAndThreeDStreamsMixAsDecodedOnesAtTheListenersPlace) {
  const std::string bytes = seed("stereo-tone.ogg");
  const DWORD flags = BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP | BASS_SAMPLE_3D | BASS_SAMPLE_SOFTWARE;
  const HSAMPLE wholeSample = load(whole_, bytes, flags);
  const HSAMPLE streamedSample = load(streamed_, bytes, flags);
  const BASS_3DVECTOR where{30.0f, 0.0f, 10.0f};
  for (sound::AudioLibrary* library : {&whole_, &streamed_}) {
    const HCHANNEL channel = start(*library, library == &whole_ ? wholeSample : streamedSample);
    ASSERT_TRUE(library->channelSet3DPosition(channel, &where, nullptr, nullptr));
    library->apply3D();
  }
  settle();
  expectSameBlocks({3000, 40000}, "3D");
}

TEST_F(StreamedSample, SampleThatDoesNotLoopEndsAndFreesItsChannelsAsADecodedOneDoes) {
  const std::string bytes = seed("mono-tone.ogg");
  const HSAMPLE wholeSample = load(whole_, bytes, 0, 2);
  const HSAMPLE sample = load(streamed_, bytes, 0, 2);
  const HCHANNEL first = start(streamed_, sample);
  start(streamed_, sample);
  start(whole_, wholeSample);
  start(whole_, wholeSample);
  EXPECT_EQ(streamed_.sampleGetChannel(sample, TRUE), 0u);
  EXPECT_TRUE(logged("Sound: BASS_SampleGetChannel: all 2 channels are playing\n"));
  settle();
  // Past the tone's end in pieces: both libraries hear the same, then silence.
  sound::SampleData decoded;
  std::string error;
  ASSERT_TRUE(sound::decodeOggVorbis(bytes.data(), bytes.size(), false, decoded, error));
  const int length = static_cast<int>(decoded.frames());
  expectSameBlocks({length / 3, length / 3, length - 2 * (length / 3) + 100}, "to the end");
  EXPECT_TRUE(silent(pull(streamed_, 1024)));

  EXPECT_FALSE(streamed_.channelPlay(first, TRUE));
  EXPECT_TRUE(logged("Sound: BASS_ChannelPlay: the channel has ended\n"));
  // A channel handed out again starts its stream from the beginning.
  ASSERT_NE(start(streamed_, sample), 0u);
  ASSERT_NE(start(whole_, wholeSample), 0u);
  settle();
  expectSameBlocks({4096}, "the channel's next use");
}

TEST_F(StreamedSample, DryRingPlaysSilenceForTheMissingFramesSaysSoOnceAndCatchesUp) {
  const std::string bytes = seed("stereo-tone.ogg");
  start(whole_, load(whole_, bytes, BASS_SAMPLE_LOOP));
  start(streamed_, load(streamed_, bytes, BASS_SAMPLE_LOOP));
  settle();
  // One block of three seconds reads the ring once: the ring's frames are there, the rest not.
  const std::vector<float> expected = pull(whole_, 3 * kRate);
  const std::vector<float> got = pull(streamed_, 3 * kRate);
  const std::size_t ring = 2 * (sound::kRingFrames - 1); // the last frame interpolates with a missing one
  for (std::size_t i = 0; i < ring; ++i)
    ASSERT_EQ(got[i], expected[i]) << "value " << i;
  EXPECT_TRUE(silent(got, ring + 2));
  EXPECT_FALSE(silent(expected, ring + 2));
  EXPECT_TRUE(soundtest::diagnostics().empty()); // the mixer logs nothing itself

  streamed_.settleStreams();
  streamed_.settleStreams();
  EXPECT_EQ(soundtest::diagnostics(), std::vector<std::string>{"Sound: sample 1: stream underrun\n"});
  // The time went on through the silence: the stream plays on from where the channel is.
  expectSameBlocks({2048, 2048}, "after the underrun");
  EXPECT_EQ(soundtest::diagnostics().size(), 1u);
}

TEST_F(StreamedSample, DamagedOrForeignBytesAreRefusedAtLoadWithTheDecodersAnswers) {
  const std::string bytes = seed("stereo-tone.ogg");
  const std::string cases[] = {
      bytes.substr(0, bytes.size() / 2),
      std::string(bytes).replace(bytes.size() / 2, 1, 1, static_cast<char>(bytes[bytes.size() / 2] ^ 0x55)),
      "OggS but not at all an Ogg Vorbis file",
      withMissingAudioPage(bytes),
  };
  for (const std::string& bad : cases) {
    soundtest::diagnostics().clear();
    EXPECT_EQ(load(whole_, bad, BASS_SAMPLE_LOOP), 0u);
    const std::vector<std::string> wholeLines = soundtest::diagnostics();
    soundtest::diagnostics().clear();
    EXPECT_EQ(load(streamed_, bad, BASS_SAMPLE_LOOP), 0u);
    EXPECT_EQ(soundtest::diagnostics(), wholeLines);
    EXPECT_EQ(wholeLines.size(), 1u);
  }
}

TEST_F(StreamedSample, StreamKeepsItsOwnCopyOfTheBytes) {
  std::string bytes = seed("stereo-tone.ogg");
  const std::string copy = bytes;
  start(whole_, load(whole_, copy, BASS_SAMPLE_LOOP));
  start(streamed_, load(streamed_, bytes, BASS_SAMPLE_LOOP));
  bytes.assign(bytes.size(), '\0');
  bytes.clear();
  bytes.shrink_to_fit();
  settle();
  expectSameBlocks({10000, 40000}, "after the caller freed its bytes");
}

TEST_F(StreamedSample, MixingAllocatesNothing) {
  const std::string stereo = seed("stereo-tone.ogg");
  const std::string mono = seed("mono-tone.ogg");
  const HSAMPLE music = load(streamed_, stereo, BASS_SAMPLE_LOOP);
  const HSAMPLE ticks = load(streamed_, mono, BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP | BASS_SAMPLE_3D);
  start(streamed_, music);
  const HCHANNEL tick = start(streamed_, ticks);
  settle();
  std::vector<float> block(2 * 1024);
  for (int i = 0; i < 200; ++i) { // about five seconds, round the loops and the rings
    const BASS_3DVECTOR eye{static_cast<float>(i), 0.0f, 0.0f};
    streamed_.set3DPosition(&eye, nullptr, nullptr, nullptr);
    streamed_.channelSetAttributes(tick, -1, 100 - i / 4, -1);
    streamed_.apply3D();
    soundtest::countNews(true);
    streamed_.pull(block.data(), 1024);
    soundtest::countNews(false);
    if (i % 8 == 0) streamed_.settleStreams();
  }
  EXPECT_EQ(soundtest::countedNews(), 0);
}

TEST(StreamFeeder, DecodingErrorWhilePlayingGivesSilenceAndOneLine) {
  // Pages a load takes for whole (a page that should be there is not) reach the feeder
  // anyway, as a fault only decoding finds would.
  const std::string bytes = withMissingAudioPage(seed("stereo-tone.ogg"));
  const sound::SampleFormat format{kRate, 2, 2205};
  auto sample = std::make_shared<const sound::LoadedSample>(
      sound::SampleData{kRate, 2, {}}, true, false, 1,
      std::make_unique<const sound::SampleStream>(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                                  format, false, 1));
  sound::StreamFeeder feeder;
  feeder.watch(sample, "sample 7");
  sound::StreamRing& ring = sample->stream->ring(0);
  const std::uint32_t use = ring.restart();
  feeder.settle();
  ASSERT_TRUE(ring.ready(use));
  ASSERT_EQ(ring.written(), sound::kRingFrames);
  for (std::uint64_t frame = 0; frame < ring.written(); ++frame)
    ASSERT_EQ(ring.frame(frame)[0] | ring.frame(frame)[1], 0) << "frame " << frame;
  // Played on, round the loop and its decoder's new start: still one line.
  ring.release(ring.written());
  feeder.settle();
  EXPECT_EQ(ring.written(), 2 * sound::kRingFrames);
  EXPECT_EQ(feeder.takeLines(), std::vector<std::string>{"Sound: sample 7: damaged (data is missing)\n"});
}

} // namespace
