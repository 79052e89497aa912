// Registers the offscreen video environment with a test program whose tests open windows.
#include "tests/win32/OffscreenVideo.h"

namespace {

const auto* const kOffscreen = ::testing::AddGlobalTestEnvironment(new win32test::OffscreenVideo);

} // namespace
