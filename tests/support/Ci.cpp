#include "tests/support/Ci.h"

#include <cstdlib>
#include <string_view>

namespace testsupport {

bool inCi() {
  const char* ci = std::getenv("CI");
  return ci && std::string_view(ci) == "true";
}

} // namespace testsupport
