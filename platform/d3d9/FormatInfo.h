// What the stand-in knows about a D3DFORMAT: its size, whether it is block-compressed,
// whether it carries alpha, and how many bytes a level of a texture takes.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <cstddef>

namespace d3d9 {

struct FormatInfo {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  UINT bitsPerPixel = 0; // 0 for unknown formats; 4 or 8 per texel for DXT
  UINT blockBytes = 0;   // bytes per 4x4 block for DXT formats, 0 otherwise
  bool hasAlpha = false;
  bool isDepth = false;
  bool known() const { return bitsPerPixel != 0; }
  bool compressed() const { return blockBytes != 0; }
};

FormatInfo formatInfo(D3DFORMAT format);

// Bytes per row of a level (per row of 4x4 blocks for DXT), rows in a level (block rows
// for DXT), and the level's total size. Width and height are the level's texel size.
UINT levelPitch(D3DFORMAT format, UINT width);
UINT levelRows(D3DFORMAT format, UINT height);
std::size_t levelSize(D3DFORMAT format, UINT width, UINT height);

// The number of levels of a full mip chain down to 1x1.
UINT fullMipChain(UINT width, UINT height);

// The width or height of mip level `level` of a texture whose top level has `topSize`:
// halved per level, never below 1.
UINT levelExtent(UINT topSize, UINT level);

} // namespace d3d9
