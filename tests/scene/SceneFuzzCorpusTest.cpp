// Replays the committed scene corpus (seeds and the inputs that once found faults) through
// the scene fuzzer's load and draw, so the sanitizer build guards them for good.
#include <gtest/gtest.h>

#include "fuzz/SceneFuzzTarget.h"
#include "tests/render/PublishedRecordingDevice.h"
#include "tests/support/FuzzCorpus.h"

namespace {

class SceneFuzzCorpusTest : public rendertest::PublishedRecordingDevice {};

TEST_F(SceneFuzzCorpusTest, EveryInputLoadsAndDrawsSafely) {
  const auto inputs = testsupport::fuzzCorpus("scene");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs)
    fuzztargets::runScene(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

} // namespace
