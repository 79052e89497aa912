// Registers the folder of stand-in fonts with the shell's test program (see MediaFonts.h).
#include "tests/shell/MediaFonts.h"

namespace {

const auto* const kFonts = ::testing::AddGlobalTestEnvironment(new shelltest::MediaFonts);

} // namespace
