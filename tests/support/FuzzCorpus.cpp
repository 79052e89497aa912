#include "tests/support/FuzzCorpus.h"

#include <filesystem>

#include "tests/support/TempDir.h"

namespace testsupport {

std::vector<std::string> fuzzCorpus(std::string_view kind) {
  std::vector<std::string> inputs;
  const std::filesystem::path folder = std::filesystem::path(TICKWOOD_FUZZ_CORPUS) / std::string(kind);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) inputs.push_back(TempDir::read(entry.path()));
  }
  return inputs;
}

} // namespace testsupport
