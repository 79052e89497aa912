#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "fuzz/TextFuzzTargets.h"

// Names in the inputs are looked for in the working folder too: run in the world's own,
// which holds only its sheet and font, so inputs cannot pull in whatever lies around.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::filesystem::current_path(fuzztargets::TextWorld::get().path());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzztargets::runMarkup(data, size);
  return 0;
}
