// Replays the committed corpora of the text fuzzers (seeds and every input that once found a
// fault) through the fuzzers' own checks, so the sanitizer build guards them for good.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/TextFuzzTargets.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> corpus(const char* kind) {
  std::vector<std::string> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TICKWOOD_FUZZ_CORPUS) / kind))
    if (entry.is_regular_file()) inputs.push_back(testsupport::TempDir::read(entry.path()));
  return inputs;
}

const std::uint8_t* bytesOf(const std::string& input) { return reinterpret_cast<const std::uint8_t*>(input.data()); }

class TextFuzzCorpus : public ::testing::Test {
protected:
  void TearDown() override {
    engine::publishTextureManager(nullptr);
    engine::publishDevice(nullptr);
  }
};

TEST_F(TextFuzzCorpus, MarkupInputsPassTheMarkupChecks) {
  const auto inputs = corpus("markup");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runMarkup(bytesOf(input), input.size());
}

TEST_F(TextFuzzCorpus, FontInputsPassTheFontChecks) {
  const auto inputs = corpus("fonts");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runFonts(bytesOf(input), input.size());
}

TEST_F(TextFuzzCorpus, TextureDefinitionInputsPassTheirChecks) {
  const auto inputs = corpus("texture-definitions");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runTextureDefinition(bytesOf(input), input.size());
}

} // namespace
