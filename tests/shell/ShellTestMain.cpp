#include "tests/shell/MediaFonts.h"
#include "tests/win32/OffscreenVideo.h"

namespace {

const auto* const kOffscreen = ::testing::AddGlobalTestEnvironment(new win32test::OffscreenVideo);
const auto* const kFonts = ::testing::AddGlobalTestEnvironment(new shelltest::MediaFonts);

} // namespace
