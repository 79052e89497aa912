// The description of chosen device settings in the engine log, and the names it uses.
#pragma once

#include <string>

#include "engine/device/DeviceSettings.h"

namespace engine {

// Writes the description of `settings` to the engine log, one line per item.
void describe(const DeviceSettings& settings);
// The lines `describe` writes, for callers that keep the text.
std::string describeText(const DeviceSettings& settings);

// The D3DFORMAT name without "D3DFMT_"; "Unknown format" for values without a name.
const char* formatName(D3DFORMAT format);
const char* deviceTypeName(D3DDEVTYPE type);
const char* multiSampleName(D3DMULTISAMPLE_TYPE type);
const char* vertexProcessingName(int type);
const char* presentIntervalName(UINT interval);

} // namespace engine
