// The window tests run on SDL's offscreen driver even on a desktop, so they never open
// windows on the developer's screen; the X11 paths are exercised end to end under Xvfb.
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class OffscreenVideo : public ::testing::Environment {
public:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
};

const auto* const kOffscreen = ::testing::AddGlobalTestEnvironment(new OffscreenVideo);

} // namespace
