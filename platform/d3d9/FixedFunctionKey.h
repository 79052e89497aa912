// The packed description of everything that decides the code of a generated
// fixed-function program. Two draws with equal keys share one program; everything else
// (matrices, colours, fog distances, light positions) is a uniform.
//
// Each field stores the state value exclusive-or'ed with Direct3D's default, so the key of
// a freshly created device is all zero.
//
// A stage whose arguments read a texture the stage does not have (whichever argument it
// is) follows the reference rasteriser: on the colour side the stage and all later ones are
// off, on the alpha side the alpha passes through. That is what lets untextured geometry show its vertex colour
// under the default stage states. Fields that cannot affect the result (stages after
// the first disabled one, arguments an operation does not read, lighting of pre-transformed
// vertices, ...) are cleared, so equivalent states share a program.
//
// Word 0, vertex input:
//   bits 0-1   position: 0 none, 1 x/y/z, 2 pre-transformed x/y/z/rhw
//   bit  2     normal          bit 3  diffuse colour      bit 4  specular colour
//   bits 5-8   texture coordinate sets (0-8)
//   bits 9-24  floats per set, 2 bits per set in the FVF's code (0 = 2 floats)
// Word 1, lighting:
//   bit  0     lighting off    bit 1  vertex colours off  bit 2  normalize normals
//   bit  3     local viewer off                            bit 4  specular enabled
//   bits 5-6   diffuse source ^ COLOR1     bits 7-8   specular source ^ COLOR2
//   bits 9-10  ambient source              bits 11-12 emissive source
//   bits 13-28 kind of active light 0..7, 2 bits each: 0 none, else D3DLIGHTTYPE
// Word 2, fog, alpha test, shading:
//   bit  0     fog enabled     bits 1-2  vertex fog mode   bits 3-4  table fog mode
//   bit  5     range fog       bit 6     alpha test        bits 7-9  alpha function & 7
//   bit  10    flat shading
// Words 3 + 2s and 4 + 2s, texture stage s (colour word, then alpha word):
//   bits 0-4   operation ^ default   bits 5-10  argument 1 ^ TEXTURE
//   bits 11-16 argument 2 ^ CURRENT  bits 17-22 argument 0 ^ CURRENT
//   colour word: bit 23 result to TEMP; bits 24-26 coordinate set ^ s;
//                bits 27-29 coordinate generation (D3DTSS_TCI_* >> 16);
//                bit 30 the stage has a texture (kept only where an argument reads it)
//   alpha word:  bits 23-25 texture transform count; bit 26 projected
#pragma once

#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/VertexLayout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace d3d9 {

struct FixedFunctionKey {
  std::array<std::uint32_t, 19> words{};

  bool operator==(const FixedFunctionKey&) const = default;
  std::size_t hash() const;
};
static_assert(sizeof(FixedFunctionKey) == 76);

// The key for drawing vertices of `layout` with the state.
FixedFunctionKey makeFixedFunctionKey(const DeviceState& state, const VertexLayout& layout);

// Reading a key back (used by the program generator).
struct StageKey {
  DWORD colorOp, colorArg0, colorArg1, colorArg2;
  DWORD alphaOp, alphaArg0, alphaArg1, alphaArg2;
  bool resultToTemp;
  UINT texCoordSet;
  DWORD texCoordGeneration; // D3DTSS_TCI_* value
  UINT transformCount;      // 0 = no texture transform
  bool projected;
  bool samplesTexture; // the stage reads its texture (or the previous stage premodulates)
};

struct DecodedKey {
  PositionKind position;
  bool hasNormal, hasDiffuse, hasSpecular;
  UINT texCount;
  UINT texSize[8];
  bool lighting, colorVertex, normalizeNormals, localViewer, specularEnable;
  DWORD diffuseSource, specularSource, ambientSource, emissiveSource;
  D3DLIGHTTYPE lightKinds[kMaxActiveLights]; // 0 for an unused slot
  UINT lightCount;
  bool fog;
  DWORD fogVertexMode, fogTableMode;
  bool rangeFog, alphaTest;
  DWORD alphaFunc;
  bool flatShading;
  UINT stageCount; // stages before the first disabled one
  StageKey stages[kStageCount];
};

DecodedKey decodeFixedFunctionKey(const FixedFunctionKey& key);

// Which arguments an operation reads (bit 0 = argument 0, bit 1 = 1, bit 2 = 2).
unsigned argumentsRead(DWORD op);

} // namespace d3d9

template <> struct std::hash<d3d9::FixedFunctionKey> {
  std::size_t operator()(const d3d9::FixedFunctionKey& key) const { return key.hash(); }
};
