#include <cstddef>
#include <cstdint>

#include "fuzz/SoundFuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzztargets::runSampleLoad(data, size);
  return 0;
}
