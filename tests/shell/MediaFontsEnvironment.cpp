// Registers the folder of stand-in fonts with a test program that starts the saver (see
// MediaFonts.h).
#include "tests/shell/MediaFonts.h"

namespace {

const auto* const kFonts = ::testing::AddGlobalTestEnvironment(new shelltest::MediaFonts);

} // namespace
