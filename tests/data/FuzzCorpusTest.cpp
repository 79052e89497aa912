// Replays the committed fuzz corpora (seeds and the inputs that once found faults) through
// the fuzzers' own checks, so the sanitizer build of the unit tests guards them for good.
#include <gtest/gtest.h>

#include <string>

#include "fuzz/DataFuzzTargets.h"
#include "tests/support/FuzzCorpus.h"

namespace {

using testsupport::fuzzCorpus;

const std::uint8_t* bytesOf(const std::string& input) { return reinterpret_cast<const std::uint8_t*>(input.data()); }

} // namespace

TEST(FuzzCorpus, ArchiveInputsPassTheArchiveChecks) {
  const auto inputs = fuzzCorpus("archive");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runArchive(bytesOf(input), input.size());
}

TEST(FuzzCorpus, PropsInputsPassThePropsChecks) {
  const auto inputs = fuzzCorpus("props");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runProps(bytesOf(input), input.size());
}

TEST(FuzzCorpus, UdfInputsPassTheUdfChecks) {
  const auto inputs = fuzzCorpus("udf");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runUdf(bytesOf(input), input.size());
}
