// Whether the tests run in CI (CI=true). There a missing display, Xvfb or OpenGL context is a
// failure, because a skipped image test would let a broken renderer pass unseen.
#pragma once

namespace testsupport {

bool inCi();

} // namespace testsupport
