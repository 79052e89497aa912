// Writes images in the file formats the decoders read: for tests, fuzzing seeds and tools
// that need image files made from code.
#pragma once

#include "platform/d3dx9/Image.h"

#include <vector>

namespace d3dx9 {

// PNG with an alpha channel (or without one when `alpha` is false).
bool encodePng(const Image& image, bool alpha, std::vector<BYTE>& out);
// Baseline JPEG at `quality` (1-100); `grey` writes one channel.
bool encodeJpeg(const Image& image, int quality, bool grey, std::vector<BYTE>& out);
// Uncompressed bottom-up BMP with 24 or 32 bits per pixel.
std::vector<BYTE> encodeBmp(const Image& image, int bits);
// True-colour TGA with 24 or 32 bits per pixel, run-length encoded or not, top-down or not.
std::vector<BYTE> encodeTga(const Image& image, int bits, bool rle, bool topDown);

} // namespace d3dx9
