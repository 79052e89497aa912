// Replays the committed fuzz corpora (seeds and the inputs that once found faults) through
// the fuzzers' own checks, so the sanitizer build of the unit tests guards them for good.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/DataFuzzTargets.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> corpus(const char* kind) {
  std::vector<std::string> inputs;
  const std::filesystem::path folder = std::filesystem::path(TICKWOOD_FUZZ_CORPUS) / kind;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) inputs.push_back(testsupport::TempDir::read(entry.path()));
  }
  return inputs;
}

const std::uint8_t* bytesOf(const std::string& input) { return reinterpret_cast<const std::uint8_t*>(input.data()); }

} // namespace

TEST(FuzzCorpus, ArchiveInputsPassTheArchiveChecks) {
  const auto inputs = corpus("archive");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runArchive(bytesOf(input), input.size());
}

TEST(FuzzCorpus, PropsInputsPassThePropsChecks) {
  const auto inputs = corpus("props");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runProps(bytesOf(input), input.size());
}

TEST(FuzzCorpus, UdfInputsPassTheUdfChecks) {
  const auto inputs = corpus("udf");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runUdf(bytesOf(input), input.size());
}
