// What D3DX does to an image between decoding and storing: the colour key, resizing with
// one of its filters, and the next mip level.
#pragma once

#include "platform/d3dx9/Image.h"

namespace d3dx9 {

// Pixels equal to `key` (all four channels) become transparent black; a key of 0 is off.
void applyColorKey(Image& image, D3DCOLOR key);

// Whether `filter` names one of the five D3DX filters (optionally with mirror, dither and
// sRGB flags); D3DX_DEFAULT counts.
bool validFilter(DWORD filter);

// `source` resized to width x height with a D3DX filter:
//   NONE     copies without scaling; what the source does not cover is transparent black;
//   POINT    takes the nearest source pixel;
//   LINEAR   interpolates the four nearest (wrapping, or mirroring with the MIRROR flags);
//   TRIANGLE and BOX average the source area each target pixel covers, which for an exact
//            halving is the 2x2 box of mip maps.
Image resizeImage(const Image& source, UINT width, UINT height, DWORD filter);

} // namespace d3dx9
