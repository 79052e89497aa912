#include "tests/win32/OffscreenVideo.h"

namespace {

const auto* const kOffscreen = ::testing::AddGlobalTestEnvironment(new win32test::OffscreenVideo);

} // namespace
