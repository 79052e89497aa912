#include <cstddef>
#include <cstdint>

#include "fuzz/DataFuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzztargets::runUdf(data, size);
  return 0;
}
