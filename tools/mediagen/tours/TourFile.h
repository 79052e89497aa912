#pragma once
// Writes a camera tour as the program reads it: one 32-byte "pos" key (time, x, y, z, then
// four zeros) and one "rot" key (time, quaternion x, y, z, w, then three zeros) per key time.

#include <string>

#include "tools/mediagen/tours/Tours.h"

namespace tools {

bool writeTourFile(const Tour& tour, const std::string& path);

} // namespace tools
