// The scene fuzzer's structure-aware mutator: what it writes must read back as UDF (or the
// fuzzer wastes its time on files the loader rejects at once), and it must reach the
// shapes byte flips almost never make: namesakes in other letter case, moved and dropped
// nodes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/core/Strings.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfReader.h"
#include "fuzz/UdfMutator.h"
#include "tests/support/FuzzCorpus.h"

namespace {

struct Shape {
  std::size_t nodes = 0;
  bool namesakes = false; // two siblings whose names differ only in letter case
};

void measure(const engine::UdfNode& node, Shape& shape) {
  std::vector<std::string> names;
  for (const auto& entry : node.children()) {
    ++shape.nodes;
    for (const std::string& other : names)
      if (other != entry.name && engine::equalsNoCase(other, entry.name)) shape.namesakes = true;
    names.push_back(entry.name);
    measure(*entry.value, shape);
  }
}

bool read(const std::string& bytes, Shape& shape) {
  engine::LogCapture quiet;
  engine::MemoryStream stream;
  stream.openOver(bytes);
  engine::UdfReader reader;
  auto root = reader.open(stream);
  if (!root || !reader.load(*root, 0)) return false;
  shape = Shape{};
  measure(*root, shape);
  return true;
}

std::string seed() {
  for (const std::string& input : testsupport::fuzzCorpus("scene"))
    if (input.size() > 3000) return input; // the room seed
  return {};
}

TEST(UdfMutatorTest, MutantsReadBackAndReachNamesakesAndOtherShapes) {
  const std::string original = seed();
  ASSERT_FALSE(original.empty());
  Shape before;
  ASSERT_TRUE(read(original, before));
  ASSERT_FALSE(before.namesakes);
  int namesakes = 0, resized = 0;
  for (unsigned round = 0; round < 200; ++round) {
    std::string buffer = original;
    buffer.resize(original.size() * 4);
    const std::size_t size = fuzztargets::mutateUdf(reinterpret_cast<std::uint8_t*>(buffer.data()), original.size(),
                                                    buffer.size(), round, nullptr);
    ASSERT_LE(size, buffer.size());
    buffer.resize(size);
    Shape after;
    ASSERT_TRUE(read(buffer, after)) << "round " << round;
    namesakes += after.namesakes;
    resized += after.nodes != before.nodes;
  }
  EXPECT_GT(namesakes, 10);
  EXPECT_GT(resized, 50);
}

TEST(UdfMutatorTest, CrossOverGraftsASubtreeOrRefuses) {
  const std::string original = seed();
  Shape before;
  ASSERT_TRUE(read(original, before));
  std::string out(original.size() * 4, '\0');
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(original.data());
  auto* target = reinterpret_cast<std::uint8_t*>(out.data());
  const std::size_t size =
      fuzztargets::crossOverUdf(bytes, original.size(), bytes, original.size(), target, out.size(), 7);
  ASSERT_GT(size, original.size());
  out.resize(size);
  Shape after;
  ASSERT_TRUE(read(out, after));
  EXPECT_GT(after.nodes, before.nodes);
  const std::string junk = "not a UDF file";
  EXPECT_EQ(fuzztargets::crossOverUdf(reinterpret_cast<const std::uint8_t*>(junk.data()), junk.size(), bytes,
                                      original.size(), target, out.size(), 7),
            0u);
}

} // namespace
