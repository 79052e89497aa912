// Converting 0xAARRGGBB pixels to and from the texture formats D3DX writes: the 32-, 24-,
// 16- and 8-bit formats and the DXT block formats (encoded here, decoded by the device).
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <cstdint>

namespace d3dx9 {

bool canWritePixels(D3DFORMAT format);
bool canReadPixels(D3DFORMAT format); // the uncompressed ones

// Writes a width x height block of pixels (rows `sourceStride` pixels apart) to `dest`, whose
// rows are `pitch` bytes apart (rows of 4x4 blocks for DXT, where edge pixels are repeated
// to fill partial blocks).
void writePixels(D3DFORMAT format, const std::uint32_t* pixels, UINT width, UINT height, UINT sourceStride, BYTE* dest,
                 INT pitch);
// The reverse for uncompressed formats.
void readPixels(D3DFORMAT format, const BYTE* source, INT pitch, UINT width, UINT height, std::uint32_t* out);

std::uint32_t encodePixel(D3DFORMAT format, std::uint32_t argb); // uncompressed formats, up to 32 bits
std::uint32_t decodePixel(D3DFORMAT format, std::uint32_t value);

} // namespace d3dx9
