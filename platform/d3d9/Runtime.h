// Whether this machine can run the Direct3D 9 stand-in at all: its OpenGL back end needs an
// OpenGL 3.3 core context. A program asks once, before anything else, so that it can tell
// the person instead of failing later without a word.
//
// TICKWOOD_FORCE_NO_OPENGL=1 in the environment makes every context creation fail, so tests
// can see what a machine without OpenGL 3.3 does.
#pragma once

#include <string>

namespace d3d9 {

// False, with what failed in `failure`, when no OpenGL 3.3 context can be made.
bool runtimeAvailable(std::string& failure);

} // namespace d3d9
