#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "fuzz/DataFuzzTargets.h"

namespace {
std::filesystem::path emptyFolder;
void removeEmptyFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(emptyFolder, ignored);
}
} // namespace

// Includes name files relative to the current folder: run in an empty one, so inputs
// cannot pull in whatever happens to lie around.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  emptyFolder =
      std::filesystem::temp_directory_path() / ("tickwood-props-fuzz-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(emptyFolder);
  std::filesystem::current_path(emptyFolder);
  std::atexit(removeEmptyFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzztargets::runProps(data, size);
  return 0;
}
