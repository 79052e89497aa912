// GLSL 3.30 source for a fixed-function key, and the layout of the uniforms it reads. The
// uniforms are grouped in arrays so that each group is uploaded with one call.
#pragma once

#include "platform/d3d9/FixedFunctionKey.h"

#include <string>

namespace d3d9 {

// uTransforms: mat4[3]: world x view, projection, normal matrix (upper 3x3).
// uViewport:   vec4[2]: (1/width, 1/height, MinZ, MaxZ), (X, Y, width, height).
// uMaterial:   vec4[5]: diffuse, ambient, specular, emissive, (power, 0, 0, 0).
// uLights:     vec4[kLightVectors * 8 + 1]: per active light diffuse, specular, ambient,
//              (view position, range), (view direction, falloff), (attenuation 0..2, 0),
//              (cos(theta / 2), cos(phi / 2), 0, 0); then the global ambient colour.
// uTexMatrix:  mat4[8]
// uFog:        vec4[2]: (fog colour, 0), (start, end, density, 1 when table fog uses w)
// uPixel:      vec4[10]: texture factor, (alpha reference, 0, 0, 0), stage constants 0..7.
constexpr int kLightVectors = 7;
constexpr int kLightUniformCount = kLightVectors * 8 + 1;

struct ShaderSource {
  std::string vertex;
  std::string fragment;
};

// `clipControl` says whether the context maps clip space the Direct3D way
// (glClipControl); without it the vertex shader flips y and remaps z itself.
ShaderSource generateFixedFunctionProgram(const FixedFunctionKey& key, bool clipControl);

} // namespace d3d9
