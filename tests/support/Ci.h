// Whether the tests run in CI (CI=true). There a missing display, Xvfb, OpenGL context or
// tool is a failure, because a skipped test would let a broken part pass unseen.
#pragma once

#include <gtest/gtest.h>

namespace testsupport {

bool inCi();

} // namespace testsupport

// Skips the calling test, saying why (anything that streams), or fails it in CI.
#define SKIP_OR_FAIL_IN_CI(why)                                                                                        \
  do {                                                                                                                 \
    if (::testsupport::inCi()) FAIL() << why;                                                                          \
    GTEST_SKIP() << why;                                                                                               \
  } while (0)
